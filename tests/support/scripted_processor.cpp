#include "scripted_processor.h"

namespace testsupport {

namespace {
constexpr std::chrono::milliseconds kChatterPeriod{100};
}

ScriptedProcessor::ScriptedProcessor(MemoryLine& line, std::array<std::uint8_t, 800> settings,
                                     std::vector<vrxsim::Fault> faults,
                                     std::chrono::milliseconds think)
    : m_line(line), m_dialogue(settings, std::move(faults)), m_think(think) {
    m_line.onWrite = [this](std::span<const std::uint8_t> bytes) {
        for (const std::uint8_t byte : bytes) {
            m_received.push_back(byte);
            const auto answer = m_dialogue.Feed(byte);
            if (!answer) {
                continue;
            }
            const auto at = m_line.WriteEnd() + m_think;
            if (answer->startsChatter) {
                m_bChatter = true;
                m_nextChatter = at;
            } else if (!answer->line.empty()) {
                m_line.Send(answer->line, at);
                m_sent.insert(m_sent.end(), answer->line.begin(), answer->line.end());
            }
        }
    };
    m_line.onIdle = [this] { Chatter(); };
}

ScriptedProcessor::~ScriptedProcessor() {
    m_line.onWrite = nullptr;
    m_line.onIdle = nullptr;
}

void ScriptedProcessor::SetFaults(std::vector<vrxsim::Fault> faults) {
    m_dialogue.SetFaults(std::move(faults));
    m_bChatter = false;
}

// A chattering line sends one byte every period, for as long as anyone listens.
void ScriptedProcessor::Chatter() {
    if (!m_bChatter) {
        return;
    }
    const std::uint8_t byte = m_dialogue.ChatterByte();
    const Bytes one{byte};
    m_line.Send(one, m_nextChatter);
    m_sent.push_back(byte);
    m_nextChatter += kChatterPeriod;
}

} // namespace testsupport
