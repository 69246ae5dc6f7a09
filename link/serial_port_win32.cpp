// Win32 half of CSerialPort: the Windows communications functions.
#include "link/serial_port.h"

#include <windows.h>

#include <algorithm>
#include <chrono>

namespace {

std::string SystemText(DWORD error) {
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result = length > 0 && text != nullptr ? std::string(text, length) : std::string();
    if (text != nullptr) {
        ::LocalFree(text);
    }
    while (!result.empty() && (result.back() == '\r' || result.back() == '\n' ||
                               result.back() == '.' || result.back() == ' ')) {
        result.pop_back();
    }
    return result;
}

PortOpenReason ReasonOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_UNIT:
    case ERROR_DEV_NOT_EXIST:
        return PortOpenReason::NoSuchDevice;
    // A COM port that another program holds answers with access denied.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        return PortOpenReason::InUse;
    default:
        return PortOpenReason::Other;
    }
}

} // namespace

CSerialPort::~CSerialPort() {
    Close();
}

void CSerialPort::CloseTty() {
    if (m_hComm != INVALID_HANDLE_VALUE) {
        ::CloseHandle(m_hComm);
        m_hComm = INVALID_HANDLE_VALUE;
    }
}

void CSerialPort::Fail(std::string strDevice, PortOpenReason nReason, int nSystemError) {
    m_failure.m_strDevice = std::move(strDevice);
    m_failure.m_nReason = nReason;
    m_failure.m_nSystemError = nSystemError;
    m_failure.m_strSystemText =
        nSystemError != 0 ? SystemText(static_cast<DWORD>(nSystemError)) : std::string();
}

void CSerialPort::OpenTty(std::string device) {
    Close();
    m_failure = PortOpenFailure{};
    m_bOtherReader = false;
    m_strDevice = device;
    // A bare port name such as COM7 is opened through the device namespace, which also
    // reaches ports above COM9.
    if (device.rfind("\\\\.\\", 0) != 0)
        device = "\\\\.\\" + device;
    // Share mode 0: exclusive use. Synchronous input and output.
    m_hComm = ::CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
    if (m_hComm == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        Fail(device, ReasonOf(error), static_cast<int>(error));
        return;
    }
    // Every configuration call is checked: a port whose settings or timeouts were not set
    // could wait forever on a read, so it is closed and counts as not open.
    const auto refuse = [this, &device] {
        const DWORD error = ::GetLastError();
        Close();
        Fail(device,
             error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED
                 ? PortOpenReason::NotASerialDevice
                 : PortOpenReason::SettingsRefused,
             static_cast<int>(error));
    };

    // The four line settings change, and software flow control goes off: the confirmation
    // request (0x11) and the audio block code (0x13) are the XON and XOFF bytes, and a driver
    // with XON/XOFF on would swallow them. Hardware flow control and the special characters
    // stay as the driver reports them.
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    if (!::GetCommState(m_hComm, &dcb)) {
        refuse();
        return;
    }
    dcb.BaudRate = 9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    if (!::SetCommState(m_hComm, &dcb)) {
        refuse();
        return;
    }

    COMMTIMEOUTS timeouts{};
    if (!::GetCommTimeouts(m_hComm, &timeouts)) {
        refuse();
        return;
    }
    timeouts.ReadIntervalTimeout = 1000;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 1000;
    // A bounded write: a few seconds plus the line time of the buffer (about 1.05 ms a byte).
    timeouts.WriteTotalTimeoutMultiplier = 2;
    timeouts.WriteTotalTimeoutConstant = 2000;
    if (!::SetCommTimeouts(m_hComm, &timeouts)) {
        refuse();
        return;
    }
}

bool CSerialPort::IsTtyOpen() const {
    return m_hComm != INVALID_HANDLE_VALUE;
}

bool CSerialPort::ProbeTty() {
    if (m_hComm == INVALID_HANDLE_VALUE) {
        return false;
    }
    // The driver of a vanished USB adapter refuses every call on the old handle.
    DWORD errors = 0;
    COMSTAT status{};
    return ::ClearCommError(m_hComm, &errors, &status) != 0;
}

void CSerialPort::WriteTty(const std::uint8_t* buffer, std::size_t length) {
    if (m_hComm == INVALID_HANDLE_VALUE || buffer == nullptr) {
        return;
    }
    // The earliest moment the last byte can have left: the buffer's line time from now. The
    // port's write timeouts bound the write itself; the drain below has the same limit.
    const Deadline onTheLine(Clock(), LineTime(length));
    const Deadline deadline(Clock(), std::chrono::seconds(2) + LineTime(length));
    DWORD written = 0;
    if (!::WriteFile(m_hComm, buffer, static_cast<DWORD>(length), &written, nullptr) ||
        written != length) {
        // Abandoned: the missing reply fails the transaction. A driver that refuses every call
        // on the handle lost its adapter.
        if (!ProbeTty())
            m_bLost = true;
        return;
    }
    // WriteFile returns once the driver holds the bytes. The reply's one-second wait must start
    // when the processor has the whole request: once the transmit queue is empty (what
    // FlushFileBuffers waits for, without its limit), and never before the request's own line
    // time, since a driver may report an empty queue while its chip still sends.
    while (!deadline.Expired()) {
        DWORD errors = 0;
        COMSTAT state{};
        if (!::ClearCommError(m_hComm, &errors, &state) || state.cbOutQue == 0) {
            break;
        }
        const auto wait =
            std::min<LinkClock::duration>(LineTime(state.cbOutQue), deadline.Remaining());
        ::Sleep(static_cast<DWORD>(
            std::max<long long>(1, std::chrono::ceil<std::chrono::milliseconds>(wait).count())));
    }
    while (!onTheLine.Expired()) {
        ::Sleep(static_cast<DWORD>(onTheLine.RemainingMs()));
    }
}

int CSerialPort::ReadTtyByte() {
    if (m_hComm == INVALID_HANDLE_VALUE) {
        return -1;
    }
    // The port's read timeouts bound the wait to one second: the exclusive share mode keeps
    // every other program off the port, so no one else can take the byte.
    std::uint8_t received = 0;
    DWORD count = 0;
    if (!::ReadFile(m_hComm, &received, 1, &count, nullptr)) {
        // A line error stops reads until it is cleared (ProbeTty clears it); a vanished adapter's
        // driver refuses that too, and nothing will ever arrive from it.
        if (!ProbeTty())
            m_bLost = true;
        return -1;
    }
    return count == 1 ? static_cast<int>(received) : -1;
}
