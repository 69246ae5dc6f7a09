#include "link/port_open_failure.h"

#include <cerrno>

std::string PortOpenFailure::Reason() const {
    const std::string device = m_strDevice.empty() ? std::string("The port") : m_strDevice;
    switch (m_nReason) {
    case PortOpenReason::None:
        return {};
    case PortOpenReason::NotAPort:
        return "The port is not one of COM1 to COM4. Choose one of them.";
    case PortOpenReason::NoSuchDevice:
        return device + ": no such device: is the adapter plugged in?";
    case PortOpenReason::PermissionDenied:
#ifdef _WIN32
        return device + ": access denied. Ask the administrator for access to the port.";
#else
        return device + ": permission denied. Add your user to the dialout group and log in again.";
#endif
    case PortOpenReason::InUse:
        return device + ": in use by another program. Close the other program and try again.";
    case PortOpenReason::NotASerialDevice:
        return device + ": not a serial device. Choose the serial adapter's device.";
    case PortOpenReason::SettingsRefused:
        return device +
               ": the device refused the line settings. Check that it is a serial port and try "
               "another adapter.";
    case PortOpenReason::ProfileUnreadable:
        return m_strSystemText;
    case PortOpenReason::Other:
        break;
    }
    return device + ": " +
           (m_strSystemText.empty() ? std::string("cannot be opened") : m_strSystemText) +
           ". Check the adapter and the port mapping.";
}

PortOpenReason PortOpenReasonFromErrno(int nErrno) {
    switch (nErrno) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return PortOpenReason::NoSuchDevice;
    case EACCES:
    case EPERM:
        return PortOpenReason::PermissionDenied;
    case EBUSY:
#if defined(EWOULDBLOCK) && EWOULDBLOCK != EBUSY
    case EWOULDBLOCK:
#endif
        return PortOpenReason::InUse;
    case ENOTTY:
        return PortOpenReason::NotASerialDevice;
    default:
        return PortOpenReason::Other;
    }
}
