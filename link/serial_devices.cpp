#include "link/serial_devices.h"

#include "link/profile.h"

#include <algorithm>

#if defined(VRX_HAVE_LIBSERIALPORT)
#include <libserialport.h>
#elif defined(_WIN32)
#include <windows.h>
// The profile functions of link/profile.h share their names with the system's macros.
#undef GetPrivateProfileString
#undef WritePrivateProfileString
#endif

std::string SerialDevice::Describe() const {
    std::string text = m_strPath;
    std::string detail = m_strDescription;
    for (const std::string* part : {&m_strManufacturer, &m_strProduct}) {
        if (!part->empty() && detail.find(*part) == std::string::npos)
            detail += (detail.empty() ? "" : ", ") + *part;
    }
    if (!m_strSerial.empty())
        detail += (detail.empty() ? "serial number " : ", serial number ") + m_strSerial;
    if (!detail.empty())
        text += " (" + detail + ")";
    return text;
}

namespace {

#if defined(VRX_HAVE_LIBSERIALPORT)
std::string Text(const char* text) {
    return text ? std::string(text) : std::string();
}

std::vector<SerialDevice> SystemDevices() {
    std::vector<SerialDevice> devices;
    sp_port** ports = nullptr;
    if (sp_list_ports(&ports) != SP_OK)
        return devices;
    for (sp_port** port = ports; *port; ++port) {
        SerialDevice device;
        device.m_strPath = Text(sp_get_port_name(*port));
        device.m_strDescription = Text(sp_get_port_description(*port));
        if (sp_get_port_transport(*port) == SP_TRANSPORT_USB) {
            device.m_bUsb = true;
            device.m_strManufacturer = Text(sp_get_port_usb_manufacturer(*port));
            device.m_strProduct = Text(sp_get_port_usb_product(*port));
            device.m_strSerial = Text(sp_get_port_usb_serial(*port));
        }
        devices.push_back(std::move(device));
    }
    sp_free_port_list(ports);
    return devices;
}
#elif defined(_WIN32)
// The system's register of serial ports: one value per port, its data the port name.
std::vector<SerialDevice> SystemDevices() {
    std::vector<SerialDevice> devices;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return devices;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        wchar_t data[256];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        const LONG result = RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &dataSize);
        if (result != ERROR_SUCCESS)
            break;
        if (type != REG_SZ)
            continue;
        const std::size_t length = dataSize / sizeof(wchar_t);
        std::wstring port(data, length > 0 && data[length - 1] == L'\0' ? length - 1 : length);
        std::wstring device(name, nameLength);
        SerialDevice entry;
        entry.m_strPath = std::string(port.begin(), port.end());
        entry.m_strDescription = std::string(device.begin(), device.end());
        devices.push_back(std::move(entry));
    }
    RegCloseKey(key);
    return devices;
}
#else
std::vector<SerialDevice> SystemDevices() {
    return {};
}
#endif

bool IsPortName(const std::string& name) {
    return name.size() == 4 && name.compare(0, 3, "COM") == 0 && name[3] >= '1' && name[3] <= '4';
}

} // namespace

std::vector<SerialDevice> ListSerialDevices() {
    std::vector<SerialDevice> devices = SystemDevices();
    std::sort(devices.begin(), devices.end(), [](const SerialDevice& a, const SerialDevice& b) {
        return a.m_strPath < b.m_strPath;
    });
    return devices;
}

std::string PortMapping(const std::string& strPortName, const std::string& profilePath) {
    if (!IsPortName(strPortName) || profilePath.empty())
        return {};
    return GetPrivateProfileString("Ports", strPortName, "", profilePath);
}

bool SetPortMapping(const std::string& strPortName, const std::string& strDevice,
                    const std::string& profilePath) {
    if (!IsPortName(strPortName) || profilePath.empty())
        return false;
    return WritePrivateProfileString("Ports", strPortName, strDevice, profilePath);
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
