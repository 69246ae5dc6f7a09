#include "image/settings_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

struct ByteCase {
    std::size_t offset;
    std::uint8_t value;
    bool passes;
};

SystemSetup ValidSystem() {
    SystemSetup s{};
    s[kCheckedByte8] = 1; // the only checked byte whose range excludes 0
    return s;
}

// A valid stamp: MON 10:30 AM MAR 15, 1998.
constexpr std::array<std::uint8_t, 4> kValidStamp = {(2 << 4) | 10, (3 << 5) | 15, 30, 98};

AudioSetup ValidAudio() {
    AudioSetup a{};
    std::copy(kValidStamp.begin(), kValidStamp.end(), a.begin());
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        a[kVolume + k] = 12;
        for (std::size_t i = 0; i < kEqBands; ++i) {
            a[ToneOffset(k) + kEq + i] = 12;
        }
        a[ToneOffset(k) + kBass] = 10;
        a[ToneOffset(k) + kTreble] = 10;
    }
    return a;
}

TEST(SystemSetupCheck, RangesAtTheirEdges) {
    const std::vector<ByteCase> cases = {
        {kCheckedByte7, 0, true},    {kCheckedByte7, 32, true},   {kCheckedByte7, 33, false},
        {kCheckedByte7, 255, false}, {kCheckedByte8, 0, false},   {kCheckedByte8, 1, true},
        {kCheckedByte8, 99, true},   {kCheckedByte8, 100, false}, {kCheckedByte22, 0, true},
        {kCheckedByte22, 2, true},   {kCheckedByte22, 3, false},  {kCheckedByte22, 255, false},
    };
    for (const auto& c : cases) {
        SystemSetup s = ValidSystem();
        s[c.offset] = c.value;
        EXPECT_EQ(CheckSystemSetup(s), c.passes) << "byte " << c.offset << " = " << int{c.value};
    }
}

TEST(SystemSetupCheck, ReaderDelayIsReadHighByteFirst) {
    struct Case {
        std::uint8_t high, low;
        std::uint16_t value;
        bool passes;
    };
    const std::vector<Case> cases = {
        {0x00, 0x00, 0, true},    {0x00, 0xFF, 255, true},     {0x01, 0x8C, 396, true},
        {0x01, 0x8D, 397, false}, {0x8C, 0x01, 0x8C01, false}, {0xFF, 0xFF, 65535, false},
    };
    for (const auto& c : cases) {
        SystemSetup s = ValidSystem();
        s[kReaderDelayHigh] = c.high;
        s[kReaderDelayLow] = c.low;
        const SystemSetup before = s;
        EXPECT_EQ(ReaderDelay(s), c.value);
        EXPECT_EQ(CheckSystemSetup(s), c.passes) << c.value;
        EXPECT_EQ(s, before) << "reading the delay changed the block";
    }
}

TEST(SystemSetupCheck, UncheckedBytesNeverFail) {
    for (std::size_t offset = 0; offset < kSystemSetupSize; ++offset) {
        if (offset == kReaderDelayHigh || offset == kReaderDelayLow || offset == kCheckedByte7 ||
            offset == kCheckedByte8 || offset == kCheckedByte22) {
            continue;
        }
        for (std::uint8_t value : {std::uint8_t{1}, std::uint8_t{128}, std::uint8_t{255}}) {
            SystemSetup s = ValidSystem();
            s[offset] = value;
            EXPECT_TRUE(CheckSystemSetup(s)) << "byte " << offset;
        }
    }
}

TEST(SystemSetupCheck, EveryTestIsEvaluatedAndAllMustHold) {
    SystemSetup s{}; // byte 8 = 0 alone fails
    EXPECT_FALSE(CheckSystemSetup(s));
    s[kCheckedByte8] = 50;
    s[kCheckedByte22] = 3;
    EXPECT_FALSE(CheckSystemSetup(s));
}

TEST(DateStamp, UnpacksEveryField) {
    // THU 11:45 PM NOV 30, 2023 with the uninterpreted bit 7 of byte 2 set.
    const std::array<std::uint8_t, 4> bytes = {(10 << 4) | 11, (6 << 5) | 30, 0x80 | 0x40 | 45, 23};
    const DateStamp s = UnpackDateStamp(bytes);
    EXPECT_EQ(s.hour, 11);
    EXPECT_EQ(s.minute, 45);
    EXPECT_EQ(s.pm, 1);
    EXPECT_EQ(s.dayOfWeek, 6);
    EXPECT_EQ(s.month, 10);
    EXPECT_EQ(s.day, 30);
    EXPECT_EQ(s.year, 2023);
}

