// POSIX half of the socket shim.
#include "link/socket_shim.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace socket_shim {

namespace {

Failure FailureOf(int nErrno) {
    switch (nErrno) {
    case ECONNREFUSED:
        return Failure::Refused;
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN:
    case EHOSTDOWN:
        return Failure::Unreachable;
    case ETIMEDOUT:
        return Failure::TimedOut;
    case ECONNRESET:
    case ECONNABORTED:
    case EPIPE:
        return Failure::Closed;
    default:
        return Failure::Other;
    }
}

Error SystemError(int nErrno) {
    return Error{FailureOf(nErrno), nErrno, std::strerror(nErrno)};
}

} // namespace

Error LookUp(const std::string& host, const std::string& port, bool bNumericOnly,
             std::vector<Address>& addresses) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    // No AI_ADDRCONFIG: it drops the loopback addresses on a machine without a network.
    hints.ai_flags = bNumericOnly ? AI_NUMERICHOST : 0;
    addrinfo* list = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &list);
    if (rc != 0) {
        Error error{Failure::Other, rc, ::gai_strerror(rc)};
        if (rc == EAI_NONAME || rc == EAI_SERVICE
#ifdef EAI_NODATA
            || rc == EAI_NODATA
#endif
        )
            error.m_nFailure = Failure::NameNotFound;
        else if (rc == EAI_AGAIN)
            error.m_nFailure = Failure::NameServer;
        else if (rc == EAI_SYSTEM)
            error = SystemError(errno);
        return error;
    }
    AppendAddresses(list, addresses);
    ::freeaddrinfo(list);
    return {};
}

SocketId StartConnect(const Address& address, bool& bPending, Error& error) {
    bPending = false;
    const int fd = ::socket(address.m_nFamily, address.m_nType | SOCK_CLOEXEC | SOCK_NONBLOCK,
                            address.m_nProtocol);
    if (fd < 0) {
        error = SystemError(errno);
        return kNoSocket;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(address.m_bytes.data()),
                  static_cast<socklen_t>(address.m_bytes.size())) == 0)
        return fd;
    if (errno == EINPROGRESS || errno == EINTR) {
        bPending = true;
        return fd;
    }
    error = SystemError(errno);
    ::close(fd);
    return kNoSocket;
}

Error ConnectError(SocketId socket) {
    int value = 0;
    socklen_t length = sizeof value;
    if (::getsockopt(static_cast<int>(socket), SOL_SOCKET, SO_ERROR, &value, &length) != 0)
        return SystemError(errno);
    return value == 0 ? Error{} : SystemError(value);
}

void CloseSocket(SocketId socket) {
    if (socket != kNoSocket)
        ::close(static_cast<int>(socket));
}

int WaitSocket(SocketId socket, bool bWrite, int timeoutMs, Error& error) {
    pollfd pfd{static_cast<int>(socket), static_cast<short>(bWrite ? POLLOUT : POLLIN), 0};
    const int ready = ::poll(&pfd, 1, timeoutMs);
    if (ready < 0) {
        if (errno == EINTR)
            return 0;
        error = SystemError(errno);
        return -1;
    }
    // An error or a hang-up counts as ready: the send, receive or connect result says which.
    return ready > 0 ? 1 : 0;
}

long SendSome(SocketId socket, const std::uint8_t* data, std::size_t length, Error& error) {
    const ssize_t n = ::send(static_cast<int>(socket), data, length, MSG_NOSIGNAL);
    if (n >= 0)
        return static_cast<long>(n);
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        return 0;
    error = SystemError(errno);
    return -1;
}

long ReceiveSome(SocketId socket, std::uint8_t* buffer, std::size_t size, Error& error) {
    const ssize_t n = ::recv(static_cast<int>(socket), buffer, size, 0);
    if (n >= 0)
        return static_cast<long>(n);
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        return -2;
    error = SystemError(errno);
    return -1;
}

bool PeerGone(SocketId socket) {
    pollfd pfd{static_cast<int>(socket), POLLIN, 0};
    if (::poll(&pfd, 1, 0) <= 0)
        return false;
    if ((pfd.revents & (POLLERR | POLLNVAL)) != 0)
        return true;
    std::uint8_t byte = 0;
    const ssize_t n = ::recv(static_cast<int>(socket), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

} // namespace socket_shim
