// vrx3km-cli over a whole site: the status board, and the reports of a theater as a PDF.
#include "run_tool.h"

#include "image/report.h"
#include "library/site_log.h"
#include "library/stored_settings.h"
#include "pdf_text.h"
#include "temp_folder.h"
#include "tools/sim/dialogue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <map>
#include <optional>

namespace fs = std::filesystem;

namespace {

const fs::path kGolden = VRX_IMAGE_GOLDEN_DIR;

// Settings that pass their checks, and settings of a valid length that fail them.
std::string PassingSettings() {
    const auto blocks = vrxsim::ExampleSettings();
    return std::string(blocks.begin(), blocks.end());
}
std::string FailingSettings() {
    return ReadBytes(kGolden / "full.cfg");
}

std::string LocalDate(std::time_t when) {
    char text[16];
    std::tm local{};
    localtime_r(&when, &local);
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

// A library of screens in circuit "Site", theater "Hall".
class CliSiteTest : public testing::Test {
protected:
    fs::path Screen(const std::string& name) const {
        return m_library.Path() / "Site" / "Hall" / name;
    }
    void AddScreen(const std::string& name) { fs::create_directories(Screen(name)); }
    // Stores settings in the screen's Vrx.cfg, read from a processor at that time.
    void Store(const std::string& name, const std::string& settings, std::time_t when) {
        AddScreen(name);
        WriteBytes(Screen(name) / "Vrx.cfg", settings);
        fs::last_write_time(
            Screen(name) / "Vrx.cfg",
            std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(when)));
    }
    ToolRun Cli(std::vector<std::string> args) {
        args.insert(args.begin(), {"--dir", m_library.Path().string()});
        return RunTool(args);
    }

    TempFolder m_library;
    const std::time_t m_now = std::time(nullptr);
};

TEST_F(CliSiteTest, StatusShowsEachScreensStateInFixedColumns) {
    const std::time_t longAgo = m_now - 400 * 24 * 60 * 60;
    AddScreen("1");
    Store("2", PassingSettings(), longAgo);
    Store("3", FailingSettings(), m_now);
    Store("4", PassingSettings(), m_now);
    const ToolRun run = Cli({"status"});
    ASSERT_EQ(run.m_nStatus, 0) << run.m_strErr;
    EXPECT_EQ(run.m_strOut, "never read        never       Site/Hall/1\n"
                            "overdue           " +
                                LocalDate(longAgo) +
                                "  Site/Hall/2\n"
                                "fails its checks  " +
                                LocalDate(m_now) +
                                "  Site/Hall/3\n"
                                "up to date        " +
                                LocalDate(m_now) + "  Site/Hall/4\n");
    EXPECT_NE(run.m_strErr.find("4 screens; never read: 1, up to date: 1, overdue (read more "
                                "than 365 days ago): 1, fails its checks: 1."),
              std::string::npos)
        << run.m_strErr;

    const ToolRun longer = Cli({"status", "Site", "Hall", "--days", "500"});
    EXPECT_NE(longer.m_strOut.find("up to date        " + LocalDate(longAgo) + "  Site/Hall/2\n"),
              std::string::npos)
        << longer.m_strOut;
    EXPECT_EQ(longer.m_strOut.find("overdue"), std::string::npos);
    EXPECT_EQ(Cli({"status", "Elsewhere"}).m_nStatus, 2);
}

TEST_F(CliSiteTest, VisitTellsTheScreensTouchedSinceADayFromTheOthers) {
    const std::time_t longAgo = m_now - 400 * 24 * 60 * 60;
    AddScreen("1");                         // never read
    Store("2", PassingSettings(), longAgo); // read long ago, nothing since
    Store("3", PassingSettings(), m_now);   // read today
    Store("4", PassingSettings(), longAgo); // read long ago, logged today
    AppendLog(Screen("4") / "History", LogAuthor{"A. Tech", "laptop-a", ""}, "Send", "success",
              m_now);
    Store("5", PassingSettings(), longAgo); // read long ago, a version kept today
    char kept[64];
    std::tm local{};
    localtime_r(&m_now, &local);
    std::strftime(kept, sizeof kept, "Vrx-%Y%m%d-%H%M%S-laptop-a.cfg", &local);
    fs::create_directories(Screen("5") / "History");
    WriteBytes(Screen("5") / "History" / kept, FailingSettings());

    struct Row {
        std::time_t since;
        std::string touched;   // the screens with a part of their own
        std::string untouched; // the screens listed as not touched
    };
    for (const Row& row : {Row{m_now, "345", "12"}, Row{longAgo, "2345", "1"}}) {
        const ToolRun run = Cli({"visit", "Site", "Hall", "--since", LocalDate(row.since)});
        ASSERT_EQ(run.m_nStatus, 0) << run.m_strErr;
        std::string touched, untouched;
        const std::vector<std::string> lines = NonBlankLines(run.m_strOut);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].starts_with("Site - Hall - ") && i + 1 < lines.size() &&
                lines[i + 1] == std::string(80, '='))
                touched += lines[i].substr(14);
            if (lines[i].find("  Site/Hall/") != std::string::npos)
                untouched += lines[i].back();
        }
        EXPECT_EQ(touched, row.touched) << run.m_strOut;
        EXPECT_EQ(untouched, row.untouched) << run.m_strOut;
    }
    // The settings before the visit are those of the version kept today.
    const ToolRun today = Cli({"visit", "Site", "Hall", "--since", LocalDate(m_now)});
    EXPECT_NE(today.m_strOut.find(std::string("Before: the settings kept in History as ") + kept),
              std::string::npos)
        << today.m_strOut;
}