TEST(DateStamp, FieldRangesAtTheirEdges) {
    struct Case {
        const char* what;
        std::uint8_t hour, minute, dayOfWeek, month, day;
        bool passes;
    };
    const std::vector<Case> cases = {
        {"hour 0", 0, 30, 3, 2, 15, false},     {"hour 1", 1, 30, 3, 2, 15, true},
        {"hour 12", 12, 30, 3, 2, 15, true},    {"hour 13", 13, 30, 3, 2, 15, false},
        {"minute 0", 10, 0, 3, 2, 15, true},    {"minute 59", 10, 59, 3, 2, 15, true},
        {"minute 60", 10, 60, 3, 2, 15, false}, {"minute 63", 10, 63, 3, 2, 15, false},
        {"dow 0", 10, 30, 0, 2, 15, true},      {"dow 6", 10, 30, 6, 2, 15, true},
        {"dow 7", 10, 30, 7, 2, 15, false},     {"month 0", 10, 30, 3, 0, 15, true},
        {"month 11", 10, 30, 3, 11, 15, true},  {"month 12", 10, 30, 3, 12, 15, false},
        {"month 15", 10, 30, 3, 15, 15, false}, {"day 0", 10, 30, 3, 2, 0, false},
        {"day 1", 10, 30, 3, 2, 1, true},       {"day 31", 10, 30, 3, 2, 31, true},
        {"Feb 31", 10, 30, 3, 1, 31, true},
    };
    for (const auto& c : cases) {
        const std::array<std::uint8_t, 4> bytes = {
            static_cast<std::uint8_t>(c.month << 4 | c.hour),
            static_cast<std::uint8_t>(c.dayOfWeek << 5 | c.day), c.minute, 98};
        EXPECT_EQ(CheckDateStamp(bytes), c.passes) << c.what;
    }
}

TEST(DateStamp, YearWindow) {
    struct Case {
        std::uint8_t byte;
        std::int32_t year;
        bool passes;
    };
    const std::vector<Case> cases = {
        {0, 2000, true},   {96, 2096, true},   {97, 1997, true},
        {197, 2097, true}, {198, 2098, false}, {255, 2155, false},
    };
    for (const auto& c : cases) {
        std::array<std::uint8_t, 4> bytes = kValidStamp;
        bytes[3] = c.byte;
        EXPECT_EQ(UnpackDateStamp(bytes).year, c.year) << int{c.byte};
        EXPECT_EQ(CheckDateStamp(bytes), c.passes) << int{c.byte};
    }
}

TEST(DateStamp, PmAndBit7AreNeverTested) {
    for (std::uint8_t bits : {std::uint8_t{0x40}, std::uint8_t{0x80}, std::uint8_t{0xC0}}) {
        std::array<std::uint8_t, 4> bytes = kValidStamp;
        bytes[2] |= bits;
        EXPECT_TRUE(CheckDateStamp(bytes)) << int{bits};
        EXPECT_EQ(UnpackDateStamp(bytes).minute, 30);
    }
}

TEST(AudioSetupCheck, RangesAtTheirEdges) {
    std::vector<ByteCase> cases;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        const std::size_t tone = ToneOffset(k);
        for (auto [value, passes] : {std::pair{0, true}, {24, true}, {25, false}, {255, false}}) {
            cases.push_back({kVolume + k, static_cast<std::uint8_t>(value), passes});
            cases.push_back({tone + kEq, static_cast<std::uint8_t>(value), passes});
            cases.push_back({tone + kEq + 26, static_cast<std::uint8_t>(value), passes});
        }
        for (auto [value, passes] : {std::pair{0, true}, {20, true}, {21, false}, {255, false}}) {
            cases.push_back({tone + kBass, static_cast<std::uint8_t>(value), passes});
            cases.push_back({tone + kTreble, static_cast<std::uint8_t>(value), passes});
        }
    }
    for (const auto& c : cases) {
        AudioSetup a = ValidAudio();
        a[c.offset] = c.value;
        EXPECT_EQ(CheckAudioSetup(a), c.passes) << "byte " << c.offset << " = " << int{c.value};
    }
}

