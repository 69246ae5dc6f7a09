#include "link/serial_port.h"

#include "link/profile.h"

#include <cctype>

namespace {

// The adapter that the system lists at device, where it is a USB adapter.
AdapterIdentity ListedAdapter(const std::string& device, const AdapterSource& adapters) {
    if (IsNetworkPortName(device))
        return {};
    const std::optional<std::vector<SerialDevice>> devices = adapters.Devices();
    if (!devices)
        return {};
    const SerialDevice* listed = FindListedDevice(*devices, device);
    return listed ? IdentityOf(*listed) : AdapterIdentity{};
}

// "COM1" to "COM4" in any letter case, as "COM1" to "COM4"; "" for any other name.
std::string PortNameOf(const std::string& name) {
    if (name.size() != 4 || std::toupper(static_cast<unsigned char>(name[0])) != 'C' ||
        std::toupper(static_cast<unsigned char>(name[1])) != 'O' ||
        std::toupper(static_cast<unsigned char>(name[2])) != 'M' || name[3] < '1' || name[3] > '4')
        return {};
    return "COM" + name.substr(3);
}

} // namespace

std::string ResolvePortDevice(const std::string& name, const std::string& profilePath) {
    // The mapping is read each time a port is opened, so a simulator or adapter named in the
    // profile is found without restarting the program.
    return ResolvePort(name, profilePath, SystemAdapters()).m_strDevice;
}

void OpenNamedPort(CSerialPort& port, const std::string& name, const std::string& profilePath) {
    const std::string portName = PortNameOf(name);
    if (portName.empty())
        port.OpenDevice(name);
    else
        port.Open(portName, profilePath);
}

// The device a port name stands for is looked up at every Open, so a mapping changed in the
// profile, or an adapter plugged in under another name, takes effect without restarting.
void CSerialPort::Open(const std::string& name, const std::string& profilePath,
                       const AdapterSource& adapters) {
    Close();
    m_failure = PortOpenFailure{};
    m_bOtherReader = false;
    m_bLost = false;
    m_strPort = name;
    m_adapter = AdapterIdentity{};
    // A profile that cannot be read leaves the port's device unknown: opening the default device
    // instead would fail for another reason, or open the wrong device.
    for (const std::string& profile : {profilePath, MachineProfilePath(profilePath)}) {
        if (std::string problem = ProfileProblem(profile); !problem.empty()) {
            Fail(profile, PortOpenReason::ProfileUnreadable, 0);
            m_failure.m_strSystemText = std::move(problem);
            return;
        }
    }
    const ResolvedPort resolved = ResolvePort(name, profilePath, adapters);
    if (resolved.m_strDevice.empty()) {
        Fail(std::string(), PortOpenReason::NotAPort, 0);
        return;
    }
    if (resolved.m_nProblem != PortOpenReason::None) {
        // The mapped adapter is not plugged in (or cannot be told from its like): the device it
        // had last may now be another adapter, which is never opened in its place.
        m_strDevice = resolved.m_strDevice;
        m_adapter = resolved.m_adapter;
        Fail(resolved.m_strDevice, resolved.m_nProblem, 0);
        m_failure.m_strPort = name;
        m_failure.m_strAdapter = m_adapter.Name();
        return;
    }
    OpenAs(resolved.m_strDevice, name,
           resolved.m_adapter.IsKnown() ? resolved.m_adapter
                                        : ListedAdapter(resolved.m_strDevice, adapters));
}

void CSerialPort::OpenDevice(std::string device, const AdapterSource& adapters) {
    AdapterIdentity adapter = ListedAdapter(device, adapters);
    OpenAs(std::move(device), std::string(), std::move(adapter));
}

void CSerialPort::OpenAs(std::string device, std::string strPort, AdapterIdentity adapter) {
    if (IsNetworkPortName(device)) {
        Close();
        m_bOtherReader = false;
        m_strDevice = device;
        auto network = std::make_unique<NetworkLine>();
        m_failure = network->Open(device);
        if (m_failure.m_nReason == PortOpenReason::None)
            m_pNetwork = std::move(network);
    } else {
        OpenTty(std::move(device));
    }
    m_bLost = false;
    m_strPort = std::move(strPort);
    m_adapter = std::move(adapter);
    if (m_failure.m_nReason != PortOpenReason::None) {
        m_failure.m_strPort = m_strPort;
        m_failure.m_strAdapter = m_adapter.IsKnown() ? m_adapter.Name() : std::string();
    }
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

std::string CSerialPort::Describe() const {
    std::string text = m_strPort.empty() ? m_strDevice : m_strPort + " on " + m_strDevice;
    if (m_adapter.IsKnown())
        text += ", " + m_adapter.Name();
    return text;
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
        inUse.m_strAdapter = m_adapter.IsKnown() ? m_adapter.Name() : std::string();
        return inUse.Reason();
    }
    return {};
}
