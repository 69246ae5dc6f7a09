#include "image/file_error.h"
#include "image/report.h"
#include "image/report_file.h"
#include "image/settings_compare.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kGolden = VRX_IMAGE_GOLDEN_DIR;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

SettingsImage LoadImage(const fs::path& cfg) {
    const std::string bytes = ReadAll(cfg);
    EXPECT_EQ(bytes.size(), kSettingsFileSize) << cfg;
    std::array<std::uint8_t, kSettingsFileSize> stored{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), stored.size()), stored.begin());
    SettingsImage image;
    FromStoredForm(stored, image);
    return image;
}

std::string Render(const SettingsImage& image) {
    return RenderConfigurationReport(image, "Riverside Circuit", "Park Theater", "Screen 3");
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto end = text.find("\r\n", at);
        if (end == std::string::npos) {
            lines.push_back(text.substr(at));
            break;
        }
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

// Compares line by line first, so a failure names the line, then byte for byte.
void ExpectSameReport(const std::string& actual, const std::string& expected) {
    const auto a = Lines(actual);
    const auto e = Lines(expected);
    for (std::size_t i = 0; i < std::min(a.size(), e.size()); ++i) {
        ASSERT_EQ(a[i], e[i]) << "line " << i + 1;
    }
    EXPECT_EQ(a.size(), e.size());
    EXPECT_EQ(actual, expected);
}

TEST(ConfigurationReport, GoldenFiles) {
    struct Case {
        const char* stem;
        bool fromFile;
    };
    for (const Case c : {Case{"zero", false}, Case{"full", true}, Case{"second", true}}) {
        SCOPED_TRACE(c.stem);
        const SettingsImage image =
            c.fromFile ? LoadImage(kGolden / (std::string(c.stem) + ".cfg")) : SettingsImage{};
        const auto before = ToStoredForm(image);
        ExpectSameReport(Render(image), ReadAll(kGolden / (std::string(c.stem) + ".txt")));
        EXPECT_EQ(ToStoredForm(image), before) << "the report changed the image";
    }
}

TEST(ConfigurationReport, ZeroImageHeadAndSystemSection) {
    const auto lines = Lines(Render(SettingsImage{}));
    ASSERT_GT(lines.size(), 30u);
    EXPECT_EQ(lines[1], "    Configuration File -- Do not edit");
    EXPECT_EQ(lines[6], std::string(80, '='));
    EXPECT_EQ(lines[10], "Reader Delay Setting           0.00");
    EXPECT_EQ(lines[17], "Surround delay:                00 ms");
    EXPECT_EQ(lines[19], "System password:               Disabled");
    EXPECT_EQ(lines[33], "FRI  0:00 AM JAN  0, 2000");
}

TEST(ConfigurationReport, EndsWithTheLastEqualiserRow) {
    const std::string text = Render(SettingsImage{});
    const std::string last = "   16K      +6.0     +6.0     +6.0     +6.0     +6.0  \r\n";
    ASSERT_GE(text.size(), last.size());
    EXPECT_EQ(text.substr(text.size() - last.size()), last);
}

// Cells of the L column, read off their rows of the current setup; the L cell comes first.
TEST(ConfigurationReport, CellsAtTheirInterestingValues) {
    struct Case {
        const char* kind;
        std::uint8_t byte;
        const char* cell;
    };
    const std::vector<Case> cases = {
        {"Volume ", 12, "        0"},    {"Volume ", 0, "        12"},
        {"Volume ", 24, "       -12"},   {"Volume ", 10, "        2"},
        {"Volume ", 255, "       -243"}, {"Bass   ", 10, "        0"},
        {"Bass   ", 0, "       10"},     {"Bass   ", 20, "      -10"},
        {"Bass   ", 13, "       -3"},    {"Treble ", 110, "      -100"},
        {"   40H   ", 12, "    0.0"},    {"   40H   ", 0, "   +6.0"},
        {"   40H   ", 13, "   -0.5"},    {"   40H   ", 24, "   -6.0"},
        {"   40H   ", 255, "  -121.5"},
    };
    for (const auto& c : cases) {
        SettingsImage image;
        const std::string kind = c.kind;
        std::size_t offset = kVolume + kChL;
        if (kind == "Bass   ") {
            offset = ToneOffset(kChL) + kBass;
        } else if (kind == "Treble ") {
            offset = ToneOffset(kChL) + kTreble;
        } else if (kind == "   40H   ") {
            offset = ToneOffset(kChL) + kEq;
        }
        image.current[offset] = c.byte;
        const std::string text = Render(image);
        const auto row = text.find("\r\n" + kind);
        ASSERT_NE(row, std::string::npos);
        EXPECT_EQ(text.substr(row + 2 + kind.size(), std::string(c.cell).size()),
                  std::string(c.cell))
            << kind << int{c.byte};
    }
}

TEST(ConfigurationReport, PasswordKeysInStoredOrder) {
    SettingsImage image;
    image.system[kPasswordEnabled] = 0x80;
    const std::array<std::uint8_t, 4> keys = {255, 0, 9, 1};
    std::copy(keys.begin(), keys.end(), image.system.begin() + kPasswordKeys);
    EXPECT_NE(Render(image).find("\r\nSystem password:               Enabled [F256-F1-F10-F2]\r\n"),
              std::string::npos);
}

TEST(ConfigurationReport, OutOfTableValuesPrintQuestionMarks) {
    SettingsImage image;
    image.system[kF1KeyAssignment] = 4;
    image.system[kDefaultFormat] = 255;
    image.system[kNonsyncMode] = 4;
    image.alternate2[0] = 0xF1; // month 15, hour 1
    image.alternate2[1] = 0xE1; // day of week 7, day 1
    const std::string text = Render(image);
    EXPECT_NE(text.find("F1 key assignment:             ???\r\n"), std::string::npos);
    EXPECT_NE(text.find("Default format:                ???\r\n"), std::string::npos);
    EXPECT_NE(text.find("Nonsync Mode:                  ???\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n???  1:00 AM ???  1, 2000\r\n"), std::string::npos);
}

TEST(ConfigurationReport, AudioSectionOperationsWriteOneSection) {
    SettingsImage image;
    image.alternate1[0] = (4 << 4) | 7; // MAY, 7 o'clock
    image.alternate1[1] = (2 << 5) | 3; // SUN 3
    image.alternate1[2] = 0x40 | 8;     // PM, minute 8
    image.alternate1[3] = 150;          // 2050
    CReportFile file;
    file.Create({});
    CConfigurationReport report(file, image);
    report.WriteDateLine(image.alternate1);
    EXPECT_EQ(file.Content(), "SUN  7:08 PM MAY  3, 2050\r\n");

    CReportFile section;
    section.Create({});
    CConfigurationReport(section, image).WriteAudioSection(SettingsBlock::Alternate1);
    const auto lines = Lines(section.Content());
    ASSERT_EQ(lines.size(), 2u + 2 + 1 + 1 + 2 + 3 + 27);
    EXPECT_EQ(lines[2], "Alternate Audio Setup #1 Information:");
    EXPECT_EQ(lines[4], "SUN  7:08 PM MAY  3, 2050");

    CReportFile none;
    none.Create({});
    CConfigurationReport(none, image).WriteAudioSection(SettingsBlock::System);
    EXPECT_TRUE(none.Content().empty());
}

TEST(WriteConfigurationReport, ReplacesALongerOldReport) {
    TempFolder dir;
    const auto path = dir.Path() / "Vrx.txt";
    std::ofstream(path, std::ios::binary) << std::string(20000, '#');
    const SettingsImage image = LoadImage(kGolden / "full.cfg");
    WriteConfigurationReport(path, image, "Riverside Circuit", "Park Theater", "Screen 3");
    EXPECT_EQ(ReadAll(path), ReadAll(kGolden / "full.txt"));
}

TEST(WriteConfigurationReport, MissingFolderGivesNotFoundAndWritesNothing) {
    TempFolder dir;
    const auto path = dir.Path() / "Screen" / "Vrx.txt";
    try {
        WriteConfigurationReport(path, SettingsImage{}, "C", "T", "S");
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.Message(), path.string() + " was not found.");
    }
    EXPECT_TRUE(fs::is_empty(dir.Path()));
}