TEST(AudioSetupCheck, UninterpretedEqualiserBytesAreStillChecked) {
    std::vector<std::size_t> offsets;
    for (std::size_t k : {std::size_t{kChLS}, std::size_t{kChRS}}) {
        for (std::size_t i = 9; i < kEqBands; ++i) {
            offsets.push_back(ToneOffset(k) + kEq + i);
        }
    }
    for (std::size_t i = 0; i < kEqBands; ++i) {
        offsets.push_back(ToneOffset(kChSW) + kEq + i);
    }
    for (std::size_t offset : offsets) {
        AudioSetup a = ValidAudio();
        a[offset] = 24;
        EXPECT_TRUE(CheckAudioSetup(a)) << offset;
        a[offset] = 25;
        EXPECT_FALSE(CheckAudioSetup(a)) << offset;
    }
}

TEST(AudioSetupCheck, UncheckedBytesNeverFail) {
    std::vector<std::size_t> offsets = {4, 5};
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        offsets.push_back(ToneOffset(k) + 29);
    }
    for (std::size_t i = 192; i < kAudioSetupSize; ++i) {
        offsets.push_back(i);
    }
    for (std::size_t offset : offsets) {
        AudioSetup a = ValidAudio();
        a[offset] = 255;
        EXPECT_TRUE(CheckAudioSetup(a)) << offset;
    }
}

TEST(AudioSetupCheck, BadStampFailsTheBlock) {
    AudioSetup a = ValidAudio();
    EXPECT_TRUE(CheckAudioSetup(a));
    a[3] = 198;
    EXPECT_FALSE(CheckAudioSetup(a));
    EXPECT_FALSE(CheckAudioSetup(AudioSetup{})); // hour 0, day 0
}

TEST(SettingsImage, AudioSetupForNamesTheThreeBlocks) {
    SettingsImage image;
    EXPECT_EQ(AudioSetupFor(image, 0), &image.current);
    EXPECT_EQ(AudioSetupFor(image, 1), &image.alternate1);
    EXPECT_EQ(AudioSetupFor(image, 2), &image.alternate2);
    for (int bad : {-1, 3, 255})
        EXPECT_EQ(AudioSetupFor(image, bad), nullptr) << bad;
}

// Send, the panel's mark, the listing and the Send's reason all judge stored settings by this.
TEST(SettingsImage, FirstFailingBlockIsTheFirstInStoredOrder) {
    SettingsImage image{ValidSystem(), ValidAudio(), ValidAudio(), ValidAudio()};
    EXPECT_EQ(FirstFailingBlock(image), std::nullopt);
    image.alternate2[kVolume] = 25;
    EXPECT_EQ(FirstFailingBlock(image), SettingsBlock::Alternate2);
    image.current[kVolume] = 25;
    EXPECT_EQ(FirstFailingBlock(image), SettingsBlock::Current);
    image.system[kCheckedByte8] = 0;
    EXPECT_EQ(FirstFailingBlock(image), SettingsBlock::System);
    EXPECT_FALSE(SettingsImagePassesChecks(image));
}

TEST(SettingsImage, StoredFormKeepsEveryByteInBlockOrder) {
    SettingsImage image;
    for (std::size_t i = 0; i < kSystemSetupSize; ++i) {
        image.system[i] = static_cast<std::uint8_t>(i);
    }
    for (std::size_t i = 0; i < kAudioSetupSize; ++i) {
        image.current[i] = static_cast<std::uint8_t>(i + 1);
        image.alternate1[i] = static_cast<std::uint8_t>(i + 2);
        image.alternate2[i] = static_cast<std::uint8_t>(255 - i);
    }
    const auto stored = ToStoredForm(image);
    EXPECT_EQ(stored[0], 0);
    EXPECT_EQ(stored[127], 127);
    EXPECT_EQ(stored[128], 1);
    EXPECT_EQ(stored[128 + 224], 2);
    EXPECT_EQ(stored[128 + 448], 255);
    EXPECT_EQ(stored[799], 255 - 223);

    SettingsImage back;
    FromStoredForm(stored, back);
    EXPECT_EQ(back.system, image.system);
    EXPECT_EQ(back.current, image.current);
    EXPECT_EQ(back.alternate1, image.alternate1);
    EXPECT_EQ(back.alternate2, image.alternate2);
}

TEST(SettingsImage, ANewImageIsAllZero) {
    EXPECT_EQ(ToStoredForm(SettingsImage{}), (std::array<std::uint8_t, kSettingsFileSize>{}));
}

} // namespace
