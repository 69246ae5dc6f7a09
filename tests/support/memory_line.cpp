#include "memory_line.h"

#include <algorithm>

namespace testsupport {

void MemoryLine::Write(const std::uint8_t* buffer, std::size_t length) {
    if (!m_bOpen || buffer == nullptr) {
        return;
    }
    m_written.insert(m_written.end(), buffer, buffer + length);
    // The write itself returns at once, as a port's does; the far end has the bytes only
    // after their line time.
    m_writeEnd = std::max(m_clock.Now(), m_writeEnd) + kLineByteTime * static_cast<long>(length);
    if (onWrite) {
        onWrite(std::span<const std::uint8_t>(buffer, length));
    }
}

int MemoryLine::ReadByte() {
    if (!m_bOpen) {
        m_clock.Advance(kByteTimeout);
        return -1;
    }
    if (m_incoming.empty() && onIdle) {
        onIdle();
    }
    const auto limit = m_clock.Now() + kByteTimeout;
    if (m_incoming.empty() || m_incoming.front().at > limit) {
        m_clock.AdvanceTo(limit);
        return -1;
    }
    const Incoming next = m_incoming.front();
    m_incoming.pop_front();
    m_clock.AdvanceTo(next.at);
    m_read.push_back(next.byte);
    return next.byte;
}

void MemoryLine::Send(std::span<const std::uint8_t> bytes, LinkClock::time_point start) {
    auto at = std::max(start, m_sendEnd);
    for (const std::uint8_t byte : bytes) {
        at += kLineByteTime;
        m_incoming.push_back({byte, at});
    }
    m_sendEnd = at;
}

} // namespace testsupport
