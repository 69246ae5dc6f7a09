// The Telnet layer of a network port with COM port control (RFC 2217): what the program says to
// a serial device server, and what it takes out of the server's stream. No input or output of
// its own, so it can be tested on bytes alone.
//
// The program asks for COM port control and for binary transmission both ways; once the server
// agrees to COM port control, it asks for 9600 baud, 8 data bits, no parity, one stop bit and no
// flow control, and the server must answer each with the value asked for. The line's bytes go
// out with every 0xFF doubled (IAC IAC); Telnet commands in the received stream are answered or
// dropped and never reach the frame codec.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace telnet {

inline constexpr std::uint8_t kIac = 255;
inline constexpr std::uint8_t kDont = 254;
inline constexpr std::uint8_t kDo = 253;
inline constexpr std::uint8_t kWont = 252;
inline constexpr std::uint8_t kWill = 251;
inline constexpr std::uint8_t kSb = 250; // subnegotiation begins
inline constexpr std::uint8_t kSe = 240; // subnegotiation ends

inline constexpr std::uint8_t kOptionBinary = 0;
inline constexpr std::uint8_t kOptionEcho = 1;
inline constexpr std::uint8_t kOptionSuppressGoAhead = 3;
inline constexpr std::uint8_t kOptionComPort = 44;

// COM port control commands of the client; the server answers each with the same code + 100.
inline constexpr std::uint8_t kSetBaudRate = 1;
inline constexpr std::uint8_t kSetDataSize = 2;
inline constexpr std::uint8_t kSetParity = 3;
inline constexpr std::uint8_t kSetStopSize = 4;
inline constexpr std::uint8_t kSetControl = 5;
inline constexpr std::uint8_t kServerReply = 100;

inline constexpr std::uint8_t kParityNone = 1;
inline constexpr std::uint8_t kOneStopBit = 1;
inline constexpr std::uint8_t kNoFlowControl = 1;

} // namespace telnet

class TelnetCodec {
public:
    enum class PortSettings {
        Pending,   // not all confirmed yet
        Confirmed, // the server set 9600 baud, 8 data bits, no parity, one stop bit, no flow
        Refused,   // the server answered another value, or refused COM port control
    };

    // What the program says first: it will do COM port control and binary, and asks the server
    // for binary.
    std::vector<std::uint8_t> Greeting();

    // The line's bytes as they go to the server: 0xFF doubled; a carriage return followed by a
    // zero byte while the server has not agreed to take binary (the Telnet rule for CR).
    void EncodeData(const std::uint8_t* data, std::size_t length,
                    std::vector<std::uint8_t>& out) const;

    // Takes bytes from the server: the line's bytes are appended to data, the answers owed to
    // the server (option replies, the port settings once COM port control is agreed) to
    // replies.
    void Decode(const std::uint8_t* bytes, std::size_t length, std::vector<std::uint8_t>& data,
                std::vector<std::uint8_t>& replies);

    PortSettings Settings() const { return m_nSettings; }
    // For Refused: what the server did not confirm, e.g. "the baud rate: it answered 19200, not
    // 9600".
    const std::string& Refusal() const { return m_strRefusal; }

private:
    // One side of an option (RFC 1143 in short): off, asked for and not yet answered, on.
    enum class Side { No, Asked, Yes };
    struct Option {
        Side m_nUs = Side::No;  // we do the option
        Side m_nHim = Side::No; // the server does it
    };

    void OnCommand(std::uint8_t verb, std::uint8_t option, std::vector<std::uint8_t>& replies);
    void OnSubnegotiation();
    void RequestPortSettings(std::vector<std::uint8_t>& replies);
    void Refuse(std::string why);
    static bool WeDo(std::uint8_t option);
    static bool HeMayDo(std::uint8_t option);

    enum class State { Data, Iac, Verb, Sb, SbIac };
    State m_nState = State::Data;
    std::uint8_t m_nVerb = 0;
    bool m_bAfterCr = false; // the last byte of data was a carriage return (non-binary stream)
    std::vector<std::uint8_t> m_sb;
    Option m_options[256];
    PortSettings m_nSettings = PortSettings::Pending;
    unsigned m_nConfirmed = 0; // one bit per confirmed setting, by command code
    std::string m_strRefusal;
};
