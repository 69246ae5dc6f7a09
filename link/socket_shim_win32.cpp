// Windows half of the socket shim: Winsock 2.
#include "link/socket_shim.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

namespace socket_shim {

namespace {

std::string SystemText(int error) {
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result = length > 0 && text != nullptr ? std::string(text, length) : std::string();
    if (text != nullptr)
        ::LocalFree(text);
    while (!result.empty() && (result.back() == '\r' || result.back() == '\n' ||
                               result.back() == '.' || result.back() == ' '))
        result.pop_back();
    return result;
}

Failure FailureOf(int error) {
    switch (error) {
    case WSAECONNREFUSED:
        return Failure::Refused;
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
    case WSAENETDOWN:
    case WSAEHOSTDOWN:
        return Failure::Unreachable;
    case WSAETIMEDOUT:
        return Failure::TimedOut;
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAESHUTDOWN:
        return Failure::Closed;
    case WSAHOST_NOT_FOUND:
    case WSATYPE_NOT_FOUND:
    case WSANO_DATA:
        return Failure::NameNotFound;
    case WSATRY_AGAIN:
        return Failure::NameServer;
    default:
        return Failure::Other;
    }
}

Error SystemError(int error) {
    return Error{FailureOf(error), error, SystemText(error)};
}

// Winsock needs starting once per process before its first call.
bool Started(Error& error) {
    static const int result = [] {
        WSADATA data{};
        return ::WSAStartup(MAKEWORD(2, 2), &data);
    }();
    if (result != 0)
        error = SystemError(result);
    return result == 0;
}

SOCKET Native(SocketId socket) {
    return static_cast<SOCKET>(socket);
}

} // namespace

Error LookUp(const std::string& host, const std::string& port, bool bNumericOnly,
             std::vector<Address>& addresses) {
    Error error;
    if (!Started(error))
        return error;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = bNumericOnly ? AI_NUMERICHOST : 0;
    addrinfo* list = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &list);
    if (rc != 0)
        return SystemError(rc);
    AppendAddresses(list, addresses);
    ::freeaddrinfo(list);
    return {};
}

SocketId StartConnect(const Address& address, bool& bPending, Error& error) {
    bPending = false;
    if (!Started(error))
        return kNoSocket;
    // Not inherited: a program started from the window (the text editor) must not keep the
    // connection, and with it the device server's port, after the window lets it go.
    const SOCKET s = ::WSASocketW(address.m_nFamily, address.m_nType, address.m_nProtocol, nullptr,
                                  0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET) {
        error = SystemError(::WSAGetLastError());
        return kNoSocket;
    }
    u_long nonBlocking = 1;
    const BOOL one = TRUE;
    if (::ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        error = SystemError(::WSAGetLastError());
        ::closesocket(s);
        return kNoSocket;
    }
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    if (::connect(s, reinterpret_cast<const sockaddr*>(address.m_bytes.data()),
                  static_cast<int>(address.m_bytes.size())) == 0)
        return static_cast<SocketId>(s);
    const int code = ::WSAGetLastError();
    if (code == WSAEWOULDBLOCK || code == WSAEINPROGRESS) {
        bPending = true;
        return static_cast<SocketId>(s);
    }
    error = SystemError(code);
    ::closesocket(s);
    return kNoSocket;
}

Error ConnectError(SocketId socket) {
    int value = 0;
    int length = sizeof value;
    if (::getsockopt(Native(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&value),
                     &length) != 0)
        return SystemError(::WSAGetLastError());
    return value == 0 ? Error{} : SystemError(value);
}

void CloseSocket(SocketId socket) {
    if (socket != kNoSocket)
        ::closesocket(Native(socket));
}

// select, not WSAPoll: WSAPoll of Windows before 10 version 2004 never reports a connection
// that failed, so a refused connection would wait out the whole deadline.
int WaitSocket(SocketId socket, bool bWrite, int timeoutMs, Error& error) {
    fd_set wanted;
    fd_set failed;
    FD_ZERO(&wanted);
    FD_ZERO(&failed);
    FD_SET(Native(socket), &wanted);
    FD_SET(Native(socket), &failed);
    timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int ready =
        ::select(0, bWrite ? nullptr : &wanted, bWrite ? &wanted : nullptr, &failed, &timeout);
    if (ready == SOCKET_ERROR) {
        error = SystemError(::WSAGetLastError());
        return -1;
    }
    return ready > 0 ? 1 : 0;
}

long SendSome(SocketId socket, const std::uint8_t* data, std::size_t length, Error& error) {
    const int chunk = length > 65536 ? 65536 : static_cast<int>(length);
    const int n = ::send(Native(socket), reinterpret_cast<const char*>(data), chunk, 0);
    if (n != SOCKET_ERROR)
        return n;
    const int code = ::WSAGetLastError();
    if (code == WSAEWOULDBLOCK || code == WSAEINTR)
        return 0;
    error = SystemError(code);
    return -1;
}

long ReceiveSome(SocketId socket, std::uint8_t* buffer, std::size_t size, Error& error) {
    const int chunk = size > 65536 ? 65536 : static_cast<int>(size);
    const int n = ::recv(Native(socket), reinterpret_cast<char*>(buffer), chunk, 0);
    if (n != SOCKET_ERROR)
        return n;
    const int code = ::WSAGetLastError();
    if (code == WSAEWOULDBLOCK || code == WSAEINTR)
        return -2;
    error = SystemError(code);
    return -1;
}

bool PeerGone(SocketId socket) {
    Error error;
    const int ready = WaitSocket(socket, false, 0, error);
    if (ready < 0)
        return true;
    if (ready == 0)
        return false;
    char byte = 0;
    const int n = ::recv(Native(socket), &byte, 1, MSG_PEEK);
    return n == 0 || (n == SOCKET_ERROR && ::WSAGetLastError() != WSAEWOULDBLOCK);
}

} // namespace socket_shim
