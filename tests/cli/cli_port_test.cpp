// vrx3km-cli on the ports of a site: the cable test, the trace of several runs, a screen's own
// port and the backup of many screens, against simulated processors on pseudo-terminals.
#include "run_tool.h"
#include "temp_folder.h"

#include "cli_options.h"
#include "link/cable_test.h"
#include "link/transfer_sequence.h"
#include "tools/sim/simulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <poll.h>
#include <regex>
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

} // namespace
