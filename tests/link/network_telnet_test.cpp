// The Telnet layer of an rfc2217:// port on bytes alone, and the network port names.
#include "link/network_line.h"
#include "link/telnet_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Settings = TelnetCodec::PortSettings;

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The requests for 9600 baud, 8 data bits, no parity, one stop bit and no flow control, and a
// server's answers confirming them, as RFC 2217 lays them out.
const Bytes kSettingsRequest = {0xFF, 0xFA, 44,   1,    0x00, 0x00, 0x25, 0x80, 0xFF, 0xF0,
                                0xFF, 0xFA, 44,   2,    8,    0xFF, 0xF0, 0xFF, 0xFA, 44,
                                3,    1,    0xFF, 0xF0, 0xFF, 0xFA, 44,   4,    1,    0xFF,
                                0xF0, 0xFF, 0xFA, 44,   5,    1,    0xFF, 0xF0};
const Bytes kBaudConfirmed = {0xFF, 0xFA, 44, 101, 0x00, 0x00, 0x25, 0x80, 0xFF, 0xF0};
const Bytes kOthersConfirmed = {0xFF, 0xFA, 44,   102,  8,    0xFF, 0xF0, 0xFF, 0xFA, 44,
                                103,  1,    0xFF, 0xF0, 0xFF, 0xFA, 44,   104,  1,    0xFF,
                                0xF0, 0xFF, 0xFA, 44,   105,  1,    0xFF, 0xF0};
// What ser2net 4 says on a new telnet(rfc2217) connection.
const Bytes kSer2netGreeting = {0xFF, 0xFB, 3,    0xFF, 0xFD, 3,    0xFF, 0xFB, 1,    0xFF, 0xFE,
                                1,    0xFF, 0xFD, 0,    0xFF, 0xFB, 0,    0xFF, 0xFD, 44};

struct DecodeCase {
    const char* name;
    std::vector<Bytes> chunks; // received in this many reads, after the program's greeting
    Bytes data;                // what reaches the frame codec
    Bytes replies;             // what the program answers
    Settings settings;
    const char* refusal = ""; // a part of the refusal's wording
};

TEST(NetworkTelnet, ReceivedStreamTable) {
    const DecodeCase cases[] = {
        {"plain bytes pass",
         {{0x10, 0x02, 0x41, 0x10, 0x03}},
         {0x10, 0x02, 0x41, 0x10, 0x03},
         {},
         Settings::Pending},
        {"a doubled 0xFF is one byte, also split between reads",
         {{0x41, 0xFF}, {0xFF, 0xFF, 0xFF}, {0x42}},
         {0x41, 0xFF, 0xFF, 0x42},
         {},
         Settings::Pending},
        {"commands and notices between bytes are dropped",
         {{0x41, 0xFF, 0xF1, 0x42, 0xFF, 0xFA, 44, 107, 0x30, 0xFF, 0xF0, 0x43}},
         {0x41, 0x42, 0x43},
         {},
         Settings::Pending},
        {"ser2net's greeting: agree to suppress go-ahead, refuse echo, send the settings",
         {kSer2netGreeting},
         {},
         Cat({{0xFF, 0xFD, 3, 0xFF, 0xFB, 3, 0xFF, 0xFE, 1}, kSettingsRequest}),
         Settings::Pending},
        {"every setting confirmed, the notice first ignored",
         {{0xFF, 0xFD, 44}, {0xFF, 0xFA, 44, 107, 0, 0xFF, 0xF0}, kBaudConfirmed, kOthersConfirmed},
         {},
         kSettingsRequest,
         Settings::Confirmed},
        {"a subnegotiation split between reads",
         {{0xFF, 0xFD, 44, 0xFF, 0xFA, 44, 101, 0x00},
          {0x00, 0x25},
          {0x80, 0xFF},
          {0xF0},
          kOthersConfirmed},
         {},
         kSettingsRequest,
         Settings::Confirmed},
        {"another baud rate is a refusal",
         {{0xFF, 0xFD, 44, 0xFF, 0xFA, 44, 101, 0x00, 0x00, 0x4B, 0x00, 0xFF, 0xF0},
          kOthersConfirmed},
         {},
         kSettingsRequest,
         Settings::Refused,
         "19200, not 9600"},
        {"0xFF in an answer's value is doubled",
         {{0xFF, 0xFD, 44, 0xFF, 0xFA, 44, 102, 0xFF, 0xFF, 0xFF, 0xF0}},
         {},
         kSettingsRequest,
         Settings::Refused,
         "data bits: it answered 255, not 8"},
        {"hardware flow control kept is a refusal",
         {{0xFF, 0xFD, 44}, kBaudConfirmed, {0xFF, 0xFA, 44, 105, 3, 0xFF, 0xF0}},
         {},
         kSettingsRequest,
         Settings::Refused,
         "flow control"},
        {"no COM port control",
         {{0xFF, 0xFE, 44}},
         {},
         {},
         Settings::Refused,
         "does not offer COM port control"},
        {"options the program does not know are refused",
         {{0xFF, 0xFD, 24, 0xFF, 0xFB, 5}},
         {},
         {0xFF, 0xFC, 24, 0xFF, 0xFE, 5},
         Settings::Pending},
        {"CR NUL is CR until the server sends binary",
         {{0x0D, 0x00, 0x41}},
         {0x0D, 0x41},
         {},
         Settings::Pending},
        {"in binary CR NUL is two bytes",
         {{0xFF, 0xFB, 0, 0x0D, 0x00}},
         {0x0D, 0x00},
         {},
         Settings::Pending},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        TelnetCodec codec;
        EXPECT_EQ(codec.Greeting(), (Bytes{0xFF, 0xFB, 44, 0xFF, 0xFB, 0, 0xFF, 0xFD, 0}));
        Bytes data, replies;
        for (const Bytes& chunk : c.chunks)
            codec.Decode(chunk.data(), chunk.size(), data, replies);
        EXPECT_EQ(data, c.data);
        EXPECT_EQ(replies, c.replies);
        EXPECT_EQ(codec.Settings(), c.settings);
        EXPECT_NE(codec.Refusal().find(c.refusal), std::string::npos) << codec.Refusal();
    }
}

