// A line trace: every byte sent and received on a line, written to a text file for the
// technician or for support. One line per frame sent, per frame (or run of bytes) received and
// per silence, each with the milliseconds since the trace began, the direction and the bytes in
// hexadecimal:
//
//        0 ms  sent      10 02 01 10 03
//      131 ms  received  10 02 12 ... 10 03
//     1131 ms  silence
//
// The bytes are kept in the stream's buffer and written out between frames, never while the
// line waits for a byte, so a trace does not change the line's timing.
#pragma once

#include "link/serial_line.h"

#include <ostream>
#include <string>
#include <vector>

class TracingLine : public SerialLine {
public:
    // line and out must outlive the object.
    TracingLine(SerialLine& line, std::ostream& out);
    ~TracingLine() override;
    TracingLine(const TracingLine&) = delete;
    TracingLine& operator=(const TracingLine&) = delete;

    void Write(const std::uint8_t* buffer, std::size_t length) override;
    int ReadByte() override;
    bool IsOpen() const override { return m_line.IsOpen(); }
    const LinkClock& Clock() const override { return m_line.Clock(); }
    std::string Problem() const override { return m_line.Problem(); }

private:
    void Line(const char* direction, const std::vector<std::uint8_t>& bytes);
    void EndReceived();

    SerialLine& m_line;
    std::ostream& m_out;
    LinkClock::time_point m_start;
    LinkClock::time_point m_receivedAt{};
    std::vector<std::uint8_t> m_received;
    bool m_bAfterDle = false;
};
