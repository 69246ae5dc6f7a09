// The program's own windows for the files the desktop could not open: a read-only viewer for
// the configuration report and the help document, and a small editor for a screen's notes.
// Both stand beside the main window without blocking it, as the desktop's programs would.
#pragma once

#include <QDialog>

#include <filesystem>
#include <string>

class QPlainTextEdit;

class CTextViewDlg : public QDialog {
    Q_OBJECT
public:
    // Shows text read-only under this title; bMonospace for the report, whose columns line up.
    CTextViewDlg(QWidget* parent, const QString& title, const QString& text, bool bMonospace);
    QPlainTextEdit* TextEdit() const { return m_pText; }

private:
    QPlainTextEdit* m_pText;
};

class CNotesEditDlg : public QDialog {
    Q_OBJECT
public:
    // Reads the notes file (an absolute path, so that opening another library does not move it):
    // 8-bit text with "\r\n" line ends, shown as UTF-8 when it is valid UTF-8, else byte by byte.
    CNotesEditDlg(QWidget* parent, const std::filesystem::path& file);
    QPlainTextEdit* TextEdit() const { return m_pText; }
    // Writes the text back whole (a temporary file, then renamed), with "\r\n" line ends and the
    // encoding it was read in. False, after the file error has been shown, when it could not.
    bool Save();

private:
    std::filesystem::path m_file;
    QPlainTextEdit* m_pText;
    bool m_bUtf8 = true;
};

// The text of a simple Rich Text document as plain paragraphs: the help document is shown this
// way where no word processor opens it.
QString RichTextToPlain(const QByteArray& rtf);

// Open the notes, the report or the help document in the desktop's program for them. When the
// desktop cannot (no program for the file, or it did not start), a box owned by owner names the
// file and says what happened, and the file opens in the program's own editor (the notes) or
// viewer (the report, the help document). path is relative to the working directory.
void OpenNotesFile(QWidget* owner, const std::string& path);
void OpenReportFile(QWidget* owner, const std::string& path);

// The help document that the Help command opens: Help.doc of the library when there is one,
// else the one installed with the program, else the one built into it (written to a temporary
// file). Empty when none can be had.
std::string HelpDocumentPath();
