// Block layouts as the simulated processor sees them: sizes, the checks a block must pass before
// the processor stores it, and the helpers that build its built-in example settings.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vrxsim {

// Framing and message codes of the line, as the processor knows them.
constexpr std::uint8_t kDle = 0x10;
constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEtx = 0x03;
constexpr std::uint8_t kReqSystem = 0x01; // request; also the system write go-ahead
constexpr std::uint8_t kReqAudio = 0x02;  // request; also the audio write go-ahead
constexpr std::uint8_t kAnnounceSystem = 0x0A;
constexpr std::uint8_t kAnnounceAudio = 0x0B;
constexpr std::uint8_t kConfirmQuery = 0x11;
constexpr std::uint8_t kSystemData = 0x12;
constexpr std::uint8_t kAudioData = 0x13;
constexpr std::uint8_t kTaken = 0x21;   // "!"
constexpr std::uint8_t kRefused = 0x3F; // "?": the written block fails its check
constexpr std::uint8_t kAbort = 0x23;

constexpr std::size_t kSystemBytes = 128;
constexpr std::size_t kAudioBytes = 224;
constexpr std::size_t kSettingsBytes = kSystemBytes + 3 * kAudioBytes; // 800
constexpr std::size_t kAudioOffset[3] = {kSystemBytes, kSystemBytes + kAudioBytes,
                                         kSystemBytes + 2 * kAudioBytes};

// Date stamp fields as the front panel sets them; the packing is the audio block's first 4 bytes.
struct Stamp {
    int hour;   // 1..12
    int minute; // 0..59
    bool pm;
    int dayOfWeek; // 0 = Friday ... 4 = Tuesday ... 6 = Thursday
    int month;     // 0 = January
    int day;       // 1..31
    int year;      // 1997..2097
};
std::array<std::uint8_t, 4> PackStamp(const Stamp& s);

bool StampValid(std::span<const std::uint8_t, 4> b);
bool SystemBlockValid(std::span<const std::uint8_t, kSystemBytes> b);
bool AudioBlockValid(std::span<const std::uint8_t, kAudioBytes> b);

} // namespace vrxsim
