// CSerialPort on pseudo-terminals: opening through the profile's mapping, exclusive use,
// reopening and the one-second byte timeout.
#include "link/serial_port.h"
#include "link_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <termios.h>
#include <unistd.h>

#include "link/profile.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class Port : public testing::Test {
protected:
    void SetUp() override { linktest::MapCom1(m_dir, m_pty.Slave()); }
    linktest::TempDir m_dir;
    linktest::Pty m_pty;
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
    port.Open("COM1");
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
    port.Open("COM1");
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
        port.Open("COM1");
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
        port.Open("none");
        ::close(observer);
    }
}

TEST_F(Port, ExclusiveUse) {
    CSerialPort first;
    first.Open("COM1");
    ASSERT_TRUE(first.IsOpen());
    CSerialPort second;
    second.Open("COM1");
    EXPECT_FALSE(second.IsOpen());
    // A free port opens on the same object afterwards.
    linktest::Pty other;
    EXPECT_TRUE(
        WritePrivateProfileString("Ports", "COM2", other.Slave(), g_PortSettings.ProfilePath));
    second.Open("COM2");
    EXPECT_TRUE(second.IsOpen());
    // Once the first lets go, the device can be opened again.
    first.Open("COM3-not-a-port");
    EXPECT_FALSE(first.IsOpen());
    CSerialPort third;
    third.Open("COM1");
    EXPECT_TRUE(third.IsOpen());
}

TEST_F(Port, ReopenAndFailedOpens) {
    CSerialPort port;
    port.Open("COM1");
    ASSERT_TRUE(port.IsOpen());
    port.Open("COM1");
    EXPECT_TRUE(port.IsOpen()); // its own earlier hold was released first
    port.Open("COM7");
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(WritePrivateProfileString("Ports", "COM2", (m_dir.Path() / "absent").string(),
                                          g_PortSettings.ProfilePath));
    port.Open("COM2");
    EXPECT_FALSE(port.IsOpen());
    // A regular file is not a port.
    { std::ofstream((m_dir.Path() / "plain").string()) << "x"; }
    EXPECT_TRUE(WritePrivateProfileString("Ports", "COM2", (m_dir.Path() / "plain").string(),
                                          g_PortSettings.ProfilePath));
    port.Open("COM2");
    EXPECT_FALSE(port.IsOpen());
    port.Open("COM1");
    EXPECT_TRUE(port.IsOpen());
}

} // namespace
