// The application object: the program's whole life is one run of the main dialog.
#pragma once

#include <QApplication>

class CConfigApp : public QApplication {
    Q_OBJECT
public:
    CConfigApp(int& argc, char** argv);
    // Opens the library folder (the one named on the command line, else the working directory
    // when it is a library, else the library used last, else the default folder), then runs the
    // main dialog modally; its result is not examined. Returns the exit status.
    int InitInstance();
};
