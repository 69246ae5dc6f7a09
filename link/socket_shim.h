// The platform's TCP sockets behind a few calls: POSIX sockets, or Winsock 2 on Windows
// (socket_shim_posix.cpp, socket_shim_win32.cpp). Every socket is non-blocking; the waits are
// the caller's, each bounded by its own deadline. Nothing here keeps state but the socket.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace socket_shim {

// A socket: a descriptor on POSIX, a SOCKET on Windows. kNoSocket stands for none.
using SocketId = std::intptr_t;
inline constexpr SocketId kNoSocket = -1;

// What a failed network call comes to, as the technician is told it.
enum class Failure {
    None,
    NameNotFound, // the name server knows no such host
    NameServer,   // the name could not be looked up: no name server answered
    Refused,      // the host answered, but nothing listens on the port
    Unreachable,  // no route to the host or its network
    TimedOut,     // the host did not answer in time
    Closed,       // the other side closed the connection or reset it
    Other,        // anything else; the system's own text says what
};

struct Error {
    Failure m_nFailure = Failure::None;
    int m_nSystemError = 0;      // errno, a getaddrinfo code or a Winsock code; 0 when none
    std::string m_strSystemText; // the system's wording of it, "" when none
};

// One address that a name stands for, copied out of the system's list.
struct Address {
    int m_nFamily = 0;
    int m_nType = 0;
    int m_nProtocol = 0;
    std::vector<std::uint8_t> m_bytes; // the socket address as the system lays it out
};

// Appends the addresses of the system's list (its addrinfo records, the same on both platforms)
// in the list's order.
template <typename AddrInfo>
void AppendAddresses(const AddrInfo* list, std::vector<Address>& addresses) {
    for (const AddrInfo* entry = list; entry != nullptr; entry = entry->ai_next) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(entry->ai_addr);
        addresses.push_back(Address{entry->ai_family, entry->ai_socktype, entry->ai_protocol,
                                    std::vector<std::uint8_t>(bytes, bytes + entry->ai_addrlen)});
    }
}

// Looks up host and port (a number or a service name). With bNumericOnly, only an address
// literal is taken and no name server is asked; a name then gives NameNotFound. Blocks as long
// as the system's resolver does.
Error LookUp(const std::string& host, const std::string& port, bool bNumericOnly,
             std::vector<Address>& addresses);

// A non-blocking stream socket for the address, with Nagle's delay off (a request is one small
// frame that must leave at once). Starts the connection; bPending is set when it goes on in the
// background (wait for writing, then ask ConnectError).
SocketId StartConnect(const Address& address, bool& bPending, Error& error);
// The outcome of a connection that was pending: None when it is up.
Error ConnectError(SocketId socket);
void CloseSocket(SocketId socket);

// Waits up to timeoutMs for the socket to be readable (or writable with bWrite). 1 when it is,
// 0 when the time ran out or a signal came first, -1 on an error (in error).
int WaitSocket(SocketId socket, bool bWrite, int timeoutMs, Error& error);

// Sends what the system takes now: the count sent, 0 when it takes nothing now, -1 on an
// error (in error). Never raises SIGPIPE.
long SendSome(SocketId socket, const std::uint8_t* data, std::size_t length, Error& error);
// Receives what is there: the count, 0 when the other side has closed, -1 on an error (in
// error), -2 when nothing is there now.
long ReceiveSome(SocketId socket, std::uint8_t* buffer, std::size_t size, Error& error);

// True when the other side has closed the connection or it failed, as far as can be told
// without waiting and without taking any byte.
bool PeerGone(SocketId socket);

} // namespace socket_shim
