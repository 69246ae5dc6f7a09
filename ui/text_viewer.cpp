#include "ui/text_viewer.h"

#include "image/atomic_file.h"
#include "image/file_error.h"
#include "ui/dialog_units.h"
#include "ui/help.h"
#include "ui/launcher.h"
#include "ui/prompt.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QVBoxLayout>

#include <cctype>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace {

QString ToQt(const fs::path& path) {
    return QString::fromStdU16String(path.u16string());
}

QPlainTextEdit* AddTextArea(QDialog* dialog, bool bMonospace) {
    auto* text = new QPlainTextEdit(dialog);
    if (bMonospace) {
        text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        text->setLineWrapMode(QPlainTextEdit::NoWrap);
    }
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(text);
    const DialogUnits du(dialog->fontMetrics());
    dialog->resize(du.X(330), du.Y(260));
    return text;
}

// The box that says the desktop did not open the file and what happens instead.
void SayNotOpened(QWidget* owner, const std::string& what, const std::string& path,
                  const std::string& instead) {
    PromptRequest request;
    request.m_strText = "The " + what + " " + path +
                        " could not be opened: the desktop has no program for this kind of "
                        "file, or the program did not start.\n" +
                        instead;
    request.m_strCaption = QApplication::applicationName().toStdString();
    request.m_nIcon = PromptIcon::Exclamation;
    AskPrompt(owner, request);
}

// The program's own windows belong to the window that asked for them and close with it.
QWidget* Owner(QWidget* owner) {
    return owner ? owner->window() : nullptr;
}

void ShowViewer(QWidget* owner, const QString& title, const QString& text, bool bMonospace) {
    auto* viewer = new CTextViewDlg(Owner(owner), title, text, bMonospace);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->show();
}

bool ReadWhole(const fs::path& file, QByteArray& bytes) {
    QFile in(ToQt(file));
    if (!in.open(QIODevice::ReadOnly))
        return false;
    bytes = in.readAll();
    return true;
}

} // namespace

CTextViewDlg::CTextViewDlg(QWidget* parent, const QString& title, const QString& text,
                           bool bMonospace)
    : QDialog(parent) {
    setWindowTitle(title);
    m_pText = AddTextArea(this, bMonospace);
    m_pText->setReadOnly(true);
    m_pText->setPlainText(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout()->addWidget(buttons);
}

CNotesEditDlg::CNotesEditDlg(QWidget* parent, const fs::path& file)
    : QDialog(parent), m_file(file) {
    setWindowTitle(ToQt(file.filename()) + " - " + ToQt(file.parent_path()));
    m_pText = AddTextArea(this, false);
    // A screen without notes starts them empty; Save writes the file.
    QByteArray bytes;
    std::error_code ec;
    if (fs::exists(file, ec) && !ReadWhole(file, bytes))
        ShowFileError(parent, FileError(FileError::Cause::AccessDenied, file.string()).Message());
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError()) {
        // Not UTF-8: each byte stands for one character, so every byte is written back unchanged.
        m_bUtf8 = false;
        text = QString::fromLatin1(bytes);
    }
    text.replace("\r\n", "\n");
    m_pText->setPlainText(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (Save())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout()->addWidget(buttons);
}

bool CNotesEditDlg::Save() {
    QString text = m_pText->toPlainText();
    text.replace("\n", "\r\n");
    const QByteArray bytes = m_bUtf8 ? text.toUtf8() : text.toLatin1();
    try {
        WriteFileAtomically(
            m_file, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const FileError& error) {
        ShowFileError(this, error.Message());
        return false;
    }
    m_pText->document()->setModified(false);
    return true;
}

QString RichTextToPlain(const QByteArray& rtf) {
    QByteArray out;
    int depth = 0;
    int skipDepth = -1; // inside a group that holds no text (the font table)
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (depth == skipDepth)
                skipDepth = -1;
            --depth;
        } else if (c == '\\' && i + 1 < rtf.size()) {
            const char next = rtf[i + 1];
            if (next == '\\' || next == '{' || next == '}') {
                if (skipDepth < 0)
                    out += next;
                ++i;
            } else if (next == '\'' && i + 3 < rtf.size()) {
                if (skipDepth < 0)
                    out += static_cast<char>(rtf.mid(i + 2, 2).toInt(nullptr, 16));
                i += 3;
            } else {
                qsizetype end = i + 1;
                while (end < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[end])))
                    ++end;
                const QByteArray word = rtf.mid(i + 1, end - i - 1);
                while (end < rtf.size() &&
                       (std::isdigit(static_cast<unsigned char>(rtf[end])) || rtf[end] == '-'))
                    ++end;
                if (end < rtf.size() && rtf[end] == ' ')
                    ++end; // the delimiter belongs to the control word
                if (word == "fonttbl" || word == "colortbl" || word == "stylesheet" ||
                    word == "info")
                    skipDepth = depth;
                else if (skipDepth < 0 && (word == "par" || word == "line"))
                    out += '\n';
                else if (skipDepth < 0 && word == "tab")
                    out += '\t';
                i = end - 1;
            }
        } else if (c != '\r' && c != '\n' && skipDepth < 0) {
            out += c;
        }
    }
    // The document's text is in the platform's 8-bit character set.
    return QString::fromLatin1(out);
}

