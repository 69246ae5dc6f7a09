// CSerialPort on pseudo-terminals: opening through the profile's mapping, exclusive use,
// reopening and the one-second byte timeout.
#include "image/settings_image.h"
#include "link/device_link.h"
#include "link/frame_codec.h"
#include "link/profile.h"
#include "link/serial_port.h"
#include "link_fixture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

class Port : public testing::Test {
protected:
    void SetUp() override { m_profile = linktest::MapCom1(m_dir, m_pty.Slave()); }
    linktest::TempDir m_dir;
    linktest::Pty m_pty;
    std::string m_profile;
};

TEST_F(Port, NotOpenUntilOpened) {
    CSerialPort port;
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.ReadByte(), -1);
    const std::uint8_t byte = 1;
    port.Write(&byte, 1); // ignored, no crash
}

TEST_F(Port, BytesPassUnchangedBothWays) {
    CSerialPort port;
    port.Open("COM1", m_profile);
    ASSERT_TRUE(port.IsOpen());
    // Raw mode: CR, LF, control characters and 0xFF arrive as they are, and XON (0x11) and
    // XOFF (0x13) too, though the fresh pseudo-terminal starts with software flow control on.
    const Bytes bytes{0x0D, 0x0A, 0x03, 0x04, 0x13, 0x1A, 0x1C, 0x11, 0x7F, 0xFF, 0x00};
    port.Write(bytes.data(), bytes.size());
    EXPECT_EQ(m_pty.Drain(), bytes);
    m_pty.Send(bytes);
    Bytes got;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        got.push_back(static_cast<std::uint8_t>(port.ReadByte()));
    }
    EXPECT_EQ(got, bytes);
}

TEST_F(Port, ReadTimesOutAfterAboutOneSecond) {
    CSerialPort port;
    port.Open("COM1", m_profile);
    ASSERT_TRUE(port.IsOpen());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.ReadByte(), -1);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    EXPECT_GE(ms, 850);
    EXPECT_LE(ms, 1600);
}

