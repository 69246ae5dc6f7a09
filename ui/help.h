// The Help command, shared by the main dialog, the name dialog and the About box (F1 in each).
#pragma once

// Opens "Help.doc" of the working directory in the desktop's word processor, without waiting.
void OpenHelp();
