// A serial line in memory for the link's tests and the fuzzer. Time is a clock moved by hand:
// a byte from the far end arrives at the line rate, and a read that finds none by its timeout
// moves the clock on by the timeout, so no real second ever passes.
#pragma once

#include "link/serial_line.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

// Ten bit times at 9600 baud, 8N1.
inline constexpr std::chrono::nanoseconds kLineByteTime{1'041'667};

class MemoryLine : public SerialLine {
public:
    // The far end: called with every buffer the program writes, once its last byte crossed the
    // line (WriteEnd()).
    std::function<void(std::span<const std::uint8_t>)> onWrite;
    // Called when the program waits for a byte and none is queued: the far end may queue more.
    std::function<void()> onIdle;

    void Write(const std::uint8_t* buffer, std::size_t length) override;
    int ReadByte() override;
    bool IsOpen() const override { return m_bOpen; }
    const LinkClock& Clock() const override { return m_clock; }

    // Queues bytes from the far end: they start no earlier than `start` and than the end of
    // what is already queued, one every kLineByteTime.
    void Send(std::span<const std::uint8_t> bytes, LinkClock::time_point start);
    void Send(std::span<const std::uint8_t> bytes) { Send(bytes, m_clock.Now()); }

    void SetOpen(bool bOpen) { m_bOpen = bOpen; }
    ManualLinkClock& ManualClock() { return m_clock; }
    // When the last byte the program wrote reached the far end.
    LinkClock::time_point WriteEnd() const { return m_writeEnd; }
    const Bytes& Written() const { return m_written; }
    const Bytes& Read() const { return m_read; }
    bool Pending() const { return !m_incoming.empty(); }

private:
    struct Incoming {
        std::uint8_t byte;
        LinkClock::time_point at;
    };
    ManualLinkClock m_clock;
    std::deque<Incoming> m_incoming;
    LinkClock::time_point m_writeEnd{};
    LinkClock::time_point m_sendEnd{};
    Bytes m_written;
    Bytes m_read;
    bool m_bOpen = true;
};

} // namespace testsupport
