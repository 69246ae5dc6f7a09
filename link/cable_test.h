// The cable test: with pins 2 and 3 of the cable's far end joined (a jumper or a paperclip in
// the DB-9, no processor on it), every byte the program sends comes straight back. A short
// pattern is sent and what returns within a bounded time is compared with it, which tells a bad
// cable or adapter from a silent processor.
#pragma once

#include "link/serial_line.h"

#include <cstdint>
#include <string>
#include <vector>

// The pattern: letters, the alternating bit patterns 0x55 and 0xAA, the extremes 0x00 and 0xFF.
// It never holds DLE (0x10), so no processor takes any part of it for a frame, let alone a
// request.
const std::vector<std::uint8_t>& CableTestPattern();

enum class CableTestOutcome {
    AllReturned, // every byte came back unchanged and in order
    Damaged,     // some came back: bytes lost, changed or added (see the message)
    NothingBack, // not one byte came back
    NotOpen,     // the port is not open
};

struct CableTestResult {
    CableTestOutcome m_nOutcome = CableTestOutcome::NotOpen;
    std::vector<std::uint8_t> m_sent;
    std::vector<std::uint8_t> m_received;
    std::string m_strProblem{}; // NotOpen: why the port did not open
    std::string m_strPort{};    // the port tested: its name, device and adapter

    // What the technician reads: "The cable and adapter returned every byte.", or which bytes
    // were lost or changed, or that nothing came back, each with what to check.
    std::string Message() const;
};

// Sends the pattern once and collects what comes back until every byte is back or the line has
// been silent for the byte timeout: at most the pattern's line time and one second.
CableTestResult TestCable(SerialLine& line);
// Opens the port (COM1 to COM4 through the profile at profilePath, or a device or network port
// by its name) for the test alone, tests the cable and closes it.
CableTestResult TestCableOn(const std::string& strPortName, const std::string& profilePath);
