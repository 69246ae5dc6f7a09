#include "ui/notes_editor.h"

#include "image/atomic_file.h"
#include "image/file_error.h"
#include "ui/text_file.h"

#include <QDialogButtonBox>
#include <QLayout>
#include <QPlainTextEdit>
#include <QStringDecoder>

#include <system_error>

namespace fs = std::filesystem;

namespace {

QString ToQt(const fs::path& path) {
    return QString::fromStdU16String(path.u16string());
}

} // namespace

CNotesEditDlg::CNotesEditDlg(QWidget* parent, WindowPrompt& boxes, const fs::path& file)
    : QDialog(parent), m_file(file), m_prompt(boxes, this) {
    setWindowTitle(ToQt(file.filename()) + " - " + ToQt(file.parent_path()));
    m_pText = AddTextArea(this, true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (Save())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout()->addWidget(buttons);
}

bool CNotesEditDlg::Load() {
    QByteArray bytes;
    std::error_code ec;
    // A screen without notes starts them empty; Save writes the file. Why a file cannot be read
    // is said over the window that asked for the editor, which is not shown.
    CPromptOver owner(m_prompt.Boxes(), parentWidget());
    if (fs::exists(fs::symlink_status(m_file, ec)) && !ReadForShowing(owner, m_file, bytes))
        return false;
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError()) {
        // Not UTF-8: each byte stands for one character, so every byte is written back unchanged.
        m_bUtf8 = false;
        text = QString::fromLatin1(bytes);
    }
    text.replace("\r\n", "\n");
    m_pText->setPlainText(text);
    return true;
}

bool CNotesEditDlg::Save() {
    QString text = m_pText->toPlainText();
    text.replace("\n", "\r\n");
    const QByteArray bytes = m_bUtf8 ? text.toUtf8() : text.toLatin1();
    try {
        WriteFileAtomically(
            m_file, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const FileError& error) {
        ShowFileError(m_prompt, error.Message());
        return false;
    }
    m_pText->document()->setModified(false);
    return true;
}

void CNotesEditDlg::reject() {
    if (m_pText->document()->isModified()) {
        PromptRequest question;
        question.m_strText = "Save the changes to " + m_file.string() + "?";
        question.m_strCaption = m_prompt.ProgramCaption();
        question.m_nButtons = PromptButtons::SaveDiscardCancel;
        question.m_nIcon = PromptIcon::Exclamation;
        switch (m_prompt.Ask(question)) {
        case PromptAnswer::Save:
            if (!Save())
                return;
            break;
        case PromptAnswer::Discard:
            break;
        case PromptAnswer::Ok:
        case PromptAnswer::Cancel:
            return;
        }
    }
    QDialog::reject();
}

void ShowNotesEditor(QWidget* owner, WindowPrompt& boxes, const std::string& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    const fs::path file = ec ? fs::path(path) : absolute;
    // One editor per notes file: a second one would save over the first one's changes.
    if (QWidget* window = OwnerWindow(owner)) {
        for (CNotesEditDlg* open : window->findChildren<CNotesEditDlg*>()) {
            if (open->isVisible() && open->File() == file) {
                open->raise();
                open->activateWindow();
                return;
            }
        }
    }
    auto* editor = new CNotesEditDlg(OwnerWindow(owner), boxes, file);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    if (!editor->Load()) {
        delete editor;
        return;
    }
    editor->show();
}

bool CloseNotesEditors(QWidget* owner) {
    if (!owner)
        return true;
    const auto editors = owner->window()->findChildren<CNotesEditDlg*>();
    for (CNotesEditDlg* editor : editors) {
        if (editor->isVisible() && !editor->close())
            return false;
    }
    return true;
}
