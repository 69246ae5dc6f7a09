#include "link/serial_devices.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

#if defined(VRX_HAVE_LIBSERIALPORT)
#include <libserialport.h>
#elif defined(_WIN32)
#include <windows.h>
#endif

namespace fs = std::filesystem;

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

std::string Hex4(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(value) & 0xFFFFu);
    return text;
}

bool HasIds(int nVendorId, int nProductId) {
    return nVendorId >= 0 && nProductId >= 0;
}

#if defined(VRX_HAVE_LIBSERIALPORT)
std::string Text(const char* text) {
    return text ? std::string(text) : std::string();
}

// The /dev/serial/by-id/ links of the system, each beside the device it leads to. udev makes
// them from the adapter's maker, product and serial number, so they survive a replug.
void AddByIdNames(std::vector<SerialDevice>& devices) {
    std::error_code ec;
    const fs::path folder = "/dev/serial/by-id";
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::error_code linkError;
        const fs::path target = fs::canonical(it->path(), linkError);
        if (linkError)
            continue;
        for (SerialDevice& device : devices) {
            std::error_code deviceError;
            if (device.m_strById.empty() &&
                fs::canonical(device.m_strPath, deviceError) == target && !deviceError)
                device.m_strById = it->path().string();
        }
    }
}

std::optional<std::vector<SerialDevice>> SystemDevices() {
    std::vector<SerialDevice> devices;
    sp_port** ports = nullptr;
    if (sp_list_ports(&ports) != SP_OK)
        return std::nullopt;
    for (sp_port** port = ports; *port; ++port) {
        SerialDevice device;
        device.m_strPath = Text(sp_get_port_name(*port));
        device.m_strDescription = Text(sp_get_port_description(*port));
        if (sp_get_port_transport(*port) == SP_TRANSPORT_USB) {
            device.m_bUsb = true;
            device.m_strManufacturer = Text(sp_get_port_usb_manufacturer(*port));
            device.m_strProduct = Text(sp_get_port_usb_product(*port));
            device.m_strSerial = Text(sp_get_port_usb_serial(*port));
            int vid = -1;
            int pid = -1;
            if (sp_get_port_usb_vid_pid(*port, &vid, &pid) == SP_OK) {
                device.m_nVendorId = vid;
                device.m_nProductId = pid;
            }
        }
        devices.push_back(std::move(device));
    }
    sp_free_port_list(ports);
    AddByIdNames(devices);
    return devices;
}
#elif defined(_WIN32)
std::string Utf8(const std::wstring& text) {
    if (text.empty())
        return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(std::max(size, 0)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                          size, nullptr, nullptr);
    return result;
}

// A string value of an open key; "" when it has none.
std::wstring StringValue(HKEY key, const wchar_t* name) {
    wchar_t data[512];
    DWORD size = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    std::size_t length = size / sizeof(wchar_t);
    data[length] = L'\0';
    while (length > 0 && data[length - 1] == L'\0')
        --length;
    return std::wstring(data, length);
}

