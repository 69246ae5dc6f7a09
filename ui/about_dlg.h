// The About box: the application icon, the version line and OK.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

// The application icon (32 by 32 and 16 by 16 images).
class QIcon;
QIcon ApplicationIcon();
