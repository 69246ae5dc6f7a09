// The About box: the application icon, the version line and OK.
#pragma once

#include <QDialog>

class Launcher;
class WindowPrompt;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    // F1 opens the help document through launcher; boxes says when it cannot.
    CAboutDlg(WindowPrompt& boxes, Launcher& launcher, QWidget* parent = nullptr);
};

// The application icon (32 by 32 and 16 by 16 images).
class QIcon;
QIcon ApplicationIcon();