void OpenNotesFile(QWidget* owner, const std::string& path) {
    if (CurrentLauncher().Open(LaunchProgram::TextEditor, path))
        return;
    SayNotOpened(owner, "notes file", path, "The notes open in this program's own editor.");
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    auto* editor = new CNotesEditDlg(Owner(owner), ec ? fs::path(path) : absolute);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->show();
}

void OpenReportFile(QWidget* owner, const std::string& path) {
    if (CurrentLauncher().Open(LaunchProgram::TextEditor, path))
        return;
    SayNotOpened(owner, "report", path, "The report is shown in this program's own viewer.");
    QByteArray bytes;
    if (!ReadWhole(path, bytes)) {
        ShowFileError(owner, FileError(FileError::Cause::NotFound, path).Message());
        return;
    }
    ShowViewer(owner, QString::fromStdString(path),
               QString::fromLatin1(bytes).replace("\r\n", "\n"), true);
}

std::string HelpDocumentPath() {
    std::error_code ec;
    if (fs::is_regular_file("Help.doc", ec))
        return "Help.doc";
    const QString installed =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/vrx3km/Help.doc");
    if (QFileInfo(installed).isFile())
        return installed.toStdString();
    // The copy built into the program, written where the word processor can read it.
    QFile builtIn(":/help/Help.doc");
    if (!builtIn.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = builtIn.readAll();
    const QString folder = QDir(QDir::tempPath()).filePath("vrx3km-help");
    const QString temporary = QDir(folder).filePath("Help.doc");
    QDir().mkpath(folder);
    QFile existing(temporary);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes)
        return temporary.toStdString();
    existing.close();
    try {
        WriteFileAtomically(
            fs::path(temporary.toStdU16String()),
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const FileError&) {
        return {};
    }
    return temporary.toStdString();
}

void OpenHelp(QWidget* owner) {
    const std::string path = HelpDocumentPath();
    if (path.empty()) {
        ShowFileError(owner, FileError(FileError::Cause::NotFound, "Help.doc").Message());
        return;
    }
    if (CurrentLauncher().Open(LaunchProgram::WordProcessor, path))
        return;
    SayNotOpened(owner, "help document", path, "It is shown in this program's own viewer.");
    QByteArray bytes;
    if (!ReadWhole(path, bytes)) {
        ShowFileError(owner, FileError(FileError::Cause::NotFound, path).Message());
        return;
    }
    ShowViewer(owner, "Help",
               bytes.startsWith("{\\rtf") ? RichTextToPlain(bytes) : QString::fromLatin1(bytes),
               false);
}
