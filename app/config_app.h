// The application object: the program's whole life is one run of the main dialog.
#pragma once

#include <QApplication>

class CConfigApp : public QApplication {
    Q_OBJECT
public:
    CConfigApp(int& argc, char** argv);
    // Runs the main dialog modally; its result is not examined. Returns the exit status.
    int InitInstance();
};
