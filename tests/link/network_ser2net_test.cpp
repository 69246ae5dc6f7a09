// vrx3km-cli through Debian's ser2net, in front of the simulated processor's pseudo-terminal, in
// its telnet (RFC 2217) and raw modes, named by --port and in the profile's "Ports" section: the
// settings arrive and leave byte for byte, 0xFF (the Telnet escape) among them.
#include "local_ser2net.h"
#include "run_tool.h"
#include "temp_folder.h"

#include "link/transfer_sequence.h"
#include "tools/sim/blocks.h"
#include "tools/sim/simulator.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

using Blocks = std::array<std::uint8_t, 800>;
using Clock = std::chrono::steady_clock;
using testsupport::FreePort;
using testsupport::Ser2netPath;

// True when the system lists a socket listening on 127.0.0.1:port.
bool Listening(int port) {
    char local[32];
    std::snprintf(local, sizeof local, "0100007F:%04X", static_cast<unsigned>(port));
    std::ifstream table("/proc/net/tcp");
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        std::string slot, address, remote, state;
        fields >> slot >> address >> remote >> state;
        if (address == local && state == "0A")
            return true;
    }
    return false;
}

// The example settings with 0xFF written wherever the processor's checks allow it, from the
// first'th allowed byte of each block on, count of them: each block's frame then carries the
// Telnet escape byte, twice in a row where two allowed bytes neighbour.
Blocks WithEscapeBytes(int first, int count) {
    Blocks blocks = vrxsim::ExampleSettings();
    const auto valid = [&blocks](std::size_t block) {
        if (block == 0)
            return vrxsim::SystemBlockValid(std::span<const std::uint8_t, vrxsim::kSystemBytes>(
                &blocks[0], vrxsim::kSystemBytes));
        return vrxsim::AudioBlockValid(std::span<const std::uint8_t, vrxsim::kAudioBytes>(
            &blocks[vrxsim::kAudioOffset[block - 1]], vrxsim::kAudioBytes));
    };
    for (std::size_t block = 0; block < 4; ++block) {
        const std::size_t begin = block == 0 ? 0 : vrxsim::kAudioOffset[block - 1];
        const std::size_t size = block == 0 ? vrxsim::kSystemBytes : vrxsim::kAudioBytes;
        int allowed = 0;
        for (std::size_t i = begin; i < begin + size && allowed < first + count; ++i) {
            const std::uint8_t old = blocks[i];
            blocks[i] = 0xFF;
            if (old != 0xFF && valid(block) && allowed++ >= first)
                continue;
            blocks[i] = old;
        }
        EXPECT_EQ(allowed, first + count) << "block " << block;
    }
    return blocks;
}

