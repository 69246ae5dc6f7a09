#include "faults.h"

#include "blocks.h"
#include "dialogue.h"

#include <algorithm>

namespace vrxsim {
namespace {

constexpr std::size_t kOversizeMessage = 300;

} // namespace

bool Has(const std::vector<FaultKind>& kinds, FaultKind kind) {
    return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

std::vector<FaultKind> FaultsFor(const std::vector<Fault>& faults, Stage stage, Stage writeStage) {
    std::vector<FaultKind> kinds;
    for (const Fault& f : faults) {
        const bool confirmOfThisWrite =
            stage == Stage::Confirm && f.stage == writeStage &&
            (f.kind == FaultKind::NoConfirm || f.kind == FaultKind::BadConfirm);
        if (f.stage == Stage::Any || f.stage == stage || confirmOfThisWrite) {
            kinds.push_back(f.kind);
        }
    }
    return kinds;
}

std::uint8_t LineByte(std::minstd_rand& rng) {
    std::uint8_t b = 0;
    do {
        b = static_cast<std::uint8_t>(rng() & 0xFF);
    } while (b == kDle);
    return b;
}

Bytes FaultyFrame(Bytes message, const std::vector<FaultKind>& kinds, std::minstd_rand& rng) {
    const bool confirm = message.size() == 1 && (message[0] == kTaken || message[0] == kRefused);
    const bool goAhead = !confirm && message.size() <= 2;
    if (Has(kinds, FaultKind::WrongCode)) {
        if (goAhead) {
            message[0] = message[0] == kReqSystem ? kReqAudio : kReqSystem;
        } else if (confirm) {
            message[0] = 0x22;
        } else {
            message[0] = static_cast<std::uint8_t>(message[0] + 1);
        }
    }
    if (Has(kinds, FaultKind::WrongLength)) {
        if (goAhead) {
            message.push_back(0);
        } else {
            message.pop_back();
        }
    }
    if (Has(kinds, FaultKind::BadBlock) && !goAhead && !confirm) {
        if (message.size() == 1 + kSystemBytes) {
            message[1 + 8] = 0; // range 1..99
        } else if (message.size() > 1 + 12) {
            message[1 + 12] = 25; // L equaliser, 40 Hz: range 0..24
        }
    }
    if (Has(kinds, FaultKind::BadBlockNumber) && goAhead && message.size() == 2) {
        message[1] = 5;
    }
    if (confirm && Has(kinds, FaultKind::BadConfirm)) {
        message.push_back(0x00);
    }
    if (Has(kinds, FaultKind::Oversize)) {
        while (message.size() < kOversizeMessage) {
            message.push_back(static_cast<std::uint8_t>(LineByte(rng) & 0x7F));
        }
    }

    Bytes frame = EncodeFrame(message);
    if (Has(kinds, FaultKind::BadEscape)) {
        // In the middle, but never between the two halves of a doubled DLE.
        std::size_t at = std::max<std::size_t>(3, frame.size() / 2);
        while (at < frame.size() - 2 && frame[at - 1] == kDle) {
            ++at;
        }
        frame.insert(frame.begin() + static_cast<std::ptrdiff_t>(at), {kDle, 0x05});
    }
    if (Has(kinds, FaultKind::CutFrame)) {
        std::size_t keep = std::max<std::size_t>(3, frame.size() / 2);
        while (keep < frame.size() - 2 && frame[keep - 1] == kDle) {
            ++keep;
        }
        frame.resize(keep);
    }
    if (Has(kinds, FaultKind::Noise)) {
        Bytes noise(8 + rng() % 17);
        for (auto& b : noise) {
            b = LineByte(rng);
        }
        frame.insert(frame.begin(), noise.begin(), noise.end());
    }
    return frame;
}

} // namespace vrxsim
