#include "ui/launcher.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

#ifdef Q_OS_WIN
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <shellapi.h>
#endif

namespace {

class DesktopLauncher : public Launcher {
public:
#ifdef Q_OS_WIN
    // The shell starts the program with the file as its parameter and returns at once.
    bool Open(LaunchProgram program, const std::string& path) override {
        const char* file = program == LaunchProgram::TextEditor ? "Notepad" : "Wordpad";
        // The shell reports success with a value above 32.
        return reinterpret_cast<INT_PTR>(
                   ShellExecuteA(nullptr, "open", file, path.c_str(), nullptr, SW_SHOWNORMAL)) > 32;
    }
#else
    // The desktop chooses the application by the file's type.
    bool Open(LaunchProgram, const std::string& path) override {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(
            QDir::cleanPath(QDir::current().absoluteFilePath(QString::fromStdString(path)))));
    }
#endif
};

DesktopLauncher g_desktopLauncher;
Launcher* g_pLauncher = &g_desktopLauncher;

} // namespace

Launcher& CurrentLauncher() {
    return *g_pLauncher;
}

void SetLauncher(Launcher* launcher) {
    g_pLauncher = launcher ? launcher : &g_desktopLauncher;
}
