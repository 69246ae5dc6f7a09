// The simulated processor's side of the transfer dialogues: a pure function of the bytes it
// receives (and of its settings, faults and seeded noise). It knows nothing of time or of a
// device; the pseudo-terminal line and the tests' in-memory line deliver its answers.
#pragma once

#include "faults.h"

#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

namespace vrxsim {

// 10 02, the message with each DLE doubled, 10 03.
Bytes EncodeFrame(const Bytes& message);

// A realistic set of settings (system block, audio blocks 0, 1, 2) that passes every check.
std::array<std::uint8_t, 800> ExampleSettings();

// What the processor does about one request it answers (after its think time).
struct Answer {
    Bytes line;                 // the bytes to send; empty when it stays silent
    bool startsChatter = false; // from now on the line never falls silent
    bool committed = false;     // a written block was stored: the settings changed
};

class Dialogue {
public:
    explicit Dialogue(std::array<std::uint8_t, 800> settings = ExampleSettings(),
                      std::vector<Fault> faults = {});

    // One byte from the program. When it completes a request that the processor answers, the
    // answer; a request that is not answered at all (a data frame, an abort, something
    // unknown) gives none.
    std::optional<Answer> Feed(std::uint8_t byte);

    const std::array<std::uint8_t, 800>& Settings() const { return m_settings; }
    void SetSettings(const std::array<std::uint8_t, 800>& settings) { m_settings = settings; }
    void SetFaults(std::vector<Fault> faults) { m_faults = std::move(faults); }
    // The next byte of a chattering line.
    std::uint8_t ChatterByte() { return LineByte(m_rng); }

private:
    // Which block a write in progress goes to, as named in the go-ahead.
    enum class WriteTarget { None, System, Audio0, Audio1, Audio2, Nowhere };

    std::optional<Answer> Handle(const Bytes& message);
    Answer Reply(Bytes message, const std::vector<FaultKind>& kinds);
    bool Commit();

    std::array<std::uint8_t, 800> m_settings;
    std::vector<Fault> m_faults;
    std::minstd_rand m_rng{0x3C3};

    // The receiver: DLE STX starts a frame (also inside one), a doubled DLE is a data byte, DLE
    // ETX ends it; anything else after a DLE, or more than 256 bytes, drops the frame.
    enum class State { Idle, IdleDle, InFrame, InFrameDle };
    State m_state = State::Idle;
    Bytes m_message;

    WriteTarget m_awaiting = WriteTarget::None; // go-ahead given, block not yet here
    Stage m_writeStage = Stage::Any;            // the announcement this write answers
    std::optional<Bytes> m_pending;             // the written block, until confirmed
    WriteTarget m_pendingTarget = WriteTarget::None;
};

} // namespace vrxsim
