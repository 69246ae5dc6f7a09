// vrx3km-cli against the simulated processor on a pseudo-terminal.
#include "run_tool.h"

#include "file_size_limit.h"
#include "line_data.h"
#include "pdf_text.h"

#include "image/report.h"
#include "image/settings_image.h"
#include "link/transfer_sequence.h"
#include "tools/sim/blocks.h"
#include "tools/sim/simulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

using Blocks = std::array<std::uint8_t, 800>;

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteFile(const fs::path& path, const Blocks& blocks) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(blocks.data()), blocks.size());
}

std::string AsText(const Blocks& blocks) {
    return std::string(blocks.begin(), blocks.end());
}

using testsupport::ChangedSettings;

vrxsim::Options ExampleOptions() {
    vrxsim::Options options;
    options.settings = vrxsim::ExampleSettings();
    return options;
}

class CliToolTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vrx-cli-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_sim.Start();
        std::ofstream profile(m_dir / "VRX3KM.CFG");
        profile << "[Setup]\r\nPORT=COM1\r\n[Ports]\r\nCOM1=" << m_sim.DevicePath() << "\r\n";
    }
    void TearDown() override {
        m_sim.Stop();
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    ToolRun Cli(std::vector<std::string> args, const std::string& input = "") {
        args.insert(args.begin(), {"--dir", m_dir.string()});
        return RunTool(args, input);
    }
    fs::path Screen() const { return m_dir / "Odeon" / "Main" / "1"; }
    void AddScreen() { ASSERT_EQ(Cli({"add", "Odeon", "Main", "1"}).m_nStatus, 0); }

    fs::path m_dir;
    vrxsim::Simulator m_sim{ExampleOptions()};
};

TEST_F(CliToolTest, LoadStoresTheProcessorsBlocksAndTheirReport) {
    AddScreen();
    const ToolRun run = Cli({"load", "Odeon", "Main", "1"});
    ASSERT_EQ(run.m_nStatus, 0) << run.m_strErr;
    EXPECT_NE(run.m_strErr.find(transfer_text::kDownloadSuccess), std::string::npos);
    EXPECT_NE(run.m_strErr.find("Progress: 100%"), std::string::npos);

    const Blocks held = m_sim.Settings();
    EXPECT_EQ(ReadFile(Screen() / "Vrx.cfg"), AsText(held));
    SettingsImage image;
    FromStoredForm(held, image);
    EXPECT_EQ(ReadFile(Screen() / "Vrx.txt"),
              RenderConfigurationReport(image, "Odeon", "Main", "1"));

    // The stored screen is marked in the listing, and its report prints the same text.
    EXPECT_EQ(Cli({"list"}).m_strOut, "Odeon\n  Main\n    1 *\n");
    const ToolRun report = Cli({"report", "Odeon", "Main", "1"});
    EXPECT_EQ(report.m_nStatus, 0);
    EXPECT_EQ(report.m_strOut, ReadFile(Screen() / "Vrx.txt"));
}

TEST_F(CliToolTest, LoadOverStoredSettingsAsksAndARefusalChangesNothing) {
    AddScreen();
    const Blocks stored = ChangedSettings(true);
    WriteFile(Screen() / "Vrx.cfg", stored);
    const ToolRun run = Cli({"load", "Odeon", "Main", "1"}, "n\n");
    EXPECT_EQ(run.m_nStatus, 1);
    EXPECT_NE(run.m_strErr.find(OverwriteQuestion("Odeon", "Main", "1")), std::string::npos);
    EXPECT_NE(run.m_strErr.find(transfer_text::kDownloadCancelled), std::string::npos);
    EXPECT_EQ(ReadFile(Screen() / "Vrx.cfg"), AsText(stored));
    EXPECT_TRUE(m_sim.ReceivedBytes().empty());

    EXPECT_EQ(Cli({"load", "Odeon", "Main", "1"}, "YES\n").m_nStatus, 0);
    EXPECT_EQ(ReadFile(Screen() / "Vrx.cfg"), AsText(m_sim.Settings()));
}

TEST_F(CliToolTest, SendWritesTheStoredBlocksIntoTheProcessor) {
    AddScreen();
    const Blocks stored = ChangedSettings(true);
    ASSERT_NE(stored, m_sim.Settings());
    WriteFile(Screen() / "Vrx.cfg", stored);
    const ToolRun run = Cli({"send", "Odeon", "Main", "1"}, "y\n");
    ASSERT_EQ(run.m_nStatus, 0) << run.m_strErr;
    EXPECT_NE(run.m_strErr.find(SendWarning()), std::string::npos);
    EXPECT_NE(run.m_strErr.find(transfer_text::kSendSuccess), std::string::npos);
    EXPECT_EQ(m_sim.Settings(), stored);
}

