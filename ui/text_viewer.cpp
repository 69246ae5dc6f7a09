#include "ui/text_viewer.h"

#include "image/atomic_file.h"
#include "image/file_error.h"
#include "image/portable.h"
#include "image/regular_file.h"
#include "library/screen_store.h"
#include "library/site_storage.h"
#include "ui/dialog_units.h"
#include "ui/help.h"
#include "ui/launcher.h"
#include "ui/prompt.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QVBoxLayout>
#include <QtMath>

#include <cctype>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The notes, the report and the help document are a few kilobytes. A larger file is not one of
// them, and an editor that showed only part of it would drop the rest on saving.
constexpr std::size_t kMaxTextFileBytes = 4 * 1024 * 1024;

QString ToQt(const fs::path& path) {
    return QString::fromStdU16String(path.u16string());
}

QPlainTextEdit* AddTextArea(QDialog* dialog, bool bWrap) {
    auto* text = new QPlainTextEdit(dialog);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    if (!bWrap)
        text->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(text);
    // Wide enough for the report's 80 columns at the text's own font, the frame, the margins and
    // a vertical scroll bar; the notes template's columns fit the same width.
    const QFontMetrics metrics(text->font());
    const int columns = metrics.horizontalAdvance(QString(80, QLatin1Char('M'))) +
                        2 * text->frameWidth() + 2 * qCeil(text->document()->documentMargin()) +
                        text->verticalScrollBar()->sizeHint().width() + metrics.averageCharWidth();
    const DialogUnits du(dialog->fontMetrics());
    text->setMinimumWidth(columns);
    dialog->resize(dialog->sizeHint().expandedTo(QSize(du.X(330), du.Y(260))));
    text->setMinimumWidth(0);
    return text;
}

// The program's own windows belong to the window that asked for them and close with it.
QWidget* Owner(QWidget* owner) {
    return owner ? owner->window() : nullptr;
}

CTextViewDlg* ShowViewer(QWidget* owner, const QString& title, const QString& text,
                         bool bMonospace) {
    auto* viewer = new CTextViewDlg(Owner(owner), title, text, bMonospace);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->show();
    return viewer;
}

// The report file of a screen as it goes on paper: the names are those of its folders (the
// library names its folders after its entries), the date that of the screen's Vrx.cfg.
PaperReport PaperReportOf(const fs::path& reportFile, const QByteArray& bytes) {
    const fs::path screen = reportFile.parent_path();
    const fs::path theater = screen.parent_path();
    PaperReport report{PathToUtf8(theater.parent_path().filename()),
                       PathToUtf8(theater.filename()),
                       PathToUtf8(screen.filename()),
                       {},
                       std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()))};
    std::error_code ec;
    const fs::file_time_type written = fs::last_write_time(
        LibraryDiskPath(".", BuildLibraryPath(PathKind::SettingsFile, report.m_strCircuit,
                                              report.m_strTheater, report.m_strScreen)),
        ec);
    if (!ec)
        report.m_strSettingsDate = PaperDateText(ToCalendarTime(written), true);
    return report;
}

std::string ScreenTextOf(const PaperReport& report) {
    return ScreenText({report.m_strCircuit, report.m_strTheater, report.m_strScreen});
}

// The page setup a printing starts from: the printer's paper, with room for the header and
// footer on every page.
void PreparePrinter(QPrinter& printer, const PaperReport& report) {
    printer.setDocName(QString::fromStdString("Configuration report " + ScreenTextOf(report)));
    printer.setPageMargins(DefaultPaperLayout().margins(), QPageLayout::Millimeter);
}

void ShowPaperProblem(QWidget* owner, const std::string& problem) {
    PromptRequest request;
    request.m_strText = problem;
    request.m_strCaption = QApplication::applicationName().toStdString();
    request.m_nIcon = PromptIcon::Exclamation;
    AskPrompt(owner, request);
}

// Reads the file, or says why it is not shown and returns false.
bool ReadForShowing(QWidget* owner, const fs::path& file, QByteArray& bytes) {
    const std::string path = file.string();
    PromptRequest request;
    request.m_strCaption = QApplication::applicationName().toStdString();
    request.m_nIcon = PromptIcon::Exclamation;
    // Only a regular file (never a folder, a device or a pipe that would block) is read.
    RegularFileRead read = ReadRegularFile(file, kMaxTextFileBytes);
    switch (read.m_nStatus) {
    case RegularFileStatus::Read:
        bytes = QByteArray(read.m_bytes.data(), static_cast<qsizetype>(read.m_bytes.size()));
        return true;
    case RegularFileStatus::Missing:
        ShowFileError(owner, FileError(FileError::Cause::NotFound, path).Message());
        return false;
    case RegularFileStatus::Failed:
        ShowFileError(owner, FileError(FileError::Cause::AccessDenied, path).Message());
        return false;
    case RegularFileStatus::NotAFile:
        request.m_strText = path + " is not a plain file (a folder, a device or a pipe has its "
                                   "name), so it is not opened. Move that out of the way.";
        break;
    case RegularFileStatus::TooLarge:
        request.m_strText = path + " is larger than " +
                            std::to_string(kMaxTextFileBytes / (1024 * 1024)) +
                            " MB, so it is not opened here. Open it in a text editor.";
        break;
    }
    AskPrompt(owner, request);
    return false;
}

} // namespace

