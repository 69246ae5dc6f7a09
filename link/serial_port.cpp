#include "link/serial_port.h"

#include "link/profile.h"
#include "link/serial_devices.h"

CSerialPort g_SerialPort;

namespace {

#ifdef _WIN32
// "COM" and a number: a port name that the system opens as \\.\COMn (needed from COM10 on).
bool IsBarePortName(const std::string& device) {
    if (device.size() < 4 || device.size() > 6 || (device[0] != 'C' && device[0] != 'c') ||
        (device[1] != 'O' && device[1] != 'o') || (device[2] != 'M' && device[2] != 'm')) {
        return false;
    }
    for (std::size_t i = 3; i < device.size(); ++i) {
        if (device[i] < '0' || device[i] > '9') {
            return false;
        }
    }
    return true;
}
#endif

} // namespace

std::string ResolvePortDevice(const std::string& name) {
    // The mapping is read each time a port is opened, so a simulator or adapter named in the
    // profile is found without restarting the program.
    const std::string device = PortMapping(name);
    if (device.empty()) {
        return DefaultPortDevice(name);
    }
#ifdef _WIN32
    if (IsBarePortName(device)) {
        return "\\\\.\\" + device;
    }
#endif
    return device;
}

// The device a port name stands for is looked up at every Open, so a mapping changed in the
// profile takes effect without restarting the program.
void CSerialPort::Open(std::string name) {
    Close();
    m_failure = PortOpenFailure{};
    m_bOtherReader = false;
    // A profile that cannot be read leaves the port's device unknown: opening the default device
    // instead would fail for another reason, or open the wrong device.
    if (std::string problem = ProfileProblem(g_PortSettings.ProfilePath); !problem.empty()) {
        Fail(g_PortSettings.ProfilePath, PortOpenReason::ProfileUnreadable, 0);
        m_failure.m_strSystemText = std::move(problem);
        return;
    }
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