// Open sets 9600 baud, 8 data bits, no parity, one stop bit, raw bytes and the one-second read;
// hardware flow control and the hang-up on close stay as the driver had them. Software flow
// control goes off: XON and XOFF are message codes here.
TEST_F(Port, LineSettings) {
    for (const bool hardware : {true, false}) {
        SCOPED_TRACE(hardware ? "driver with hardware flow control" : "driver without it");
        // A second descriptor of the same terminal sees the settings the port object makes.
        const int observer = ::open(m_pty.Slave().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(observer, 0);
        termios before{};
        ASSERT_EQ(tcgetattr(observer, &before), 0);
        before.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CRTSCTS | HUPCL);
        before.c_cflag |= CS7 | PARENB | CSTOPB | (hardware ? CRTSCTS | HUPCL : 0);
        before.c_iflag |= IXON | IXOFF | ICRNL | ISTRIP;
        before.c_oflag |= OPOST | ONLCR;
        before.c_lflag |= ECHO | ICANON | ISIG;
        cfsetispeed(&before, B1200);
        cfsetospeed(&before, B1200);
        ASSERT_EQ(tcsetattr(observer, TCSANOW, &before), 0);
        ASSERT_EQ(tcgetattr(observer, &before), 0);

        CSerialPort port;
        port.Open("COM1", m_profile);
        ASSERT_TRUE(port.IsOpen());
        termios after{};
        ASSERT_EQ(tcgetattr(observer, &after), 0);
        EXPECT_EQ(after.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(after.c_cflag & (PARENB | CSTOPB), 0u);
        EXPECT_EQ(after.c_cflag & (CRTSCTS | HUPCL), before.c_cflag & (CRTSCTS | HUPCL));
        EXPECT_NE(after.c_cflag & CREAD, 0u);
        EXPECT_EQ(cfgetispeed(&after), static_cast<speed_t>(B9600));
        EXPECT_EQ(cfgetospeed(&after), static_cast<speed_t>(B9600));
        EXPECT_EQ(after.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
        EXPECT_EQ(after.c_oflag & OPOST, 0u);
        EXPECT_EQ(after.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
        EXPECT_EQ(after.c_cc[VMIN], 0);
        EXPECT_EQ(after.c_cc[VTIME], 10);
        port.Open("none", m_profile);
        ::close(observer);
    }
}

TEST_F(Port, ExclusiveUse) {
    CSerialPort first;
    first.Open("COM1", m_profile);
    ASSERT_TRUE(first.IsOpen());
    CSerialPort second;
    second.Open("COM1", m_profile);
    EXPECT_FALSE(second.IsOpen());
    // A free port opens on the same object afterwards.
    linktest::Pty other;
    EXPECT_TRUE(WritePrivateProfileString("Ports", "COM2", other.Slave(), m_profile));
    second.Open("COM2", m_profile);
    EXPECT_TRUE(second.IsOpen());
    // Once the first lets go, the device can be opened again.
    first.Open("COM3-not-a-port", m_profile);
    EXPECT_FALSE(first.IsOpen());
    CSerialPort third;
    third.Open("COM1", m_profile);
    EXPECT_TRUE(third.IsOpen());
}

TEST_F(Port, ReopenAndFailedOpens) {
    CSerialPort port;
    port.Open("COM1", m_profile);
    ASSERT_TRUE(port.IsOpen());
    port.Open("COM1", m_profile);
    EXPECT_TRUE(port.IsOpen()); // its own earlier hold was released first
    port.Open("COM7", m_profile);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(
        WritePrivateProfileString("Ports", "COM2", (m_dir.Path() / "absent").string(), m_profile));
    port.Open("COM2", m_profile);
    EXPECT_FALSE(port.IsOpen());
    // A regular file is not a port.
    { std::ofstream((m_dir.Path() / "plain").string()) << "x"; }
    EXPECT_TRUE(
        WritePrivateProfileString("Ports", "COM2", (m_dir.Path() / "plain").string(), m_profile));
    port.Open("COM2", m_profile);
    EXPECT_FALSE(port.IsOpen());
    port.Open("COM1", m_profile);
    EXPECT_TRUE(port.IsOpen());
}

// The technician reads why a port did not open; permission denied cannot be produced as root,
// so the wording is checked from the system's error values.
struct ReasonRow {
    int nErrno;
    const char* device;
    const char* expected;
};

TEST(PortOpenFailure, WordingFromTheSystemError) {
    const ReasonRow rows[] = {
        {EACCES, "/dev/ttyUSB0",
         "/dev/ttyUSB0: permission denied. Add your user to the dialout group and log in again."},
        {EPERM, "/dev/ttyUSB0",
         "/dev/ttyUSB0: permission denied. Add your user to the dialout group and log in again."},
        {EBUSY, "/dev/ttyUSB0",
         "/dev/ttyUSB0: in use by another program. Close the other program and try again."},
        {EWOULDBLOCK, "/dev/ttyUSB0",
         "/dev/ttyUSB0: in use by another program. Close the other program and try again."},
        {ENOENT, "/dev/ttyS9", "/dev/ttyS9: no such device: is the adapter plugged in?"},
        {ENXIO, "/dev/ttyS9", "/dev/ttyS9: no such device: is the adapter plugged in?"},
        {ENODEV, "/dev/ttyS9", "/dev/ttyS9: no such device: is the adapter plugged in?"},
        {ENOTTY, "/tmp/plain",
         "/tmp/plain: not a serial device. Choose the serial adapter's device."},
    };
    for (const ReasonRow& row : rows) {
        PortOpenFailure failure;
        failure.m_strDevice = row.device;
        failure.m_nReason = PortOpenReasonFromErrno(row.nErrno);
        failure.m_nSystemError = row.nErrno;
        EXPECT_EQ(failure.Reason(), row.expected) << row.nErrno;
    }
    EXPECT_EQ(PortOpenFailure{}.Reason(), "");
}

TEST_F(Port, KeepsTheReasonOfAFailedOpen) {
    CSerialPort port;
    const std::string missing = (m_dir.Path() / "ttyUSB9").string();
    const std::string plain = (m_dir.Path() / "plain").string();
    { std::ofstream(plain) << "x"; }
    struct Case {
        std::string device;
        PortOpenReason reason;
    };
    for (const Case& c : {Case{missing, PortOpenReason::NoSuchDevice},
                          Case{plain, PortOpenReason::NotASerialDevice}}) {
        EXPECT_TRUE(WritePrivateProfileString("Ports", "COM2", c.device, m_profile));
        port.Open("COM2", m_profile);
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(port.LastOpenFailure().m_nReason, c.reason) << c.device;
        EXPECT_EQ(port.LastOpenFailure().m_strDevice, c.device);
        EXPECT_EQ(port.LastOpenFailure().Reason().rfind(c.device + ": ", 0), 0u);
    }
    port.Open("COM1", m_profile);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.LastOpenFailure().m_nReason, PortOpenReason::None);
}

// Another process holds the port with flock: the open fails and says the port is in use.
TEST_F(Port, HeldByAnotherProcessIsInUse) {
    int ready[2];
    int release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        ::close(release[1]);
        const int fd = ::open(m_pty.Slave().c_str(), O_RDWR | O_NOCTTY);
        const char ok = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        char done = 0;
        (void)!::read(release[0], &done, 1); // until the parent closes its end
        _exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    EXPECT_EQ(ok, 'y');
    CSerialPort port;
    port.Open("COM1", m_profile);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.LastOpenFailure().m_nReason, PortOpenReason::InUse);
    ::close(release[1]);
    ::close(ready[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    port.Open("COM1", m_profile);
    EXPECT_TRUE(port.IsOpen()); // free again once the other process let go
}

// Another program already has the device open and reads from it as a terminal program does:
// it sets the shared line to wait for a byte however long it takes (VMIN 1, VTIME 0) and
// blocks reading. The processor does not answer. The load's first stage must fail within its
// bounded time instead of waiting in the kernel for a byte that never comes.
TEST_F(Port, LoadFailsBoundedWhileAnotherProgramReads) {
    int opened[2];
    int ready[2];
    ASSERT_EQ(pipe(opened), 0);
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(opened[1]);
        ::close(ready[0]);
        const int fd = ::open(m_pty.Slave().c_str(), O_RDWR | O_NOCTTY);
        char go = 0;
        (void)!::write(ready[1], "o", 1);
        (void)!::read(opened[0], &go, 1); // the program's port is open and configured
        termios t{};
        const bool ok = fd >= 0 && tcgetattr(fd, &t) == 0;
        t.c_cc[VMIN] = 1;
        t.c_cc[VTIME] = 0;
        const char state = ok && tcsetattr(fd, TCSANOW, &t) == 0 ? 'y' : 'n';
        (void)!::write(ready[1], &state, 1);
        std::uint8_t buffer[512];
        while (::read(fd, buffer, sizeof buffer) > 0) {
        }
        _exit(0);
    }
    ::close(opened[0]);
    ::close(ready[1]);
    char state = 0;
    ASSERT_EQ(::read(ready[0], &state, 1), 1); // the other program has the device open

    CSerialPort port;
    port.Open("COM1", m_profile);
    EXPECT_TRUE(port.IsOpen());
    ASSERT_EQ(::write(opened[1], "g", 1), 1);
    ASSERT_EQ(::read(ready[0], &state, 1), 1);
    EXPECT_EQ(state, 'y');

    SettingsImage image{};
    image.system.fill(0x5A);
    const SettingsImage before = image;
    FrameCodec codec;
    SerialDeviceLink link(port, codec);
    const LinkResult result = link.CheckLink(image);

    ::kill(child, SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(opened[1]);
    ::close(ready[0]);
    EXPECT_EQ(result, LinkFailed);
    EXPECT_EQ(image.system, before.system);
}

} // namespace
