// The line under the frame codec: what the codec and the transactions need of a serial port.
// CSerialPort is the program's line; tests and the fuzzer use a line in memory.
#pragma once

#include "link/deadline.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

// How long one byte may keep a read waiting on a silent line.
inline constexpr std::chrono::milliseconds kByteTimeout{1000};

// The time `bytes` take on the line: ten bits each (start bit, 8 data bits, stop bit) at 9600
// baud, rounded up to the nanosecond.
constexpr std::chrono::nanoseconds LineTime(std::size_t bytes) {
    return std::chrono::ceil<std::chrono::nanoseconds>(
        std::chrono::duration<long long, std::ratio<10, 9600>>(static_cast<long long>(bytes)));
}

class SerialLine {
public:
    virtual ~SerialLine() = default;

    // Writes the whole buffer within a bounded time and returns once its last byte has left the
    // line (at the earliest LineTime(length) after the call), so that the one-second wait for a
    // reply starts when the processor has the whole request. Failures are not reported: the
    // reply that does not follow fails the transaction.
    virtual void Write(const std::uint8_t* buffer, std::size_t length) = 0;
    // The next received byte, 0 to 255, or -1 when none arrived within kByteTimeout by Clock().
    // A read error also gives -1, at once when the device is gone (Lost()).
    virtual int ReadByte() = 0;
    virtual bool IsOpen() const = 0;
    // The clock that the line's own timeout runs on; the codec bounds whole receives with it.
    virtual const LinkClock& Clock() const = 0;
    // Why the line is not open, or that another program uses it, worded for the technician;
    // "" when nothing is known.
    virtual std::string Problem() const { return {}; }
    // True when the device went away while the line was open: an adapter unplugged or reset, a
    // pseudo-terminal whose other side closed. Reads then give -1 at once, not after a second.
    virtual bool Lost() const { return false; }
    // What the line is, for a reason or a trace: the port, its device and its adapter, e.g.
    // "COM1 on /dev/ttyUSB1, FTDI USB-serial adapter FT232R (serial A10KX3)"; "" when unknown.
    virtual std::string Describe() const { return {}; }
};
