// The Help command, shared by the main dialog, the name dialog and the About box (F1 in each).
#pragma once

class QWidget;

// Opens the help document (HelpDocumentPath) in the desktop's word processor, without waiting;
// where the desktop cannot, shows it in the program's own viewer.
void OpenHelp(QWidget* owner = nullptr);
