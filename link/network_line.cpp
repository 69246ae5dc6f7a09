#include "link/network_line.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <thread>

namespace {

constexpr std::string_view kRfc2217Scheme = "rfc2217://";
constexpr std::string_view kRawScheme = "tcp://";

// A write may take this long beyond the buffer's own line time before it is abandoned.
constexpr auto kWriteSlack = std::chrono::seconds(2);

bool StartsWithNoCase(const std::string& text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

void SleepUntil(const Deadline& deadline) {
    while (!deadline.Expired())
        std::this_thread::sleep_for(deadline.Remaining());
}

bool IsHostCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
}

bool IsPortNumber(const std::string& port) {
    if (port.empty() || port.size() > 5 || port[0] == '0' ||
        !std::all_of(port.begin(), port.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        return false;
    return std::stoul(port) <= 65535;
}

PortOpenReason ReasonOf(socket_shim::Failure failure) {
    using socket_shim::Failure;
    switch (failure) {
    case Failure::None:
        return PortOpenReason::None;
    case Failure::NameNotFound:
        return PortOpenReason::HostNotFound;
    case Failure::NameServer:
        return PortOpenReason::NameServerSilent;
    case Failure::Refused:
        return PortOpenReason::ConnectionRefused;
    case Failure::Unreachable:
        return PortOpenReason::HostUnreachable;
    case Failure::TimedOut:
        return PortOpenReason::ConnectTimedOut;
    case Failure::Closed:
        return PortOpenReason::ServerClosed;
    case Failure::Other:
        break;
    }
    return PortOpenReason::NetworkError;
}

} // namespace

bool IsNetworkPortName(const std::string& name) {
    return StartsWithNoCase(name, kRfc2217Scheme) || StartsWithNoCase(name, kRawScheme);
}

std::optional<NetworkPortName> ParseNetworkPortName(const std::string& name) {
    NetworkPortName parsed;
    std::string rest;
    if (StartsWithNoCase(name, kRfc2217Scheme)) {
        parsed.m_nProtocol = NetworkProtocol::Rfc2217;
        rest = name.substr(kRfc2217Scheme.size());
    } else if (StartsWithNoCase(name, kRawScheme)) {
        parsed.m_nProtocol = NetworkProtocol::Raw;
        rest = name.substr(kRawScheme.size());
    } else {
        return std::nullopt;
    }
    std::size_t colon = 0;
    if (!rest.empty() && rest[0] == '[') {
        // [2001:db8::7]:4001
        const std::size_t close = rest.find(']');
        if (close == std::string::npos || close + 1 >= rest.size() || rest[close + 1] != ':')
            return std::nullopt;
        parsed.m_strHost = rest.substr(1, close - 1);
        if (parsed.m_strHost.empty() ||
            !std::all_of(parsed.m_strHost.begin(), parsed.m_strHost.end(), [](char c) {
                return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
            }))
            return std::nullopt;
        colon = close + 1;
    } else {
        colon = rest.find(':');
        if (colon == std::string::npos || colon == 0 ||
            rest.find(':', colon + 1) != std::string::npos)
            return std::nullopt;
        parsed.m_strHost = rest.substr(0, colon);
        if (!std::all_of(parsed.m_strHost.begin(), parsed.m_strHost.end(), IsHostCharacter))
            return std::nullopt;
    }
    parsed.m_strPort = rest.substr(colon + 1);
    if (!IsPortNumber(parsed.m_strPort))
        return std::nullopt;
    return parsed;
}

std::string DescribeNetworkPort(const std::string& name) {
    const auto parsed = ParseNetworkPortName(name);
    if (!parsed)
        return "needs HOST:PORT after ://";
    if (parsed->m_nProtocol == NetworkProtocol::Rfc2217)
        return "network, telnet: sets 9600 8N1";
    return "network, raw: server at 9600 8N1";
}

PortOpenFailure NetworkLine::Open(const std::string& name) {
    m_stream.Close();
    m_pTelnet.reset();
    m_data.clear();
    m_nRead = 0;
    m_bLost = false;
    m_strName = name;

    PortOpenFailure failure;
    failure.m_strDevice = name;
    const auto fail = [this, &failure](PortOpenReason nReason) {
        m_stream.Close();
        m_pTelnet.reset();
        failure.m_nReason = nReason;
        return failure;
    };
    const auto parsed = ParseNetworkPortName(name);
    if (!parsed)
        return fail(PortOpenReason::BadNetworkName);

    const Deadline deadline(Clock(), kConnectTimeout);
    const socket_shim::Error error =
        m_stream.Connect(parsed->m_strHost, parsed->m_strPort, deadline);
    if (error.m_nFailure != socket_shim::Failure::None) {
        failure.m_nSystemError = error.m_nSystemError;
        failure.m_strSystemText = error.m_strSystemText;
        return fail(ReasonOf(error.m_nFailure));
    }
    if (parsed->m_nProtocol == NetworkProtocol::Raw)
        return failure;

    // The server's port is the program's only once it has confirmed every setting.
    m_pTelnet = std::make_unique<TelnetCodec>();
    const std::vector<std::uint8_t> greeting = m_pTelnet->Greeting();
    if (!m_stream.SendAll(greeting.data(), greeting.size(), deadline))
        return fail(m_stream.PeerGone() ? PortOpenReason::ServerClosed
                                        : PortOpenReason::ServerSilent);
    while (m_pTelnet->Settings() == TelnetCodec::PortSettings::Pending) {
        std::uint8_t buffer[512];
        const long n = m_stream.Receive(buffer, sizeof buffer, deadline);
        if (n == 0)
            return fail(PortOpenReason::ServerSilent);
        if (n < 0)
            return fail(PortOpenReason::ServerClosed);
        Take(buffer, static_cast<std::size_t>(n), deadline);
        if (m_bLost)
            return fail(PortOpenReason::ServerClosed);
    }
    if (m_pTelnet->Settings() == TelnetCodec::PortSettings::Refused) {
        failure.m_strSystemText = m_pTelnet->Refusal();
        return fail(PortOpenReason::ServerRefusedSettings);
    }
    return failure;
}

void NetworkLine::Take(const std::uint8_t* bytes, std::size_t length, const Deadline& deadline) {
    if (!m_pTelnet) {
        m_data.insert(m_data.end(), bytes, bytes + length);
        return;
    }
    std::vector<std::uint8_t> replies;
    m_pTelnet->Decode(bytes, length, m_data, replies);
    if (!replies.empty() && !m_stream.SendAll(replies.data(), replies.size(), deadline) &&
        m_stream.PeerGone())
        m_bLost = true;
}

void NetworkLine::Write(const std::uint8_t* buffer, std::size_t length) {
    if (!m_stream.IsOpen() || buffer == nullptr)
        return;
    const auto lineTime = LineTime(length);
    const Deadline leaves(Clock(), lineTime);
    const Deadline deadline(Clock(), kWriteSlack + lineTime);
    std::vector<std::uint8_t> out;
    if (m_pTelnet)
        m_pTelnet->EncodeData(buffer, length, out);
    else
        out.assign(buffer, buffer + length);
    if (!m_stream.SendAll(out.data(), out.size(), deadline) && m_stream.PeerGone())
        m_bLost = true;
    // The server's port cannot have sent the request sooner than its line time: the reply's
    // second starts no earlier.
    SleepUntil(leaves);
}

int NetworkLine::ReadByte() {
    const Deadline deadline(Clock(), kByteTimeout);
    for (;;) {
        if (m_nRead < m_data.size()) {
            const std::uint8_t byte = m_data[m_nRead++];
            if (m_nRead == m_data.size()) {
                m_data.clear();
                m_nRead = 0;
            }
            return byte;
        }
        if (!m_stream.IsOpen() || m_bLost) {
            // As a tty that hung up: the caller's timing is that of a silent line.
            SleepUntil(deadline);
            return -1;
        }
        std::uint8_t buffer[512];
        const long n = m_stream.Receive(buffer, sizeof buffer, deadline);
        if (n == 0)
            return -1;
        if (n < 0) {
            m_bLost = true;
            continue;
        }
        Take(buffer, static_cast<std::size_t>(n), deadline);
    }
}

bool NetworkLine::IsOpen() const {
    return m_stream.IsOpen() && !m_bLost && !m_stream.PeerGone();
}

std::string NetworkLine::Problem() const {
    if (!m_stream.IsOpen() || !(m_bLost || m_stream.PeerGone()))
        return {};
    PortOpenFailure closed;
    closed.m_strDevice = m_strName;
    closed.m_nReason = PortOpenReason::ServerClosed;
    return closed.Reason();
}
