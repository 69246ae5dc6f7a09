#include "image/report.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string_view>

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

constexpr std::array<const char*, kEqBands> kBandLabels = {
    "40H",  "50H",   "63H",  "80H",  "100H", "125H", "160H",  "200H",  "250H",
    "315H", "400H",  "500H", "630H", "800H", "1K",   "1.25K", "1.6K",  "2K",
    "2.5K", "3.15K", "4K",   "5K",   "6.3K", "8K",   "10K",   "12.5K", "16K"};

constexpr std::array<const char*, 3> kAudioHeadings = {
    "Current Audio Setup", "Alternate Audio Setup #1", "Alternate Audio Setup #2"};

// Report columns L, C, R, LS, RS, SW as channels of the block.
constexpr std::array<std::size_t, kChannelCount> kColumnChannels = {kChL,  kChC,  kChR,
                                                                    kChLS, kChRS, kChSW};
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

const AudioSetup* AudioBlock(const SettingsImage& image, int number) {
    switch (number) {
    case 0:
        return &image.current;
    case 1:
        return &image.alternate1;
    case 2:
        return &image.alternate2;
    default:
        return nullptr;
    }
}

} // namespace

void CConfigurationReport::WriteReport(std::string_view circuit, std::string_view theater,
                                       std::string_view screen) {
    m_file.WriteRule();
    m_file.WriteLine("    Configuration File -- Do not edit");
    m_file.WriteRule();
    m_file.WriteText("    Circuit Name:  ");
    m_file.WriteLine(circuit);
    m_file.WriteText("    Theater Name:  ");
    m_file.WriteLine(theater);
    m_file.WriteText("    Screen:        ");
    m_file.WriteLine(screen);
    m_file.WriteRule();
    WriteSystemSection();
}

void CConfigurationReport::WriteSystemSection() {
    const SystemSetup& sys = m_image.system;
    const unsigned delay = ReaderDelay(sys);

    m_file.WriteNewLine();
    m_file.WriteLine("System Setup Information:");
    m_file.WriteLine("-------------------------");
    m_file.WriteLine(
        Printf("Reader Delay Setting           %u.%2.2u", delay / 4, (delay % 4) * 25));
    m_file.WriteNewLine();
    m_file.WriteLine(
        Printf("F1 key assignment:             %s", Lookup(kF1KeyNames, sys[kF1KeyAssignment])));
    m_file.WriteLine(
        Printf("Disable Matrix:                %s", sys[kDisableMatrix] != 0 ? "Yes" : "No"));
    m_file.WriteLine(Printf("Default format:                %s",
                            Lookup(kDefaultFormatNames, sys[kDefaultFormat])));
    m_file.WriteLine(
        Printf("Nonsync Mode:                  %s", Lookup(kNonsyncModeNames, sys[kNonsyncMode])));
    m_file.WriteNewLine();
    m_file.WriteLine(
        Printf("Surround delay:                %u0 ms", unsigned{sys[kSurroundDelay]}));
    m_file.WriteNewLine();
    std::string password = "Disabled";
    if (sys[kPasswordEnabled] != 0) {
        password = Printf("%s [F%u-F%u-F%u-F%u]", "Enabled", sys[kPasswordKeys] + 1u,
                          sys[kPasswordKeys + 1] + 1u, sys[kPasswordKeys + 2] + 1u,
                          sys[kPasswordKeys + 3] + 1u);
    }
    m_file.WriteLine("System password:               " + password);
    m_file.WriteNewLine();
    m_file.WriteLine(Printf("Nonsync Trim:                  -%u dB", unsigned{sys[kNonsyncTrim]}));
    m_file.WriteNewLine();
    m_file.WriteLine("Automation Trim:");
    m_file.WriteLine(Printf("            Mono     =         -%u dB", unsigned{sys[kMonoTrim]}));
    m_file.WriteLine(Printf("            A        =         -%u dB", unsigned{sys[kATrim]}));
    m_file.WriteLine(Printf("            SR       =         -%u dB", unsigned{sys[kSrTrim]}));
    m_file.WriteLine(Printf("            External =         -%u dB", unsigned{sys[kExternalTrim]}));
    m_file.WriteLine(Printf("            Digital  =         -%u dB", unsigned{sys[kDigitalTrim]}));
    for (int number = 0; number < 3; ++number) {
        WriteAudioSection(number);
    }
}

void CConfigurationReport::WriteAudioSection(int number) {
    const AudioSetup* block = AudioBlock(m_image, number);
    if (block == nullptr) {
        return;
    }
    const AudioSetup& audio = *block;

    m_file.WriteNewLine();
    m_file.WriteNewLine();
    m_file.WriteText(kAudioHeadings[static_cast<std::size_t>(number)]);
    m_file.WriteLine(" Information:");
    m_file.WriteLine("--------------------------------");
    WriteDateLine(audio);
    m_file.WriteNewLine();
    m_file.WriteLine("               L        C        R       LS       RS       SW");
    m_file.WriteLine("------------------------------------------------------------------");

    m_file.WriteText("Volume ");
    for (std::size_t k : kColumnChannels) {
        m_file.WriteText(VolumeCell(audio[kVolume + k]));
    }
    m_file.WriteNewLine();
    m_file.WriteText("Bass   ");
    for (std::size_t k : kColumnChannels) {
        m_file.WriteText(ToneCell(audio[ToneOffset(k) + kBass]));
    }
    m_file.WriteNewLine();
    m_file.WriteText("Treble ");
    for (std::size_t k : kColumnChannels) {
        m_file.WriteText(ToneCell(audio[ToneOffset(k) + kTreble]));
    }
    m_file.WriteNewLine();

    for (std::size_t i = 0; i < kEqBands; ++i) {
        m_file.WriteText(Printf("%6s   ", kBandLabels[i]));
        for (std::size_t col = 0; col < kEqColumns; ++col) {
            const std::size_t k = kColumnChannels[col];
            const bool surround = k == kChLS || k == kChRS;
            if (!surround) {
                m_file.WriteText(EqCell(audio[ToneOffset(k) + kEq + i]));
            } else if (i % 3 == 2) {
                // Surround channels have octave bands, shown on the third-octave rows they match.
                m_file.WriteText(EqCell(audio[ToneOffset(k) + kEq + i / 3]));
            } else {
                m_file.WriteText("     ");
            }
            m_file.WriteText("  ");
        }
        m_file.WriteNewLine();
    }
}

void CConfigurationReport::WriteDateLine(const AudioSetup& block) {
    const DateStamp s = UnpackDateStamp(
        std::span<const std::uint8_t, kDateStampSize>(block.data() + kDateStamp, kDateStampSize));
    m_file.WriteLine(Printf("%.3s %2u:%2.2u %cM %.3s %2u, %4.4d", Lookup(kDayNames, s.dayOfWeek),
                            unsigned{s.hour}, unsigned{s.minute}, s.pm ? 'P' : 'A',
                            Lookup(kMonthNames, s.month), unsigned{s.day}, int{s.year}));
}

void WriteConfigurationReport(const std::filesystem::path& reportPath, const SettingsImage& image,
                              std::string_view circuit, std::string_view theater,
                              std::string_view screen) {
    CReportFile file;
    file.Create(reportPath);
    CConfigurationReport(file, image).WriteReport(circuit, theater, screen);
    file.Close();
}

std::string RenderConfigurationReport(const SettingsImage& image, std::string_view circuit,
                                      std::string_view theater, std::string_view screen) {
    CReportFile file;
    file.Create({});
    CConfigurationReport(file, image).WriteReport(circuit, theater, screen);
    return file.Content();
}
