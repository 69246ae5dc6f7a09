// The processor's settings in memory: one system block and three audio blocks, held byte for
// byte as the processor sends them. The same layout is the serial payload and the content of
// Vrx.cfg, so the offsets below are shared by the link, the storage and the report.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

inline constexpr std::size_t kSystemSetupSize = 128, kAudioSetupSize = 224, kChannelToneSize = 30,
                             kSettingsFileSize = 800;

using SystemSetup = std::array<std::uint8_t, kSystemSetupSize>;
using AudioSetup = std::array<std::uint8_t, kAudioSetupSize>;

// Offsets of the system block's fields. Bytes 7, 8 and 22 are only range-checked.
inline constexpr std::size_t kF1KeyAssignment = 0;
inline constexpr std::size_t kDisableMatrix = 1;
inline constexpr std::size_t kNonsyncMode = 3;
inline constexpr std::size_t kReaderDelayHigh = 4;
inline constexpr std::size_t kReaderDelayLow = 5;
inline constexpr std::size_t kSurroundDelay = 6;
inline constexpr std::size_t kCheckedByte7 = 7;
inline constexpr std::size_t kCheckedByte8 = 8;
inline constexpr std::size_t kPasswordEnabled = 9;
inline constexpr std::size_t kPasswordKeys = 11; // four bytes
inline constexpr std::size_t kPasswordKeyCount = 4;
inline constexpr std::size_t kCheckedByte22 = 22;
inline constexpr std::size_t kNonsyncTrim = 24;
inline constexpr std::size_t kMonoTrim = 25;
inline constexpr std::size_t kSrTrim = 26;
inline constexpr std::size_t kATrim = 27;
inline constexpr std::size_t kExternalTrim = 28;
inline constexpr std::size_t kDigitalTrim = 29;
inline constexpr std::size_t kDefaultFormat = 30;

// The highest reader delay a processor may report: 396 quarter steps, shown as 99.00.
inline constexpr std::uint16_t kMaxReaderDelay = 396;

// Offsets of the audio block's fields.
inline constexpr std::size_t kDateStamp = 0; // four packed bytes
inline constexpr std::size_t kDateStampSize = 4;
inline constexpr std::size_t kVolume = 6; // one byte per channel
inline constexpr std::size_t kTone = 12;  // six ChannelTone records
inline constexpr std::size_t kChannelCount = 6;

// Offsets inside one ChannelTone record; channel k's record starts at kTone + 30 * k.
inline constexpr std::size_t kEqBands = 27; // number of equaliser bytes, starting at offset 0
inline constexpr std::size_t kEq = 0;
inline constexpr std::size_t kBass = 27;
inline constexpr std::size_t kTreble = 28;

// Channel order inside an audio block (not the column order of the report): the index k of a
// channel's Volume byte and ChannelTone record.
inline constexpr std::size_t kChL = 0, kChLS = 1, kChC = 2, kChRS = 3, kChR = 4, kChSW = 5;

constexpr std::size_t ToneOffset(std::size_t channel) {
    return kTone + kChannelToneSize * channel;
}

struct SettingsImage { // all zero at start
    SystemSetup system{};
    AudioSetup current{};    // audio block 0
    AudioSetup alternate1{}; // audio block 1
    AudioSetup alternate2{}; // audio block 2
};

// The four blocks of an image, in stored order.
enum class SettingsBlock { System, Current, Alternate1, Alternate2 };
inline constexpr std::array<SettingsBlock, 4> kSettingsBlocks{
    SettingsBlock::System, SettingsBlock::Current, SettingsBlock::Alternate1,
    SettingsBlock::Alternate2};
// The audio blocks, by their numbers 0, 1 and 2 of the serial protocol.
inline constexpr std::array<SettingsBlock, 3> kAudioBlocks{
    SettingsBlock::Current, SettingsBlock::Alternate1, SettingsBlock::Alternate2};

// The bytes of one block of the image.
std::span<const std::uint8_t> BlockBytes(const SettingsImage& image, SettingsBlock block);
// The audio block of the image; nullptr for SettingsBlock::System.
const AudioSetup* AudioBlockOf(const SettingsImage& image, SettingsBlock block);

// The audio block that a block number of the serial protocol names: 0, 1 and 2 name the current
// setup and the two alternates; any other number names none (nullptr), and the transaction that
// asked fails.
const AudioSetup* AudioSetupFor(const SettingsImage& image, int number);
AudioSetup* AudioSetupFor(SettingsImage& image, int number);

struct DateStamp {
    std::uint8_t hour, minute, pm, dayOfWeek, month, day;
    std::int32_t year;
};

// Unpacks the four bytes at the head of an audio block. Pure; values are not checked.
DateStamp UnpackDateStamp(std::span<const std::uint8_t, 4> bytes);

// The checks a block received from the processor must pass before it enters the image. They
// read their argument only; every test is evaluated and all must hold.
bool CheckDateStamp(std::span<const std::uint8_t, 4> bytes);
bool CheckSystemSetup(std::span<const std::uint8_t, kSystemSetupSize> block);
bool CheckAudioSetup(std::span<const std::uint8_t, kAudioSetupSize> block);
// The first block of the image, in stored order, that fails its check; nullopt when every block
// passes. Stored settings go to a processor only when none fails; the Send's reason, the panel's
// mark and the listing all judge them by this.
std::optional<SettingsBlock> FirstFailingBlock(const SettingsImage& image);
// True when the system block and all three audio blocks pass their checks (FirstFailingBlock).
bool SettingsImagePassesChecks(const SettingsImage& image);

// The reader delay in quarter steps, most significant byte first. Reads only.
std::uint16_t ReaderDelay(std::span<const std::uint8_t, kSystemSetupSize> block);

// The 800-byte stored form: system, current, alternate #1, alternate #2, with no header.
std::array<std::uint8_t, kSettingsFileSize> ToStoredForm(const SettingsImage& image);
void FromStoredForm(std::span<const std::uint8_t, kSettingsFileSize> bytes, SettingsImage& image);