TEST_F(CliToolTest, SendDeclinedSendsNothing) {
    AddScreen();
    WriteFile(Screen() / "Vrx.cfg", ChangedSettings(true));
    const ToolRun run = Cli({"send", "Odeon", "Main", "1"}, "");
    EXPECT_EQ(run.m_nStatus, 1);
    EXPECT_NE(run.m_strErr.find(transfer_text::kSendCancelled), std::string::npos);
    EXPECT_TRUE(m_sim.ReceivedBytes().empty());
}

TEST_F(CliToolTest, StoredSettingsThatFailTheirChecksAreNotSent) {
    AddScreen();
    const Blocks before = m_sim.Settings();
    WriteFile(Screen() / "Vrx.cfg", ChangedSettings(false));
    const ToolRun run = Cli({"send", "--yes", "Odeon", "Main", "1"});
    EXPECT_EQ(run.m_nStatus, 1);
    EXPECT_NE(run.m_strErr.find(transfer_text::kSettingsInvalid), std::string::npos);
    EXPECT_NE(run.m_strErr.find(transfer_text::kSendError), std::string::npos);
    EXPECT_EQ(m_sim.Settings(), before);
}

struct FailingStage {
    const char* name;
    vrxsim::Fault fault;
    int nFinalBar;
};

class CliLoadFailure : public CliToolTest, public testing::WithParamInterface<FailingStage> {};

TEST_P(CliLoadFailure, EndsWithErrorAndSavesNothing) {
    AddScreen();
    m_sim.SetFaults({GetParam().fault});
    const ToolRun run = Cli({"load", "Odeon", "Main", "1"});
    EXPECT_EQ(run.m_nStatus, 1);
    const std::string bar = "Progress: " + std::to_string(GetParam().nFinalBar) + "%\n";
    // The last bar and the error text, then the reason on a line of its own.
    const std::string tail = bar + transfer_text::kDownloadError + "\n";
    const auto at = run.m_strErr.rfind(tail);
    ASSERT_NE(at, std::string::npos) << run.m_strErr;
    EXPECT_GT(run.m_strErr.size(), at + tail.size() + 10) << run.m_strErr;
    EXPECT_FALSE(fs::exists(Screen() / "Vrx.cfg"));
    EXPECT_FALSE(fs::exists(Screen() / "Vrx.txt"));
}

using vrxsim::FaultKind;
using vrxsim::Stage;
INSTANTIATE_TEST_SUITE_P(
    Stages, CliLoadFailure,
    testing::Values(FailingStage{"SilentLinkCheck", {FaultKind::Silent, Stage::ReadSystem}, 20},
                    FailingStage{"SilentAudio0", {FaultKind::Silent, Stage::ReadAudio0}, 60},
                    FailingStage{"SilentAudio1", {FaultKind::Silent, Stage::ReadAudio1}, 80},
                    FailingStage{"SilentAudio2", {FaultKind::Silent, Stage::ReadAudio2}, 100},
                    FailingStage{
                        "BadThirdAudioBlock", {FaultKind::BadBlock, Stage::ReadAudio2}, 100}),
    [](const testing::TestParamInfo<FailingStage>& row) { return std::string(row.param.name); });

TEST_F(CliToolTest, UnknownAndUnsafeNamesAreBadUsage) {
    AddScreen();
    const ToolRun unknown = Cli({"load", "Odeon", "Main", "9"});
    EXPECT_EQ(unknown.m_nStatus, 2);
    EXPECT_NE(unknown.m_strErr.find("no screen \"9\" in theater \"Main\""), std::string::npos)
        << unknown.m_strErr;

    const ToolRun unsafe = Cli({"add", "Odeon", "../escape"});
    EXPECT_EQ(unsafe.m_nStatus, 2);
    EXPECT_NE(unsafe.m_strErr.find("the theater name \"../escape\" is refused"), std::string::npos)
        << unsafe.m_strErr;
    EXPECT_FALSE(fs::exists(m_dir / "escape"));
    EXPECT_EQ(Cli({"list"}).m_strOut, "Odeon\n  Main\n    1\n");

    // After "--" a name may begin with "-"; a name typed with a combining accent is stored
    // composed and found again so; one that differs only in letter case is the same name.
    EXPECT_EQ(Cli({"add", "--", "-Stage"}).m_nStatus, 0);
    EXPECT_EQ(Cli({"add", "Odeon",
                   "E\xcc\x81"
                   "cran"})
                  .m_nStatus,
              0);
    EXPECT_TRUE(fs::is_directory(m_dir / "Odeon" /
                                 "\xc3\x89"
                                 "cran"));
    EXPECT_EQ(Cli({"add", "Odeon",
                   "\xc3\x89"
                   "cran",
                   "1"})
                  .m_nStatus,
              0);
    const ToolRun sameName = Cli({"add", "odeon"});
    EXPECT_EQ(sameName.m_nStatus, 2);
    EXPECT_NE(sameName.m_strErr.find("already exists as \"Odeon\""), std::string::npos);

    const ToolRun usage = Cli({"report", "Odeon"});
    EXPECT_EQ(usage.m_nStatus, 2);
    EXPECT_NE(usage.m_strErr.find("usage: vrx3km-cli report CIRCUIT THEATER SCREEN"),
              std::string::npos);
}

