// A line trace: every byte sent and received on a line, written to a text file for the
// technician or for support. Each run begins with a line that says when it began (local time,
// ISO 8601 to the millisecond), the program and its version, the command and the port with its
// device and adapter, so runs appended to one file are told apart at a glance. Then one line
// per frame sent, per frame (or run of bytes) received and per silence, each with the
// milliseconds since the run began, the direction and the bytes in hexadecimal:
//
//   === 2026-12-09T14:03:27.481+01:00  vrx3km-cli 1.2  load Odeon Main 1  port COM1 on /dev/ttyUSB0
//        0 ms  sent      10 02 01 10 03
//      131 ms  received  10 02 12 ... 10 03
//     1131 ms  silence
//
// The bytes are kept in the stream's buffer and written out between frames, never while the
// line waits for a byte, so a trace does not change the line's timing.
#pragma once

#include "link/serial_line.h"

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

// What a run's first line names besides its time and the port.
struct TraceRun {
    std::string m_strProgram = "vrx3km"; // the program; its version is this build's
    std::string m_strCommand;            // the command as given, "" when not known
};

// The first line of a run: "=== ", the local time `when` in ISO 8601 with milliseconds and the
// offset from UTC, the program and this build's version, the command and "port" with what the
// line names, each part two spaces from the next.
std::string TraceRunHeader(std::chrono::system_clock::time_point when, const TraceRun& run,
                           const std::string& strPort);

class TracingLine : public SerialLine {
public:
    // line and out must outlive the object. Writes the run's first line, with the port as
    // line.Describe() names it now.
    TracingLine(SerialLine& line, std::ostream& out, const TraceRun& run = {});
    ~TracingLine() override;
    TracingLine(const TracingLine&) = delete;
    TracingLine& operator=(const TracingLine&) = delete;

    void Write(const std::uint8_t* buffer, std::size_t length) override;
    int ReadByte() override;
    bool IsOpen() const override { return m_line.IsOpen(); }
    const LinkClock& Clock() const override { return m_line.Clock(); }
    std::string Problem() const override { return m_line.Problem(); }
    bool Lost() const override { return m_line.Lost(); }
    std::string Describe() const override { return m_line.Describe(); }

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
