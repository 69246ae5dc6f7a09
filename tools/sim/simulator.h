// The simulated VRX-3KM processor on a pseudo-terminal: the line of the dialogue (dialogue.h)
// with its faults (faults.h), so the program (and its tests) can talk to something that behaves
// like the real unit, including its failures, at the line rate when asked.
#pragma once

#include "dialogue.h"
#include "faults.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vrxsim {

struct Options {
    std::array<std::uint8_t, 800> settings = ExampleSettings(); // system, audio 0, 1, 2
    bool pace = false;                                          // 9600 baud 8N1 (1.0416 ms a byte)
    // Think time before each reply, counted from the moment the request's last byte would reach
    // the processor on a real line at 9600 baud, paced or not.
    int delayMs = 0;
    std::vector<Fault> faults;
    std::string saveFile; // after every accepted write, store the 800 bytes there
};

class Simulator {
public:
    explicit Simulator(Options options = {}); // opens a pty master; does not serve yet
    ~Simulator();                             // stops and closes
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    void Start(); // serves on a background thread
    void Stop();
    const std::string& DevicePath() const;           // the slave side, e.g. /dev/pts/7
    std::array<std::uint8_t, 800> Settings() const;  // the blocks it holds now
    std::vector<std::uint8_t> ReceivedBytes() const; // every byte the program sent, in order
    std::vector<std::uint8_t> SentBytes() const;     // every byte it sent
    void SetFaults(std::vector<Fault> faults);
    void SetSettings(const std::array<std::uint8_t, 800>&);
    // Blocks until the simulator has been silent (nothing to send, nothing received) for `ms`,
    // so tests can wait on an event instead of sleeping.
    bool WaitIdle(int ms, int timeoutMs = 5000);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace vrxsim
