// Network ports that do not work, on this machine's loopback: each fails within the connect time
// or the stage's bound, with its reason for the technician.
#include "image/settings_image.h"
#include "link/frame_codec.h"
#include "link/serial_port.h"
#include "link/transactions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

#ifdef _WIN32
using Socket = SOCKET;
void CloseSocket(Socket s) {
    ::closesocket(s);
}
bool WaitReadable(Socket s, int ms) {
    WSAPOLLFD pfd{s, POLLRDNORM, 0};
    return ::WSAPoll(&pfd, 1, ms) > 0;
}
#else
using Socket = int;
void CloseSocket(Socket s) {
    ::close(s);
}
bool WaitReadable(Socket s, int ms) {
    pollfd pfd{s, POLLIN, 0};
    return ::poll(&pfd, 1, ms) > 0;
}
#endif

// A server of the test's own on 127.0.0.1: it listens and, unless told to stay silent, accepts
// one connection, sends its bytes (or closes at once), and holds the connection until the
// program lets it go.
class LoopbackServer {
public:
    enum class Script { ListenOnly, CloseAtOnce, Say };

    explicit LoopbackServer(Script script, Bytes say = {}) {
#ifdef _WIN32
        WSADATA data{};
        ::WSAStartup(MAKEWORD(2, 2), &data);
#endif
        m_listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(m_listener, 4) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            ADD_FAILURE() << "no listening socket on the loopback";
        m_nPort = ntohs(address.sin_port);
        if (script == Script::ListenOnly)
            return;
        m_thread = std::thread([this, script, say] {
            // Bounded: a program that never connects or never lets go ends the wait.
            if (!WaitReadable(m_listener, 10'000))
                return;
            const Socket client = ::accept(m_listener, nullptr, nullptr);
            if (script == Script::Say) {
                ::send(client, reinterpret_cast<const char*>(say.data()),
                       static_cast<int>(say.size()), 0);
                char buffer[256];
                while (WaitReadable(client, 10'000) &&
                       ::recv(client, buffer, sizeof buffer, 0) > 0) {
                }
            }
            CloseSocket(client);
        });
    }
    ~LoopbackServer() {
        if (m_thread.joinable())
            m_thread.join();
        CloseSocket(m_listener);
    }
    std::string Port() const {
        return std::to_string(m_nPort);
    }
    // A port where nothing listens: this server's, once it is gone.
    static std::string FreePort() {
        return LoopbackServer(Script::ListenOnly).Port();
    }

private:
    Socket m_listener;
    int m_nPort = 0;
    std::thread m_thread;
};

TEST(NetworkFailure, ReasonsTable) {
    std::unique_ptr<LoopbackServer> server;
    const auto serve = [&server](LoopbackServer::Script script, Bytes say = {}) {
        server = std::make_unique<LoopbackServer>(script, std::move(say));
        return server->Port();
    };
    const Bytes noComPort = {0xFF, 0xFE, 44};
    const Bytes otherBaud = {0xFF, 0xFD, 44, 0xFF, 0xFA, 44, 101, 0, 0, 0x4B, 0, 0xFF, 0xF0};
    const struct {
        const char* name;
        std::function<std::string()> start;
        PortOpenReason reason;
        const char* wording; // a part of the reason's text
    } cases[] = {
        {"nothing listens", [] { return "rfc2217://127.0.0.1:" + LoopbackServer::FreePort(); },
         PortOpenReason::ConnectionRefused, "the connection was refused"},
        {"no such host", [] { return std::string("tcp://booth3.invalid:4001"); },
         PortOpenReason::HostNotFound, "no computer of that name"},
        {"a server that says nothing",
         [&] { return "rfc2217://127.0.0.1:" + serve(LoopbackServer::Script::ListenOnly); },
         PortOpenReason::ServerSilent, "did not confirm the port settings"},
        {"a server that closes at once",
         [&] { return "rfc2217://localhost:" + serve(LoopbackServer::Script::CloseAtOnce); },
         PortOpenReason::ServerClosed, "closed the connection"},
        {"a server without COM port control",
         [&] { return "rfc2217://127.0.0.1:" + serve(LoopbackServer::Script::Say, noComPort); },
         PortOpenReason::ServerRefusedSettings, "does not offer COM port control"},
        {"a server that keeps another baud rate",
         [&] { return "rfc2217://127.0.0.1:" + serve(LoopbackServer::Script::Say, otherBaud); },
         PortOpenReason::ServerRefusedSettings, "19200, not 9600"},
        {"a name without a port", [] { return std::string("rfc2217://127.0.0.1"); },
         PortOpenReason::BadNetworkName, "rfc2217://HOST:PORT"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = c.start();
        {
            CSerialPort port;
            const auto began = Clock::now();
            port.OpenDevice(name);
            EXPECT_LT(Clock::now() - began, kConnectTimeout + std::chrono::seconds(2));
            EXPECT_FALSE(port.IsOpen());
            EXPECT_EQ(port.LastOpenFailure().m_nReason, c.reason);
            const std::string problem = port.Problem();
            EXPECT_EQ(problem.rfind(name + ": ", 0), 0u) << problem;
            EXPECT_NE(problem.find(c.wording), std::string::npos) << problem;
        }
        server.reset();
    }
}

// A raw port takes no settings: a server that accepts and then says nothing opens, and the link
// check fails within its bound as on a silent cable.
TEST(NetworkFailure, SilentRawServerFailsTheLinkCheck) {
    LoopbackServer server(LoopbackServer::Script::ListenOnly);
    CSerialPort port;
    port.OpenDevice("tcp://127.0.0.1:" + server.Port());
    ASSERT_TRUE(port.IsOpen()) << port.Problem();
    SettingsImage image;
    FrameCodec codec;
    const auto began = Clock::now();
    EXPECT_NE(CheckLink(port, codec, image), LinkOk);
    EXPECT_LT(Clock::now() - began, std::chrono::seconds(15));
    EXPECT_TRUE(port.IsOpen());
}

} // namespace
