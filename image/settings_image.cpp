#include "image/settings_image.h"

#include <algorithm>
#include <utility>

namespace {

// A byte is taken as unsigned, so the lower bound 0 needs no test of its own.
bool InRange(std::uint8_t b, unsigned lo, unsigned hi) {
    return lo <= b && b <= hi;
}

} // namespace

std::span<const std::uint8_t> BlockBytes(const SettingsImage& image, SettingsBlock block) {
    if (const AudioSetup* audio = AudioBlockOf(image, block))
        return *audio;
    return image.system;
}

const AudioSetup* AudioBlockOf(const SettingsImage& image, SettingsBlock block) {
    switch (block) {
    case SettingsBlock::Current:
        return &image.current;
    case SettingsBlock::Alternate1:
        return &image.alternate1;
    case SettingsBlock::Alternate2:
        return &image.alternate2;
    case SettingsBlock::System:
        break;
    }
    return nullptr;
}

const AudioSetup* AudioSetupFor(const SettingsImage& image, int number) {
    if (number < 0 || number >= static_cast<int>(kAudioBlocks.size()))
        return nullptr;
    return AudioBlockOf(image, kAudioBlocks[static_cast<std::size_t>(number)]);
}

AudioSetup* AudioSetupFor(SettingsImage& image, int number) {
    return const_cast<AudioSetup*>(AudioSetupFor(std::as_const(image), number));
}

DateStamp UnpackDateStamp(std::span<const std::uint8_t, 4> bytes) {
    DateStamp stamp{};
    stamp.hour = static_cast<std::uint8_t>(bytes[0] & 0x0F);
    stamp.month = static_cast<std::uint8_t>(bytes[0] >> 4);
    stamp.day = static_cast<std::uint8_t>(bytes[1] & 0x1F);
    stamp.dayOfWeek = static_cast<std::uint8_t>(bytes[1] >> 5);
    stamp.minute = static_cast<std::uint8_t>(bytes[2] & 0x3F);
    stamp.pm = static_cast<std::uint8_t>((bytes[2] >> 6) & 0x01);
    // The processor stores two digits; 97 and above belong to the 1900s.
    stamp.year = bytes[3] >= 97 ? 1900 + bytes[3] : 2000 + bytes[3];
    return stamp;
}

bool CheckDateStamp(std::span<const std::uint8_t, 4> bytes) {
    const DateStamp s = UnpackDateStamp(bytes);
    bool ok = true;
    ok &= InRange(s.hour, 1, 12);
    ok &= InRange(s.minute, 0, 59);
    ok &= InRange(s.dayOfWeek, 0, 6);
    ok &= InRange(s.month, 0, 11);
    ok &= InRange(s.day, 1, 31);
    ok &= s.year >= 1997 && s.year <= 2097;
    return ok;
}

std::uint16_t ReaderDelay(std::span<const std::uint8_t, kSystemSetupSize> block) {
    return static_cast<std::uint16_t>((block[kReaderDelayHigh] << 8) | block[kReaderDelayLow]);
}

bool CheckSystemSetup(std::span<const std::uint8_t, kSystemSetupSize> block) {
    bool ok = true;
    ok &= ReaderDelay(block) <= kMaxReaderDelay;
    ok &= InRange(block[kCheckedByte7], 0, 32);
    ok &= InRange(block[kCheckedByte8], 1, 99);
    ok &= InRange(block[kCheckedByte22], 0, 2);
    return ok;
}

bool CheckAudioSetup(std::span<const std::uint8_t, kAudioSetupSize> block) {
    bool ok = CheckDateStamp(block.subspan<kDateStamp, kDateStampSize>());
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        const std::size_t tone = ToneOffset(k);
        ok &= InRange(block[kVolume + k], 0, 24);
        ok &= InRange(block[tone + kBass], 0, 20);
        ok &= InRange(block[tone + kTreble], 0, 20);
        // Bands a channel does not use are range-checked all the same.
        for (std::size_t i = 0; i < kEqBands; ++i) {
            ok &= InRange(block[tone + kEq + i], 0, 24);
        }
    }
    return ok;
}

std::optional<SettingsBlock> FirstFailingBlock(const SettingsImage& image) {
    for (const SettingsBlock block : kSettingsBlocks) {
        const AudioSetup* audio = AudioBlockOf(image, block);
        if (audio ? !CheckAudioSetup(*audio) : !CheckSystemSetup(image.system))
            return block;
    }
    return std::nullopt;
}

bool SettingsImagePassesChecks(const SettingsImage& image) {
    return !FirstFailingBlock(image);
}

std::array<std::uint8_t, kSettingsFileSize> ToStoredForm(const SettingsImage& image) {
    std::array<std::uint8_t, kSettingsFileSize> out{};
    auto it = std::copy(image.system.begin(), image.system.end(), out.begin());
    it = std::copy(image.current.begin(), image.current.end(), it);
    it = std::copy(image.alternate1.begin(), image.alternate1.end(), it);
    std::copy(image.alternate2.begin(), image.alternate2.end(), it);
    return out;
}

void FromStoredForm(std::span<const std::uint8_t, kSettingsFileSize> bytes, SettingsImage& image) {
    auto it = bytes.begin();
    std::copy_n(it, kSystemSetupSize, image.system.begin());
    it += kSystemSetupSize;
    std::copy_n(it, kAudioSetupSize, image.current.begin());
    it += kAudioSetupSize;
    std::copy_n(it, kAudioSetupSize, image.alternate1.begin());
    it += kAudioSetupSize;
    std::copy_n(it, kAudioSetupSize, image.alternate2.begin());
}
