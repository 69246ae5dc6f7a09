// Opening a file in the desktop's application for it (the notes and the report in a text
// editor, the help document in a word processor), without waiting for that program. Tests put a
// recorder in place of the desktop.
#pragma once

#include <string>

class Launcher {
public:
    virtual ~Launcher() = default;
    // path is relative to the working directory; the result is not examined by the commands.
    virtual void Open(const std::string& path) = 0;
};

// The launcher in use; the desktop's (QDesktopServices::openUrl) unless SetLauncher installed
// another.
Launcher& CurrentLauncher();
// Installs launcher (kept by the caller); null restores the desktop's.
void SetLauncher(Launcher* launcher);
