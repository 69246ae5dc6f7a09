// A TCP connection whose every wait, the name lookup included, ends at a deadline: the
// transport of a network port.
#pragma once

#include "link/deadline.h"
#include "link/socket_shim.h"

#include <cstddef>
#include <cstdint>
#include <string>

class TcpStream {
public:
    TcpStream() = default;
    ~TcpStream() { Close(); }
    TcpStream(const TcpStream&) = delete;
    TcpStream& operator=(const TcpStream&) = delete;

    // Looks the host up and connects to the port before the deadline, trying each address the
    // name stands for in turn. A lookup that the system does not finish in time is left to
    // finish on its own; the connection fails as TimedOut. On failure the stream stays closed
    // and the result says why.
    socket_shim::Error Connect(const std::string& host, const std::string& port,
                               const Deadline& deadline);
    bool IsOpen() const { return m_socket != socket_shim::kNoSocket; }
    void Close();

    // Sends every byte before the deadline. False when the connection failed or the deadline
    // passed first; what was sent then is unknown to the other side's reader.
    bool SendAll(const std::uint8_t* data, std::size_t length, const Deadline& deadline);
    // Waits for bytes until the deadline and takes what is there, at most size: the count, 0
    // when none came in time, -1 when the other side closed the connection or it failed.
    long Receive(std::uint8_t* buffer, std::size_t size, const Deadline& deadline);
    // True when the other side has closed the connection, as far as is known without waiting.
    bool PeerGone() const;

private:
    socket_shim::SocketId m_socket = socket_shim::kNoSocket;
};
