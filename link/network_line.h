// A network port: a serial port on a serial device server (ser2net, or a hardware one in the
// booth), reached over TCP. Its name is rfc2217://HOST:PORT (Telnet with COM port control: the
// program sets the server's port to 9600 baud, 8 data bits, no parity, one stop bit, no flow
// control) or tcp://HOST:PORT (raw bytes; the server's port is already set up so). The line
// behaves as a local port does: the same one-second byte timeout, a write that returns when the
// request has left and not before its line time, and a bounded connect.
#pragma once

#include "link/port_open_failure.h"
#include "link/serial_line.h"
#include "link/tcp_stream.h"
#include "link/telnet_codec.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

enum class NetworkProtocol {
    Rfc2217, // rfc2217://: Telnet with COM port control
    Raw,     // tcp://: the line's bytes as they are
};

struct NetworkPortName {
    NetworkProtocol m_nProtocol = NetworkProtocol::Raw;
    std::string m_strHost; // a name or an address; an IPv6 address without its brackets
    std::string m_strPort; // the TCP port, 1 to 65535, in digits
};

// True when the name begins with rfc2217:// or tcp:// (letter case ignored): it names a network
// port, well formed or not, and never a device.
bool IsNetworkPortName(const std::string& name);
// The parts of a well-formed network port name: the scheme, a host (a name, an IPv4 address or
// an IPv6 address in brackets) and a port number, nothing more.
std::optional<NetworkPortName> ParseNetworkPortName(const std::string& name);
// A few words on what a network port name stands for, beside the technician's choice of port.
std::string DescribeNetworkPort(const std::string& name);

// How long connecting may take: the name lookup, the TCP connection and, for rfc2217://, the
// server's confirmation of the port settings.
inline constexpr std::chrono::seconds kConnectTimeout{5};

class NetworkLine : public SerialLine {
public:
    NetworkLine() = default;
    NetworkLine(const NetworkLine&) = delete;
    NetworkLine& operator=(const NetworkLine&) = delete;

    // Connects to the network port within kConnectTimeout; the failure (reason None on
    // success) says why not, in the technician's words.
    PortOpenFailure Open(const std::string& name);

    // Sends the bytes (0xFF doubled for rfc2217://) and returns once the system has taken them
    // all, and not before the buffer's line time at 9600 baud has passed since the call began.
    void Write(const std::uint8_t* buffer, std::size_t length) override;
    // The next byte of the line within kByteTimeout, or -1. Telnet commands are answered or
    // dropped on the way; a connection the server closed reads as a silent line.
    int ReadByte() override;
    // False once the server has closed the connection (or before a successful Open), so that
    // the next transfer connects again.
    bool IsOpen() const override;
    const LinkClock& Clock() const override { return SteadyLinkClock(); }
    // That the server closed the connection, or "".
    std::string Problem() const override;

private:
    // Takes received bytes: the line's into m_data, the Telnet answers sent back at once.
    void Take(const std::uint8_t* bytes, std::size_t length, const Deadline& deadline);

    std::string m_strName;
    TcpStream m_stream;
    std::unique_ptr<TelnetCodec> m_pTelnet; // none for tcp://
    std::vector<std::uint8_t> m_data;       // received bytes of the line not yet read
    std::size_t m_nRead = 0;                // how many of m_data were read
    std::atomic<bool> m_bLost{false};       // the server closed the connection
};
