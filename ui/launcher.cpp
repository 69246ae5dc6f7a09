#include "ui/launcher.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

#ifdef Q_OS_WIN
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <shellapi.h>

// The shell starts the program with the file as its parameter and returns at once.
bool CDesktopLauncher::Open(LaunchProgram program, const std::string& path) {
    const char* file = program == LaunchProgram::TextEditor ? "Notepad" : "Wordpad";
    // The shell reports success with a value above 32.
    return reinterpret_cast<INT_PTR>(
               ShellExecuteA(nullptr, "open", file, path.c_str(), nullptr, SW_SHOWNORMAL)) > 32;
}
#else
// The desktop chooses the application by the file's type.
bool CDesktopLauncher::Open(LaunchProgram, const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(
        QDir::cleanPath(QDir::current().absoluteFilePath(QString::fromStdString(path)))));
}
#endif
