// The Help command, shared by the main dialog, the name dialog and the About box (F1 in each).
#pragma once

#include <string>

class Launcher;
class QWidget;
class WindowPrompt;

// Opens the help document (HelpDocumentPath) in the desktop's word processor through launcher,
// without waiting; where the desktop cannot, shows it in the program's own viewer. A missing
// document is said in a box over owner.
void OpenHelp(QWidget* owner, WindowPrompt& boxes, Launcher& launcher);

// The help document that the Help command opens: Help.doc of the library when there is one,
// else the one installed with the program, else the one built into it (written to a temporary
// file). Empty when none can be had.
std::string HelpDocumentPath();
