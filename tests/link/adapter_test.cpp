// USB adapters on the line: a port mapped to an adapter finds it under a new device name, names
// it when it is not plugged in, and an adapter that goes away during a transfer is told from a
// silent processor.
#include "image/settings_image.h"
#include "library/screen_store.h"
#include "link/device_link.h"
#include "link/frame_codec.h"
#include "link/port_mapping.h"
#include "link/serial_port.h"
#include "link/transfer_sequence.h"
#include "link_fixture.h"

#include "simulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <thread>

namespace fs = std::filesystem;

namespace {

// The devices plugged in, as a test says.
class ListedAdapters : public AdapterSource {
public:
    std::optional<std::vector<SerialDevice>> Devices() const override { return m_devices; }
    std::vector<SerialDevice> m_devices;
};

SerialDevice Ftdi(std::string path, std::string serial) {
    SerialDevice device{std::move(path), "FT232R", "FTDI", "FT232R", std::move(serial), true};
    device.m_nVendorId = 0x0403;
    device.m_nProductId = 0x6001;
    return device;
}

// Reasons and the final status, in order; every question answered yes.
class Observer : public TransferObserver {
public:
    void OnProgress(int) override {}
    void OnStatus(const std::string& strText) override { m_strStatus = strText; }
    void OnFileError(const std::string& strMessage) override { m_strReasons += strMessage; }
    bool ConfirmOverwrite(const std::string&) override { return true; }
    bool ConfirmSend(const std::string&) override { return true; }
    void OnReason(const std::string& strReason) override { m_strReasons += strReason + "\n"; }
    std::string m_strStatus;
    std::string m_strReasons;
};

TEST(Adapter, FoundByItsIdentityNotItsLastName) {
    const SerialDevice a = Ftdi("/dev/ttyUSB0", "A10KX3");
    const SerialDevice b = Ftdi("/dev/ttyUSB1", "B20LY4");
    SerialDevice bare = Ftdi("/dev/ttyUSB2", "");
    SerialDevice other = bare;
    other.m_strPath = "/dev/ttyUSB3";
    struct Row {
        const char* name;
        AdapterIdentity identity;
        std::vector<SerialDevice> plugged;
        std::string lastPath;
        const char* found; // nullptr: none
        int nAlike;
    };
    const Row rows[] = {
        {"SerialNumberWhereverItIs",
         IdentityOf(a),
         {b, Ftdi("/dev/ttyUSB7", "A10KX3")},
         a.m_strPath,
         "/dev/ttyUSB7",
         1},
        {"AnotherSerialAtTheOldNameIsNotIt",
         IdentityOf(a),
         {Ftdi("/dev/ttyUSB0", "C3")},
         a.m_strPath,
         nullptr,
         0},
        {"NoSerialTheOnlyOneOfItsKind",
         IdentityOf(bare),
         {a, other},
         bare.m_strPath,
         "/dev/ttyUSB3",
         1},
        {"NoSerialTwoAlikeTheLastOne",
         IdentityOf(bare),
         {bare, other},
         other.m_strPath,
         "/dev/ttyUSB3",
         2},
        {"NoSerialTwoAlikeNeitherLast",
         IdentityOf(bare),
         {bare, other},
         "/dev/ttyUSB9",
         nullptr,
         2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const AdapterMatch match = FindAdapter(row.identity, row.plugged, row.lastPath);
        EXPECT_EQ(match.m_pDevice ? match.m_pDevice->m_strPath : std::string("none"),
                  row.found ? row.found : "none");
        EXPECT_EQ(match.m_nAlike, row.nAlike);
    }
}

class AdapterLoad : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_dir.Path() / "Odeon" / "Main" / "1");
        m_profile = (m_dir.Path() / "VRX3KM.CFG").string();
    }
    TransferResult Load(CSerialPort& port, Observer& observer) {
        FrameCodec codec;
        SerialDeviceLink link(port, codec);
        ScreenStore store(m_dir.Path());
        SettingsImage image;
        return RunLoad(link, image, m_target, store, observer);
    }
    fs::path Stored() const { return m_dir.Path() / "Odeon" / "Main" / "1" / "Vrx.cfg"; }

    linktest::TempDir m_dir;
    std::string m_profile;
    ScreenTarget m_target{"Odeon", "Main", "1"};
};

