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
#include <vector>

class QPlainTextEdit;
class QPrinter;

// What a viewer puts on paper: the pages' contents in order, what the document is ("Configuration
// Report", "Visit Record": the print and save dialogs' titles), the PDF's title and print job's
// name, and the file name offered for the PDF (without ".pdf").
struct PaperDocument {
    std::vector<PaperReport> m_reports;
    std::string m_strKind;
    std::string m_strTitle;
    std::string m_strFileName;
};

class CTextViewDlg : public QDialog {
    Q_OBJECT
public:
    // Shows text read-only under this title; bMonospace for the report, whose columns line up:
    // a fixed-pitch font, no wrapping, and wide enough for its 80 columns. boxes tells over the
    // viewer why printing failed.
    CTextViewDlg(QWidget* parent, WindowPrompt& boxes, const QString& title, const QString& text,
                 bool bMonospace);
    QPlainTextEdit* TextEdit() const { return m_pText; }

    // Offers the document on paper: "Print Preview...", "Print..." (the system's print dialog)
    // and "Save as PDF...". Its pages hold the text the viewer shows.
    void SetPaperDocument(PaperDocument document);
    // A screen's configuration report on paper; report holds the bytes the viewer shows.
    void SetPaperReport(PaperReport report);
    // Paints the document on the printer (a page setup the technician chose); false after
    // saying why when it could not.
    bool Print(QPrinter& printer);
    // Writes the document as a PDF file, replacing it whole; false after saying why when it
    // could not.
    bool SaveAsPdf(const std::filesystem::path& file);

private:
    void OnPrintPreview();
    void OnPrint();
    void OnSaveAsPdf();

    CPromptOver m_prompt;
    QPlainTextEdit* m_pText;
    std::optional<PaperDocument> m_paper;
};

// Shows the report at path (relative to the working directory) in the program's own viewer, with
// its paper commands, owned by owner's window; a file that cannot be read is said over owner.
void ShowReportViewer(QWidget* owner, WindowPrompt& boxes, const std::string& path);
// Shows text read-only under title in the program's own viewer, owned by owner's window.
void ShowTextViewer(QWidget* owner, WindowPrompt& boxes, const QString& title, const QString& text);
// Shows a document's text in the fixed-pitch font of the report, with its paper commands.
CTextViewDlg* ShowPaperViewer(QWidget* owner, WindowPrompt& boxes, const QString& title,
                              const QString& text, PaperDocument document);
