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
    AdapterAbsent,     // the USB adapter that the port is mapped to is not plugged in
    AdapterAmbiguous,  // several adapters answer to the mapped one's IDs (no serial numbers)
    Other,             // another system error; the system's own text says which

    // A network port (rfc2217://HOST:PORT, tcp://HOST:PORT):
    BadNetworkName,        // the name is not HOST:PORT after the scheme
    HostNotFound,          // no host of that name
    NameServerSilent,      // the name could not be looked up
    ConnectionRefused,     // the host is there, but no device server listens on the port
    HostUnreachable,       // the network does not reach the host
    ConnectTimedOut,       // the host did not answer within the connect time
    ServerSilent,          // connected, but no answer to the port settings (telnet)
    ServerRefusedSettings, // the server did not confirm 9600 8N1 without flow control
    ServerClosed,          // the server closed the connection
    NetworkError,          // another network error; the system's own text says which
};

struct PortOpenFailure {
    std::string m_strDevice; // the device the port name stood for ("" when there was none)
    PortOpenReason m_nReason = PortOpenReason::None;
    int m_nSystemError = 0;      // errno or GetLastError(), 0 when the system gave none
    std::string m_strSystemText; // the system's own wording of m_nSystemError, for Other and
                                 // NetworkError; why the profile cannot be read, for
                                 // ProfileUnreadable; what was not confirmed, for
                                 // ServerRefusedSettings
    std::string m_strPort{};     // the port name ("COM1") the device was mapped to, when it was
    std::string m_strAdapter{};  // the USB adapter by maker and product (AdapterIdentity::Name),
                                 // where it is known

    // One line for the technician: the device (with its adapter where it is known), what went
    // wrong and what to do, for example "/dev/ttyUSB0: permission denied. Add your user to the
    // dialout group and log in again." Empty for PortOpenReason::None.
    std::string Reason() const;
};

// The reason an errno value from open() stands for.
PortOpenReason PortOpenReasonFromErrno(int nErrno);
