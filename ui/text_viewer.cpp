#include "ui/text_viewer.h"

#include "image/file_error.h"
#include "image/portable.h"
#include "library/screen_store.h"
#include "library/site_paths.h"
#include "library/site_storage.h"
#include "ui/text_file.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>

#include <system_error>

namespace fs = std::filesystem;

namespace {

CTextViewDlg* ShowViewer(QWidget* owner, WindowPrompt& boxes, const QString& title,
                         const QString& text, bool bMonospace) {
    auto* viewer = new CTextViewDlg(OwnerWindow(owner), boxes, title, text, bMonospace);
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

// The page setup a printing starts from: the printer's paper, with room for the header and
// footer on every page.
void PreparePrinter(QPrinter& printer, const PaperDocument& document) {
    printer.setDocName(QString::fromStdString(document.m_strTitle));
    printer.setPageMargins(DefaultPaperLayout().margins(), QPageLayout::Millimeter);
}

} // namespace

CTextViewDlg::CTextViewDlg(QWidget* parent, WindowPrompt& boxes, const QString& title,
                           const QString& text, bool bMonospace)
    : QDialog(parent), m_prompt(boxes, this) {
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
    const std::string screen =
        ScreenText({report.m_strCircuit, report.m_strTheater, report.m_strScreen});
    SetPaperDocument(
        {{std::move(report)}, "Configuration Report", "Configuration report: " + screen, screen});
}

void CTextViewDlg::SetPaperDocument(PaperDocument document) {
    m_paper = std::move(document);
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
    const PaperResult result = PaintReports(printer, m_paper->m_reports, FooterForNow());
    if (result.m_strProblem.empty())
        return true;
    Tell(m_prompt, result.m_strProblem, m_prompt.ProgramCaption(), PromptIcon::Exclamation);
    return false;
}

bool CTextViewDlg::SaveAsPdf(const fs::path& file) {
    if (!m_paper)
        return false;
    try {
        const PaperResult result =
            WriteReportsPdf(file, m_paper->m_reports, FooterForNow(), m_paper->m_strTitle);
        if (result.m_strProblem.empty())
            return true;
        Tell(m_prompt, result.m_strProblem, m_prompt.ProgramCaption(), PromptIcon::Exclamation);
    } catch (const FileError& error) {
        ShowFileError(m_prompt, error.Message());
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
    dialog.setWindowTitle(QString::fromStdString("Print " + m_paper->m_strKind));
    if (dialog.exec() == QDialog::Accepted)
        Print(printer);
}

void CTextViewDlg::OnSaveAsPdf() {
    // Beside the technician's documents, never in the library, whose screen folders hold only
    // the program's files.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QFileDialog dialog(this, QString::fromStdString("Save " + m_paper->m_strKind + " as PDF"),
                       folder, "PDF files (*.pdf)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("pdf");
    dialog.selectFile(QString::fromStdString(m_paper->m_strFileName + ".pdf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    SaveAsPdf(fs::path(dialog.selectedFiles().front().toStdU16String()));
}

void ShowReportViewer(QWidget* owner, WindowPrompt& boxes, const std::string& path) {
    CPromptOver prompt(boxes, owner);
    QByteArray bytes;
    if (!ReadForShowing(prompt, path, bytes))
        return;
    ShowViewer(owner, boxes, QString::fromStdString(path),
               QString::fromLatin1(bytes).replace("\r\n", "\n"), true)
        ->SetPaperReport(PaperReportOf(PathFromUtf8(path), bytes));
}

void ShowTextViewer(QWidget* owner, WindowPrompt& boxes, const QString& title,
                    const QString& text) {
    ShowViewer(owner, boxes, title, text, false);
}

CTextViewDlg* ShowPaperViewer(QWidget* owner, WindowPrompt& boxes, const QString& title,
                              const QString& text, PaperDocument document) {
    CTextViewDlg* viewer = ShowViewer(owner, boxes, title, text, true);
    viewer->SetPaperDocument(std::move(document));
    return viewer;
}
