// The window's system menu, where the platform has one a program may extend (Windows). Other
// desktops keep that menu to the window manager; there these calls do nothing and the About
// item lives in the dialog's context menu alone.
#pragma once

class QWidget;

// Appends a separator and an item with this text, command identifier 0x0010, to the system
// menu of the window.
void AppendAboutItem(QWidget* window, const char* text);
// True when this native message is that item's system command (the identifier masked with
// 0xFFF0, as the platform asks).
bool IsAboutCommand(const void* message);
