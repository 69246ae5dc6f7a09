#include "line_data.h"

#include "blocks.h"
#include "dialogue.h"

#include <algorithm>
#include <span>
#include <stdexcept>

namespace testsupport {

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

SettingsImage ImageOf(const std::array<std::uint8_t, 800>& s) {
    SettingsImage image{};
    std::copy_n(s.begin(), 128, image.system.begin());
    std::copy_n(s.begin() + 128, 224, image.current.begin());
    std::copy_n(s.begin() + 352, 224, image.alternate1.begin());
    std::copy_n(s.begin() + 576, 224, image.alternate2.begin());
    return image;
}

std::array<std::uint8_t, 800> SettingsOf(const SettingsImage& image) {
    std::array<std::uint8_t, 800> s{};
    std::copy(image.system.begin(), image.system.end(), s.begin());
    std::copy(image.current.begin(), image.current.end(), s.begin() + 128);
    std::copy(image.alternate1.begin(), image.alternate1.end(), s.begin() + 352);
    std::copy(image.alternate2.begin(), image.alternate2.end(), s.begin() + 576);
    return s;
}

std::array<std::uint8_t, 800> ChangedSettings(bool bStillValid) {
    std::array<std::uint8_t, 800> blocks = vrxsim::ExampleSettings();
    const std::size_t base = vrxsim::kAudioOffset[1];
    for (std::size_t i = 4; i < vrxsim::kAudioBytes; ++i) {
        std::array<std::uint8_t, 800> candidate = blocks;
        candidate[base + i] =
            bStillValid ? static_cast<std::uint8_t>(candidate[base + i] + 1) : 0xFF;
        const bool bValid =
            vrxsim::AudioBlockValid(std::span<const std::uint8_t, vrxsim::kAudioBytes>(
                &candidate[base], vrxsim::kAudioBytes));
        if (bValid == bStillValid)
            return candidate;
    }
    throw std::logic_error("no suitable byte in the example settings");
}

} // namespace testsupport
