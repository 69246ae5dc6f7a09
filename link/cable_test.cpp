#include "link/cable_test.h"

#include "link/serial_port.h"

#include <algorithm>
#include <cstdio>

const std::vector<std::uint8_t>& CableTestPattern() {
    static const std::vector<std::uint8_t> pattern = {'V', 'R', 'X',  '-',  '3',  'K',  'M',  ' ',
                                                      'c', 'a', 'b',  'l',  'e',  ' ',  't',  'e',
                                                      's', 't', 0x55, 0xAA, 0x00, 0xFF, 0x0F, 0xF0};
    return pattern;
}

namespace {

std::string Hex(std::uint8_t byte) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(byte));
    return text;
}

// How many of the sent bytes came back in their order (the longest common subsequence).
std::size_t InOrder(const std::vector<std::uint8_t>& sent,
                    const std::vector<std::uint8_t>& received) {
    std::vector<std::size_t> row(received.size() + 1, 0);
    for (const std::uint8_t byte : sent) {
        std::size_t diagonal = 0;
        for (std::size_t j = 1; j <= received.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = byte == received[j - 1] ? diagonal + 1 : std::max(row[j], row[j - 1]);
            diagonal = above;
        }
    }
    return row[received.size()];
}

} // namespace

CableTestResult TestCable(SerialLine& line) {
    CableTestResult result;
    result.m_sent = CableTestPattern();
    if (!line.IsOpen())
        return result;
    line.Write(result.m_sent.data(), result.m_sent.size());
    // A loop returns each byte as it arrives; the first silent second ends the wait. A few
    // bytes more than were sent are read, so a line that adds bytes is told.
    while (result.m_received.size() < result.m_sent.size() + 8) {
        const int byte = line.ReadByte();
        if (byte < 0)
            break;
        result.m_received.push_back(static_cast<std::uint8_t>(byte));
        if (result.m_received == result.m_sent)
            break;
    }
    if (result.m_received.empty())
        result.m_nOutcome = CableTestOutcome::NothingBack;
    else if (result.m_received == result.m_sent)
        result.m_nOutcome = CableTestOutcome::AllReturned;
    else
        result.m_nOutcome = CableTestOutcome::Damaged;
    return result;
}

std::string CableTestResult::Message() const {
    switch (m_nOutcome) {
    case CableTestOutcome::AllReturned:
        return "The cable and adapter returned every byte.";
    case CableTestOutcome::NotOpen:
        return "The cable could not be tested: " +
               (m_strProblem.empty() ? std::string("the port is not open.") : m_strProblem);
    case CableTestOutcome::NothingBack:
        return "Nothing came back of the " + std::to_string(m_sent.size()) +
               " bytes sent. Check that pins 2 and 3 are joined at the cable's far end, that the "
               "cable is plugged into the adapter, and that this is the adapter's port.";
    case CableTestOutcome::Damaged:
        break;
    }
    std::string text;
    if (m_received.size() == m_sent.size()) {
        // As many bytes as were sent: those that differ were changed on the way.
        std::size_t nChanged = 0;
        std::string firstChange;
        for (std::size_t i = 0; i < m_sent.size(); ++i) {
            if (m_sent[i] != m_received[i] && nChanged++ == 0)
                firstChange = "byte " + std::to_string(i + 1) + " was sent as " + Hex(m_sent[i]) +
                              " and came back as " + Hex(m_received[i]);
        }
        text = "All " + std::to_string(m_sent.size()) + " bytes came back, but " +
               std::to_string(nChanged) + (nChanged == 1 ? " was" : " were") + " changed (" +
               firstChange + ")";
    } else {
        // The bytes that came back in their order; the rest of the sent ones were lost.
        const std::size_t nKept = InOrder(m_sent, m_received);
        text = std::to_string(m_received.size()) + " of " + std::to_string(m_sent.size()) +
               " bytes came back";
        if (nKept < m_sent.size())
            text += "; " + std::to_string(m_sent.size() - nKept) + " of them were lost";
        if (m_received.size() > nKept)
            text += "; " + std::to_string(m_received.size() - nKept) +
                    " that came back were changed or never sent";
    }
    return text + ". Check the cable and its plugs, and try another cable or adapter.";
}

CableTestResult TestCableOn(const std::string& strPortName, const std::string& profilePath) {
    CSerialPort port;
    OpenNamedPort(port, strPortName, profilePath);
    CableTestResult result = TestCable(port);
    result.m_strPort = port.Describe();
    if (!port.IsOpen())
        result.m_strProblem = port.LastOpenFailure().Reason();
    return result;
}