// A new screen whose notes cannot be written is taken back whole: no entry, no folder. The tool
// runs with a file size limit of zero (as on a full disk), which binds the superuser too.
TEST_F(CliToolTest, AddOfAScreenWhoseNotesCannotBeWrittenLeavesNoFolder) {
    ASSERT_EQ(Cli({"add", "Odeon", "Main"}).m_nStatus, 0);
    std::optional<NoRoomForFiles> noRoom(std::in_place);
    const ToolRun run = Cli({"add", "Odeon", "Main", "1"});
    noRoom.reset();
    EXPECT_EQ(run.m_nStatus, 3);
    EXPECT_NE(run.m_strErr.find("Notes.txt"), std::string::npos) << run.m_strErr;
    EXPECT_FALSE(fs::exists(Screen()));
    EXPECT_EQ(Cli({"list"}).m_strOut, "Odeon\n  Main\n");
}

TEST_F(CliToolTest, AReportWithoutStoredSettingsIsAFileError) {
    AddScreen();
    const ToolRun run = Cli({"report", "Odeon", "Main", "1"});
    EXPECT_EQ(run.m_nStatus, 3);
    EXPECT_NE(run.m_strErr.find("Vrx.cfg"), std::string::npos) << run.m_strErr;
    EXPECT_TRUE(run.m_strOut.empty());
}

TEST_F(CliToolTest, DeleteFollowsTheLibraryRules) {
    AddScreen();
    // A theater that still holds a screen is refused before anything is asked.
    EXPECT_EQ(Cli({"delete", "--yes", "Odeon", "Main"}).m_nStatus, 5);
    // A screen folder with a file of the technician's own is left whole, and the file is named.
    for (const char* file : {"Vrx.cfg", "Vrx.txt", "mine.txt"})
        std::ofstream(Screen() / file) << "x";
    const ToolRun kept = Cli({"delete", "Odeon", "Main", "1"}, "Y\n");
    EXPECT_EQ(kept.m_nStatus, 5);
    EXPECT_NE(kept.m_strErr.find("\"mine.txt\""), std::string::npos) << kept.m_strErr;
    EXPECT_NE(kept.m_strErr.find((Screen()).string()), std::string::npos) << kept.m_strErr;
    for (const char* file : {"Notes.txt", "Vrx.cfg", "Vrx.txt"})
        EXPECT_TRUE(fs::exists(Screen() / file)) << file;

    fs::remove(Screen() / "mine.txt");
    fs::create_directory(Screen() / "History");
    EXPECT_EQ(Cli({"delete", "Odeon", "Main", "1"}, "n\n").m_nStatus, 1);
    EXPECT_TRUE(fs::exists(Screen()));
    EXPECT_EQ(Cli({"delete", "Odeon", "Main", "1"}, "y\n").m_nStatus, 0);
    EXPECT_FALSE(fs::exists(Screen()));
    EXPECT_EQ(Cli({"delete", "--yes", "Odeon", "Main"}).m_nStatus, 0);
    EXPECT_EQ(Cli({"delete", "--yes", "Odeon"}).m_nStatus, 0);
    EXPECT_EQ(Cli({"list"}).m_strOut, "");
}

