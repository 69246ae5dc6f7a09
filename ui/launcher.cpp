#include "ui/launcher.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace {

class DesktopLauncher : public Launcher {
public:
    void Open(const std::string& path) override {
        QDesktopServices::openUrl(QUrl::fromLocalFile(
            QDir::cleanPath(QDir::current().absoluteFilePath(QString::fromStdString(path)))));
    }
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
