#include "ui/name_dlg.h"

#include "library/site_name.h"
#include "ui/dialog_units.h"
#include "ui/help.h"
#include "ui/prompt.h"

#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QToolTip>
#include <QValidator>

namespace {

// Counts characters as the technician sees them (code points), not bytes or UTF-16 units.
std::size_t CharacterCount(const QString& text) {
    return static_cast<std::size_t>(text.toUcs4().size());
}

class NameLengthValidator : public QValidator {
public:
    explicit NameLengthValidator(QObject* parent) : QValidator(parent) {}
    State validate(QString& input, int&) const override {
        return CharacterCount(input) > kMaxSiteNameLength ? Invalid : Acceptable;
    }
};

} // namespace

CNameDlg::CNameDlg(WindowPrompt& boxes, Launcher& launcher, QWidget* parent)
    : QDialog(parent), m_boxes(boxes), m_pEdit(new QLineEdit(this)), m_pOk(new CBitmapButton(this)),
      m_pCancel(new CBitmapButton(this)) {
    const DialogUnits du(fontMetrics());
    setFixedSize(du.X(160), du.Y(88));
    setWindowTitle("IDD_EDITDLT");

    auto* label = new QLabel("&Name", this);
    du.Place(label, 8, 14, 24, 8);
    label->setBuddy(m_pEdit);
    du.Place(m_pEdit, 34, 12, 118, 12);
    // The field refuses typing or pasting beyond 32 characters (letters, not bytes) whole: a
    // pasted name is never cut short without a word.
    m_pEdit->setValidator(new NameLengthValidator(m_pEdit));
    connect(m_pEdit, &QLineEdit::inputRejected, this, [this] {
        QToolTip::showText(
            m_pEdit->mapToGlobal(QPoint(0, m_pEdit->height())),
            QString("Please enter no more than %1 characters.").arg(kMaxSiteNameLength), m_pEdit);
    });

    m_pOk->setText("OK");
    m_pOk->setObjectName("OK");
    du.Place(m_pOk, 50, 54, 40, 24);
    m_pCancel->setText("Cancel");
    m_pCancel->setObjectName("Cancel");
    du.Place(m_pCancel, 104, 54, 40, 24);
    setTabOrder(m_pEdit, m_pOk);
    setTabOrder(m_pOk, m_pCancel);

    connect(m_pEdit, &QLineEdit::textChanged, this, &CNameDlg::OnChangeName);
    connect(m_pEdit, &QLineEdit::returnPressed, this, [this] {
        if (m_pOk->isEnabled())
            accept();
    });
    connect(m_pOk, &QAbstractButton::clicked, this, &CNameDlg::accept);
    connect(m_pCancel, &QAbstractButton::clicked, this, &CNameDlg::reject);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this,
            [this, &launcher] { OpenHelp(this, m_boxes, launcher); });
}

void CNameDlg::InitDialog() {
    m_pEdit->setText(m_strName);
    m_pOk->LoadBitmaps("OK");
    m_pOk->SizeToContent();
    m_pCancel->LoadBitmaps("CANCEL");
    m_pCancel->SizeToContent();
    setWindowTitle(m_strCaption);
    OnChangeName();
    m_pEdit->setFocus();
}

int CNameDlg::exec() {
    InitDialog();
    return QDialog::exec();
}

void CNameDlg::accept() {
    const QString text = m_pEdit->text();
    if (CharacterCount(text) > kMaxSiteNameLength) {
        // The framework's own check, so its box bears the application's name.
        CPromptOver prompt(m_boxes, this);
        Tell(prompt,
             QString("Please enter no more than %1 characters.")
                 .arg(kMaxSiteNameLength)
                 .toStdString(),
             prompt.ProgramCaption(), PromptIcon::Exclamation);
        KeepTextForCorrection();
        return;
    }
    if (m_check && !m_check(text.toStdString())) {
        KeepTextForCorrection();
        return;
    }
    m_strName = text;
    QDialog::accept();
}

void CNameDlg::OnChangeName() {
    m_pOk->setEnabled(!m_pEdit->text().isEmpty());
}

void CNameDlg::KeepTextForCorrection() {
    m_pEdit->setFocus();
    m_pEdit->selectAll();
}

std::optional<std::string> AskName(WindowPrompt& boxes, Launcher& launcher,
                                   const std::string& caption, const CNameDlg::NameCheck& check) {
    CNameDlg dialog(boxes, launcher);
    dialog.SetCaption(QString::fromUtf8(caption));
    dialog.SetCheck(check);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Name().toStdString();
}
