#include "link/telnet_codec.h"

using namespace telnet;

namespace {

// What the program asks the server's port for, command by command.
struct Request {
    std::uint8_t m_nCommand;
    std::vector<std::uint8_t> m_value;
    const char* m_pszName; // what the technician is told was not confirmed
};

const Request kRequests[] = {
    {kSetBaudRate, {0x00, 0x00, 0x25, 0x80}, "the baud rate"}, // 9600, high byte first
    {kSetDataSize, {8}, "the data bits"},
    {kSetParity, {kParityNone}, "the parity (1 = none)"},
    {kSetStopSize, {kOneStopBit}, "the stop bits (1 = one)"},
    {kSetControl, {kNoFlowControl}, "the flow control (1 = none)"},
};

constexpr unsigned kAllConfirmed = (1u << kSetBaudRate) | (1u << kSetDataSize) |
                                   (1u << kSetParity) | (1u << kSetStopSize) | (1u << kSetControl);

// A subnegotiation's bytes with IAC doubled inside, as Telnet carries them.
void AppendSubnegotiation(std::vector<std::uint8_t>& out, std::uint8_t command,
                          const std::vector<std::uint8_t>& value) {
    out.insert(out.end(), {kIac, kSb, kOptionComPort, command});
    for (const std::uint8_t byte : value) {
        out.push_back(byte);
        if (byte == kIac)
            out.push_back(kIac);
    }
    out.insert(out.end(), {kIac, kSe});
}

std::string ValueText(const std::vector<std::uint8_t>& value) {
    unsigned long number = 0;
    for (const std::uint8_t byte : value)
        number = (number << 8) | byte;
    return std::to_string(number);
}

} // namespace

bool TelnetCodec::WeDo(std::uint8_t option) {
    return option == kOptionBinary || option == kOptionComPort || option == kOptionSuppressGoAhead;
}

// Never echo: the server would send the program's own requests back into the line's stream.
bool TelnetCodec::HeMayDo(std::uint8_t option) {
    return option == kOptionBinary || option == kOptionSuppressGoAhead;
}

std::vector<std::uint8_t> TelnetCodec::Greeting() {
    m_options[kOptionComPort].m_nUs = Side::Asked;
    m_options[kOptionBinary].m_nUs = Side::Asked;
    m_options[kOptionBinary].m_nHim = Side::Asked;
    return {kIac, kWill, kOptionComPort, kIac, kWill, kOptionBinary, kIac, kDo, kOptionBinary};
}

void TelnetCodec::EncodeData(const std::uint8_t* data, std::size_t length,
                             std::vector<std::uint8_t>& out) const {
    const bool bBinary = m_options[kOptionBinary].m_nUs == Side::Yes;
    for (std::size_t i = 0; i < length; ++i) {
        out.push_back(data[i]);
        if (data[i] == kIac)
            out.push_back(kIac);
        else if (data[i] == '\r' && !bBinary)
            out.push_back(0);
    }
}

void TelnetCodec::Decode(const std::uint8_t* bytes, std::size_t length,
                         std::vector<std::uint8_t>& data, std::vector<std::uint8_t>& replies) {
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint8_t byte = bytes[i];
        switch (m_nState) {
        case State::Data:
            if (byte == kIac) {
                m_nState = State::Iac;
            } else {
                // Without binary, a carriage return travels as CR NUL; the NUL is not the line's.
                const bool bPadding = byte == 0 && m_bAfterCr;
                m_bAfterCr = byte == '\r' && m_options[kOptionBinary].m_nHim != Side::Yes;
                if (!bPadding)
                    data.push_back(byte);
            }
            break;
        case State::Iac:
            if (byte == kIac) {
                data.push_back(kIac); // a doubled 0xFF is one byte of the line
                m_bAfterCr = false;
                m_nState = State::Data;
            } else if (byte >= kWill && byte <= kDont) {
                m_nVerb = byte;
                m_nState = State::Verb;
            } else if (byte == kSb) {
                m_sb.clear();
                m_nState = State::Sb;
            } else {
                m_nState = State::Data; // NOP, go-ahead, break and the like carry nothing here
            }
            break;
        case State::Verb:
            OnCommand(m_nVerb, byte, replies);
            m_nState = State::Data;
            break;
        case State::Sb:
            if (byte == kIac)
                m_nState = State::SbIac;
            else if (m_sb.size() < 64) // longer ones are none of the program's
                m_sb.push_back(byte);
            break;
        case State::SbIac:
            if (byte == kIac) {
                if (m_sb.size() < 64)
                    m_sb.push_back(kIac);
                m_nState = State::Sb;
            } else {
                // IAC SE ends it; any other command after IAC also ends it (RFC 854 leaves the
                // server no other choice), and that command is taken as such.
                OnSubnegotiation();
                m_nState = State::Data;
                if (byte != kSe) {
                    m_nState = State::Iac;
                    --i; // the byte is read again as the command after IAC
                }
            }
            break;
        }
    }
}

void TelnetCodec::OnCommand(std::uint8_t verb, std::uint8_t option,
                            std::vector<std::uint8_t>& replies) {
    Option& state = m_options[option];
    const auto reply = [&replies, option](std::uint8_t answer) {
        replies.insert(replies.end(), {kIac, answer, option});
    };
    switch (verb) {
    case kDo:
        if (!WeDo(option)) {
            reply(kWont);
        } else if (state.m_nUs != Side::Yes) {
            if (state.m_nUs == Side::No)
                reply(kWill);
            state.m_nUs = Side::Yes;
            if (option == kOptionComPort)
                RequestPortSettings(replies);
        }
        break;
    case kDont:
        if (state.m_nUs == Side::Yes)
            reply(kWont);
        if (option == kOptionComPort && state.m_nUs != Side::No)
            Refuse("it does not offer COM port control");
        state.m_nUs = Side::No;
        break;
    case kWill:
        if (!HeMayDo(option)) {
            reply(kDont);
        } else if (state.m_nHim != Side::Yes) {
            if (state.m_nHim == Side::No)
                reply(kDo);
            state.m_nHim = Side::Yes;
        }
        break;
    case kWont:
        if (state.m_nHim == Side::Yes)
            reply(kDont);
        state.m_nHim = Side::No;
        break;
    default:
        break;
    }
}

void TelnetCodec::RequestPortSettings(std::vector<std::uint8_t>& replies) {
    for (const Request& request : kRequests)
        AppendSubnegotiation(replies, request.m_nCommand, request.m_value);
}

void TelnetCodec::OnSubnegotiation() {
    // Only the answers to the program's settings matter; the server's notices of the line and
    // modem state, and its flow control requests, are of no use to a request and reply line.
    if (m_sb.size() < 2 || m_sb[0] != kOptionComPort || m_nSettings != PortSettings::Pending)
        return;
    const std::uint8_t code = m_sb[1];
    for (const Request& request : kRequests) {
        if (code != request.m_nCommand + kServerReply)
            continue;
        const std::vector<std::uint8_t> value(m_sb.begin() + 2, m_sb.end());
        if (value != request.m_value) {
            Refuse(std::string(request.m_pszName) + ": it answered " + ValueText(value) + ", not " +
                   ValueText(request.m_value));
            return;
        }
        m_nConfirmed |= 1u << request.m_nCommand;
        if (m_nConfirmed == kAllConfirmed)
            m_nSettings = PortSettings::Confirmed;
    }
}

void TelnetCodec::Refuse(std::string why) {
    if (m_nSettings == PortSettings::Pending) {
        m_nSettings = PortSettings::Refused;
        m_strRefusal = std::move(why);
    }
}