TEST(NetworkTelnet, OutgoingBytesTable) {
    struct Case {
        const char* name;
        Bytes serverSays; // before the line's bytes are sent
        Bytes data;
        Bytes sent;
    } const cases[] = {
        {"0xFF doubled, once binary is agreed",
         {0xFF, 0xFD, 0},
         {0x10, 0x02, 0xFF, 0xFF, 0x0D, 0x10, 0x03},
         {0x10, 0x02, 0xFF, 0xFF, 0xFF, 0xFF, 0x0D, 0x10, 0x03}},
        {"CR followed by NUL while the server has not agreed to binary",
         {},
         {0x0D, 0xFF},
         {0x0D, 0x00, 0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TelnetCodec codec;
        codec.Greeting();
        Bytes data, replies, sent;
        codec.Decode(c.serverSays.data(), c.serverSays.size(), data, replies);
        codec.EncodeData(c.data.data(), c.data.size(), sent);
        EXPECT_EQ(sent, c.sent);
    }
}

TEST(NetworkTelnet, PortNamesTable) {
    struct Case {
        const char* name;
        bool bNetwork;
        bool bValid;
        NetworkProtocol protocol = NetworkProtocol::Raw;
        const char* host = "";
        const char* port = "";
    } const cases[] = {
        {"rfc2217://booth3:4001", true, true, NetworkProtocol::Rfc2217, "booth3", "4001"},
        {"TCP://192.168.1.20:2001", true, true, NetworkProtocol::Raw, "192.168.1.20", "2001"},
        {"rfc2217://[fe80::1]:7000", true, true, NetworkProtocol::Rfc2217, "fe80::1", "7000"},
        {"rfc2217://booth3", true, false},
        {"tcp://booth3:", true, false},
        {"tcp://:4001", true, false},
        {"tcp://booth3:65536", true, false},
        {"tcp://booth3:0", true, false},
        {"tcp://booth3:4001/x", true, false},
        {"tcp://booth 3:4001", true, false},
        {"rfc2217://fe80::1:7000", true, false},
        {"/dev/ttyUSB0", false, false},
        {"COM7", false, false},
        {"telnet://booth3:23", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsNetworkPortName(c.name), c.bNetwork);
        const auto parsed = ParseNetworkPortName(c.name);
        ASSERT_EQ(parsed.has_value(), c.bValid);
        if (parsed) {
            EXPECT_EQ(parsed->m_nProtocol, c.protocol);
            EXPECT_EQ(parsed->m_strHost, c.host);
            EXPECT_EQ(parsed->m_strPort, c.port);
        }
    }
}

} // namespace
