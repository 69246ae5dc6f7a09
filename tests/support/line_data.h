// Byte strings and settings images as the link's tests compare them.
#pragma once

#include "image/settings_image.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

// The parts one after another.
Bytes Cat(std::initializer_list<Bytes> parts);

// The image of 800 stored bytes (system block, audio blocks 0, 1, 2) and back.
SettingsImage ImageOf(const std::array<std::uint8_t, 800>& settings);
std::array<std::uint8_t, 800> SettingsOf(const SettingsImage& image);

// The simulator's example settings with one byte of audio block 1 changed (raised by one, or set
// to 255) so that the block still, or no longer, passes the processor's check.
std::array<std::uint8_t, 800> ChangedSettings(bool bStillValid);

} // namespace testsupport
