#include "link/port_open_failure.h"

#include "link/network_line.h"

#include <cerrno>

std::string PortOpenFailure::Reason() const {
    const std::string device = (m_strDevice.empty() ? std::string("The port") : m_strDevice) +
                               (m_strAdapter.empty() ? std::string() : " (" + m_strAdapter + ")");
    const std::string port = m_strPort.empty() ? std::string("the port") : m_strPort;
    switch (m_nReason) {
    case PortOpenReason::None:
        return {};
    case PortOpenReason::AdapterAbsent:
        return "The " + m_strAdapter + " mapped to " + port +
               " is not plugged in. Plug it in, or choose another device for " + port +
               " with Ports... (vrx3km-cli ports --map).";
    case PortOpenReason::AdapterAmbiguous:
        return "More than one " + m_strAdapter + " is plugged in, and without serial numbers " +
               port + " cannot tell which is its own. Unplug the others, or choose the device of " +
               "the one to use for " + port + " with Ports... (vrx3km-cli ports --map).";
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
    case PortOpenReason::BadNetworkName:
        return device +
               ": not a network port. Write rfc2217://HOST:PORT or tcp://HOST:PORT, for example "
               "rfc2217://192.168.1.20:4001.";
    case PortOpenReason::HostNotFound:
        return device + ": no computer of that name was found. Check the device server's name, or "
                        "use its address.";
    case PortOpenReason::NameServerSilent:
        return device + ": the name could not be looked up (no name server answered). Check the "
                        "network connection, or use the device server's address.";
    case PortOpenReason::ConnectionRefused:
        return device + ": the connection was refused: no device server listens on that port. "
                        "Check the port number and that the device server (ser2net) is running.";
    case PortOpenReason::HostUnreachable:
        return device + ": the network does not reach the device server. Check the network "
                        "cable or Wi-Fi and the address.";
    case PortOpenReason::ConnectTimedOut:
        return device + ": the device server did not answer within " +
               std::to_string(kConnectTimeout.count()) +
               " seconds. Check that it is switched on and on this network.";
    case PortOpenReason::ServerSilent:
        return device + ": the device server did not confirm the port settings within " +
               std::to_string(kConnectTimeout.count()) +
               " seconds. Check that its port is set up for telnet with RFC 2217, or name it "
               "tcp://.";
    case PortOpenReason::ServerRefusedSettings:
        return device + ": the device server refused the port settings 9600 8N1" +
               (m_strSystemText.empty() ? std::string() : " (" + m_strSystemText + ")") +
               ". Check the device server's port settings.";
    case PortOpenReason::ServerClosed:
        return device + ": the device server closed the connection. Another computer may be "
                        "using its port, or it could not open it; check the device server and "
                        "try again.";
    case PortOpenReason::NetworkError:
        return device + ": " +
               (m_strSystemText.empty() ? std::string("network error") : m_strSystemText) +
               ". Check the network and the device server.";
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