TEST_F(CliToolTest, HistoryRestoreAndCompareWithoutTheProcessor) {
    AddScreen();
    ASSERT_EQ(Cli({"add", "Odeon", "Main", "2"}).m_nStatus, 0);
    const Blocks first = vrxsim::ExampleSettings();
    const Blocks second = ChangedSettings(true);
    WriteFile(Screen() / "Vrx.cfg", first);
    WriteFile(m_dir / "Odeon" / "Main" / "2" / "Vrx.cfg", second);

    const ToolRun same = Cli({"compare", "Odeon", "Main", "1", "--with", "Odeon", "Main", "1"});
    EXPECT_EQ(same.m_nStatus, 0) << same.m_strErr;
    EXPECT_EQ(same.m_strOut, "No differences.\n");
    const ToolRun differ = Cli({"compare", "Odeon", "Main", "1", "--with", "Odeon", "Main", "2"});
    EXPECT_EQ(differ.m_nStatus, 4) << differ.m_strErr;
    EXPECT_NE(differ.m_strOut.find("Alternate Audio Setup #1, "), std::string::npos)
        << differ.m_strOut;
    EXPECT_EQ(Cli({"compare", "Odeon", "Main", "1", "--with", "Odeon", "Main", "3"}).m_nStatus, 2);
    EXPECT_EQ(Cli({"history", "Odeon", "Main", "1"}).m_strOut, "");

    // A version kept on an earlier visit.
    fs::create_directory(Screen() / "History");
    WriteFile(Screen() / "History" / "Vrx-20000101-093000.cfg", second);
    EXPECT_EQ(Cli({"history", "Odeon", "Main", "1"}).m_strOut,
              "Vrx-20000101-093000.cfg  2000-01-01 09:30:00  passes its checks\n");
    EXPECT_EQ(
        Cli({"compare", "Odeon", "Main", "1", "--version", "Vrx-20000101-093000.cfg"}).m_nStatus,
        4);
    EXPECT_EQ(Cli({"restore", "Odeon", "Main", "1", "Vrx-20000101-093001.cfg", "--yes"}).m_nStatus,
              2);
    EXPECT_EQ(Cli({"restore", "Odeon", "Main", "1", "Vrx-20000101-093000.cfg"}, "n\n").m_nStatus,
              1);
    EXPECT_EQ(ReadFile(Screen() / "Vrx.cfg"), AsText(first));

    const ToolRun restore =
        Cli({"restore", "Odeon", "Main", "1", "Vrx-20000101-093000.cfg"}, "y\n");
    ASSERT_EQ(restore.m_nStatus, 0) << restore.m_strErr;
    EXPECT_EQ(ReadFile(Screen() / "Vrx.cfg"), AsText(second));
    EXPECT_EQ(Cli({"compare", "Odeon", "Main", "1", "--with", "Odeon", "Main", "2"}).m_nStatus, 0);
    // The replaced settings are the newest version, and compare alike with the file they were.
    const ToolRun history = Cli({"history", "Odeon", "Main", "1"});
    const std::string newest = history.m_strOut.substr(0, history.m_strOut.find("  "));
    ASSERT_NE(newest, "Vrx-20000101-093000.cfg") << history.m_strOut;
    EXPECT_EQ(ReadFile(Screen() / "History" / newest), AsText(first));
    // Two kept versions compared with each other.
    EXPECT_EQ(Cli({"compare", "Odeon", "Main", "1", "--version", newest, "--version",
                   "Vrx-20000101-093000.cfg"})
                  .m_nStatus,
              4);
    EXPECT_EQ(
        Cli({"compare", "Odeon", "Main", "1", "--version", newest, "--version", newest}).m_nStatus,
        0);
    const fs::path firstFile = m_dir / "first.cfg";
    WriteFile(firstFile, first);
    EXPECT_EQ(Cli({"compare", "Odeon", "Main", "1", "--file", firstFile.string()}).m_nStatus, 4);
    EXPECT_EQ(Cli({"compare", "Odeon", "Main", "2", "--file", firstFile.string()}).m_nStatus, 4);
    EXPECT_EQ(
        Cli({"compare", "Odeon", "Main", "1", "--version", newest, "--with", "Odeon", "Main", "2"})
            .m_nStatus,
        2);

    // Stored settings that fail their checks are marked apart from valid ones.
    WriteFile(m_dir / "Odeon" / "Main" / "2" / "Vrx.cfg", ChangedSettings(false));
    const ToolRun list = Cli({"list"});
    // Screens come in the order of the folder listing.
    EXPECT_NE(list.m_strOut.find("\n    1 *\n"), std::string::npos) << list.m_strOut;
    EXPECT_NE(list.m_strOut.find("\n    2 !\n"), std::string::npos) << list.m_strOut;
    EXPECT_NE(list.m_strErr.find("fail their checks"), std::string::npos);
}

} // namespace

