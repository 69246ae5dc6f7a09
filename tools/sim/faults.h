// The simulated processor's faults: where each applies and how it changes a reply on the line.
#pragma once

#include <cstdint>
#include <random>
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

using Bytes = std::vector<std::uint8_t>;

bool Has(const std::vector<FaultKind>& kinds, FaultKind kind);

// The kinds of `faults` that apply to a reply at `stage`. The confirmation faults of a write
// follow the write they were set for (`writeStage`, the announcement being answered).
std::vector<FaultKind> FaultsFor(const std::vector<Fault>& faults, Stage stage, Stage writeStage);

// A random line byte that is never DLE, so noise never starts a frame.
std::uint8_t LineByte(std::minstd_rand& rng);

// The frame of `message` as the faults `kinds` put it on the line (code, length, block,
// escape, cut, oversize, noise). Silence and chatter are not here: they send nothing.
Bytes FaultyFrame(Bytes message, const std::vector<FaultKind>& kinds, std::minstd_rand& rng);

} // namespace vrxsim
