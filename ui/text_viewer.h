// The program's own read-only viewer for the configuration report and the help document, where
// the desktop has no program for them. It stands beside the main window without blocking it, as
// the desktop's programs would.
#pragma once

#include "paper/paper_report.h"
#include "ui/prompt.h"

#include <QDialog>

#include <filesystem>
#include <optional>
#include <string>

class QPlainTextEdit;
class QPrinter;

class CTextViewDlg : public QDialog {
    Q_OBJECT
public:
    // Shows text read-only under this title; bMonospace for the report, whose columns line up:
    // a fixed-pitch font, no wrapping, and wide enough for its 80 columns. boxes tells over the
    // viewer why printing failed.
    CTextViewDlg(QWidget* parent, WindowPrompt& boxes, const QString& title, const QString& text,
                 bool bMonospace);
    QPlainTextEdit* TextEdit() const { return m_pText; }

    // Offers the report on paper: "Print Preview...", "Print..." (the system's print dialog)
    // and "Save as PDF...". report holds the bytes the viewer shows.
    void SetPaperReport(PaperReport report);
    // Paints the report on the printer (a page setup the technician chose); false after saying
    // why when it could not.
    bool Print(QPrinter& printer);
    // Writes the report as a PDF file, replacing it whole; false after saying why when it could
    // not.
    bool SaveAsPdf(const std::filesystem::path& file);

private:
    void OnPrintPreview();
    void OnPrint();
    void OnSaveAsPdf();

    CPromptOver m_prompt;
    QPlainTextEdit* m_pText;
    std::optional<PaperReport> m_paper;
};

// Shows the report at path (relative to the working directory) in the program's own viewer, with
// its paper commands, owned by owner's window; a file that cannot be read is said over owner.
void ShowReportViewer(QWidget* owner, WindowPrompt& boxes, const std::string& path);
// Shows text read-only under title in the program's own viewer, owned by owner's window.
void ShowTextViewer(QWidget* owner, WindowPrompt& boxes, const QString& title, const QString& text);