namespace {

// Compare with the processor and send --verify read the processor back without writing to it.
TEST_F(CliToolTest, CompareWithTheProcessorNamesTheFieldsThatDifferAndWritesNothing) {
    AddScreen();
    WriteFile(Screen() / "Vrx.cfg", vrxsim::ExampleSettings());
    const ToolRun same = Cli({"compare", "Odeon", "Main", "1"});
    EXPECT_EQ(same.m_nStatus, 0) << same.m_strErr;
    EXPECT_EQ(same.m_strOut, "No differences.\n");

    // The processor's reader delay and one equaliser band of the current audio block differ.
    Blocks changed = vrxsim::ExampleSettings();
    changed[kReaderDelayLow] = static_cast<std::uint8_t>(changed[kReaderDelayLow] + 4);
    changed[vrxsim::kAudioOffset[0] + ToneOffset(kChC) + 10] ^= 1;
    m_sim.SetSettings(changed);
    const ToolRun differ = Cli({"compare", "Odeon", "Main", "1"});
    EXPECT_EQ(differ.m_nStatus, 4) << differ.m_strErr;
    EXPECT_NE(differ.m_strOut.find("Reader Delay"), std::string::npos) << differ.m_strOut;
    EXPECT_NE(differ.m_strOut.find("Current Audio Setup"), std::string::npos) << differ.m_strOut;
    // Only the link check's and the reads' requests went on the line: no announcement (0x0A,
    // 0x0B) of a write.
    for (const std::uint8_t code : {std::uint8_t{0x0A}, std::uint8_t{0x0B}}) {
        const auto sent = m_sim.ReceivedBytes();
        for (std::size_t i = 0; i + 2 < sent.size(); ++i)
            EXPECT_FALSE(sent[i] == 0x10 && sent[i + 1] == 0x02 && sent[i + 2] == code);
    }
    EXPECT_EQ(m_sim.Settings(), changed);
    EXPECT_EQ(ReadFile(Screen() / "Vrx.cfg"), AsText(vrxsim::ExampleSettings()));

    // send --verify puts the stored settings back and finds them there.
    const ToolRun verified = Cli({"send", "--yes", "--verify", "Odeon", "Main", "1"});
    EXPECT_EQ(verified.m_nStatus, 0) << verified.m_strErr;
    EXPECT_EQ(verified.m_strOut, "The processor holds exactly the stored settings.\n");
    EXPECT_EQ(m_sim.Settings(), vrxsim::ExampleSettings());
}

TEST_F(CliToolTest, DeleteThroughALinkLeavesTheFilesItLeadsTo) {
    const fs::path elsewhere = m_dir.string() + "-elsewhere";
    fs::create_directories(elsewhere / "T" / "S");
    std::ofstream(elsewhere / "T" / "S" / "Notes.txt") << "notes";
    fs::create_directory_symlink(elsewhere, m_dir / "Ext");
    const ToolRun run = Cli({"delete", "--yes", "Ext", "T", "S"});
    EXPECT_EQ(run.m_nStatus, 5);
    EXPECT_NE(run.m_strErr.find("link"), std::string::npos) << run.m_strErr;
    EXPECT_TRUE(fs::exists(elsewhere / "T" / "S" / "Notes.txt"));
    std::error_code ec;
    fs::remove_all(elsewhere, ec);
}

TEST_F(CliToolTest, ListSkipsHiddenFoldersAndSortsNaturally) {
    for (const char* folder : {".git/objects", ".Trash-1000/Old/T/S", "Plaza 10", "plaza 9"})
        fs::create_directories(m_dir / folder);
    for (int screen = 12; screen >= 1; --screen)
        fs::create_directories(m_dir / "Odeon" / "Main" / std::to_string(screen));
    std::string expected = "Odeon\n  Main\n";
    for (int screen = 1; screen <= 12; ++screen)
        expected += "    " + std::to_string(screen) + "\n";
    expected += "plaza 9\nPlaza 10\n";
    EXPECT_EQ(Cli({"list"}).m_strOut, expected);
}

TEST_F(CliToolTest, TheLibraryFolderIsNeverTakenSilently) {
    // The tool's own folder, with a foreign folder in it, is not a library.
    const fs::path foreign = m_dir / "Home";
    fs::create_directories(foreign / "Documents" / "Invoices" / "2024");
    const ToolRun refused = RunTool({"list"}, "", foreign.string());
    EXPECT_EQ(refused.m_nStatus, 2);
    EXPECT_NE(refused.m_strErr.find(foreign.string()), std::string::npos) << refused.m_strErr;
    EXPECT_NE(refused.m_strErr.find("--dir"), std::string::npos) << refused.m_strErr;
    EXPECT_TRUE(refused.m_strOut.empty());

    EXPECT_EQ(Cli({"add", "Odeon"}).m_nStatus, 0);
    const ToolRun inside = RunTool({"list"}, "", m_dir.string());
    EXPECT_EQ(inside.m_nStatus, 0);
    EXPECT_EQ(inside.m_strOut, "Home\n  Documents\n    Invoices\nOdeon\n");

    const ToolRun missing = RunTool({"--dir", (m_dir / "absent").string(), "list"});
    EXPECT_EQ(missing.m_nStatus, 3);
    EXPECT_NE(missing.m_strErr.find("absent"), std::string::npos) << missing.m_strErr;

    // Paths are printed as reached from where the tool was started.
    const ToolRun added = RunTool({"--dir", "Lib", "add", "A"}, "", foreign.string());
    fs::create_directory(foreign / "Lib");
    EXPECT_EQ(RunTool({"--dir", "Lib", "add", "A"}, "", foreign.string()).m_strErr,
              "Added circuit Lib/A\n");
    EXPECT_EQ(added.m_nStatus, 3);
}

} // namespace

