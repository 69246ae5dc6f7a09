// The backup of a site: 32 screens, each with its own simulated processor behind its own port,
// paced at 9600 baud, read eight at once. Eight at once make four rounds, so the wall time is
// compared with four times one screen's line floor (the link check's silent second plus the line
// time of every byte of one download). Then the same 32 screens through ser2net in raw mode, one
// network port each, when ser2net is installed. Exits 1 when a screen was not read, 2 when the
// local run takes more than 1.3 times its floor.
#include "image/settings_store.h"
#include "library/screen_store.h"
#include "link/backup.h"

#include "local_ser2net.h"
#include "simulator.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
using testsupport::FreePort;
using testsupport::Ser2netPath;
constexpr int kScreens = 32;
constexpr int kJobs = 8;
constexpr double kAim = 1.3;

struct Run {
    bool bAllRead = false;
    double ratio = 0;
};

// Backs up the screens, screen i through ports[i], into a fresh library under dir.
Run BackUp(const char* name, const fs::path& dir, const std::vector<std::string>& ports,
           const std::vector<std::unique_ptr<vrxsim::Simulator>>& sims) {
    const fs::path library = dir / name;
    std::vector<BackupScreen> screens;
    for (int i = 0; i < kScreens; ++i) {
        const ScreenTarget target{"Site", "Main", std::to_string(i + 1)};
        fs::create_directories(library / "Site" / "Main" / target.m_strScreen);
        screens.push_back({target, ports[static_cast<std::size_t>(i)], {}});
    }
    std::vector<std::size_t> bytesBefore;
    for (const auto& sim : sims)
        bytesBefore.push_back(sim->ReceivedBytes().size() + sim->SentBytes().size());
    ScreenStore store(library);
    BackupOptions options;
    options.m_nJobs = kJobs;
    const std::atomic<bool> stop{false};
    const auto start = Clock::now();
    const std::vector<BackupResult> results = RunBackup(screens, store, options, stop, {});
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();

    // One screen's floor: the largest of the 32, each the bytes its download put on the line.
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < sims.size(); ++i)
        bytes = std::max(bytes, sims[i]->ReceivedBytes().size() + sims[i]->SentBytes().size() -
                                    bytesBefore[i]);
    const double floor = 1.0 + static_cast<double>(bytes) * 10.0 / 9600.0;
    const int nRounds = (kScreens + kJobs - 1) / kJobs;
    const BackupCounts counts = CountBackup(results);
    Run run;
    run.bAllRead = counts.AllRead() && counts.m_nChanged + counts.m_nUnchanged == kScreens;
    run.ratio = wall / (nRounds * floor);
    std::printf("%-8s %d screens, %d at once: wall %.3f s  %d x floor %.3f s (%zu bytes)  "
                "ratio %.3f  (%s)\n",
                name, kScreens, kJobs, wall, nRounds, floor, bytes, run.ratio,
                counts.Summary().c_str());
    for (const BackupResult& result : results)
        if (result.m_nOutcome == BackupOutcome::Failed)
            std::printf("  %s\n", BackupLine(result).c_str());
    return run;
}

// How many of the ports listen on 127.0.0.1, as the system's socket table says.
std::size_t Listening(const std::vector<int>& ports) {
    std::vector<std::string> wanted;
    for (const int port : ports) {
        char local[32];
        std::snprintf(local, sizeof local, "0100007F:%04X", static_cast<unsigned>(port));
        wanted.emplace_back(local);
    }
    std::size_t n = 0;
    std::ifstream table("/proc/net/tcp");
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        std::string slot, address, remote, state;
        fields >> slot >> address >> remote >> state;
        if (state == "0A" && std::find(wanted.begin(), wanted.end(), address) != wanted.end())
            ++n;
    }
    return n;
}

// One ser2net in raw mode with a connection per simulator; -1 when it did not come up.
pid_t StartSer2net(const fs::path& dir, const std::vector<std::unique_ptr<vrxsim::Simulator>>& sims,
                   std::vector<int>& ports) {
    const std::string program = Ser2netPath();
    if (program.empty())
        return -1;
    const fs::path config = dir / "ser2net.yaml";
    std::ofstream out(config);
    for (std::size_t i = 0; i < sims.size(); ++i) {
        ports.push_back(FreePort());
        out << "connection: &screen" << i << "\n    accepter: tcp,127.0.0.1," << ports.back()
            << "\n    connector: serialdev," << sims[i]->DevicePath() << ",9600n81,local\n";
    }
    out.close();
    const std::string pidFile = (dir / "ser2net.pid").string();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Its notices (no mDNS here, and the like) go to a log beside its configuration.
        const int log = ::open((dir / "ser2net.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(log, STDOUT_FILENO);
        ::dup2(log, STDERR_FILENO);
        ::execl(program.c_str(), program.c_str(), "-n", "-u", "-P", pidFile.c_str(), "-c",
                config.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const auto until = Clock::now() + std::chrono::seconds(10);
    while (Listening(ports) < ports.size()) {
        int status = 0;
        if (Clock::now() >= until || ::waitpid(pid, &status, WNOHANG) == pid) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            std::ifstream log(dir / "ser2net.log");
            std::printf("ser2net did not listen on every port:\n%s\n",
                        std::string(std::istreambuf_iterator<char>(log), {}).c_str());
            return -1;
        }
        ::poll(nullptr, 0, 20);
    }
    return pid;
}

} // namespace

int main() {
    const fs::path dir = fs::temp_directory_path() / ("bench_backup_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::vector<std::unique_ptr<vrxsim::Simulator>> sims;
    std::vector<std::string> devices;
    vrxsim::Options options;
    options.pace = true;
    for (int i = 0; i < kScreens; ++i) {
        sims.push_back(std::make_unique<vrxsim::Simulator>(options));
        sims.back()->Start();
        devices.push_back(sims.back()->DevicePath());
    }

    const Run local = BackUp("local", dir, devices, sims);

    std::vector<int> tcpPorts;
    const pid_t ser2net = StartSer2net(dir, sims, tcpPorts);
    Run network{true, 0};
    if (ser2net > 0) {
        std::vector<std::string> names;
        for (const int port : tcpPorts)
            names.push_back("tcp://127.0.0.1:" + std::to_string(port));
        network = BackUp("ser2net", dir, names, sims);
        ::kill(ser2net, SIGTERM);
        int status = 0;
        ::waitpid(ser2net, &status, 0);
    } else {
        std::printf("ser2net  not run: ser2net is not installed or did not start\n");
    }
    for (auto& sim : sims)
        sim->Stop();
    fs::remove_all(dir);

    if (!local.bAllRead || !network.bAllRead)
        return 1;
    if (local.ratio > kAim) {
        std::printf("aim missed: the local run's ratio is above %.1f\n", kAim);
        return 2;
    }
    return 0;
}
