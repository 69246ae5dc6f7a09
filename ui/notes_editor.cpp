#include "ui/notes_editor.h"

#include "image/atomic_file.h"
#include "image/file_error.h"
#include "image/portable.h"
#include "image/stored_files.h"
#include "library/conflict_resolve.h"
#include "library/screen_lock.h"
#include "ui/text_file.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QTextCursor>
#include <QVBoxLayout>

#include <system_error>

namespace fs = std::filesystem;

namespace {

QString ToQt(const fs::path& path) {
    return QString::fromStdU16String(path.u16string());
}

// Notes as the editor shows them: UTF-8 when they are valid UTF-8, else each byte one character
// (bUtf8 false), so that every byte is written back unchanged; lines end in "\n".
QString DecodeNotes(const QByteArray& bytes, bool& bUtf8) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    bUtf8 = !utf8.hasError();
    if (!bUtf8)
        text = QString::fromLatin1(bytes);
    return text.replace("\r\n", "\n");
}

std::string Utf8Of(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
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
    m_pText->setPlainText(DecodeNotes(bytes, m_bUtf8));
    for (const ::ConflictCopy& copy : ScreenConflicts(m_file.parent_path())) {
        if (!copy.m_bFolder && copy.m_strOriginal == kNotesFileName) {
            ShowConflict(copy.m_strPath);
            break;
        }
    }
    return true;
}

bool CNotesEditDlg::ShowConflict(const std::string& copy) {
    QByteArray bytes;
    CPromptOver owner(m_prompt.Boxes(), parentWidget());
    if (!ReadForShowing(owner, m_file.parent_path() / PathFromUtf8(copy), bytes))
        return false;
    m_conflict = copy;
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    m_pConflictLine = new QLabel(
        QString::fromUtf8("Another computer changed these notes too. Its version, kept by the "
                          "sync engine as " +
                          copy +
                          ", is below. Merge what you need into the notes above and Save: the "
                          "copy is then removed, and any of its lines still missing are added "
                          "below a marked line. Cancel leaves both as they are."),
        this);
    m_pConflictLine->setWordWrap(true);
    layout->insertWidget(1, m_pConflictLine);
    bool bUtf8 = true;
    m_pOther = new QPlainTextEdit(DecodeNotes(bytes, bUtf8), this);
    m_pOther->setFont(m_pText->font());
    m_pOther->setReadOnly(true);
    layout->insertWidget(2, m_pOther);
    auto* add = new QPushButton("&Add its missing lines", this);
    add->setToolTip("Appends the lines of the other version that the notes above lack");
    connect(add, &QPushButton::clicked, this, &CNotesEditDlg::AddMissingLines);
    layout->insertWidget(3, add, 0, Qt::AlignLeft);
    resize(width(), height() * 3 / 2);
    return true;
}

void CNotesEditDlg::AddMissingLines() {
    if (!m_pOther)
        return;
    // The core's merge with an empty mark line: the notes' own lines, then the other's lines
    // they lack below an empty line.
    const std::string current = Utf8Of(m_pText->toPlainText());
    const std::string alone = MergeNotes(current, "", "");
    const std::string merged = MergeNotes(current, Utf8Of(m_pOther->toPlainText()), "");
    if (merged.size() <= alone.size())
        return;
    QString tail = QString::fromUtf8(merged.substr(alone.size())).replace("\r\n", "\n");
    if (!m_pText->toPlainText().isEmpty() && !m_pText->toPlainText().endsWith('\n'))
        tail.prepend('\n');
    QTextCursor cursor(m_pText->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(tail.endsWith('\n') ? tail.chopped(1) : tail);
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
    return !m_conflict || SettleConflict();
}

bool CNotesEditDlg::SettleConflict() {
    const fs::path screen = m_file.parent_path();
    const fs::path theater = screen.parent_path();
    const ScreenTarget target{PathToUtf8(theater.parent_path().filename()),
                              PathToUtf8(theater.filename()), PathToUtf8(screen.filename())};
    std::string problem;
    try {
        ResolveConflict(screen, target, *m_conflict, KeepVersion::Current, CurrentAuthor());
        m_conflict.reset();
        return true;
    } catch (const ConflictNotSettled& refused) {
        problem = refused.what();
    } catch (const ScreenInUse& inUse) {
        problem = inUse.what();
    } catch (const FileError& error) {
        problem = error.Message();
    }
    // The notes are saved; the copy stays beside them, listed as a conflict, for another try.
    Tell(m_prompt,
         "The notes are saved, but the conflicting copy " + *m_conflict +
             " could not be settled: " + problem,
         m_prompt.ProgramCaption(), PromptIcon::Exclamation);
    return false;
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