namespace {

// Two Loads into one screen at once, each from a processor of its own: one download is stored
// and the other kept in History, or one Load is refused and says why; none is lost.
TEST_F(CliToolTest, TwoLoadsIntoOneScreenLoseNoDownload) {
    AddScreen();
    vrxsim::Simulator other(ExampleOptions());
    other.SetSettings(ChangedSettings(true));
    other.Start();
    ToolRun runs[2];
    std::thread first([&] { runs[0] = Cli({"load", "--yes", "Odeon", "Main", "1"}); });
    std::thread second([&] {
        runs[1] = Cli({"--port", other.DevicePath(), "load", "--yes", "Odeon", "Main", "1"});
    });
    first.join();
    second.join();
    other.Stop();
    std::vector<std::string> kept{ReadFile(Screen() / "Vrx.cfg")};
    if (fs::exists(Screen() / "History"))
        for (const auto& entry : fs::directory_iterator(Screen() / "History"))
            kept.push_back(ReadFile(entry.path()));
    const std::string downloads[2] = {AsText(m_sim.Settings()), AsText(other.Settings())};
    int nStored = 0;
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(runs[i].m_strErr);
        if (runs[i].m_nStatus != 0) {
            EXPECT_NE(runs[i].m_strErr.find("is in use by vrx3km-cli (process "),
                      std::string::npos);
            continue;
        }
        ++nStored;
        EXPECT_NE(std::find(kept.begin(), kept.end(), downloads[i]), kept.end()) << "lost";
    }
    EXPECT_GE(nStored, 1);
}

// Two laptops load the screen in turn: the settings replaced are kept under the second laptop's
// name, and the log shows who did what on which machine and why, merged by time.
TEST_F(CliToolTest, ALoadThatReplacesStoredSettingsKeepsThemInHistory) {
    AddScreen();
    ::setenv("VRX3KM_MACHINE", "laptop-a", 1);
    ASSERT_EQ(Cli({"load", "--yes", "--who", "A. Tech", "--why", "new screen speaker", "Odeon",
                   "Main", "1"})
                  .m_nStatus,
              0);
    const Blocks first = vrxsim::ExampleSettings();
    const Blocks second = ChangedSettings(true);
    m_sim.SetSettings(second);
    ::setenv("VRX3KM_MACHINE", "laptop-b", 1);
    ASSERT_EQ(Cli({"load", "--yes", "--who", "B. Tech", "Odeon", "Main", "1"}).m_nStatus, 0);
    ::unsetenv("VRX3KM_MACHINE");
    EXPECT_EQ(ReadFile(Screen() / "Vrx.cfg"), AsText(second));
    std::vector<fs::path> kept;
    for (const auto& entry : fs::directory_iterator(Screen() / "History"))
        if (entry.path().filename().string().rfind("Vrx-", 0) == 0)
            kept.push_back(entry.path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(ReadFile(kept[0]), AsText(first));
    EXPECT_NE(kept[0].filename().string().find("-laptop-b.cfg"), std::string::npos);
    const ToolRun log = Cli({"log", "Odeon", "Main", "1"});
    ASSERT_EQ(log.m_nStatus, 0);
    const std::size_t a = log.m_strOut.find(" | laptop-a | A. Tech | Load | success | new screen "
                                            "speaker\n");
    const std::size_t b = log.m_strOut.find(" | laptop-b | B. Tech | Load | success\n");
    ASSERT_NE(a, std::string::npos) << log.m_strOut;
    ASSERT_NE(b, std::string::npos) << log.m_strOut;
    EXPECT_LT(a, b);

    // The same settings loaded again replace nothing: no new version.
    ASSERT_EQ(Cli({"load", "--yes", "Odeon", "Main", "1"}).m_nStatus, 0);
    const std::string history = Cli({"history", "Odeon", "Main", "1"}).m_strOut;
    EXPECT_EQ(std::count(history.begin(), history.end(), '\n'), 1) << history;

    const std::string name = kept[0].filename().string();
    ASSERT_EQ(Cli({"restore", "--yes", "Odeon", "Main", "1", name}).m_nStatus, 0);
    EXPECT_EQ(ReadFile(Screen() / "Vrx.cfg"), AsText(first));
    bool bSecondKept = false;
    for (const auto& entry : fs::directory_iterator(Screen() / "History"))
        bSecondKept = bSecondKept || ReadFile(entry.path()) == AsText(second);
    EXPECT_TRUE(bSecondKept);

    // Delete of the screen takes its History with it, and its question says so.
    const ToolRun deleted = Cli({"delete", "--yes", "Odeon", "Main", "1"});
    EXPECT_EQ(deleted.m_nStatus, 0);
    EXPECT_NE(deleted.m_strErr.find("or CANCEL to keep it.\n\nIts History goes with it: 2 kept "
                                    "versions of its settings, from "),
              std::string::npos)
        << deleted.m_strErr;
    EXPECT_FALSE(fs::exists(Screen()));
}

#ifdef VRX_CLI_PDF
TEST_F(CliToolTest, AVisitRecordNamesTheFieldsTwoLoadsChangedWithBothValues) {
    AddScreen();
    ASSERT_EQ(Cli({"add", "Odeon", "Main", "2"}).m_nStatus, 0);
    // The centre's volume of the current setup: "0", then "-3" (the report prints 12 - byte).
    const std::size_t centre = vrxsim::kAudioOffset[0] + kVolume + kChC;
    Blocks settings = vrxsim::ExampleSettings();
    settings[centre] = 12;
    m_sim.SetSettings(settings);
    ASSERT_EQ(Cli({"load", "--yes", "Odeon", "Main", "1"}).m_nStatus, 0);
    settings[centre] = 15;
    m_sim.SetSettings(settings);
    ASSERT_EQ(Cli({"load", "--yes", "Odeon", "Main", "1"}).m_nStatus, 0);
    ASSERT_EQ(
        Cli({"send", "--yes", "--verify", "--who", "A. Tech", "Odeon", "Main", "1"}).m_nStatus, 0);

    const fs::path pdf = m_dir / "visit.pdf";
    const ToolRun run = Cli({"visit", "Odeon", "--who", "A. Tech", "--pdf", pdf.string()});
    ASSERT_EQ(run.m_nStatus, 0) << run.m_strErr;
    std::map<std::string, std::string> bodies;
    std::string footer;
    for (const PdfReportPage& page : ReadPdfReportPages(pdf)) {
        for (const std::string& line : page.m_body)
            bodies[page.m_strTitle] += line + "\n";
        footer = page.m_strFooter;
    }
    const std::string& screen = bodies["Odeon - Main - 1"];
    EXPECT_NE(screen.find("1 difference, as \"SECTION, ROW, COLUMN: BEFORE | AFTER\":\n"
                          "Current Audio Setup, Volume, C: 0 | -3\n"),
              std::string::npos)
        << screen;
    EXPECT_NE(screen.find("(A. Tech): success: the processor holds"), std::string::npos) << screen;
    // The screen left alone is listed with its state; the footer names who printed.
    EXPECT_NE(bodies["Screens not touched"].find("never read        never       Odeon/Main/2\n"),
              std::string::npos);
    EXPECT_NE(footer.find(" by A. Tech"), std::string::npos) << footer;
}
#endif

} // namespace

