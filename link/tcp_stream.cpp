#include "link/tcp_stream.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

using namespace socket_shim;

namespace {

// The system's resolver cannot be told a deadline: it runs on a thread of its own, and a
// lookup still running when the deadline passes finishes there, its result dropped.
struct PendingLookup {
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_bDone = false;
    Error m_error;
    std::vector<Address> m_addresses;
};

Error LookUpBefore(const std::string& host, const std::string& port, const Deadline& deadline,
                   std::vector<Address>& addresses) {
    // An address literal needs no name server.
    Error error = LookUp(host, port, true, addresses);
    if (error.m_nFailure != Failure::NameNotFound)
        return error;
    addresses.clear();

    auto pending = std::make_shared<PendingLookup>();
    try {
        std::thread([pending, host, port] {
            std::vector<Address> found;
            Error result = LookUp(host, port, false, found);
            const std::lock_guard<std::mutex> lock(pending->m_mutex);
            pending->m_error = std::move(result);
            pending->m_addresses = std::move(found);
            pending->m_bDone = true;
            pending->m_done.notify_all();
        }).detach();
    } catch (const std::system_error& e) {
        return Error{Failure::Other, e.code().value(), e.what()};
    }
    std::unique_lock<std::mutex> lock(pending->m_mutex);
    while (!pending->m_bDone && !deadline.Expired())
        pending->m_done.wait_for(lock, deadline.Remaining());
    if (!pending->m_bDone)
        return Error{Failure::TimedOut, 0, "the name lookup did not finish in time"};
    addresses = std::move(pending->m_addresses);
    return pending->m_error;
}

// Waits for a pending connection to come up or fail before the deadline.
Error FinishConnect(SocketId socket, const Deadline& deadline) {
    for (;;) {
        if (deadline.Expired())
            return Error{Failure::TimedOut, 0, {}};
        Error error;
        const int ready = WaitSocket(socket, true, deadline.RemainingMs(), error);
        if (ready < 0)
            return error;
        if (ready > 0)
            return ConnectError(socket);
    }
}

} // namespace

Error TcpStream::Connect(const std::string& host, const std::string& port,
                         const Deadline& deadline) {
    Close();
    std::vector<Address> addresses;
    Error error = LookUpBefore(host, port, deadline, addresses);
    if (error.m_nFailure != Failure::None)
        return error;
    if (addresses.empty())
        return Error{Failure::NameNotFound, 0, {}};
    // Each address in the order the system gives them ("localhost" is ::1, then 127.0.0.1);
    // the last one's failure is the one reported.
    for (const Address& address : addresses) {
        if (deadline.Expired())
            return Error{Failure::TimedOut, 0, {}};
        bool bPending = false;
        error = Error{};
        const SocketId socket = StartConnect(address, bPending, error);
        if (socket == kNoSocket)
            continue;
        if (bPending)
            error = FinishConnect(socket, deadline);
        if (error.m_nFailure == Failure::None) {
            m_socket = socket;
            return {};
        }
        CloseSocket(socket);
    }
    return error;
}

void TcpStream::Close() {
    CloseSocket(m_socket);
    m_socket = kNoSocket;
}

bool TcpStream::SendAll(const std::uint8_t* data, std::size_t length, const Deadline& deadline) {
    std::size_t done = 0;
    while (done < length && IsOpen()) {
        Error error;
        const long n = SendSome(m_socket, data + done, length - done, error);
        if (n < 0)
            return false;
        done += static_cast<std::size_t>(n);
        if (done == length)
            break;
        if (deadline.Expired() || WaitSocket(m_socket, true, deadline.RemainingMs(), error) < 0)
            return false;
    }
    return done == length;
}

long TcpStream::Receive(std::uint8_t* buffer, std::size_t size, const Deadline& deadline) {
    if (!IsOpen())
        return -1;
    for (;;) {
        Error error;
        const long n = ReceiveSome(m_socket, buffer, size, error);
        if (n > 0)
            return n;
        if (n == 0 || n == -1)
            return -1;
        if (deadline.Expired())
            return 0;
        if (WaitSocket(m_socket, false, deadline.RemainingMs(), error) < 0)
            return -1;
    }
}

bool TcpStream::PeerGone() const {
    return !IsOpen() || socket_shim::PeerGone(m_socket);
}