// ser2net on a free port of 127.0.0.1 with a configuration of its own, in front of a device;
// stopped when the object goes.
class Ser2net {
public:
    Ser2net(const fs::path& folder, const std::string& device, bool bTelnet)
        : m_log(folder / "ser2net.log") {
        m_nPort = FreePort();
        const fs::path config = folder / "ser2net.yaml";
        std::ofstream(config) << "connection: &vrx\n"
                              << "    accepter: " << (bTelnet ? "telnet(rfc2217)," : "")
                              << "tcp,127.0.0.1," << m_nPort << "\n"
                              << "    connector: serialdev," << device << ",9600n81,local\n";
        const std::string pidFile = (folder / "ser2net.pid").string();
        const std::string program = Ser2netPath();
        m_pid = ::fork();
        if (m_pid == 0) {
            const int out = ::open(m_log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(out, STDOUT_FILENO);
            ::dup2(out, STDERR_FILENO);
            // In the foreground, without lock files, its pid file in the test's folder.
            ::execl(program.c_str(), program.c_str(), "-n", "-u", "-P", pidFile.c_str(), "-c",
                    config.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // Ready when its port listens; a ser2net that ended instead has said why in its log.
        const auto until = Clock::now() + std::chrono::seconds(10);
        while (!Listening(m_nPort) && Clock::now() < until) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                break;
            }
            ::poll(nullptr, 0, 20);
        }
    }
    ~Ser2net() {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGTERM);
        const auto until = Clock::now() + std::chrono::seconds(5);
        int status = 0;
        while (::waitpid(m_pid, &status, WNOHANG) == 0) {
            if (Clock::now() >= until) {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, &status, 0);
                break;
            }
            ::poll(nullptr, 0, 20);
        }
    }
    bool Ready() const { return m_pid > 0 && Listening(m_nPort); }
    int Port() const { return m_nPort; }
    std::string Log() const {
        std::ifstream in(m_log);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    fs::path m_log;
    int m_nPort = 0;
    pid_t m_pid = -1;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string AsText(const Blocks& blocks) {
    return std::string(blocks.begin(), blocks.end());
}

class NetworkSer2net : public testing::TestWithParam<bool> {};

TEST_P(NetworkSer2net, LoadAndSendAreByteExact) {
    if (Ser2netPath().empty())
        GTEST_SKIP() << "ser2net is not installed (scripts/setup test installs it)";
    const bool bTelnet = GetParam();
    const Blocks held = WithEscapeBytes(0, 3);
    const Blocks stored = WithEscapeBytes(3, 3);
    ASSERT_NE(held, stored);
    vrxsim::Options options;
    options.settings = held;
    vrxsim::Simulator sim(options);
    sim.Start();
    TempFolder folder;
    const Ser2net server(folder.Path(), sim.DevicePath(), bTelnet);
    ASSERT_TRUE(server.Ready()) << server.Log();

    const fs::path library = folder.Path() / "library";
    fs::create_directory(library);
    const std::string port =
        std::string(bTelnet ? "rfc2217" : "tcp") + "://127.0.0.1:" + std::to_string(server.Port());
    // With --port, or else through the profile's mapping.
    const auto cli = [&](const char* command, bool bPortOption) {
        std::vector<std::string> args = {"--dir", library.string(), "--yes", command,
                                         "Odeon", "Main",           "1"};
        if (bPortOption)
            args.insert(args.begin(), {"--port", port});
        return RunTool(args);
    };
    ASSERT_EQ(cli("add", false).m_nStatus, 0);
    const fs::path screen = library / "Odeon" / "Main" / "1";

    const ToolRun load = cli("load", true);
    ASSERT_EQ(load.m_nStatus, 0) << load.m_strErr << server.Log();
    EXPECT_NE(load.m_strErr.find(transfer_text::kDownloadSuccess), std::string::npos);
    EXPECT_EQ(ReadFile(screen / "Vrx.cfg"), AsText(held));

    std::ofstream(library / "VRX3KM.CFG")
        << "[Setup]\r\nPORT=COM2\r\n[Ports]\r\nCOM2=" << port << "\r\n";
    std::ofstream(screen / "Vrx.cfg", std::ios::binary | std::ios::trunc) << AsText(stored);
    const ToolRun send = cli("send", false);
    ASSERT_EQ(send.m_nStatus, 0) << send.m_strErr << server.Log();
    EXPECT_NE(send.m_strErr.find(transfer_text::kSendSuccess), std::string::npos);
    EXPECT_EQ(sim.Settings(), stored);
}

INSTANTIATE_TEST_SUITE_P(Modes, NetworkSer2net, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& mode) {
                             return std::string(mode.param ? "Telnet" : "Raw");
                         });

// The whole message of a Load whose network port has no server: the port error and its reason,
// at once.
TEST(NetworkCli, LoadWithoutAServerIsAPortError) {
    TempFolder folder;
    const std::string port = "rfc2217://127.0.0.1:" + std::to_string(FreePort());
    const auto cli = [&](const char* command) {
        return RunTool({"--dir", folder.Path().string(), "--port", port, "--yes", command, "Odeon",
                        "Main", "1"});
    };
    ASSERT_EQ(cli("add").m_nStatus, 0);
    const ToolRun load = cli("load");
    EXPECT_EQ(load.m_nStatus, 1);
    EXPECT_NE(load.m_strErr.find("COM Port Error.\n"), std::string::npos) << load.m_strErr;
    EXPECT_NE(load.m_strErr.find(port + ": the connection was refused"), std::string::npos)
        << load.m_strErr;
}

} // namespace
