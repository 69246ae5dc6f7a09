// The desktop's programs for the Launcher of control/launcher.h: on Windows "Notepad" or
// "Wordpad" started on the file through the shell, elsewhere the desktop's application for the
// file (QDesktopServices::openUrl). app/ makes one and hands it to the main dialog.
#pragma once

#include "control/launcher.h"

class CDesktopLauncher : public Launcher {
public:
    bool Open(LaunchProgram program, const std::string& path) override;
};
