#include "link/port_choice.h"

#include "link/port_mapping.h"
#include "link/profile.h"

std::string PortChoice::Explanation() const {
    if (!m_bScreensOwn || m_strPort.empty())
        return {};
    return "The screen's own port " + m_strPort + " (its Port.txt) is used, not the COM button's.";
}

PortChoice ChoosePort(const std::string& strScreenPort, const std::string& strReadProblem,
                      int nButtonPort) {
    PortChoice choice;
    if (!strReadProblem.empty()) {
        choice.m_bScreensOwn = true;
        choice.m_strProblem = strReadProblem;
        return choice;
    }
    if (strScreenPort.empty()) {
        choice.m_strPort = PortName(nButtonPort);
        return choice;
    }
    choice.m_bScreensOwn = true;
    if (const std::string problem = PortNameProblem(strScreenPort); !problem.empty()) {
        choice.m_strProblem = "The screen's own port cannot be used. " + problem;
        return choice;
    }
    choice.m_strPort = strScreenPort;
    return choice;
}
