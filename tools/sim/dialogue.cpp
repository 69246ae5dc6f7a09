#include "dialogue.h"

#include "blocks.h"

#include <algorithm>
#include <span>

namespace vrxsim {
namespace {

constexpr std::size_t kMaxMessage = 256;

Stage ReadStage(int block) {
    return static_cast<Stage>(static_cast<int>(Stage::ReadAudio0) + block);
}
Stage WriteStage(int block) {
    return static_cast<Stage>(static_cast<int>(Stage::WriteAudio0) + block);
}

} // namespace

Bytes EncodeFrame(const Bytes& message) {
    Bytes frame{kDle, kStx};
    for (std::uint8_t b : message) {
        frame.push_back(b);
        if (b == kDle) {
            frame.push_back(kDle);
        }
    }
    frame.push_back(kDle);
    frame.push_back(kEtx);
    return frame;
}

Dialogue::Dialogue(std::array<std::uint8_t, 800> settings, std::vector<Fault> faults)
    : m_settings(settings), m_faults(std::move(faults)) {}

std::optional<Answer> Dialogue::Feed(std::uint8_t b) {
    const auto store = [this](std::uint8_t byte) {
        if (m_message.size() < kMaxMessage) {
            m_message.push_back(byte);
        } else {
            m_state = State::Idle;
        }
    };
    switch (m_state) {
    case State::Idle:
        if (b == kDle) {
            m_state = State::IdleDle;
        }
        return std::nullopt;
    case State::IdleDle:
        if (b == kStx) {
            m_message.clear();
            m_state = State::InFrame;
        } else if (b != kDle) {
            m_state = State::Idle;
        }
        return std::nullopt;
    case State::InFrame:
        if (b == kDle) {
            m_state = State::InFrameDle;
        } else {
            store(b);
        }
        return std::nullopt;
    case State::InFrameDle:
        if (b == kDle) {
            m_state = State::InFrame;
            store(b);
        } else if (b == kEtx) {
            m_state = State::Idle;
            return Handle(m_message);
        } else if (b == kStx) {
            m_message.clear();
            m_state = State::InFrame;
        } else {
            m_state = State::Idle;
        }
        return std::nullopt;
    }
    m_state = State::Idle;
    return std::nullopt;
}

std::optional<Answer> Dialogue::Handle(const Bytes& m) {
    if (m.empty()) {
        return std::nullopt;
    }
    const std::uint8_t code = m[0];
    if (code == kReqSystem && m.size() == 1) {
        m_awaiting = WriteTarget::None;
        m_pending.reset();
        Bytes reply{kSystemData};
        reply.insert(reply.end(), m_settings.begin(), m_settings.begin() + kSystemBytes);
        return Reply(std::move(reply), FaultsFor(m_faults, Stage::ReadSystem, m_writeStage));
    }
    if (code == kReqAudio && m.size() == 2) {
        m_awaiting = WriteTarget::None;
        m_pending.reset();
        const int block = m[1];
        if (block > 2) {
            return std::nullopt; // the processor has no such block
        }
        Bytes reply{kAudioData};
        const auto* a = m_settings.begin() + kAudioOffset[block];
        reply.insert(reply.end(), a, a + kAudioBytes);
        return Reply(std::move(reply), FaultsFor(m_faults, ReadStage(block), m_writeStage));
    }
    if (code == kAnnounceSystem && m.size() == 1) {
        m_pending.reset();
        m_writeStage = Stage::WriteSystem;
        const auto kinds = FaultsFor(m_faults, Stage::WriteSystem, m_writeStage);
        const bool answers = !Has(kinds, FaultKind::Silent) && !Has(kinds, FaultKind::Chatter);
        m_awaiting = answers ? WriteTarget::System : WriteTarget::None;
        return Reply(Bytes{kReqSystem}, kinds);
    }
    if (code == kAnnounceAudio && m.size() == 3) {
        m_pending.reset();
        m_awaiting = WriteTarget::None;
        const int block = m[1];
        if (block > 2) {
            return std::nullopt;
        }
        m_writeStage = WriteStage(block);
        const auto kinds = FaultsFor(m_faults, m_writeStage, m_writeStage);
        int named = block;
        if (Has(kinds, FaultKind::WrongBlock)) {
            named = (block + 1) % 3;
        }
        const bool answers = !Has(kinds, FaultKind::Silent) && !Has(kinds, FaultKind::Chatter);
        if (answers) {
            m_awaiting =
                Has(kinds, FaultKind::BadBlockNumber)
                    ? WriteTarget::Nowhere
                    : static_cast<WriteTarget>(static_cast<int>(WriteTarget::Audio0) + named);
        }
        return Reply(Bytes{kReqAudio, static_cast<std::uint8_t>(named)}, kinds);
    }
    if (code == kSystemData && m.size() == 1 + kSystemBytes) {
        if (m_awaiting == WriteTarget::System) {
            m_pending = Bytes(m.begin() + 1, m.end());
            m_pendingTarget = WriteTarget::System;
        }
        m_awaiting = WriteTarget::None;
        return std::nullopt;
    }
    if (code == kAudioData && m.size() == 1 + kAudioBytes) {
        if (m_awaiting >= WriteTarget::Audio0 && m_awaiting <= WriteTarget::Audio2) {
            m_pending = Bytes(m.begin() + 1, m.end());
            m_pendingTarget = m_awaiting;
        }
        m_awaiting = WriteTarget::None;
        return std::nullopt;
    }
    if (code == kConfirmQuery && m.size() == 1) {
        m_awaiting = WriteTarget::None;
        const auto kinds = FaultsFor(m_faults, Stage::Confirm, m_writeStage);
        if (!m_pending) {
            m_writeStage = Stage::Any;
            return std::nullopt; // nothing was written since the go-ahead: nothing to confirm
        }
        const bool valid =
            m_pendingTarget == WriteTarget::System
                ? SystemBlockValid(
                      std::span<const std::uint8_t, kSystemBytes>(m_pending->data(), kSystemBytes))
                : AudioBlockValid(
                      std::span<const std::uint8_t, kAudioBytes>(m_pending->data(), kAudioBytes));
        const bool refuses = Has(kinds, FaultKind::Silent) || Has(kinds, FaultKind::Chatter) ||
                             Has(kinds, FaultKind::WrongCode) || Has(kinds, FaultKind::WrongLength);
        const bool committed = valid && !refuses && Commit();
        m_pending.reset();
        m_writeStage = Stage::Any;
        Answer answer = Reply(Bytes{valid ? kTaken : kRefused}, kinds);
        answer.committed = committed;
        return answer;
    }
    if (code == kAbort && m.size() == 1) {
        m_awaiting = WriteTarget::None;
        m_pending.reset();
        m_writeStage = Stage::Any;
    }
    // Anything else is not a request this processor knows: it is ignored.
    return std::nullopt;
}

bool Dialogue::Commit() {
    std::size_t offset = 0;
    if (m_pendingTarget != WriteTarget::System) {
        offset =
            kAudioOffset[static_cast<int>(m_pendingTarget) - static_cast<int>(WriteTarget::Audio0)];
    }
    std::copy(m_pending->begin(), m_pending->end(), m_settings.begin() + offset);
    return true;
}

Answer Dialogue::Reply(Bytes message, const std::vector<FaultKind>& kinds) {
    Answer answer;
    if (Has(kinds, FaultKind::Chatter)) {
        answer.startsChatter = true;
        return answer;
    }
    const bool confirm = message.size() == 1 && (message[0] == kTaken || message[0] == kRefused);
    if (Has(kinds, FaultKind::Silent) || (confirm && Has(kinds, FaultKind::NoConfirm))) {
        return answer;
    }
    answer.line = FaultyFrame(std::move(message), kinds, m_rng);
    return answer;
}

} // namespace vrxsim
