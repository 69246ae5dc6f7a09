#include "link/serial_port.h"

#include "link/profile.h"

CSerialPort g_SerialPort;

std::string ResolvePortDevice(const std::string& name) {
    if (name.size() != 4 || name.compare(0, 3, "COM") != 0 || name[3] < '1' || name[3] > '4') {
        return {};
    }
#ifdef _WIN32
    return "\\\\.\\" + name;
#else
    // The mapping is read each time a port is opened, so a simulator or adapter named in the
    // profile is found without restarting the program.
    if (!g_PortSettings.ProfilePath.empty()) {
        std::string device = GetPrivateProfileString("Ports", name, "", g_PortSettings.ProfilePath);
        if (!device.empty()) {
            return device;
        }
    }
    return std::string("/dev/ttyS") + static_cast<char>('0' + (name[3] - '1'));
#endif
}

// The device a port name stands for is looked up at every Open, so a mapping changed in the
// profile takes effect without restarting the program.
void CSerialPort::Open(std::string name) {
    Close();
    m_failure = PortOpenFailure{};
    m_bOtherReader = false;
    const std::string device = ResolvePortDevice(name);
    if (device.empty()) {
        Fail(std::string(), PortOpenReason::NotAPort, 0);
        return;
    }
    OpenDevice(device);
}

std::string CSerialPort::Problem() const {
    if (!IsOpen())
        return m_failure.Reason();
    if (m_bOtherReader) {
        PortOpenFailure inUse;
        inUse.m_strDevice = m_strDevice;
        inUse.m_nReason = PortOpenReason::InUse;
        return inUse.Reason();
    }
    return {};
}
