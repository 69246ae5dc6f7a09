#include "link/line_trace.h"

#include "image/portable.h"
#include "link/frame_codec.h"

#include <cstdio>
#include <ctime>
#include <iomanip>

namespace {

// Local time in ISO 8601 with milliseconds and the offset from UTC: 2026-12-09T14:03:27.481+01:00.
std::string LocalIsoTime(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const auto second = floor<seconds>(when);
    const auto ms = duration_cast<milliseconds>(when - second).count();
    const std::time_t t = system_clock::to_time_t(second);
    std::tm local{};
    if (!ToLocalTime(t, local))
        return "unknown time";
    // The offset is the local calendar time read as if it were UTC, less the time itself.
    const sys_seconds asUtc =
        sys_days{year{local.tm_year + 1900} / (local.tm_mon + 1) / local.tm_mday} +
        hours{local.tm_hour} + minutes{local.tm_min} + seconds{local.tm_sec};
    const long offset = static_cast<long>(duration_cast<minutes>(asUtc - second).count());
    const long magnitude = offset < 0 ? -offset : offset;
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02ld:%02ld",
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, static_cast<int>(ms), offset < 0 ? '-' : '+',
                  magnitude / 60, magnitude % 60);
    return text;
}

} // namespace

std::string TraceRunHeader(std::chrono::system_clock::time_point when, const TraceRun& run,
                           const std::string& strPort) {
    std::string line = "=== " + LocalIsoTime(when) + "  " + run.m_strProgram + " " VRX3KM_VERSION;
    if (!run.m_strCommand.empty())
        line += "  " + run.m_strCommand;
    line += "  port " + (strPort.empty() ? std::string("unknown") : strPort);
    return line;
}

TracingLine::TracingLine(SerialLine& line, std::ostream& out, const TraceRun& run)
    : m_line(line), m_out(out), m_start(line.Clock().Now()) {
    m_out << TraceRunHeader(std::chrono::system_clock::now(), run, line.Describe()) << '\n';
}

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
