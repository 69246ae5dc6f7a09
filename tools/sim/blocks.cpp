#include "blocks.h"

#include "dialogue.h"

#include <algorithm>

namespace vrxsim {
namespace {

bool Within(std::uint8_t b, int lo, int hi) {
    return b >= lo && b <= hi;
}

// Offsets inside one audio block.
constexpr std::size_t kVolume = 6;
constexpr std::size_t kTone = 12;
constexpr std::size_t kToneBytes = 30;
constexpr std::size_t kEqBands = 27;
constexpr std::size_t kBass = 27;
constexpr std::size_t kTreble = 28;
constexpr std::uint8_t kFlatEq = 12;
constexpr std::uint8_t kFlatTone = 10;
// Channels in block order.
enum Channel { L = 0, LS = 1, C = 2, RS = 3, R = 4, SW = 5 };

struct ChannelCurve {
    std::array<std::uint8_t, kEqBands> eq;
    std::uint8_t bass;
    std::uint8_t treble;
};

ChannelCurve Flat() {
    ChannelCurve c{};
    c.eq.fill(kFlatEq);
    c.bass = kFlatTone;
    c.treble = kFlatTone;
    return c;
}

void PutAudio(std::array<std::uint8_t, 800>& out, int block, const Stamp& stamp,
              const std::array<std::uint8_t, 6>& volume, const std::array<ChannelCurve, 6>& tone) {
    std::uint8_t* a = out.data() + kAudioOffset[block];
    const auto packed = PackStamp(stamp);
    std::copy(packed.begin(), packed.end(), a);
    std::copy(volume.begin(), volume.end(), a + kVolume);
    for (std::size_t k = 0; k < 6; ++k) {
        std::uint8_t* rec = a + kTone + kToneBytes * k;
        std::copy(tone[k].eq.begin(), tone[k].eq.end(), rec);
        rec[kBass] = tone[k].bass;
        rec[kTreble] = tone[k].treble;
    }
}

} // namespace

std::array<std::uint8_t, 4> PackStamp(const Stamp& s) {
    const int yearByte = s.year >= 2000 ? s.year - 2000 : s.year - 1900;
    return {static_cast<std::uint8_t>((s.month << 4) | (s.hour & 0x0F)),
            static_cast<std::uint8_t>((s.dayOfWeek << 5) | (s.day & 0x1F)),
            static_cast<std::uint8_t>((s.pm ? 0x40 : 0) | (s.minute & 0x3F)),
            static_cast<std::uint8_t>(yearByte)};
}

bool StampValid(std::span<const std::uint8_t, 4> b) {
    const int hour = b[0] & 0x0F;
    const int month = b[0] >> 4;
    const int day = b[1] & 0x1F;
    const int dayOfWeek = b[1] >> 5;
    const int minute = b[2] & 0x3F;
    const int year = b[3] >= 97 ? 1900 + b[3] : 2000 + b[3];
    return hour >= 1 && hour <= 12 && minute <= 59 && dayOfWeek <= 6 && month <= 11 && day >= 1 &&
           year >= 1997 && year <= 2097;
}

bool SystemBlockValid(std::span<const std::uint8_t, kSystemBytes> b) {
    const int readerDelay = (b[4] << 8) | b[5];
    return readerDelay <= 396 && Within(b[7], 0, 32) && Within(b[8], 1, 99) && Within(b[22], 0, 2);
}

bool AudioBlockValid(std::span<const std::uint8_t, kAudioBytes> b) {
    bool ok = StampValid(b.first<4>());
    for (std::size_t k = 0; k < 6; ++k) {
        ok = ok && Within(b[kVolume + k], 0, 24);
        const std::size_t rec = kTone + kToneBytes * k;
        for (std::size_t i = 0; i < kEqBands; ++i) {
            ok = ok && Within(b[rec + i], 0, 24);
        }
        ok = ok && Within(b[rec + kBass], 0, 20) && Within(b[rec + kTreble], 0, 20);
    }
    return ok;
}

std::array<std::uint8_t, 800> ExampleSettings() {
    std::array<std::uint8_t, 800> s{};

    // System block: SR on the F1 key, nonsync on screen and surrounds, reader delay 22.50,
    // surround delay 50 ms, password F2 F4 F1 F3, SR as the default format.
    std::uint8_t* sys = s.data();
    sys[0] = 3;    // F1 key: internal SR noise reduction
    sys[1] = 0;    // matrix enabled
    sys[3] = 2;    // nonsync: L/R/LS/RS
    sys[4] = 0x00; // reader delay 90 quarter steps, high byte first
    sys[5] = 90;
    sys[6] = 5;    // surround delay 50 ms
    sys[7] = 0x10; // range-checked 0..32; 16 also puts a DLE on the line
    sys[8] = 40;   // range-checked 1..99
    sys[9] = 1;    // password on
    sys[11] = 1;
    sys[12] = 3;
    sys[13] = 0;
    sys[14] = 2;
    sys[22] = 1; // range-checked 0..2
    sys[24] = 6; // nonsync trim -6 dB
    sys[25] = 4; // mono -4 dB
    sys[26] = 0; // SR 0 dB
    sys[27] = 2; // A -2 dB
    sys[28] = 3; // external -3 dB
    sys[29] = 1; // digital -1 dB
    sys[30] = 2; // default format SR

    // Current setup: the house curve after the last alignment. Screen channels roll off the
    // top octave, the centre gets a little presence, surrounds lose some 8 kHz.
    std::array<ChannelCurve, 6> current{};
    current.fill(Flat());
    for (int ch : {L, C, R}) {
        current[ch].eq[0] = 14;    // 40 Hz -1.0
        current[ch].eq[24] = 14;   // 10 kHz -1.0
        current[ch].eq[25] = 0x10; // 12.5 kHz -2.0 (a DLE on the line)
        current[ch].eq[26] = 18;   // 16 kHz -3.0
    }
    current[C].eq[17] = 10; // 2 kHz +1.0
    current[C].eq[18] = 9;  // 2.5 kHz +1.5
    current[C].bass = 11;
    current[C].treble = 9;
    current[LS].eq[7] = 15; // 8 kHz octave -1.5
    current[RS].eq[7] = 15;
    current[SW].bass = 8;
    PutAudio(s, 0, {3, 45, true, 4, 2, 17, 2026}, {12, 14, 11, 14, 12, 0x10}, current);

    // Alternate #1: the same room for a concert presentation, brighter and with more sub.
    std::array<ChannelCurve, 6> concert = current;
    for (int ch : {L, C, R}) {
        concert[ch].eq[24] = 12;
        concert[ch].treble = 8;
    }
    concert[SW].bass = 6;
    PutAudio(s, 1, {10, 5, false, 4, 0, 13, 2026}, {11, 13, 11, 13, 11, 8}, concert);

    // Alternate #2: flat as delivered, kept for comparison.
    std::array<ChannelCurve, 6> flat{};
    flat.fill(Flat());
    PutAudio(s, 2, {9, 30, true, 4, 11, 2, 2025}, {12, 12, 12, 12, 12, 12}, flat);
    return s;
}

} // namespace vrxsim
