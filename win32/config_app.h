// The application object: runs the main dialog modally and ends when it closes.
#pragma once

#include "win32/text.h"

class Launcher;
class MainDlgBinding;

class CConfigApp {
public:
    // Starts in the library folder given on the command line (vrx3km.exe [LIBRARY]), else in the
    // working directory; runs the main dialog with binding (and launcher for its Help command) and
    // returns the program's exit status: 0, or 1 when the library folder could not be entered, 2
    // for bad usage.
    int InitInstance(MainDlgBinding& binding, Launcher& launcher);
};

// The main dialog while it runs, null before and after: the window that F1 in any of the
// program's dialogs sends the Help command to.
HWND MainWindow();
void SetMainWindow(HWND window);
