// Opening a file in the desktop's application for it (the notes and the report in a text
// editor, the help document in a word processor), without waiting for that program. Tests put a
// recorder in place of the desktop.
#pragma once

#include <string>

// The program a file is opened in: the text editor for the notes and the report, the word
// processor for the help document.
enum class LaunchProgram { TextEditor, WordProcessor };

class Launcher {
public:
    virtual ~Launcher() = default;
    // path is relative to the working directory or absolute. True when the desktop took the
    // file; false when it has no program for it or the program could not be started, so that
    // the command can say so and show the file itself.
    virtual bool Open(LaunchProgram program, const std::string& path) = 0;
};

// The launcher in use unless SetLauncher installed another: on Windows "Notepad" or "Wordpad"
// started on the file through the shell, elsewhere the desktop's application for the file
// (QDesktopServices::openUrl).
Launcher& CurrentLauncher();
// Installs launcher (kept by the caller); null restores the desktop's.
void SetLauncher(Launcher* launcher);