// The names of an open key's subkeys.
std::vector<std::wstring> SubkeyNames(HKEY key) {
    std::vector<std::wstring> names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = 256;
        if (::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

// "@oem3.inf,%ftdi%;FTDI": an installer's text reference, then the text itself.
std::string DriverText(const std::wstring& value) {
    const std::size_t semicolon = value.rfind(L';');
    return Utf8(semicolon == std::wstring::npos ? value : value.substr(semicolon + 1));
}

// The four hexadecimal digits after `tag` ("VID_", "PID_") in a hardware name; -1 when none.
int IdAfter(const std::wstring& name, const wchar_t* tag) {
    const std::size_t at = name.find(tag);
    if (at == std::wstring::npos || at + 8 > name.size())
        return -1;
    try {
        return std::stoi(name.substr(at + 4, 4), nullptr, 16);
    } catch (...) {
        return -1;
    }
}

// What the system's register of USB devices says of the adapter behind each port: its IDs and
// serial number in the names of its keys ("USB\VID_0403&PID_6001\A10KX3", or for FTDI's own
// driver "FTDIBUS\VID_0403+PID_6001+A10KX3A\0000"), its maker and description in their values.
// Devices that were unplugged keep their keys; only those of a port listed as present are taken.
void AddUsbDetails(std::vector<SerialDevice>& devices) {
    for (const wchar_t* bus :
         {L"SYSTEM\\CurrentControlSet\\Enum\\USB", L"SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS"}) {
        HKEY busKey = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, bus, 0, KEY_READ, &busKey) != ERROR_SUCCESS)
            continue;
        const bool bFtdiBus = std::wstring(bus).ends_with(L"FTDIBUS");
        for (const std::wstring& hardware : SubkeyNames(busKey)) {
            HKEY hardwareKey = nullptr;
            if (::RegOpenKeyExW(busKey, hardware.c_str(), 0, KEY_READ, &hardwareKey) !=
                ERROR_SUCCESS)
                continue;
            for (const std::wstring& instance : SubkeyNames(hardwareKey)) {
                HKEY instanceKey = nullptr;
                if (::RegOpenKeyExW(hardwareKey, instance.c_str(), 0, KEY_READ, &instanceKey) !=
                    ERROR_SUCCESS)
                    continue;
                HKEY parameters = nullptr;
                std::string port;
                if (::RegOpenKeyExW(instanceKey, L"Device Parameters", 0, KEY_READ, &parameters) ==
                    ERROR_SUCCESS) {
                    port = Utf8(StringValue(parameters, L"PortName"));
                    ::RegCloseKey(parameters);
                }
                for (SerialDevice& device : devices) {
                    if (port.empty() || device.m_bUsb ||
                        _stricmp(device.m_strPath.c_str(), port.c_str()) != 0)
                        continue;
                    device.m_bUsb = true;
                    device.m_nVendorId = IdAfter(hardware, L"VID_");
                    device.m_nProductId = IdAfter(hardware, L"PID_");
                    std::wstring serial;
                    if (bFtdiBus) {
                        // The serial number, then a letter for the chip's channel.
                        const std::size_t plus = hardware.rfind(L'+');
                        if (plus != std::wstring::npos && hardware.size() > plus + 2)
                            serial = hardware.substr(plus + 1, hardware.size() - plus - 2);
                    } else if (instance.find(L'&') == std::wstring::npos) {
                        serial = instance; // else a name the system made up for the port
                    }
                    device.m_strSerial = Utf8(serial);
                    device.m_strManufacturer = DriverText(StringValue(instanceKey, L"Mfg"));
                    device.m_strProduct = DriverText(StringValue(instanceKey, L"DeviceDesc"));
                    const std::string friendly = Utf8(StringValue(instanceKey, L"FriendlyName"));
                    if (!friendly.empty())
                        device.m_strDescription = friendly;
                }
                ::RegCloseKey(instanceKey);
            }
            ::RegCloseKey(hardwareKey);
        }
        ::RegCloseKey(busKey);
    }
}

// The system's register of serial ports present now: one value per port, its data the port name.
std::optional<std::vector<SerialDevice>> SystemDevices() {
    std::vector<SerialDevice> devices;
    HKEY key = nullptr;
    const LONG opened =
        ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key);
    if (opened == ERROR_FILE_NOT_FOUND)
        return devices; // no serial port at all
    if (opened != ERROR_SUCCESS)
        return std::nullopt;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        wchar_t data[256];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        const LONG result = ::RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                            reinterpret_cast<BYTE*>(data), &dataSize);
        if (result != ERROR_SUCCESS)
            break;
        if (type != REG_SZ)
            continue;
        const std::size_t length = dataSize / sizeof(wchar_t);
        SerialDevice entry;
        entry.m_strPath =
            Utf8(std::wstring(data, length > 0 && data[length - 1] == L'\0' ? length - 1 : length));
        entry.m_strDescription = Utf8(std::wstring(name, nameLength));
        devices.push_back(std::move(entry));
    }
    ::RegCloseKey(key);
    AddUsbDetails(devices);
    return devices;
}
#else
std::optional<std::vector<SerialDevice>> SystemDevices() {
    return std::nullopt;
}
#endif