// The second image is the golden full image with a few bytes changed; the expected values are
// read off the golden report.
TEST(CompareSettings, NamesFieldsAsTheReportPrintsThem) {
    struct Expected {
        const char* label;
        const char* first;
        const char* second;
    };
    struct Case {
        const char* name;
        void (*change)(SettingsImage&);
        std::vector<Expected> expected;
    };
    const std::vector<Case> cases = {
        {"identical", [](SettingsImage&) {}, {}},
        {"reader delay and one band",
         [](SettingsImage& image) {
             image.system[kReaderDelayLow] = 8;
             image.current[ToneOffset(kChC) + kEq + 14] = 12;
         },
         {{"System Setup, Reader Delay Setting", "1.25", "2.00"},
          {"Current Audio Setup, 1K, C", "-13.0", "0.0"}}},
        {"a surround octave band on its third-octave row",
         [](SettingsImage& image) { image.alternate2[ToneOffset(kChLS) + kEq + 2] = 12; },
         {{"Alternate Audio Setup #2, 250H, LS", "-0.5", "0.0"}}},
        {"bytes the report does not show, or shows alike",
         [](SettingsImage& image) {
             image.system[kDisableMatrix] = 1;               // still "Yes"
             image.current[ToneOffset(kChSW) + kEq] = 0x20;  // SW has no equaliser column
             image.current[ToneOffset(kChLS) + kEq + 9] = 0; // beyond the octave bands
         },
         {{"System Setup, Byte 0x01", "0x07", "0x01"},
          {"Current Audio Setup, Byte 0x33", "0x16", "0x00"},
          {"Current Audio Setup, Byte 0xA2", "0x0B", "0x20"}}},
        {"password switched off: its keys are part of the one difference",
         [](SettingsImage& image) {
             image.system[kPasswordEnabled] = 0;
             image.system[kPasswordKeys] = 7;
         },
         {{"System Setup, System password", "Enabled [F1-F256-F4-F12]", "Disabled"}}},
    };
    const SettingsImage first = LoadImage(kGolden / "full.cfg");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsImage second = first;
        c.change(second);
        const auto differences = CompareSettings(first, second);
        ASSERT_EQ(differences.size(), c.expected.size()) << FormatDifferences(differences);
        for (std::size_t i = 0; i < differences.size(); ++i) {
            EXPECT_EQ(differences[i].Label(), c.expected[i].label);
            EXPECT_EQ(differences[i].m_strFirst, c.expected[i].first);
            EXPECT_EQ(differences[i].m_strSecond, c.expected[i].second);
        }
        if (c.expected.empty()) {
            EXPECT_EQ(FormatDifferences(differences), "No differences.\n");
        }
    }
}

} // namespace