#ifdef VRX_CLI_PDF
TEST_F(CliSiteTest, ReportPdfPutsEachScreenOnPagesOfItsOwnWithoutADisplay) {
    // The tool sets its own platform; nothing in the environment asks for one.
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        ::unsetenv(name);
    std::vector<std::string> stored;
    for (int i = 1; i <= 13; ++i) {
        if (i == 7) {
            AddScreen("7"); // never read: left out
            continue;
        }
        stored.push_back(std::to_string(i));
        Store(stored.back(), i % 2 ? PassingSettings() : FailingSettings(), m_now);
    }
    const fs::path pdf = m_library.Path() / "hall.pdf";
    const ToolRun run = Cli({"report", "Site", "Hall", "--pdf", pdf.string()});
    ASSERT_EQ(run.m_nStatus, 0) << run.m_strErr;
    EXPECT_NE(run.m_strErr.find("Site - Hall - 7 is left out: it has no stored settings"),
              std::string::npos)
        << run.m_strErr;
    EXPECT_FALSE(fs::exists(Screen("1") / "Vrx.txt")); // --pdf only reads
    EXPECT_TRUE(PdfFontsEmbedded(pdf));

    // Each screen's pages begin with the report's first line, and hold its lines in order.
    std::vector<std::string> starts;
    std::map<std::string, std::vector<std::string>> bodies;
    for (const PdfReportPage& page : ReadPdfReportPages(pdf)) {
        if (!page.m_body.empty() && page.m_body.front() == std::string(80, '='))
            starts.push_back(page.m_strTitle);
        auto& body = bodies[page.m_strTitle];
        body.insert(body.end(), page.m_body.begin(), page.m_body.end());
    }
    std::vector<std::string> expected;
    for (const std::string& name : stored)
        expected.push_back("Site - Hall - " + name);
    EXPECT_EQ(starts, expected);
    for (const std::string& name : stored) {
        const std::string report = RenderConfigurationReport(
            ReadSettingsFile(Screen(name) / "Vrx.cfg"), "Site", "Hall", name);
        EXPECT_EQ(bodies["Site - Hall - " + name], NonBlankLines(report)) << name;
    }

    // One screen: the lines of the Vrx.txt that "report" writes.
    ASSERT_EQ(Cli({"report", "Site", "Hall", "1"}).m_nStatus, 0);
    const fs::path one = m_library.Path() / "one.pdf";
    ASSERT_EQ(Cli({"report", "Site", "Hall", "1", "--pdf", one.string()}).m_nStatus, 0);
    const std::vector<PdfReportPage> pages = ReadPdfReportPages(one);
    std::vector<std::string> lines;
    for (const PdfReportPage& page : pages)
        lines.insert(lines.end(), page.m_body.begin(), page.m_body.end());
    EXPECT_EQ(lines, NonBlankLines(ReadBytes(Screen("1") / "Vrx.txt")));
}
#endif

} // namespace