CTextViewDlg::CTextViewDlg(QWidget* parent, const QString& title, const QString& text,
                           bool bMonospace)
    : QDialog(parent) {
    setWindowTitle(title);
    m_pText = AddTextArea(this, !bMonospace);
    if (!bMonospace)
        m_pText->setFont(font());
    m_pText->setReadOnly(true);
    m_pText->setPlainText(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout()->addWidget(buttons);
}

void CTextViewDlg::SetPaperReport(PaperReport report) {
    m_paper = std::move(report);
    auto* buttons = findChild<QDialogButtonBox*>();
    if (!buttons)
        return;
    connect(buttons->addButton("Print Pre&view...", QDialogButtonBox::ActionRole),
            &QPushButton::clicked, this, &CTextViewDlg::OnPrintPreview);
    connect(buttons->addButton("&Print...", QDialogButtonBox::ActionRole), &QPushButton::clicked,
            this, &CTextViewDlg::OnPrint);
    connect(buttons->addButton("Save as P&DF...", QDialogButtonBox::ActionRole),
            &QPushButton::clicked, this, &CTextViewDlg::OnSaveAsPdf);
}

bool CTextViewDlg::Print(QPrinter& printer) {
    if (!m_paper)
        return false;
    const PaperResult result = PaintReports(printer, {*m_paper}, FooterForNow());
    if (result.m_strProblem.empty())
        return true;
    ShowPaperProblem(this, result.m_strProblem);
    return false;
}

bool CTextViewDlg::SaveAsPdf(const fs::path& file) {
    if (!m_paper)
        return false;
    try {
        const PaperResult result = WriteReportsPdf(
            file, {*m_paper}, FooterForNow(), "Configuration report: " + ScreenTextOf(*m_paper));
        if (result.m_strProblem.empty())
            return true;
        ShowPaperProblem(this, result.m_strProblem);
    } catch (const FileError& error) {
        ShowFileError(this, error.Message());
    }
    return false;
}

void CTextViewDlg::OnPrintPreview() {
    QPrinter printer(QPrinter::HighResolution);
    PreparePrinter(printer, *m_paper);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { Print(*target); });
    preview.exec();
}

void CTextViewDlg::OnPrint() {
    QPrinter printer(QPrinter::HighResolution);
    PreparePrinter(printer, *m_paper);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle("Print Configuration Report");
    if (dialog.exec() == QDialog::Accepted)
        Print(printer);
}

void CTextViewDlg::OnSaveAsPdf() {
    // Beside the technician's documents, never in the library, whose screen folders hold only
    // the program's files.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QFileDialog dialog(this, "Save Configuration Report as PDF", folder, "PDF files (*.pdf)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("pdf");
    dialog.selectFile(QString::fromStdString(ScreenTextOf(*m_paper) + ".pdf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    SaveAsPdf(fs::path(dialog.selectedFiles().front().toStdU16String()));
}

CNotesEditDlg::CNotesEditDlg(QWidget* parent, const fs::path& file)
    : QDialog(parent), m_file(file) {
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
    // A screen without notes starts them empty; Save writes the file.
    if (fs::exists(fs::symlink_status(m_file, ec)) &&
        !ReadForShowing(parentWidget(), m_file, bytes))
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
        ShowFileError(this, error.Message());
        return false;
    }
    m_pText->document()->setModified(false);
    return true;
}

void CNotesEditDlg::reject() {
    if (m_pText->document()->isModified()) {
        PromptRequest question;
        question.m_strText = "Save the changes to " + m_file.string() + "?";
        question.m_strCaption = QApplication::applicationName().toStdString();
        question.m_nButtons = PromptButtons::SaveDiscardCancel;
        question.m_nIcon = PromptIcon::Exclamation;
        switch (AskPrompt(this, question)) {
        case kAnswerSave:
            if (!Save())
                return;
            break;
        case kAnswerDiscard:
            break;
        default:
            return;
        }
    }
    QDialog::reject();
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
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    const fs::path file = ec ? fs::path(path) : absolute;
    // One editor per notes file: a second one would save over the first one's changes.
    if (QWidget* window = Owner(owner)) {
        for (CNotesEditDlg* open : window->findChildren<CNotesEditDlg*>()) {
            if (open->isVisible() && open->File() == file) {
                open->raise();
                open->activateWindow();
                return;
            }
        }
    }
    auto* editor = new CNotesEditDlg(Owner(owner), file);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    if (!editor->Load()) {
        delete editor;
        return;
    }
    editor->show();
}

void OpenReportFile(QWidget* owner, const std::string& path) {
    if (CurrentLauncher().Open(LaunchProgram::TextEditor, path))
        return;
    QByteArray bytes;
    if (!ReadForShowing(owner, path, bytes))
        return;
    ShowViewer(owner, QString::fromStdString(path),
               QString::fromLatin1(bytes).replace("\r\n", "\n"), true)
        ->SetPaperReport(PaperReportOf(PathFromUtf8(path), bytes));
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
    QByteArray bytes;
    if (!ReadForShowing(owner, path, bytes))
        return;
    ShowViewer(owner, "Help",
               bytes.startsWith("{\\rtf") ? RichTextToPlain(bytes) : QString::fromLatin1(bytes),
               false);
}
