// The simulated processor's dialogue behind a MemoryLine: the same answers and faults as
// vrx3km-sim gives on a pseudo-terminal, in memory time.
#pragma once

#include "dialogue.h"
#include "memory_line.h"

#include <array>
#include <chrono>
#include <vector>

namespace testsupport {

class ScriptedProcessor {
public:
    // Binds itself to `line`, which must outlive it. `think` passes before each answer.
    explicit ScriptedProcessor(MemoryLine& line,
                               std::array<std::uint8_t, 800> settings = vrxsim::ExampleSettings(),
                               std::vector<vrxsim::Fault> faults = {},
                               std::chrono::milliseconds think = {});
    ~ScriptedProcessor();
    ScriptedProcessor(const ScriptedProcessor&) = delete;
    ScriptedProcessor& operator=(const ScriptedProcessor&) = delete;

    const Bytes& Received() const { return m_received; } // every byte the program sent
    const Bytes& Sent() const { return m_sent; }         // every byte the processor sent
    const std::array<std::uint8_t, 800>& Settings() const { return m_dialogue.Settings(); }
    // A new set of faults starts on a quiet line.
    void SetFaults(std::vector<vrxsim::Fault> faults);

private:
    void Chatter();

    MemoryLine& m_line;
    vrxsim::Dialogue m_dialogue;
    std::chrono::milliseconds m_think;
    Bytes m_received;
    Bytes m_sent;
    bool m_bChatter = false;
    LinkClock::time_point m_nextChatter{};
};

} // namespace testsupport
