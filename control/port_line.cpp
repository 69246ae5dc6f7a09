#include "control/port_line.h"

#include "link/find_processor.h"
#include "link/serial_port.h"

#include <filesystem>

std::string PortLineState::DeviceName() const {
    return std::filesystem::path(m_strDevice).filename().string();
}

std::string PortLineState::Tip() const {
    std::string tip = m_strPort + " is " + m_strDevice + (m_bOpen ? ": open" : ": not open");
    if (!m_bOpen && !m_strProblem.empty())
        tip += "\n" + m_strProblem;
    return tip;
}

std::string PortLineState::PortTip(int index) const {
    return PortName(index) + " is " + m_portDevices.at(static_cast<std::size_t>(index));
}

CPortLine::CPortLine(CSerialPort& port, FrameCodec& codec, PortSettings& settings)
    : m_port(port), m_codec(codec), m_settings(settings) {
    m_opener = [this](const std::string& name) {
        OpenNamedPort(m_port, name, m_settings.ProfilePath);
        return m_port.LastOpenFailure().Reason();
    };
    m_probe = [this] { return m_port.Probe(); };
}

void CPortLine::Select(int index) {
    m_settings.PortIndex = index;
    m_strProblem = m_opener(PortName(index));
    SavePortSetting(m_settings);
}

void CPortLine::Open() {
    m_strProblem = m_opener(PortName(m_settings.PortIndex));
}

void CPortLine::ReopenIfGone() {
    if (m_bShownOpen && !IsOpenNow())
        Open();
}

void CPortLine::PrepareTransfer() {
    if (!IsOpenNow() || m_bLastTransferFailed)
        Open();
}

PortChoice CPortLine::PrepareTransferFor(const ScreenPort& own) {
    const PortChoice choice = ChoosePort(own.m_strName, own.m_strProblem, m_settings.PortIndex);
    if (!choice.m_strProblem.empty())
        return choice;
    if (choice.m_bScreensOwn) {
        // Its reason, if any, is the transfer's to report: the port line keeps the COM port's.
        m_opener(choice.m_strPort);
        m_bOnScreensPort = true;
    } else {
        PrepareTransfer();
    }
    return choice;
}

void CPortLine::TransferEnded(TransferResult result) {
    m_bLastTransferFailed =
        result == TransferResult::StageFailed || result == TransferResult::PortNotOpen;
    if (m_bOnScreensPort) {
        m_bOnScreensPort = false;
        Open();
    }
}

PortLineState CPortLine::Check() {
    PortLineState state;
    for (int i = 0; i < 4; ++i)
        state.m_portDevices.at(static_cast<std::size_t>(i)) =
            ResolvePortDevice(PortName(i), m_settings.ProfilePath);
    state.m_strPort = PortName(m_settings.PortIndex);
    state.m_strDevice = ResolvePortDevice(state.m_strPort, m_settings.ProfilePath);
    state.m_bOpen = IsOpenNow();
    state.m_strProblem = m_strProblem;
    m_bShownOpen = state.m_bOpen;
    return state;
}

std::vector<std::string>
CPortLine::FindProcessor(const std::vector<std::string>& candidates,
                         const std::function<void(const std::string&)>& progress) {
    const HeldPort held{m_port, m_codec};
    return ::FindProcessor(candidates, progress, &held);
}

void CPortLine::SetTrace(bool bOn, std::string strPath) {
    m_bTrace = bOn;
    m_strTracePath = std::move(strPath);
}
