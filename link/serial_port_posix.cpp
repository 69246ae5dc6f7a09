// POSIX half of CSerialPort: termios on a tty device.
#include "link/serial_port.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/serial.h>
#endif

namespace {

// A write may take this long beyond the buffer's own line time before it is abandoned, for
// example on a port whose hardware flow control is never released.
constexpr auto kWriteSlack = std::chrono::seconds(2);

bool Configure(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        return false;
    }
    // Raw bytes: no echo, no canonical input, no CR/LF translation, no signals. Hardware flow
    // control (CRTSCTS) and the modem lines' hang-up on close (HUPCL) stay as the driver reports
    // them: only the line settings are the program's. Software flow control is switched off:
    // the protocol's confirmation request (0x11) and audio block code (0x13) are the XON and
    // XOFF bytes, which a terminal with IXON on (the default of a POSIX tty) would swallow.
    tio.c_iflag = 0;
    tio.c_oflag = 0;
    tio.c_lflag = 0;
    const tcflag_t keepControl = tio.c_cflag & (CRTSCTS | HUPCL);
    tio.c_cflag = keepControl | CS8 | CREAD | CLOCAL;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 10; // one second
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

// Asks the driver to hand each received byte on at once instead of gathering them for a few
// milliseconds (ASYNC_LOW_LATENCY, as serial libraries do): a reply's bytes then reach the
// program as they arrive. Drivers that do not know the request (pseudo-terminals, some USB
// adapters) refuse it, and the port works as before.
void AskForLowLatency(int fd) {
#ifdef __linux__
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) == 0 && (serial.flags & ASYNC_LOW_LATENCY) == 0) {
        serial.flags |= ASYNC_LOW_LATENCY;
        ::ioctl(fd, TIOCSSERIAL, &serial);
    }
#else
    (void)fd;
#endif
}

// True for the errors of a device that went away: an unplugged or reset adapter, a
// pseudo-terminal whose other side closed.
bool DeviceGone(int error) {
    return error == EIO || error == ENXIO || error == ENODEV;
}

// Waits until the deadline passes, whatever signals arrive meanwhile.
void SleepUntil(const Deadline& deadline) {
    while (!deadline.Expired()) {
        ::poll(nullptr, 0, deadline.RemainingMs());
    }
}

enum class WriteEnd {
    Done,
    Abandoned,  // the deadline passed: the missing reply fails the transaction
    DeviceGone, // the device went away
};

// Writes until every byte is out or the deadline passes, on a descriptor in non-blocking mode.
WriteEnd WriteUntil(int fd, const std::uint8_t* buffer, std::size_t length,
                    const Deadline& deadline) {
    std::size_t done = 0;
    while (done < length) {
        if (deadline.Expired()) {
            return WriteEnd::Abandoned;
        }
        pollfd pfd{fd, POLLOUT, 0};
        const int ready = ::poll(&pfd, 1, deadline.RemainingMs());
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready == 0) {
            return WriteEnd::Abandoned;
        }
        if (ready < 0 || (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            return WriteEnd::DeviceGone;
        }
        const ssize_t n = ::write(fd, buffer + done, length - done);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            return DeviceGone(errno) ? WriteEnd::DeviceGone : WriteEnd::Abandoned;
        }
        done += static_cast<std::size_t>(n);
    }
    return WriteEnd::Done;
}

// Waits until the driver has sent every queued byte, or the deadline passes. This is tcdrain()
// with a limit: tcdrain waits for ever on a line that hardware flow control holds.
void DrainUntil(int fd, const Deadline& deadline) {
    while (!deadline.Expired()) {
        int queued = 0;
        if (::ioctl(fd, TIOCOUTQ, &queued) != 0 || queued <= 0) {
            return;
        }
        // The queued bytes' own line time, at least a millisecond, at most what is left.
        const auto wait = std::min<LinkClock::duration>(LineTime(static_cast<std::size_t>(queued)),
                                                        deadline.Remaining());
        ::poll(nullptr, 0,
               std::max(1, static_cast<int>(
                               std::chrono::ceil<std::chrono::milliseconds>(wait).count())));
    }
}

} // namespace

CSerialPort::~CSerialPort() {
    Close();
}

void CSerialPort::CloseTty() {
    if (m_nFd >= 0) {
        // A pseudo-terminal keeps its exclusive flag past the close while the other side is
        // open, which would refuse the next open of the same port.
        ::ioctl(m_nFd, TIOCNXCL);
        ::close(m_nFd); // releases the flock as well
        m_nFd = -1;
    }
}

