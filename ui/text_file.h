// What the program's own windows for text files share: reading a file to show it, the text area
// that holds it, and the window that owns them.
#pragma once

#include <QByteArray>

#include <filesystem>

class Prompt;
class QDialog;
class QPlainTextEdit;
class QWidget;

// Reads the file whole to show it: only a regular file (never a folder, a device or a pipe that
// would block) of at most a few megabytes. False, after saying why through prompt, otherwise.
bool ReadForShowing(Prompt& prompt, const std::filesystem::path& file, QByteArray& bytes);

// A fixed-pitch text area filling the dialog, wide enough for the report's 80 columns; without
// bWrap its lines are not wrapped.
QPlainTextEdit* AddTextArea(QDialog* dialog, bool bWrap);

// The program's own windows belong to the window that asked for them and close with it.
QWidget* OwnerWindow(QWidget* owner);
