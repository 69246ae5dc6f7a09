#include "app/config_app.h"

#include "ui/about_dlg.h"
#include "ui/main_dlg.h"

#include <QIcon>

CConfigApp::CConfigApp(int& argc, char** argv) : QApplication(argc, argv) {
    setWindowIcon(ApplicationIcon());
}

int CConfigApp::InitInstance() {
    CMainDlg dialog;
    dialog.exec();
    return 0;
}
