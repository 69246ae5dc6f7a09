// The program's own windows for the files the desktop could not open: a read-only viewer for
// the configuration report and the help document, and a small editor for a screen's notes.
// Both stand beside the main window without blocking it, as the desktop's programs would.
#pragma once

#include "paper/paper_report.h"

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
    // a fixed-pitch font, no wrapping, and wide enough for its 80 columns.
    CTextViewDlg(QWidget* parent, const QString& title, const QString& text, bool bMonospace);
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

    QPlainTextEdit* m_pText;
    std::optional<PaperReport> m_paper;
};

class CNotesEditDlg : public QDialog {
    Q_OBJECT
public:
    // The editor of a notes file (an absolute path, so that opening another library does not
    // move it), in a fixed-pitch font so that the notes template's columns line up. Load fills it.
    CNotesEditDlg(QWidget* parent, const std::filesystem::path& file);
    const std::filesystem::path& File() const { return m_file; }
    QPlainTextEdit* TextEdit() const { return m_pText; }
    // Reads the file: 8-bit text with "\r\n" line ends, shown as UTF-8 when it is valid UTF-8,
    // else byte by byte. A missing file starts the notes empty. False, after saying why, when
    // the file cannot be read whole (not a plain file, too large, unreadable): the editor must
    // not be shown then, since saving it would replace notes it never held.
    bool Load();
    // Writes the text back whole (a temporary file, then renamed), with "\r\n" line ends and the
    // encoding it was read in. False, after the file error has been shown, when it could not.
    bool Save();
    // Escape, the Cancel button, the close box and Alt+F4 all come here. Unsaved changes are
    // not thrown away unasked: Save (the default), Discard, or Cancel, which keeps the editor
    // open.
    void reject() override;

private:
    std::filesystem::path m_file;
    QPlainTextEdit* m_pText;
    bool m_bUtf8 = true;
};

// Closes the notes editors that belong to owner's window, each asking first about unsaved
// changes. False when the technician kept one open (Cancel, or a save that failed).
bool CloseNotesEditors(QWidget* owner);

// The text of a simple Rich Text document as plain paragraphs: the help document is shown this
// way where no word processor opens it.
QString RichTextToPlain(const QByteArray& rtf);

// Open the notes, the report or the help document in the desktop's program for them. When the
// desktop cannot (no program for the file, or it did not start), the file opens in the program's
// own editor (the notes) or viewer (the report, the help document) at once; a notes file that is
// open in the editor already is brought to the front instead. path is relative to the working
// directory.
void OpenNotesFile(QWidget* owner, const std::string& path);
void OpenReportFile(QWidget* owner, const std::string& path);

// The help document that the Help command opens: Help.doc of the library when there is one,
// else the one installed with the program, else the one built into it (written to a temporary
// file). Empty when none can be had.
std::string HelpDocumentPath();
