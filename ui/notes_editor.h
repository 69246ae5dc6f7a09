// The program's own editor for a screen's notes, where the desktop has no text editor for them.
// It stands beside the main window without blocking it, as the desktop's editor would. When a
// sync engine left a conflicting copy of the notes, the editor shows the other version below
// them to merge, and Save settles the conflict.
#pragma once

#include "ui/prompt.h"

#include <QDialog>

#include <filesystem>
#include <optional>
#include <string>

class QLabel;
class QPlainTextEdit;

class CNotesEditDlg : public QDialog {
    Q_OBJECT
public:
    // The editor of a notes file (an absolute path, so that opening another library does not
    // move it), in a fixed-pitch font so that the notes template's columns line up. Load fills
    // it. boxes asks and tells over the editor.
    CNotesEditDlg(QWidget* parent, WindowPrompt& boxes, const std::filesystem::path& file);
    const std::filesystem::path& File() const { return m_file; }
    QPlainTextEdit* TextEdit() const { return m_pText; }
    // Reads the file: 8-bit text with "\r\n" line ends, shown as UTF-8 when it is valid UTF-8,
    // else byte by byte. A missing file starts the notes empty. False, after saying why, when
    // the file cannot be read whole (not a plain file, too large, unreadable): the editor must
    // not be shown then, since saving it would replace notes it never held. A conflicting copy
    // of the notes beside the file is shown read-only below them, with what to do.
    bool Load();
    // Writes the text back whole (a temporary file, then renamed), with "\r\n" line ends and the
    // encoding it was read in. False, after the file error has been shown, when it could not.
    // With a conflicting copy shown, the saved text is kept as the merge and the copy settled
    // (ResolveConflict keeping the current version: lines of the copy still missing follow below
    // a marked line, and the copy is removed); a copy that cannot be settled now stays, and why
    // is said.
    bool Save();
    // The conflicting copy shown beside the notes (its name in the screen folder), if any.
    const std::optional<std::string>& ConflictCopy() const { return m_conflict; }
    QPlainTextEdit* OtherText() const { return m_pOther; }
    QLabel* ConflictLine() const { return m_pConflictLine; }
    // Appends the lines of the other version that the notes lack, below an empty line.
    void AddMissingLines();
    // Escape, the Cancel button, the close box and Alt+F4 all come here. Unsaved changes are
    // not thrown away unasked: Save (the default), Discard, or Cancel, which keeps the editor
    // open.
    void reject() override;

private:
    // Shows the other version below the notes; false, after saying why, when it cannot be read.
    bool ShowConflict(const std::string& copy);
    bool SettleConflict();

    std::filesystem::path m_file;
    CPromptOver m_prompt;
    QPlainTextEdit* m_pText;
    QPlainTextEdit* m_pOther = nullptr;
    QLabel* m_pConflictLine = nullptr;
    std::optional<std::string> m_conflict;
    bool m_bUtf8 = true;
};

// Opens the notes at path (relative to the working directory) in the program's own editor, owned
// by owner's window; a notes file that is open in an editor already is brought to the front.
void ShowNotesEditor(QWidget* owner, WindowPrompt& boxes, const std::string& path);

// Closes the notes editors that belong to owner's window, each asking first about unsaved
// changes. False when the technician kept one open (Cancel, or a save that failed).
bool CloseNotesEditors(QWidget* owner);