// The adapter's device name stands for the name the system gives a USB adapter: a link to the
// simulator's pseudo-terminal, moved to another name as a replug moves /dev/ttyUSB0.
TEST_F(AdapterLoad, FollowsTheAdapterToItsNewNameAndNamesItWhenAbsent) {
    vrxsim::Simulator sim;
    sim.Start();
    const fs::path before = m_dir.Path() / "ttyUSB0";
    const fs::path after = m_dir.Path() / "ttyUSB1";
    fs::create_symlink(sim.DevicePath(), before);
    ListedAdapters adapters;
    adapters.m_devices = {Ftdi(before.string(), "A10KX3")};
    ASSERT_TRUE(
        SetPortMapping("COM1", before.string(), m_profile, IdentityOf(adapters.m_devices.front())));
    // The mapping is this machine's own: the library's profile is not written.
    EXPECT_FALSE(fs::exists(m_profile));

    fs::rename(before, after);
    adapters.m_devices = {Ftdi(after.string(), "A10KX3")};
    CSerialPort port;
    port.Open("COM1", m_profile, adapters);
    ASSERT_TRUE(port.IsOpen()) << port.LastOpenFailure().Reason();
    EXPECT_EQ(port.Device(), after.string());
    Observer found;
    EXPECT_EQ(Load(port, found), TransferResult::Success) << found.m_strReasons;
    EXPECT_TRUE(fs::exists(Stored()));

    // Unplugged; another adapter now has the old name. It is never opened in the mapped one's
    // place, and the reason names the adapter that is missing.
    fs::rename(after, before);
    adapters.m_devices = {Ftdi(before.string(), "Z99")};
    port.Open("COM1", m_profile, adapters);
    EXPECT_FALSE(port.IsOpen());
    Observer absent;
    EXPECT_EQ(Load(port, absent), TransferResult::PortNotOpen);
    EXPECT_EQ(absent.m_strStatus, transfer_text::kPortError);
    EXPECT_NE(absent.m_strReasons.find(
                  "The FTDI USB-serial adapter FT232R (serial A10KX3) mapped to COM1 is not "
                  "plugged in."),
              std::string::npos)
        << absent.m_strReasons;
    sim.Stop();
}

// The simulator goes away half-way, as an adapter pulled out of its socket: the Load fails at
// once with the unplugged adapter as its reason, not after the silent seconds of a processor.
TEST_F(AdapterLoad, AnAdapterGoneDuringTheLoadIsNotSilence) {
    vrxsim::Options options;
    options.delayMs = 300; // each stage takes a while, so the end comes in the middle of one
    auto sim = std::make_unique<vrxsim::Simulator>(options);
    sim->Start();
    ASSERT_TRUE(SetPortMapping("COM1", sim->DevicePath(), m_profile, AdapterIdentity{}));
    CSerialPort port;
    port.Open("COM1", m_profile);
    ASSERT_TRUE(port.IsOpen());
    Observer observer;
    auto load = std::async(std::launch::async, [&] { return Load(port, observer); });
    // Gone once the request for the current audio block has reached the processor.
    const std::vector<std::uint8_t> request = linktest::Frame({0x02, 0x00});
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        const std::vector<std::uint8_t> received = sim->ReceivedBytes();
        if (std::search(received.begin(), received.end(), request.begin(), request.end()) !=
                received.end() ||
            std::chrono::steady_clock::now() > until)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    sim.reset();
    ASSERT_EQ(load.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(load.get(), TransferResult::StageFailed);
    EXPECT_EQ(observer.m_strStatus, transfer_text::kDownloadError);
    EXPECT_NE(observer.m_strReasons.find(transfer_text::kAdapterLost), std::string::npos)
        << observer.m_strReasons;
    EXPECT_EQ(observer.m_strReasons.find("No answer"), std::string::npos) << observer.m_strReasons;
    EXPECT_NE(observer.m_strReasons.find("Port: COM1 on " + port.Device()), std::string::npos)
        << observer.m_strReasons;
    EXPECT_FALSE(fs::exists(Stored()));
}

} // namespace
