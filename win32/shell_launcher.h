// Opening the notes and the report in Notepad and the help document in WordPad, through the
// shell, without waiting for them. The Launcher of control/launcher.h, as the Qt window's, so
// that the commands that open files bind to either window alike.
#pragma once

#include "control/launcher.h"

#include <string>

#include "win32/text.h"

class ShellLauncher : public Launcher {
public:
    // Starts "Notepad" or "Wordpad" with path as its parameter, as the shell's "open" on the
    // program, shown normally; path is relative to the working directory or absolute. True when
    // the shell started the program.
    bool Open(LaunchProgram program, const std::string& path) override;
};

// The help document: Help.doc in the working directory (the library), else the one installed
// beside the program; "" when there is none.
std::string HelpDocumentPath();

// The Help command: the help document in WordPad, else in the program that the system opens such
// documents with. When there is none, or neither starts, a box owned by owner says so and what
// to do.
void OpenHelp(HWND owner, Launcher& launcher);
