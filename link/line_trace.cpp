#include "link/line_trace.h"

#include "link/frame_codec.h"

#include <iomanip>

TracingLine::TracingLine(SerialLine& line, std::ostream& out)
    : m_line(line), m_out(out), m_start(line.Clock().Now()) {}

TracingLine::~TracingLine() {
    EndReceived();
    m_out.flush();
}

void TracingLine::Line(const char* direction, const std::vector<std::uint8_t>& bytes) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        (bytes.empty() ? m_line.Clock().Now() : m_receivedAt) - m_start)
                        .count();
    m_out << std::setw(8) << std::setfill(' ') << std::dec << ms << " ms  ";
    if (bytes.empty()) {
        m_out << direction << '\n';
        return;
    }
    m_out << std::left << std::setw(10) << direction << std::right;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        m_out << (i ? " " : "") << std::hex << std::setw(2) << std::setfill('0')
              << static_cast<unsigned>(bytes[i]) << std::setfill(' ') << std::dec;
    m_out << '\n';
}

void TracingLine::EndReceived() {
    if (m_received.empty())
        return;
    Line("received", m_received);
    m_received.clear();
    m_bAfterDle = false;
}

void TracingLine::Write(const std::uint8_t* buffer, std::size_t length) {
    EndReceived();
    m_receivedAt = m_line.Clock().Now();
    if (buffer != nullptr && length > 0)
        Line("sent", std::vector<std::uint8_t>(buffer, buffer + length));
    m_line.Write(buffer, length);
}

int TracingLine::ReadByte() {
    const int byte = m_line.ReadByte();
    if (byte < 0) {
        EndReceived();
        Line("silence", {});
        return byte;
    }
    if (m_received.empty())
        m_receivedAt = m_line.Clock().Now();
    const auto value = static_cast<std::uint8_t>(byte);
    m_received.push_back(value);
    // DLE ETX ends a frame; DLE DLE is a data byte.
    if (m_bAfterDle) {
        m_bAfterDle = false;
        if (value == ETX)
            EndReceived();
    } else if (value == DLE) {
        m_bAfterDle = true;
    }
    return byte;
}
