#include "image/report_fields.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
Printf(const char* format, ...) {
    std::array<char, 256> buffer{};
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    if (n < 0) {
        return {};
    }
    return std::string(buffer.data(),
                       std::min<std::size_t>(static_cast<std::size_t>(n), buffer.size() - 1));
}

// The text a value prints when its table has no entry for it; a table is never read beyond its
// end, whatever an unchecked Vrx.cfg holds.
constexpr const char* kNoEntry = "???";

template <std::size_t N> const char* Lookup(const std::array<const char*, N>& table, unsigned v) {
    return v < N ? table[v] : kNoEntry;
}

constexpr std::array<const char*, 4> kF1KeyNames = {"Mono", "External noise reduction",
                                                    "Internal A noise reduction",
                                                    "Internal SR noise reduction"};

constexpr std::array<const char*, 5> kDefaultFormatNames = {"External", "Nonsync", "SR", "A",
                                                            "Mono or F1 Key definition"};

constexpr std::array<const char*, 4> kNonsyncModeNames = {
    "Screen channels (L/R)", "Surround channels (LS/RS)",
    "Screen and Surround channels (L/R/LS/RS)", "Matrix Decoded (L/C/R/LS/RS)"};

constexpr std::array<const char*, 7> kDayNames = {"FRIDAY",  "SATURDAY",  "SUNDAY",  "MONDAY",
                                                  "TUESDAY", "WEDNESDAY", "THURSDAY"};

constexpr std::array<const char*, 12> kMonthNames = {
    "JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",
    "JULY",    "AUGUST",   "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};

constexpr std::array<std::string_view, kEqBands> kBandLabels = {
    "40H",  "50H",   "63H",  "80H",  "100H", "125H", "160H",  "200H",  "250H",
    "315H", "400H",  "500H", "630H", "800H", "1K",   "1.25K", "1.6K",  "2K",
    "2.5K", "3.15K", "4K",   "5K",   "6.3K", "8K",   "10K",   "12.5K", "16K"};

// Report columns L, C, R, LS, RS, SW as channels of the block.
constexpr std::array<std::size_t, kChannelCount> kColumnChannels = {kChL,  kChC,  kChR,
                                                                    kChLS, kChRS, kChSW};
constexpr std::array<std::string_view, kChannelCount> kColumnNames = {"L",  "C",  "R",
                                                                      "LS", "RS", "SW"};
constexpr std::size_t kEqColumns = 5; // SW has no equaliser column

std::string VolumeCell(std::uint8_t byte) {
    const int d = 12 - byte;
    return Printf("       %c%d", d < 0 ? '-' : ' ', std::abs(d));
}

std::string ToneCell(std::uint8_t byte) {
    const int d = 10 - byte;
    const int m = std::abs(d);
    return Printf("      %s%c%d", m < 10 ? " " : "", d < 0 ? '-' : ' ', m);
}

std::string EqCell(std::uint8_t byte) {
    const int d = 12 - byte;
    const int m = std::abs(d);
    const int whole = m / 2;
    const char sign = d == 0 ? ' ' : (d > 0 ? '+' : '-');
    return Printf("  %s%c%d.%d", whole < 10 ? " " : "", sign, whole, (m % 2) * 5);
}

std::string TrimCell(std::uint8_t byte) {
    return Printf("-%u dB", unsigned{byte});
}

std::string PasswordCell(const SystemSetup& sys) {
    if (sys[kPasswordEnabled] == 0)
        return "Disabled";
    return Printf("%s [F%u-F%u-F%u-F%u]", "Enabled", sys[kPasswordKeys] + 1u,
                  sys[kPasswordKeys + 1] + 1u, sys[kPasswordKeys + 2] + 1u,
                  sys[kPasswordKeys + 3] + 1u);
}

} // namespace

std::string_view ReportField::Value() const {
    std::string_view value = m_strCell;
    value.remove_prefix(std::min(value.find_first_not_of(' '), value.size()));
    return value;
}

std::string_view SectionName(SettingsBlock block) {
    switch (block) {
    case SettingsBlock::System:
        return "System Setup";
    case SettingsBlock::Current:
        return "Current Audio Setup";
    case SettingsBlock::Alternate1:
        return "Alternate Audio Setup #1";
    case SettingsBlock::Alternate2:
        return "Alternate Audio Setup #2";
    }
    return kNoEntry;
}

