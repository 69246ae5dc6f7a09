// The serial devices of this machine, as the system reports them, and what tells one USB
// adapter from another whatever device name the system gives it today.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct SerialDevice {
    std::string m_strPath;         // what a port name is mapped to: /dev/ttyUSB0, COM7
    std::string m_strDescription;  // the system's description, e.g. "FT232R USB UART"
    std::string m_strManufacturer; // USB adapters only, where the system knows them
    std::string m_strProduct;
    std::string m_strSerial;
    bool m_bUsb = false;
    int m_nVendorId = -1;    // USB adapters: the vendor and product IDs, -1 when unknown
    int m_nProductId = -1;   //
    std::string m_strById{}; // Linux: the /dev/serial/by-id/ link that leads to the device

    // One line for a list: the path, then what is known of the device.
    std::string Describe() const;
};

// A device name as the system compares it: on Windows without the \\.\ prefix and ignoring
// letter case (\\.\COM7, COM7 and com7 are one port); elsewhere the name as it is.
std::string ComparableDeviceName(const std::string& path);

// A USB adapter as the system reports it: its vendor and product IDs and serial number (or, on
// Linux, its /dev/serial/by-id/ name), with its maker and product for the technician. A replug
// or another hub gives the adapter another device name (/dev/ttyUSB0 becomes /dev/ttyUSB1, COM7
// becomes COM9); its identity stays.
struct AdapterIdentity {
    int m_nVendorId = -1;
    int m_nProductId = -1;
    std::string m_strSerial;
    std::string m_strMaker;
    std::string m_strProduct;
    std::string m_strById;

    // True when there is anything to look the adapter up by.
    bool IsKnown() const { return (m_nVendorId >= 0 && m_nProductId >= 0) || !m_strById.empty(); }
    // The adapter in the technician's words: "FTDI USB-serial adapter FT232R (serial A10KX3)";
    // the IDs ("USB-serial adapter 0403:6001") where maker and product are unknown.
    std::string Name() const;
};

// The identity of a listed device; unknown (IsKnown() false) for one that is not a USB adapter.
AdapterIdentity IdentityOf(const SerialDevice& device);

// Where the devices plugged in now are learnt: the system (SystemAdapters), or a test's list.
class AdapterSource {
public:
    virtual ~AdapterSource() = default;
    // The serial devices the system lists now, or nullopt when it cannot tell (no serial port
    // library in this build, or the listing failed).
    virtual std::optional<std::vector<SerialDevice>> Devices() const = 0;
};

// The system's own list: the serial port library where it is at hand, else on Windows the
// system's register of serial ports and of USB devices.
const AdapterSource& SystemAdapters();

// The serial devices that the system lists, ordered by path; empty when it cannot tell.
std::vector<SerialDevice> ListSerialDevices();

// The listed device that path names, as it is or through a link (a /dev/serial/by-id/ name
// leads to its /dev/ttyUSBn); nullptr when none.
const SerialDevice* FindListedDevice(const std::vector<SerialDevice>& devices,
                                     const std::string& path);

// Which of the devices plugged in is the adapter of `identity`.
struct AdapterMatch {
    const SerialDevice* m_pDevice = nullptr; // the adapter; nullptr when none or unclear
    int m_nAlike = 0; // how many adapters answered to the identity (2 or more: unclear)
};
// With a serial number the adapter is the one of the same IDs and serial number. Without one the
// IDs tell it when exactly one such adapter without a serial number is plugged in; of several,
// the one at lastPath (where it was last) is taken, else none. Without IDs, its
// /dev/serial/by-id/ name.
AdapterMatch FindAdapter(const AdapterIdentity& identity, const std::vector<SerialDevice>& devices,
                         const std::string& lastPath);
