// Transfer speed against the paced simulated processor: a full download (link check, system
// block, three audio blocks) and a full upload. The simulator paces the line in both directions:
// its own bytes leave, and the program's bytes reach it, at 10 bits each at 9600 baud. Each
// direction is compared with the floor the line allows: the link check's silent second plus the
// line time of every byte on the wire in either direction. Exits non-zero when a transfer fails,
// takes less than its floor or more than 1.05 times it, or uses more than 5% of its wall time on
// the processor.
#include "image/stored_files.h"
#include "link/frame_codec.h"
#include "link/serial_port.h"
#include "link/transactions.h"

#include "simulator.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use); // the whole process: the program's thread and the simulator's
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(use.ru_utime) + seconds(use.ru_stime);
}

struct Outcome {
    bool ok = true;
    bool withinAim = true;
};

Outcome Measure(const char* direction, vrxsim::Simulator& sim,
                const std::function<bool()>& transfer) {
    const std::size_t receivedBefore = sim.ReceivedBytes().size();
    const std::size_t sentBefore = sim.SentBytes().size();
    const double cpuBefore = CpuSeconds();
    const auto start = Clock::now();
    const bool ok = transfer();
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = CpuSeconds() - cpuBefore;
    const std::size_t bytes =
        sim.ReceivedBytes().size() - receivedBefore + sim.SentBytes().size() - sentBefore;
    const double floor = 1.0 + static_cast<double>(bytes) * 10.0 / 9600.0;
    const double ratio = wall / floor;
    const double cpuShare = cpu / wall;
    std::printf("%-8s wall %.3f s  floor %.3f s (%zu bytes)  ratio %.3f  cpu %.3f s (%.1f%%)%s\n",
                direction, wall, floor, bytes, ratio, cpu, 100.0 * cpuShare,
                ok ? "" : "  TRANSFER FAILED");
    Outcome o;
    o.ok = ok;
    // Below 1.0 the bytes crossed faster than the line allows: the measure itself is wrong.
    o.withinAim = ratio >= 1.0 && ratio <= 1.05 && cpuShare <= 0.05;
    return o;
}

} // namespace

int main() {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("bench_link_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string profile = (dir / std::string(kProfileFileName)).string();

    vrxsim::Options options;
    options.pace = true;
    vrxsim::Simulator sim(options);
    std::ofstream(profile) << "[Ports]\nCOM1=" << sim.DevicePath() << "\n";
    CSerialPort port;
    port.Open("COM1", profile);
    if (!port.IsOpen()) {
        std::fprintf(stderr, "bench_link: cannot open the simulator's device %s\n",
                     sim.DevicePath().c_str());
        fs::remove_all(dir);
        return 1;
    }
    sim.Start();

    SettingsImage image{};
    FrameCodec codec;
    const Outcome down = Measure("download", sim, [&] {
        return CheckLink(port, codec, image) == LinkOk &&
               ReadSystemSetup(port, codec, image) == LinkOk &&
               ReadAudioSetup(port, codec, 0, 0, image) == LinkOk &&
               ReadAudioSetup(port, codec, 1, 1, image) == LinkOk &&
               ReadAudioSetup(port, codec, 2, 2, image) == LinkOk;
    });
    const Outcome up = Measure("upload", sim, [&] {
        return CheckLink(port, codec, image) == LinkOk &&
               WriteSystemSetup(port, codec, image) == LinkOk &&
               WriteAudioSetup(port, codec, 0, 0, image) == LinkOk &&
               WriteAudioSetup(port, codec, 1, 1, image) == LinkOk &&
               WriteAudioSetup(port, codec, 2, 2, image) == LinkOk;
    });
    port.Open("none", profile);
    sim.Stop();
    fs::remove_all(dir);

    if (!down.ok || !up.ok) {
        return 1;
    }
    if (!down.withinAim || !up.withinAim) {
        std::printf("aim missed: 1.0 <= ratio <= 1.05 and cpu <= 5%% of wall\n");
        return 2;
    }
    return 0;
}
