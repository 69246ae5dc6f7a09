// The simulated VRX-3KM processor: serves the transfer dialogues on a pseudo-terminal so the
// program (and its tests) can talk to something that behaves like the real unit, including its
// failures.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vrxsim {

// Where a fault applies: the request it answers.
enum class Stage {
    Any,
    ReadSystem,
    ReadAudio0,
    ReadAudio1,
    ReadAudio2,
    WriteSystem,
    WriteAudio0,
    WriteAudio1,
    WriteAudio2,
    Confirm
};

enum class FaultKind {
    Silent,         // never answers the request
    WrongCode,      // answers with a wrong message code
    WrongLength,    // right code, one byte too short (or a go-ahead with an extra byte)
    BadBlock,       // a block that fails its check (e.g. an equaliser byte of 25)
    WrongBlock,     // a write go-ahead that names another audio block (block+1 mod 3)
    BadBlockNumber, // a write go-ahead naming block 5
    Noise,          // random bytes (without DLE STX) before the reply
    CutFrame,       // the reply stops half-way and the line falls silent
    Oversize,       // a reply frame of 300 message bytes
    BadEscape,      // DLE followed by 0x05 inside the reply
    Chatter,        // a line that never falls silent: sends a byte every ~100 ms forever
    NoConfirm,      // takes a written block but does not answer the confirmation
    BadConfirm,     // answers the confirmation with "!" plus another byte
};

struct Fault {
    FaultKind kind;
    Stage stage = Stage::Any;
};

// A realistic set of settings (system block, audio blocks 0, 1, 2) that passes every check.
std::array<std::uint8_t, 800> ExampleSettings();

struct Options {
    std::array<std::uint8_t, 800> settings = ExampleSettings(); // system, audio 0, 1, 2
    bool pace = false;                                          // 9600 baud 8N1 (1.0416 ms a byte)
    int delayMs = 0;                                            // think time before each reply
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