std::vector<ReportField> SystemSectionFields(const SystemSetup& sys) {
    const unsigned delay = ReaderDelay(sys);
    const auto line = [](std::string_view row, std::string_view column, std::string_view lead,
                         std::string cell, std::vector<std::size_t> offsets) {
        return ReportField{SettingsBlock::System, row, column, lead, std::move(cell),
                           std::move(offsets)};
    };
    std::vector<ReportField> fields;
    fields.push_back(line("Reader Delay Setting", "", "Reader Delay Setting           ",
                          Printf("%u.%2.2u", delay / 4, (delay % 4) * 25),
                          {kReaderDelayHigh, kReaderDelayLow}));
    fields.push_back(line("F1 key assignment", "", "F1 key assignment:             ",
                          Lookup(kF1KeyNames, sys[kF1KeyAssignment]), {kF1KeyAssignment}));
    fields.push_back(line("Disable Matrix", "", "Disable Matrix:                ",
                          sys[kDisableMatrix] != 0 ? "Yes" : "No", {kDisableMatrix}));
    fields.push_back(line("Default format", "", "Default format:                ",
                          Lookup(kDefaultFormatNames, sys[kDefaultFormat]), {kDefaultFormat}));
    fields.push_back(line("Nonsync Mode", "", "Nonsync Mode:                  ",
                          Lookup(kNonsyncModeNames, sys[kNonsyncMode]), {kNonsyncMode}));
    // The format appends a literal 0, which turns the stored count of 10 ms units into ms.
    fields.push_back(line("Surround delay", "", "Surround delay:                ",
                          Printf("%u0 ms", unsigned{sys[kSurroundDelay]}), {kSurroundDelay}));
    // The keys are printed only while the password is on.
    std::vector<std::size_t> password = {kPasswordEnabled};
    if (sys[kPasswordEnabled] != 0) {
        for (std::size_t i = 0; i < kPasswordKeyCount; ++i)
            password.push_back(kPasswordKeys + i);
    }
    fields.push_back(line("System password", "", "System password:               ",
                          PasswordCell(sys), std::move(password)));
    fields.push_back(line("Nonsync Trim", "", "Nonsync Trim:                  ",
                          TrimCell(sys[kNonsyncTrim]), {kNonsyncTrim}));
    fields.push_back(line("Automation Trim", "Mono", "            Mono     =         ",
                          TrimCell(sys[kMonoTrim]), {kMonoTrim}));
    fields.push_back(line("Automation Trim", "A",
                          "            A        =         ", TrimCell(sys[kATrim]), {kATrim}));
    fields.push_back(line("Automation Trim", "SR",
                          "            SR       =         ", TrimCell(sys[kSrTrim]), {kSrTrim}));
    fields.push_back(line("Automation Trim", "External", "            External =         ",
                          TrimCell(sys[kExternalTrim]), {kExternalTrim}));
    fields.push_back(line("Automation Trim", "Digital", "            Digital  =         ",
                          TrimCell(sys[kDigitalTrim]), {kDigitalTrim}));
    return fields;
}

std::vector<ReportField> AudioSectionFields(const AudioSetup& audio, SettingsBlock which) {
    std::vector<ReportField> fields;
    if (which == SettingsBlock::System)
        return fields;
    const auto cell = [&](std::string_view row, std::size_t column, std::string text,
                          std::size_t offset) {
        fields.push_back(ReportField{which, row, kColumnNames[column], "", std::move(text),
                                     std::vector<std::size_t>{offset}});
    };
    fields.push_back(ReportField{which,
                                 "Date",
                                 "",
                                 "",
                                 DateLineText(audio),
                                 {kDateStamp, kDateStamp + 1, kDateStamp + 2, kDateStamp + 3}});
    for (std::size_t col = 0; col < kChannelCount; ++col) {
        const std::size_t offset = kVolume + kColumnChannels[col];
        cell("Volume", col, VolumeCell(audio[offset]), offset);
    }
    for (std::size_t col = 0; col < kChannelCount; ++col) {
        const std::size_t offset = ToneOffset(kColumnChannels[col]) + kBass;
        cell("Bass", col, ToneCell(audio[offset]), offset);
    }
    for (std::size_t col = 0; col < kChannelCount; ++col) {
        const std::size_t offset = ToneOffset(kColumnChannels[col]) + kTreble;
        cell("Treble", col, ToneCell(audio[offset]), offset);
    }
    for (std::size_t i = 0; i < kEqBands; ++i) {
        for (std::size_t col = 0; col < kEqColumns; ++col) {
            const std::size_t k = kColumnChannels[col];
            const bool surround = k == kChLS || k == kChRS;
            // Surround channels have octave bands, shown on the third-octave rows they match.
            if (surround && i % 3 != 2)
                continue;
            const std::size_t offset = ToneOffset(k) + kEq + (surround ? i / 3 : i);
            cell(kBandLabels[i], col, EqCell(audio[offset]), offset);
        }
    }
    return fields;
}

std::vector<ReportField> ReportFields(const SettingsImage& image) {
    std::vector<ReportField> fields = SystemSectionFields(image.system);
    for (const SettingsBlock which : kAudioBlocks) {
        auto section = AudioSectionFields(*AudioBlockOf(image, which), which);
        fields.insert(fields.end(), std::make_move_iterator(section.begin()),
                      std::make_move_iterator(section.end()));
    }
    return fields;
}

std::string DateLineText(const AudioSetup& block) {
    const DateStamp s = UnpackDateStamp(
        std::span<const std::uint8_t, kDateStampSize>(block.data() + kDateStamp, kDateStampSize));
    return Printf("%.3s %2u:%2.2u %cM %.3s %2u, %4.4d", Lookup(kDayNames, s.dayOfWeek),
                  unsigned{s.hour}, unsigned{s.minute}, s.pm ? 'P' : 'A',
                  Lookup(kMonthNames, s.month), unsigned{s.day}, int{s.year});
}
