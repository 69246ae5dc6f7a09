// vrx3km-cli on the ports of a site: the cable test, the trace of several runs, a screen's own
// port and the backup of many screens, against simulated processors on pseudo-terminals.
#include "line_data.h"
#include "run_tool.h"
#include "temp_folder.h"

#include "cli_options.h"
#include "link/cable_test.h"
#include "link/transfer_sequence.h"
#include "tools/sim/simulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <poll.h>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A pseudo-terminal whose far end is a cable with pins 2 and 3 joined (every byte comes back),
// or nothing at all.
class CableEnd {
public:
    explicit CableEnd(bool bLoop) {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128] = {};
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
            ::ptsname_r(m_master, name, sizeof name) != 0)
            throw std::runtime_error("no pseudo-terminal");
        m_strSlave = name;
        // Held open, so the far end never reads as hung up while the tool is not yet there.
        m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (bLoop)
            m_loop = std::thread([this] { Loop(); });
    }
    ~CableEnd() {
        m_bStop = true;
        if (m_loop.joinable())
            m_loop.join();
        ::close(m_slave);
        ::close(m_master);
    }
    const std::string& Slave() const { return m_strSlave; }
    // What reached the far end and went back.
    std::vector<std::uint8_t> Looped() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_looped;
    }

private:
    void Loop() {
        while (!m_bStop) {
            pollfd pfd{m_master, POLLIN, 0};
            if (::poll(&pfd, 1, 50) <= 0 || (pfd.revents & POLLIN) == 0)
                continue;
            std::uint8_t buffer[256];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                continue;
            (void)!::write(m_master, buffer, static_cast<std::size_t>(n));
            std::lock_guard<std::mutex> lock(m_mutex);
            m_looped.insert(m_looped.end(), buffer, buffer + n);
        }
    }

    int m_master = -1;
    int m_slave = -1;
    std::string m_strSlave;
    std::thread m_loop;
    std::atomic<bool> m_bStop{false};
    mutable std::mutex m_mutex;
    std::vector<std::uint8_t> m_looped;
};

TEST(CliCableTest, EveryByteBackOnALoopNothingFromASilentEnd) {
    TempFolder library;
    const auto test = [&](const std::string& device) {
        return RunTool({"--dir", library.Path().string(), "ports", "--test-cable", device});
    };
    CableEnd loop(true);
    const ToolRun good = test(loop.Slave());
    EXPECT_EQ(good.m_nStatus, 0) << good.m_strErr;
    EXPECT_EQ(good.m_strOut, "The cable and adapter returned every byte.\n");
    // The pattern holds no DLE: no processor on the line would take any of it for a frame.
    EXPECT_EQ(loop.Looped(), CableTestPattern());
    EXPECT_EQ(std::count(CableTestPattern().begin(), CableTestPattern().end(), 0x10), 0);

    CableEnd silent(false);
    const ToolRun bad = test(silent.Slave());
    EXPECT_EQ(bad.m_nStatus, 1);
    EXPECT_NE(bad.m_strErr.find("Nothing came back"), std::string::npos) << bad.m_strErr;
    EXPECT_NE(bad.m_strErr.find("pins 2 and 3"), std::string::npos) << bad.m_strErr;
}

// Two runs traced into one file: each begins with a line that tells when it began, the tool and
// its version, the command and the port with its device.
TEST(CliTrace, EachRunBeginsWithItsOwnLine) {
    TempFolder library;
    vrxsim::Simulator sim;
    sim.Start();
    std::ofstream(library.Path() / "VRX3KM.CFG")
        << "[Ports]\r\nCOM1=" << sim.DevicePath() << "\r\n";
    const fs::path trace = library.Path() / "trace.txt";
    const auto cli = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--dir", library.Path().string(), "--trace", trace.string()});
        return RunTool(args);
    };
    ASSERT_EQ(RunTool({"--dir", library.Path().string(), "add", "Odeon", "Main", "1"}).m_nStatus,
              0);
    ASSERT_EQ(cli({"load", "--yes", "Odeon", "Main", "1"}).m_nStatus, 0);
    ASSERT_EQ(cli({"compare", "Odeon", "Main", "1"}).m_nStatus, 0);
    sim.Stop();

    std::string version = VersionText(); // "vrx3km-cli 1.2\n"
    version.pop_back();
    const std::regex header(
        "=== \\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}[+-]\\d\\d:\\d\\d  " + version +
        "  (load|compare) Odeon Main 1  port COM1 on " + sim.DevicePath());
    std::ifstream in(trace);
    std::vector<std::string> headers;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("===", 0) == 0) {
            EXPECT_TRUE(std::regex_match(line, header)) << line;
            headers.push_back(line);
        }
    }
    ASSERT_EQ(headers.size(), 2u);
    EXPECT_NE(headers[0].find("  load "), std::string::npos);
    EXPECT_NE(headers[1].find("  compare "), std::string::npos);
}

