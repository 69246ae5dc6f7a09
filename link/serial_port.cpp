#include "link/serial_port.h"

#include "link/profile.h"
#include "link/serial_devices.h"

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

std::string ResolvePortDevice(const std::string& name, const std::string& profilePath) {
    // The mapping is read each time a port is opened, so a simulator or adapter named in the
    // profile is found without restarting the program.
    const std::string device = PortMapping(name, profilePath);
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
void CSerialPort::Open(const std::string& name, const std::string& profilePath) {
    Close();
    m_failure = PortOpenFailure{};
    m_bOtherReader = false;
    // A profile that cannot be read leaves the port's device unknown: opening the default device
    // instead would fail for another reason, or open the wrong device.
    if (std::string problem = ProfileProblem(profilePath); !problem.empty()) {
        Fail(profilePath, PortOpenReason::ProfileUnreadable, 0);
        m_failure.m_strSystemText = std::move(problem);
        return;
    }
    const std::string device = ResolvePortDevice(name, profilePath);
    if (device.empty()) {
        Fail(std::string(), PortOpenReason::NotAPort, 0);
        return;
    }
    OpenDevice(device);
}

void CSerialPort::OpenDevice(std::string device) {
    if (!IsNetworkPortName(device)) {
        OpenTty(std::move(device));
        return;
    }
    Close();
    m_bOtherReader = false;
    m_strDevice = device;
    auto network = std::make_unique<NetworkLine>();
    m_failure = network->Open(device);
    if (m_failure.m_nReason == PortOpenReason::None)
        m_pNetwork = std::move(network);
}

void CSerialPort::Close() {
    m_pNetwork.reset();
    CloseTty();
}

void CSerialPort::Write(const std::uint8_t* buffer, std::size_t length) {
    if (m_pNetwork)
        m_pNetwork->Write(buffer, length);
    else
        WriteTty(buffer, length);
}

int CSerialPort::ReadByte() {
    return m_pNetwork ? m_pNetwork->ReadByte() : ReadTtyByte();
}

bool CSerialPort::IsOpen() const {
    return m_pNetwork ? m_pNetwork->IsOpen() : IsTtyOpen();
}

bool CSerialPort::Probe() {
    // A device server that closed the connection has been seen by the last read.
    return m_pNetwork ? m_pNetwork->IsOpen() : ProbeTty();
}

std::string CSerialPort::Problem() const {
    if (m_pNetwork)
        return m_pNetwork->Problem();
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
