// The serial devices of this machine, as the system reports them, and the mapping of the port
// names COM1 to COM4 onto them that the profile keeps.
#pragma once

#include <string>
#include <vector>

struct SerialDevice {
    std::string m_strPath;         // what a port name is mapped to: /dev/ttyUSB0, COM7
    std::string m_strDescription;  // the system's description, e.g. "FT232R USB UART"
    std::string m_strManufacturer; // USB adapters only, where the system knows them
    std::string m_strProduct;
    std::string m_strSerial;
    bool m_bUsb = false;

    // One line for a list: the path, then what is known of the device.
    std::string Describe() const;
};

// The serial devices that the system lists, ordered by path. On POSIX systems and wherever the
// serial port library is at hand it lists them; the Windows build without it reads the
// system's register of serial ports.
std::vector<SerialDevice> ListSerialDevices();

// The device that the "Ports" section of the profile at profilePath maps a port name to, or ""
// when it maps none (or no profile is given).
std::string PortMapping(const std::string& strPortName, const std::string& profilePath);
// Writes the mapping of a port name ("COM1" to "COM4") into the profile's "Ports" section; an
// empty device removes the mapping's effect (the port opens its default device). False when
// the profile could not be written.
bool SetPortMapping(const std::string& strPortName, const std::string& strDevice,
                    const std::string& profilePath);
// The device a port name opens when the profile maps none: \\.\COMn on Windows, /dev/ttyS(n-1)
// elsewhere.
std::string DefaultPortDevice(const std::string& strPortName);