namespace {

TEST_F(CliToolTest, PortsMapFindAndReasons) {
    // Two pseudo-terminals, of which only the simulator's answers.
    vrxsim::Simulator silent(ExampleOptions());
    silent.SetFaults({{vrxsim::FaultKind::Silent, vrxsim::Stage::Any}});
    silent.Start();
    ASSERT_EQ(Cli({"ports", "--map", "COM2", silent.DevicePath()}).m_nStatus, 0);
    ASSERT_EQ(Cli({"ports", "--map", "COM3", (m_dir / "unplugged").string()}).m_nStatus, 0);
    const ToolRun ports = Cli({"ports"});
    EXPECT_EQ(ports.m_nStatus, 0);
    EXPECT_NE(ports.m_strOut.find("COM1 * " + m_sim.DevicePath() + ": opens"), std::string::npos)
        << ports.m_strOut;
    EXPECT_NE(ports.m_strOut.find("COM3   " + (m_dir / "unplugged").string() + ": " +
                                  (m_dir / "unplugged").string() + ": no such device"),
              std::string::npos)
        << ports.m_strOut;

    const ToolRun found = Cli({"ports", "--find"});
    EXPECT_EQ(found.m_nStatus, 0) << found.m_strErr;
    EXPECT_EQ(found.m_strOut, "A processor answered on " + m_sim.DevicePath() + " (COM1)\n");
    EXPECT_TRUE(m_sim.SentBytes().size() > 0);

    // A missing device: the status, then the device and the system's reason; exit status 1.
    AddScreen();
    const ToolRun missing = Cli({"--port", "COM3", "load", "Odeon", "Main", "1"});
    EXPECT_EQ(missing.m_nStatus, 1);
    EXPECT_NE(missing.m_strErr.find("COM Port Error.\nProgress: 0%\n" +
                                    (m_dir / "unplugged").string() + ": no such device"),
              std::string::npos)
        << missing.m_strErr;
    // A device given by its path for one run.
    const ToolRun direct =
        Cli({"--port", m_sim.DevicePath(), "load", "--yes", "Odeon", "Main", "1"});
    EXPECT_EQ(direct.m_nStatus, 0) << direct.m_strErr;
    silent.Stop();
}

} // namespace