// A library whose screens each have a simulated processor behind a port of their own.
class CliScreens : public testing::Test {
protected:
    using Blocks = std::array<std::uint8_t, 800>;

    ToolRun Cli(std::vector<std::string> args,
                const std::function<void(int, const std::string&)>& onOutput = {}) {
        args.insert(args.begin(), {"--dir", m_library.Path().string()});
        return RunTool(args, "", "", onOutput);
    }
    fs::path Folder(const std::string& screen) const {
        return m_library.Path() / "Odeon" / "Main" / screen;
    }
    // Screen `screen` with `stored` as its Vrx.cfg (none when empty), its own processor holding
    // `held` behind its own port.
    void AddScreen(const std::string& screen, const std::optional<Blocks>& stored,
                   const Blocks& held, std::vector<vrxsim::Fault> faults = {}, int delayMs = 0) {
        ASSERT_EQ(Cli({"add", "Odeon", "Main", screen}).m_nStatus, 0);
        if (stored)
            WriteBytes(Folder(screen) / "Vrx.cfg", Text(*stored));
        vrxsim::Options options;
        options.settings = held;
        options.faults = std::move(faults);
        options.delayMs = delayMs;
        m_sims.push_back(std::make_unique<vrxsim::Simulator>(options));
        m_sims.back()->Start();
        ASSERT_EQ(
            Cli({"screen-port", "Odeon", "Main", screen, m_sims.back()->DevicePath()}).m_nStatus,
            0);
    }
    static std::string Text(const Blocks& blocks) {
        return std::string(blocks.begin(), blocks.end());
    }
    // The names of the History folder's files.
    std::vector<std::string> Kept(const std::string& screen) const {
        std::vector<std::string> names;
        std::error_code ec;
        for (fs::directory_iterator it(Folder(screen) / "History", ec);
             !ec && it != fs::directory_iterator(); it.increment(ec))
            names.push_back(it->path().filename().string());
        return names;
    }

    TempFolder m_library;
    std::vector<std::unique_ptr<vrxsim::Simulator>> m_sims;
    const Blocks m_example = vrxsim::ExampleSettings();
    const Blocks m_changed = testsupport::ChangedSettings(true);
};

// A screen's own port: shown, set, used by a Load (which says so), refused when malformed,
// cleared, and deleted with the screen.
TEST_F(CliScreens, AScreensOwnPortIsUsedAndGoesWithTheScreen) {
    AddScreen("1", std::nullopt, m_changed);
    const std::string device = m_sims.back()->DevicePath();
    EXPECT_EQ(Cli({"screen-port", "Odeon", "Main", "1"}).m_strOut, device + "\n");
    EXPECT_EQ(ReadBytes(Folder("1") / "Port.txt"), device + "\r\n");
    // The profile names no port at all (COM1 is /dev/ttyS0): the screen's own is used.
    const ToolRun load = Cli({"load", "--yes", "Odeon", "Main", "1"});
    ASSERT_EQ(load.m_nStatus, 0) << load.m_strErr;
    EXPECT_NE(load.m_strErr.find("The screen's own port " + device + " (its Port.txt) is used"),
              std::string::npos)
        << load.m_strErr;
    EXPECT_NE(load.m_strErr.find(std::string(transfer_text::kDownloadSuccess) + "\n"),
              std::string::npos);
    EXPECT_EQ(ReadBytes(Folder("1") / "Vrx.cfg"), Text(m_changed));

    for (const char* bad : {"tcp://booth3", "/dev/x\r\nCOM4=/dev/y"}) {
        const ToolRun refused = Cli({"screen-port", "Odeon", "Main", "1", bad});
        EXPECT_EQ(refused.m_nStatus, 2) << bad;
        EXPECT_EQ(ReadBytes(Folder("1") / "Port.txt"), device + "\r\n");
    }
    ASSERT_EQ(Cli({"screen-port", "--clear", "Odeon", "Main", "1"}).m_nStatus, 0);
    EXPECT_FALSE(fs::exists(Folder("1") / "Port.txt"));
    EXPECT_EQ(Cli({"screen-port", "Odeon", "Main", "1"}).m_strOut, "");

    // The program's own file: a Delete takes it with the screen.
    ASSERT_EQ(Cli({"screen-port", "Odeon", "Main", "1", "COM2"}).m_nStatus, 0);
    const ToolRun deleted = Cli({"delete", "--yes", "Odeon", "Main", "1"});
    EXPECT_EQ(deleted.m_nStatus, 0) << deleted.m_strErr;
    EXPECT_FALSE(fs::exists(Folder("1")));
}

