#include "link/port_mapping.h"

#include "link/network_line.h"
#include "link/profile.h"

#include <cstdio>
#include <utility>
#include <vector>

namespace {

// A value no profile can hold (a control character is never written): the key is missing.
const std::string kMissing = "\n";

bool IsPortName(const std::string& name) {
    return name.size() == 4 && name.compare(0, 3, "COM") == 0 && name[3] >= '1' && name[3] <= '4';
}

// The keys beside COMn that keep the adapter it stands for.
std::string Key(const std::string& port, const char* part) {
    return port + "." + part;
}

std::string UsbIds(const AdapterIdentity& adapter) {
    if (adapter.m_nVendorId < 0 || adapter.m_nProductId < 0)
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%04x:%04x",
                  static_cast<unsigned>(adapter.m_nVendorId) & 0xFFFFu,
                  static_cast<unsigned>(adapter.m_nProductId) & 0xFFFFu);
    return text;
}

void ParseUsbIds(const std::string& text, AdapterIdentity& adapter) {
    unsigned vendor = 0;
    unsigned product = 0;
    char end = 0;
    if (std::sscanf(text.c_str(), "%4x:%4x%c", &vendor, &product, &end) == 2) {
        adapter.m_nVendorId = static_cast<int>(vendor);
        adapter.m_nProductId = static_cast<int>(product);
    }
}

std::optional<PortMappingEntry> ReadEntry(const std::string& port, const std::string& path) {
    if (path.empty())
        return std::nullopt;
    const std::string device = GetPrivateProfileString("Ports", port, kMissing, path);
    if (device == kMissing)
        return std::nullopt;
    PortMappingEntry entry;
    entry.m_strDevice = device;
    const auto value = [&](const char* part) {
        return GetPrivateProfileString("Ports", Key(port, part), "", path);
    };
    ParseUsbIds(value("Usb"), entry.m_adapter);
    entry.m_adapter.m_strSerial = value("Serial");
    entry.m_adapter.m_strMaker = value("Maker");
    entry.m_adapter.m_strProduct = value("Product");
    entry.m_adapter.m_strById = value("ById");
    return entry;
}

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

// The device as the system opens it.
std::string OpenableDevice(const std::string& device) {
#ifdef _WIN32
    if (IsBarePortName(device))
        return "\\\\.\\" + device;
#endif
    return device;
}

} // namespace

std::optional<PortMappingEntry> ReadPortMapping(const std::string& strPortName,
                                                const std::string& profilePath) {
    if (!IsPortName(strPortName))
        return std::nullopt;
    // The machine's own mapping first: the library's profile may be another laptop's.
    if (auto own = ReadEntry(strPortName, MachineProfilePath(profilePath)))
        return own;
    return ReadEntry(strPortName, profilePath);
}

std::string PortMapping(const std::string& strPortName, const std::string& profilePath) {
    const std::optional<PortMappingEntry> entry = ReadPortMapping(strPortName, profilePath);
    return entry ? entry->m_strDevice : std::string();
}

bool SetPortMapping(const std::string& strPortName, const std::string& strDevice,
                    const std::string& profilePath, const AdapterIdentity& adapter) {
    if (!IsPortName(strPortName) || profilePath.empty())
        return false;
    // One write: a device never stands beside another adapter's identity.
    const AdapterIdentity none;
    const AdapterIdentity& kept = strDevice.empty() ? none : adapter;
    return WriteMachineProfileStrings("Ports",
                                      {{strPortName, strDevice},
                                       {Key(strPortName, "Usb"), UsbIds(kept)},
                                       {Key(strPortName, "Serial"), kept.m_strSerial},
                                       {Key(strPortName, "Maker"), kept.m_strMaker},
                                       {Key(strPortName, "Product"), kept.m_strProduct},
                                       {Key(strPortName, "ById"), kept.m_strById}},
                                      profilePath);
}

bool SetPortMapping(const std::string& strPortName, const std::string& strDevice,
                    const std::string& profilePath) {
    AdapterIdentity adapter;
    if (!strDevice.empty() && !IsNetworkPortName(strDevice)) {
        const std::vector<SerialDevice> devices = ListSerialDevices();
        if (const SerialDevice* device = FindListedDevice(devices, strDevice))
            adapter = IdentityOf(*device);
    }
    return SetPortMapping(strPortName, strDevice, profilePath, adapter);
}

std::string DefaultPortDevice(const std::string& strPortName) {
    if (!IsPortName(strPortName))
        return {};
#ifdef _WIN32
    return "\\\\.\\" + strPortName;
#else
    return std::string("/dev/ttyS") + static_cast<char>('0' + (strPortName[3] - '1'));
#endif
}

ResolvedPort ResolvePort(const std::string& strPortName, const std::string& profilePath,
                         const AdapterSource& adapters) {
    ResolvedPort resolved;
    if (!IsPortName(strPortName))
        return resolved;
    const std::optional<PortMappingEntry> entry = ReadPortMapping(strPortName, profilePath);
    if (!entry || entry->m_strDevice.empty()) {
        resolved.m_strDevice = DefaultPortDevice(strPortName);
        return resolved;
    }
    resolved.m_strDevice = OpenableDevice(entry->m_strDevice);
    resolved.m_adapter = entry->m_adapter;
    if (!entry->m_adapter.IsKnown())
        return resolved;
    // The adapter is looked up by what it is, not by the name the system gave it last time.
    const std::optional<std::vector<SerialDevice>> devices = adapters.Devices();
    if (!devices)
        return resolved;
    const AdapterMatch match = FindAdapter(entry->m_adapter, *devices, entry->m_strDevice);
    if (match.m_pDevice == nullptr) {
        resolved.m_nProblem =
            match.m_nAlike > 1 ? PortOpenReason::AdapterAmbiguous : PortOpenReason::AdapterAbsent;
        return resolved;
    }
    // Where the mapping was made through a stable name (a /dev/serial/by-id/ link) that still
    // leads to the adapter, that name is kept.
    if (FindListedDevice(*devices, entry->m_strDevice) != match.m_pDevice)
        resolved.m_strDevice = OpenableDevice(match.m_pDevice->m_strPath);
    return resolved;
}

std::string PortNameProblem(const std::string& strName) {
    if (HasControlCharacter(strName))
        return "The port name holds a control character (a line break, a tab or the like). Give "
               "the device's path or the network port alone.";
    if (IsNetworkPortName(strName) && !ParseNetworkPortName(strName))
        return PortOpenFailure{strName, PortOpenReason::BadNetworkName, 0, {}}.Reason();
    return {};
}