namespace {

// A processor that paces its bytes at 9600 baud and thinks 900 ms before every reply, counted
// from the end of the request on the line: each reply's second starts when the request has
// left, so the confirmation of a 225-byte block still comes in time.
TEST_F(CliToolTest, APacedProcessorThatThinksAcceptsASendAndALoad) {
    vrxsim::Options options = ExampleOptions();
    options.pace = true;
    options.delayMs = 900;
    vrxsim::Simulator thinking(options);
    thinking.Start();
    AddScreen();
    const Blocks stored = ChangedSettings(true);
    WriteFile(Screen() / "Vrx.cfg", stored);
    const ToolRun send =
        Cli({"--port", thinking.DevicePath(), "send", "--yes", "Odeon", "Main", "1"});
    EXPECT_EQ(send.m_nStatus, 0) << send.m_strErr;
    EXPECT_EQ(thinking.Settings(), stored);
    const ToolRun load =
        Cli({"--port", thinking.DevicePath(), "load", "--yes", "Odeon", "Main", "1"});
    EXPECT_EQ(load.m_nStatus, 0) << load.m_strErr;
    thinking.Stop();
}

} // namespace

namespace {

// The trace and the profile never hurt the library nor hold the tool.
TEST_F(CliToolTest, TraceAndProfileProblemsAreToldAndHarmNothing) {
    AddScreen();
    const Blocks stored = ChangedSettings(true);
    WriteFile(Screen() / "Vrx.cfg", stored);
    // A trace into a library file: refused before anything is sent.
    const ToolRun intoLibrary =
        Cli({"--trace", (Screen() / "Vrx.cfg").string(), "load", "--yes", "Odeon", "Main", "1"});
    EXPECT_EQ(intoLibrary.m_nStatus, 3);
    EXPECT_NE(intoLibrary.m_strErr.find("one of the library's own files"), std::string::npos)
        << intoLibrary.m_strErr;
    EXPECT_EQ(ReadFile(Screen() / "Vrx.cfg"), AsText(stored));
    EXPECT_TRUE(m_sim.ReceivedBytes().empty());

    // A trace that cannot be written whole: the Send still succeeds, the exit status tells.
    std::optional<NoRoomForFiles> noRoom(std::in_place);
    const ToolRun full =
        Cli({"--trace", (m_dir / "trace.txt").string(), "send", "--yes", "Odeon", "Main", "1"});
    noRoom.reset();
    EXPECT_EQ(full.m_nStatus, 3);
    EXPECT_NE(full.m_strErr.find(std::string(transfer_text::kSendSuccess) + "\n"),
              std::string::npos);
    EXPECT_NE(full.m_strErr.find("The line trace could not be written whole"), std::string::npos)
        << full.m_strErr;
    EXPECT_EQ(m_sim.Settings(), stored);

    // A mapping that would put lines of its own into the profile.
    const fs::path profile = m_dir / "VRX3KM.CFG";
    const std::string before = ReadFile(profile);
    const ToolRun injected = Cli({"ports", "--map", "COM3", "/dev/x\r\nCOM4=/dev/y\r\n[Setup]"});
    EXPECT_EQ(injected.m_nStatus, 2);
    EXPECT_NE(injected.m_strErr.find("control character"), std::string::npos);
    EXPECT_EQ(ReadFile(profile), before);

    // A profile that is a FIFO: said, not waited on.
    fs::remove(profile);
    ASSERT_EQ(::mkfifo(profile.c_str(), 0600), 0);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"ports"}, {"load", "--yes", "Odeon", "Main", "1"}}) {
        const ToolRun run = Cli(args);
        EXPECT_EQ(run.m_nStatus, args[0] == "ports" ? 3 : 1);
        EXPECT_NE(run.m_strErr.find(profile.string() + " cannot be read"), std::string::npos)
            << run.m_strErr;
    }
}

} // namespace

namespace {

// The processor's go-ahead names alternate #2 where alternate #1 was announced: the Send keeps
// its dialogue and success text, names the blocks, and fails the exit status.
TEST_F(CliToolTest, ASendWhoseGoAheadNamesAnotherBlockExitsWithOne) {
    AddScreen();
    WriteFile(Screen() / "Vrx.cfg", ChangedSettings(true));
    m_sim.SetFaults({{vrxsim::FaultKind::WrongBlock, vrxsim::Stage::WriteAudio1}});
    const ToolRun run = Cli({"send", "--yes", "Odeon", "Main", "1"});
    EXPECT_EQ(run.m_nStatus, 1);
    EXPECT_NE(run.m_strErr.find(std::string(transfer_text::kSendSuccess) +
                                "\nThe VRX-3KM took alternate #2 where alternate #1 was sent; "
                                "alternate #1 was not written.\n"),
              std::string::npos)
        << run.m_strErr;
}

} // namespace
