// The port names COM1 to COM4 on this machine: the device or USB adapter each stands for, kept
// in the machine's own profile in the library (a laptop's mapping never takes another's), with
// the library profile's "Ports" section, as earlier versions wrote it, read where the machine's
// own has no entry.
#pragma once

#include "link/port_open_failure.h"
#include "link/serial_devices.h"

#include <optional>
#include <string>

// One port's mapping as a profile keeps it.
struct PortMappingEntry {
    std::string m_strDevice;   // the device it stands for; "" for the port's default device
    AdapterIdentity m_adapter; // the USB adapter it stood for when it was mapped, where known
};

// The mapping of a port name ("COM1" to "COM4") from the machine's own profile, else from the
// "Ports" section of the library's profile at profilePath; nullopt when neither maps it (or the
// name is not a port).
std::optional<PortMappingEntry> ReadPortMapping(const std::string& strPortName,
                                                const std::string& profilePath);
// The device that the mapping names, "" when there is none.
std::string PortMapping(const std::string& strPortName, const std::string& profilePath);
// Writes the mapping of a port name into the machine's own profile, the adapter's identity beside
// the device in one write; an empty device maps the port to its default device. False when the
// profile could not be written or the name is not a port.
bool SetPortMapping(const std::string& strPortName, const std::string& strDevice,
                    const std::string& profilePath, const AdapterIdentity& adapter);
// The same, with the identity of the adapter that the system lists at strDevice, if any.
bool SetPortMapping(const std::string& strPortName, const std::string& strDevice,
                    const std::string& profilePath);
// The device a port name opens when nothing maps it: \\.\COMn on Windows, /dev/ttyS(n-1)
// elsewhere; "" for a name that is not a port.
std::string DefaultPortDevice(const std::string& strPortName);

// Where a port name leads now.
struct ResolvedPort {
    // The device to open: the mapped adapter wherever it is plugged in now, else the mapped or
    // the default device ("\\.\COM7" for a port name on Windows); "" for a name that is not a
    // port.
    std::string m_strDevice;
    AdapterIdentity m_adapter; // the mapped adapter, when the mapping knows one
    // AdapterAbsent or AdapterAmbiguous when the mapped adapter was looked up and not found;
    // m_strDevice then holds where it was last.
    PortOpenReason m_nProblem = PortOpenReason::None;
};
// Reads the mapping and, when it names a USB adapter, looks the adapter up among the devices
// plugged in now (adapters), so a replug under a new device name is followed. Where the system
// cannot list its devices, the mapped device is taken as it is.
ResolvedPort ResolvePort(const std::string& strPortName, const std::string& profilePath,
                         const AdapterSource& adapters);

// Why a port name may not be kept (in a mapping or a screen's own port), as a sentence with what
// to do: a control character, or a network port name that is not well formed; "" when it may.
std::string PortNameProblem(const std::string& strName);
