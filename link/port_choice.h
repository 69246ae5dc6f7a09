// Which port a command on a screen uses: the screen's own port (its Port.txt) when it has one,
// else the port chosen with the COM1..COM4 buttons. The window and the command-line tool choose
// alike and say so in a line of their own; the status texts stay as they are.
#pragma once

#include <string>

struct PortChoice {
    // The port to open (OpenNamedPort): "COM1" to "COM4", a device or a network port; "" when
    // the screen's own port cannot be used.
    std::string m_strPort;
    bool m_bScreensOwn = false; // the screen's own port, not the checked COM button's
    // Why the screen's own port cannot be used, with what to do; "" when it can.
    std::string m_strProblem;

    // One line for the technician when the screen's own port is used; "" otherwise.
    std::string Explanation() const;
};

// strScreenPort is the name a screen's Port.txt holds ("" when it has none), strReadProblem why
// its Port.txt cannot be read ("" when it can or there is none), nButtonPort the checked button's
// port (0 to 3). A name that holds a control character or is not a well-formed network port is
// a problem, as it would be in a mapping.
PortChoice ChoosePort(const std::string& strScreenPort, const std::string& strReadProblem,
                      int nButtonPort);
