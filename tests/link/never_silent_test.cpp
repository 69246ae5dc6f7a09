// A line that never falls silent: once the processor chatters, neither a reply nor the link
// check's drain may hold the program. Both end within their bounds, fail, and leave the image.
#include "link/frame_codec.h"
#include "link/profile.h"
#include "link/serial_port.h"
#include "link/transactions.h"

#include "simulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(NeverSilentLine, ReplyAndDrainEndInBoundedTime) {
    const fs::path dir = fs::temp_directory_path() / "vrx_link_never_silent";
    fs::remove_all(dir);
    fs::create_directories(dir);
    g_PortSettings.ProfilePath = (dir / "VRX3KM.CFG").string();

    vrxsim::Options options;
    options.faults = {{vrxsim::FaultKind::Chatter, vrxsim::Stage::ReadSystem}};
    vrxsim::Simulator sim(options);
    std::ofstream(g_PortSettings.ProfilePath) << "[Ports]\nCOM1=" << sim.DevicePath() << "\n";
    g_SerialPort.Open("COM1");
    ASSERT_TRUE(g_SerialPort.IsOpen());
    ResetReceiver();
    sim.Start();

    SettingsImage image{};
    image.system.fill(0x5A);
    image.current.fill(0xA0);
    const SettingsImage before = image;

    // The request starts the chatter: a byte every ~100 ms and never a frame.
    auto start = Clock::now();
    EXPECT_NE(ReadSystemSetup(image), LinkOk);
    double took = SecondsSince(start);
    EXPECT_GE(took, kReplyLimitMs / 1000.0 - 0.2);
    EXPECT_LT(took, kReplyLimitMs / 1000.0 + 1.5);

    // The drain never sees a silent second and gives up at its own limit.
    start = Clock::now();
    EXPECT_NE(CheckLink(image), LinkOk);
    took = SecondsSince(start);
    EXPECT_GE(took, kDrainLimitMs / 1000.0 - 0.2);
    EXPECT_LT(took, kDrainLimitMs / 1000.0 + 1.5);

    EXPECT_EQ(image.system, before.system);
    EXPECT_EQ(image.current, before.current);

    g_SerialPort.Open("none"); // closes
    sim.Stop();
    fs::remove_all(dir);
}

} // namespace
