// Why a port did not open, kept for the technician: the device and the system's reason.
#pragma once

#include <string>

enum class PortOpenReason {
    None,              // the port is open (or no Open ran yet)
    NotAPort,          // the name is not one of COM1 to COM4
    NoSuchDevice,      // the device does not exist: an adapter unplugged, a wrong mapping
    PermissionDenied,  // the user may not open the device
    InUse,             // another program holds the port
    NotASerialDevice,  // the path names something that is not a serial device (a plain file)
    SettingsRefused,   // the device opened but took no line settings or timeouts
    ProfileUnreadable, // the profile that maps the port to a device cannot be read
    Other,             // another system error; the system's own text says which
};

struct PortOpenFailure {
    std::string m_strDevice; // the device the port name stood for ("" when there was none)
    PortOpenReason m_nReason = PortOpenReason::None;
    int m_nSystemError = 0;      // errno or GetLastError(), 0 when the system gave none
    std::string m_strSystemText; // the system's own wording of m_nSystemError, for Other; for
                                 // ProfileUnreadable why the profile cannot be read

    // One line for the technician: the device, what went wrong and what to do, for example
    // "/dev/ttyUSB0: permission denied. Add your user to the dialout group and log in again."
    // Empty for PortOpenReason::None.
    std::string Reason() const;
};

// The reason an errno value from open() stands for.
PortOpenReason PortOpenReasonFromErrno(int nErrno);
