// Block layouts as the simulated processor sees them: sizes, the checks a block must pass before
// the processor stores it, and the helpers that build its built-in example settings.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vrxsim {

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