// Six screens with their own ports, one processor silent and one whose settings changed since
// they were stored, and a screen without a port: one line each, the counts, exit status 1, and
// the changed screen's previous settings kept in History.
TEST_F(CliScreens, BackupReadsEveryScreenWithAPortAndKeepsTheReplacedSettings) {
    for (const char* screen : {"1", "2", "3", "4"})
        AddScreen(screen, m_example, m_example);
    AddScreen("5", m_example, m_changed);
    AddScreen("6", m_example, m_example, {{vrxsim::FaultKind::Silent, vrxsim::Stage::Any}});
    ASSERT_EQ(Cli({"add", "Odeon", "Main", "7"}).m_nStatus, 0);

    const ToolRun run = Cli({"backup", "--jobs", "4"});
    EXPECT_EQ(run.m_nStatus, 1) << run.m_strErr;
    std::vector<std::string> lines;
    std::istringstream out(run.m_strOut);
    for (std::string line; std::getline(out, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 8u) << run.m_strOut;
    std::sort(lines.begin(), lines.end() - 1);
    EXPECT_EQ(lines[0], "Odeon/Main/1: unchanged");
    EXPECT_EQ(lines[3], "Odeon/Main/4: unchanged");
    EXPECT_EQ(lines[4], "Odeon/Main/5: changed (1 difference)");
    EXPECT_EQ(lines[5].rfind("Odeon/Main/6: failed: No answer to the link check.", 0), 0u)
        << lines[5];
    EXPECT_EQ(lines[6], "Odeon/Main/7: no port");
    EXPECT_EQ(lines[7], "7 screens: 4 unchanged, 1 changed, 1 failed, 1 without a port");

    EXPECT_EQ(ReadBytes(Folder("5") / "Vrx.cfg"), Text(m_changed));
    const std::vector<std::string> kept = Kept("5");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(ReadBytes(Folder("5") / "History" / kept.front()), Text(m_example));
    for (const char* screen : {"1", "6"}) {
        EXPECT_EQ(ReadBytes(Folder(screen) / "Vrx.cfg"), Text(m_example));
        EXPECT_TRUE(Kept(screen).empty());
    }
    // Nothing was ever written to a processor.
    for (const auto& sim : m_sims)
        EXPECT_EQ(sim->Settings(), sim.get() == m_sims[4].get() ? m_changed : m_example);
}

// Ctrl+C once the first screen is stored: the read that runs ends at a stage boundary, the rest
// are not begun, every screen's files are whole (the old ones or the new ones) and the counts
// of what was done follow.
TEST_F(CliScreens, AnInterruptedBackupStoresNothingPartial) {
    for (const char* screen : {"1", "2", "3"})
        AddScreen(screen, m_example, m_changed, {}, 200);
    bool bSent = false;
    const ToolRun run = Cli({"backup", "--jobs", "1"}, [&](int pid, const std::string& out) {
        if (!bSent && out.find('\n') != std::string::npos) {
            ::kill(pid, SIGINT);
            bSent = true;
        }
    });
    ASSERT_TRUE(bSent) << run.m_strOut << run.m_strErr;
    EXPECT_EQ(run.m_nStatus, 1) << run.m_strErr;
    EXPECT_NE(run.m_strOut.find("not read (stopped)"), std::string::npos) << run.m_strOut;
    int nStored = 0;
    for (const char* screen : {"1", "2", "3"}) {
        const std::string settings = ReadBytes(Folder(screen) / "Vrx.cfg");
        const bool bStored = settings == Text(m_changed);
        EXPECT_TRUE(bStored || settings == Text(m_example)) << screen;
        EXPECT_EQ(Kept(screen).size(), bStored ? 1u : 0u) << screen;
        nStored += bStored ? 1 : 0;
        for (const auto& entry : fs::directory_iterator(Folder(screen)))
            EXPECT_EQ(entry.path().filename().string().find(".vrx-tmp-"), std::string::npos)
                << entry.path();
    }
    EXPECT_GE(nStored, 1);
    EXPECT_LT(nStored, 3);
}

} // namespace
