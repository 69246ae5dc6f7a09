// The private profile file and the port choice kept in it.
#include "link/find_processor.h"
#include "link/port_mapping.h"
#include "link/profile.h"
#include "link/serial_port.h"
#include "link_fixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

void WriteAll(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class Profile : public testing::Test {
protected:
    linktest::TempDir m_dir;
    std::string m_path = (m_dir.Path() / "VRX3KM.CFG").string();
};

TEST_F(Profile, ReadsIgnoringCaseAndTrimming) {
    WriteAll(m_path, "; comment\r\n[other]\r\nport=COM9\r\n[ SeTuP ]\r\n  Port =  COM3  \r\n");
    EXPECT_EQ(GetPrivateProfileString("setup", "PORT", "?", m_path), "COM3");
    EXPECT_EQ(GetPrivateProfileString("OTHER", "Port", "?", m_path), "COM9");
    EXPECT_EQ(GetPrivateProfileString("Setup", "Missing", "dflt", m_path), "dflt");
    EXPECT_EQ(GetPrivateProfileString("Nowhere", "PORT", "dflt", m_path), "dflt");
    EXPECT_EQ(GetPrivateProfileString("Setup", "PORT", "none", m_path + ".absent"), "none");
}

TEST_F(Profile, ValueIsReturnedAsStored) {
    WriteAll(m_path, "[Setup]\nPORT=com2\n");
    EXPECT_EQ(GetPrivateProfileString("Setup", "PORT", "?", m_path), "com2");
}

TEST_F(Profile, WriteCreatesFileAndSection) {
    EXPECT_TRUE(WritePrivateProfileString("Setup", "PORT", "COM2", m_path));
    EXPECT_EQ(ReadAll(m_path), "[Setup]\r\nPORT=COM2\r\n");
    EXPECT_TRUE(WritePrivateProfileString("Ports", "COM1", "/dev/ttyUSB0", m_path));
    EXPECT_EQ(ReadAll(m_path), "[Setup]\r\nPORT=COM2\r\n[Ports]\r\nCOM1=/dev/ttyUSB0\r\n");
}

struct KeepRow {
    const char* name;
    std::string before;
    std::string after;
};

void PrintTo(const KeepRow& row, std::ostream* os) {
    *os << row.name;
}

class ProfileKeep : public Profile, public testing::WithParamInterface<KeepRow> {};

TEST_P(ProfileKeep, EveryOtherLineIsKept) {
    WriteAll(m_path, GetParam().before);
    EXPECT_TRUE(WritePrivateProfileString("setup", "port", "COM4", m_path));
    EXPECT_EQ(ReadAll(m_path), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Profile, ProfileKeep,
    testing::Values(KeepRow{"ReplaceCrlf",
                            "; keep\r\n[Setup]\r\nPORT=COM1\r\nOther=1\r\n[X]\r\nPORT=COM1\r\n",
                            "; keep\r\n[Setup]\r\nPORT=COM4\r\nOther=1\r\n[X]\r\nPORT=COM1\r\n"},
                    KeepRow{"ReplaceLf", "[Setup]\nPORT = COM1\n", "[Setup]\nPORT=COM4\n"},
                    KeepRow{"AddToSection", "[Setup]\nA=1\n\n[Ports]\nCOM1=/dev/x\n",
                            "[Setup]\nA=1\nport=COM4\n\n[Ports]\nCOM1=/dev/x\n"},
                    KeepRow{"AddSection", "[Ports]\r\nCOM1=/dev/x\r\n",
                            "[Ports]\r\nCOM1=/dev/x\r\n[setup]\r\nport=COM4\r\n"}),
    [](const testing::TestParamInfo<KeepRow>& param) { return std::string(param.param.name); });

struct RefusedRow {
    const char* name;
    std::string section;
    std::string key;
    std::string value;
};

void PrintTo(const RefusedRow& row, std::ostream* os) {
    *os << row.name;
}

class ProfileRefuses : public Profile, public testing::WithParamInterface<RefusedRow> {};

// Nothing written can put lines of its own into the file.
TEST_P(ProfileRefuses, WhatWouldNotReadBackAsItself) {
    const std::string before = "[Setup]\r\nPORT=COM1\r\n";
    WriteAll(m_path, before);
    EXPECT_FALSE(
        WritePrivateProfileString(GetParam().section, GetParam().key, GetParam().value, m_path));
    EXPECT_EQ(ReadAll(m_path), before);
}

INSTANTIATE_TEST_SUITE_P(
    Profile, ProfileRefuses,
    testing::Values(RefusedRow{"LinesInAValue", "Ports", "COM3",
                               "/dev/x\r\nCOM4=/dev/y\r\n[Setup]"},
                    RefusedRow{"NulInAValue", "Ports", "COM3", std::string("/dev/x\0y", 8)},
                    RefusedRow{"LineBreakInAKey", "Ports", "COM3\nPORT", "/dev/x"},
                    RefusedRow{"KeyThatIsASection", "Ports", "[Setup]", "/dev/x"},
                    RefusedRow{"KeyWithEquals", "Ports", "COM3=/dev/y", "/dev/x"},
                    RefusedRow{"SectionWithBracket", "Ports]\r\n[Setup", "COM3", "/dev/x"}),
    [](const testing::TestParamInfo<RefusedRow>& param) { return std::string(param.param.name); });

TEST_F(Profile, UnwritableFolderGivesFalseAndKeepsFile) {
    const std::string missing = (m_dir.Path() / "no" / "such" / "VRX3KM.CFG").string();
    EXPECT_FALSE(WritePrivateProfileString("Setup", "PORT", "COM2", missing));
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(PortName, Names) {
    EXPECT_EQ(PortName(0), "COM1");
    EXPECT_EQ(PortName(3), "COM4");
    EXPECT_EQ(PortName(-1), "???");
    EXPECT_EQ(PortName(4), "???");
}

struct LoadRow {
    const char* name;
    std::string stored; // empty: no file
    int index;
};

void PrintTo(const LoadRow& row, std::ostream* os) {
    *os << row.name;
}

class LoadPort : public Profile, public testing::WithParamInterface<LoadRow> {};

TEST_P(LoadPort, ExactNamesOnly) {
    if (!GetParam().stored.empty()) {
        WriteAll(m_path, "[Setup]\r\nPORT=" + GetParam().stored + "\r\n");
    }
    PortSettings settings{2, m_path};
    LoadPortSetting(settings);
    EXPECT_EQ(settings.PortIndex, GetParam().index);
    EXPECT_EQ(std::filesystem::exists(m_path), !GetParam().stored.empty());
}

INSTANTIATE_TEST_SUITE_P(Profile, LoadPort,
                         testing::Values(LoadRow{"NoFile", "", 0}, LoadRow{"Com1", "COM1", 0},
                                         LoadRow{"Com2", "COM2", 1}, LoadRow{"Com3", "COM3", 2},
                                         LoadRow{"Com4", "COM4", 3}, LoadRow{"Lower", "com3", 0},
                                         LoadRow{"Com5", "COM5", 0}, LoadRow{"Prefix", "COM33", 0}),
                         [](const testing::TestParamInfo<LoadRow>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(Profile, SaveThenLoadRoundTrips) {
    WriteAll(m_path, "[Ports]\nCOM2=/dev/x\n");
    PortSettings settings{3, m_path};
    SavePortSetting(settings);
    settings.PortIndex = 0;
    LoadPortSetting(settings);
    EXPECT_EQ(settings.PortIndex, 3);
    EXPECT_EQ(ReadAll(m_path), "[Ports]\nCOM2=/dev/x\n[Setup]\nPORT=COM4\n");
}

// A laptop's port choice and mapping live in a file of its own in the library, read first: the
// library's profile, which a sync engine may have replaced with another laptop's, is read where
// the machine's own holds nothing, and is written only where its "PORT" entry stands.
TEST_F(Profile, TheMachinesOwnChoiceAndMappingWin) {
    const std::string theirs =
        "[Setup]\r\nPORT=COM3\r\n[Ports]\r\nCOM1=/dev/theirs\r\nCOM2=/dev/shared\r\n"
        "COM3=/dev/theirs3\r\n";
    WriteAll(m_path, theirs);
    PortSettings settings{0, m_path};
    LoadPortSetting(settings);
    EXPECT_EQ(settings.PortIndex, 2); // nothing of its own yet
    settings.PortIndex = 1;
    SavePortSetting(settings);
    EXPECT_EQ(GetPrivateProfileString("Setup", "PORT", "", m_path), "COM2");
    ASSERT_TRUE(SetPortMapping("COM1", "/dev/mine", m_path, AdapterIdentity{}));
    ASSERT_TRUE(SetPortMapping("COM3", "", m_path, AdapterIdentity{}));

    WriteAll(m_path, theirs); // the other laptop's profile arrives
    settings.PortIndex = 0;
    LoadPortSetting(settings);
    EXPECT_EQ(settings.PortIndex, 1);
    EXPECT_EQ(ResolvePortDevice("COM1", m_path), "/dev/mine");
    EXPECT_EQ(ResolvePortDevice("COM2", m_path), "/dev/shared");
    EXPECT_EQ(ResolvePortDevice("COM3", m_path), DefaultPortDevice("COM3"));
    EXPECT_EQ(ReadAll(m_path), theirs);
    EXPECT_EQ(std::filesystem::path(MachineProfilePath(m_path)).parent_path(),
              m_dir.Path() / ".vrx3km");
}

TEST_F(Profile, InitProfileUsesTheWorkingDirectory) {
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(m_dir.Path());
    WriteAll(m_path, "[Setup]\nPORT=COM2\n");
    PortSettings settings;
    InitProfile(settings);
    std::filesystem::current_path(before);
    EXPECT_EQ(settings.ProfilePath,
              (std::filesystem::canonical(m_dir.Path()) / "VRX3KM.CFG").string());
    EXPECT_EQ(settings.PortIndex, 1);
}

struct DeviceRow {
    const char* name;
    std::string port;
    std::string device;
};

void PrintTo(const DeviceRow& row, std::ostream* os) {
    *os << row.name;
}

class Resolve : public Profile, public testing::WithParamInterface<DeviceRow> {};

TEST_P(Resolve, PortNamesMapToDevices) {
    WriteAll(m_path, "[ports]\ncom2=/dev/pts/99\nCOM3=COM17\n");
    EXPECT_EQ(ResolvePortDevice(GetParam().port, m_path), GetParam().device);
}

#ifdef _WIN32
// Windows opens a port by its device name; a port name in the profile is taken as one.
const DeviceRow kDefault1{"Default1", "COM1", "\\\\.\\COM1"};
const DeviceRow kMapped3{"Mapped3", "COM3", "\\\\.\\COM17"};
const DeviceRow kDefault4{"Default4", "COM4", "\\\\.\\COM4"};
#else
const DeviceRow kDefault1{"Default1", "COM1", "/dev/ttyS0"};
const DeviceRow kMapped3{"Mapped3", "COM3", "COM17"};
const DeviceRow kDefault4{"Default4", "COM4", "/dev/ttyS3"};
#endif

INSTANTIATE_TEST_SUITE_P(
    Profile, Resolve,
    testing::Values(kDefault1, DeviceRow{"Mapped2", "COM2", "/dev/pts/99"}, kMapped3, kDefault4,
                    DeviceRow{"Com5", "COM5", ""}, DeviceRow{"Com0", "COM0", ""},
                    DeviceRow{"Lower", "com1", ""}, DeviceRow{"Path", "/dev/ttyS0", ""}),
    [](const testing::TestParamInfo<DeviceRow>& param) { return std::string(param.param.name); });

} // namespace

namespace {

// Find tries each port once: the mapped devices first, then the listed ones not among them (on
// Windows the list's COM1 is the mapping's \\.\COM1).
TEST(FindCandidatesTest, EachPortOnceMappedFirst) {
    std::vector<SerialDevice> listed(2);
#ifdef _WIN32
    listed[0].m_strPath = "COM1";
    listed[1].m_strPath = "COM7";
    const std::vector<std::string> mapped{"\\\\.\\COM1", "\\\\.\\com7", "", "\\\\.\\COM4"};
    const std::vector<std::string> expected{"\\\\.\\COM1", "\\\\.\\com7", "\\\\.\\COM4"};
#else
    listed[0].m_strPath = "/dev/ttyS0";
    listed[1].m_strPath = "/dev/ttyUSB0";
    const std::vector<std::string> mapped{"/dev/ttyS0", "/dev/ttyS1", "", "/dev/ttyS0"};
    const std::vector<std::string> expected{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB0"};
#endif
    EXPECT_EQ(FindCandidates(mapped, listed), expected);
}

} // namespace