void CSerialPort::Fail(std::string strDevice, PortOpenReason nReason, int nSystemError) {
    m_failure.m_strDevice = std::move(strDevice);
    m_failure.m_nReason = nReason;
    m_failure.m_nSystemError = nSystemError;
    m_failure.m_strSystemText = nSystemError != 0 ? std::strerror(nSystemError) : std::string();
}

void CSerialPort::OpenTty(std::string device) {
    Close();
    m_failure = PortOpenFailure{};
    m_bOtherReader = false;
    m_strDevice = device;
    // Non-blocking for good: every wait, for a byte to read or room to write, is a poll with
    // its own deadline, so no call can block in the kernel past it.
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        Fail(device, PortOpenReasonFromErrno(error), error);
        return;
    }
    if (!isatty(fd)) {
        ::close(fd);
        Fail(device, PortOpenReason::NotASerialDevice, ENOTTY);
        return;
    }
    // Exclusive use: flock holds between programs even as root, TIOCEXCL refuses later opens
    // of the tty by anyone but root.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        Fail(device, error == EWOULDBLOCK ? PortOpenReason::InUse : PortOpenReasonFromErrno(error),
             error);
        return;
    }
    ::ioctl(fd, TIOCEXCL);
    if (!Configure(fd)) {
        const int error = errno;
        ::ioctl(fd, TIOCNXCL); // as in Close: a refused port must not stay locked
        ::close(fd);
        Fail(device, PortOpenReason::SettingsRefused, error);
        return;
    }
    AskForLowLatency(fd);
    m_nFd = fd;
}

bool CSerialPort::IsTtyOpen() const {
    return m_nFd >= 0;
}

bool CSerialPort::ProbeTty() {
    if (m_nFd < 0) {
        return false;
    }
    // A vanished adapter's tty is hung up: poll reports it at once and every ioctl fails. A
    // pseudo-terminal whose other side closed reports the hang-up but still takes ioctls.
    pollfd pfd{m_nFd, 0, 0};
    int ready = 0;
    do {
        ready = ::poll(&pfd, 1, 0);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0 || (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        return false;
    }
    termios tio{};
    return tcgetattr(m_nFd, &tio) == 0;
}

void CSerialPort::WriteTty(const std::uint8_t* buffer, std::size_t length) {
    if (m_nFd < 0 || buffer == nullptr) {
        return;
    }
    // The earliest moment the last byte can have left: the buffer's line time from now.
    const Deadline onTheLine(Clock(), LineTime(length));
    // A blocking tty write waits until every byte is queued, past any deadline, when flow
    // control holds the line; in non-blocking mode poll bounds each wait instead.
    const Deadline deadline(Clock(), kWriteSlack + LineTime(length));
    const WriteEnd end = WriteUntil(m_nFd, buffer, length, deadline);
    if (end == WriteEnd::DeviceGone)
        m_bLost = true;
    if (end != WriteEnd::Done) {
        return;
    }
    // write() returns once the driver holds the bytes, most of a block still unsent. The reply's
    // one-second wait must start when the processor has the whole request: after the driver's
    // queue has drained, and never before the request's own line time, since a
    // pseudo-terminal drains at once and a USB adapter's driver may report an empty queue while
    // its chip still sends.
    DrainUntil(m_nFd, deadline);
    SleepUntil(onTheLine);
}

int CSerialPort::ReadTtyByte() {
    if (m_nFd < 0) {
        return -1;
    }
    // One deadline for the byte: signals, and bytes that another reader of the same device
    // takes first, only spend what is left of the second.
    const Deadline deadline(Clock(), kByteTimeout);
    for (;;) {
        if (deadline.Expired()) {
            return -1;
        }
        pollfd pfd{m_nFd, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, deadline.RemainingMs());
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready == 0) {
            return -1;
        }
        if (ready < 0 || (pfd.revents & POLLIN) == 0) {
            // A vanished adapter's tty, or a pseudo-terminal whose other side closed, is hung up:
            // nothing will ever arrive. That is told at once, not as a silent second.
            m_bLost = true;
            return -1;
        }
        std::uint8_t byte = 0;
        const ssize_t n = ::read(m_nFd, &byte, 1);
        if (n == 1) {
            return byte;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // Announced, then gone: another program reads this device too.
            m_bOtherReader = true;
            continue;
        }
        if (n == 0 || DeviceGone(errno)) {
            m_bLost = true; // end of file on a tty: it was hung up
            return -1;
        }
        SleepUntil(deadline);
        return -1;
    }
}