class SystemAdapterSource : public AdapterSource {
public:
    std::optional<std::vector<SerialDevice>> Devices() const override { return SystemDevices(); }
};

} // namespace

std::string ComparableDeviceName(const std::string& path) {
#ifdef _WIN32
    std::string name = path.rfind("\\\\.\\", 0) == 0 ? path.substr(4) : path;
    for (char& c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
#else
    return path;
#endif
}

std::string AdapterIdentity::Name() const {
    std::string text = m_strMaker.empty() ? std::string() : m_strMaker + " ";
    text += "USB-serial adapter";
    if (!m_strProduct.empty())
        text += " " + m_strProduct;
    else if (HasIds(m_nVendorId, m_nProductId))
        text += " " + Hex4(m_nVendorId) + ":" + Hex4(m_nProductId);
    else if (!m_strById.empty())
        text += " " + fs::path(m_strById).filename().string();
    if (!m_strSerial.empty())
        text += " (serial " + m_strSerial + ")";
    return text;
}

AdapterIdentity IdentityOf(const SerialDevice& device) {
    AdapterIdentity identity;
    if (!device.m_bUsb && device.m_strById.empty())
        return identity;
    identity.m_nVendorId = device.m_nVendorId;
    identity.m_nProductId = device.m_nProductId;
    identity.m_strSerial = device.m_strSerial;
    identity.m_strMaker = device.m_strManufacturer;
    identity.m_strProduct = device.m_strProduct;
    identity.m_strById = device.m_strById;
    return identity;
}

const AdapterSource& SystemAdapters() {
    static const SystemAdapterSource source;
    return source;
}

std::vector<SerialDevice> ListSerialDevices() {
    std::vector<SerialDevice> devices =
        SystemAdapters().Devices().value_or(std::vector<SerialDevice>{});
    std::sort(devices.begin(), devices.end(), [](const SerialDevice& a, const SerialDevice& b) {
        return a.m_strPath < b.m_strPath;
    });
    return devices;
}

const SerialDevice* FindListedDevice(const std::vector<SerialDevice>& devices,
                                     const std::string& path) {
    if (path.empty())
        return nullptr;
    const std::string wanted = ComparableDeviceName(path);
    for (const SerialDevice& device : devices) {
        if (ComparableDeviceName(device.m_strPath) == wanted || device.m_strById == path)
            return &device;
    }
#ifndef _WIN32
    // A link to a device (a /dev/serial/by-id/ name, a link of the technician's own) names it.
    std::error_code ec;
    const fs::path target = fs::canonical(path, ec);
    if (ec)
        return nullptr;
    for (const SerialDevice& device : devices) {
        std::error_code deviceError;
        if (fs::canonical(device.m_strPath, deviceError) == target && !deviceError)
            return &device;
    }
#endif
    return nullptr;
}

AdapterMatch FindAdapter(const AdapterIdentity& identity, const std::vector<SerialDevice>& devices,
                         const std::string& lastPath) {
    AdapterMatch match;
    std::vector<const SerialDevice*> alike;
    for (const SerialDevice& device : devices) {
        bool bAlike = false;
        if (HasIds(identity.m_nVendorId, identity.m_nProductId))
            // An adapter without a serial number is alike only to others without one.
            bAlike = device.m_nVendorId == identity.m_nVendorId &&
                     device.m_nProductId == identity.m_nProductId &&
                     device.m_strSerial == identity.m_strSerial;
        else if (!identity.m_strById.empty())
            bAlike = device.m_strById == identity.m_strById;
        if (bAlike)
            alike.push_back(&device);
    }
    match.m_nAlike = static_cast<int>(alike.size());
    if (alike.size() == 1) {
        match.m_pDevice = alike.front();
    } else if (alike.size() > 1) {
        // Adapters without serial numbers look alike: the one where the port was last is its own.
        const SerialDevice* last = FindListedDevice(devices, lastPath);
        if (last != nullptr && std::find(alike.begin(), alike.end(), last) != alike.end())
            match.m_pDevice = last;
    }
    return match;
}
