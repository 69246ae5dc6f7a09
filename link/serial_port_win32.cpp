// Win32 half of CSerialPort: the Windows communications functions.
#include "link/serial_port.h"

#include <windows.h>

CSerialPort::~CSerialPort() {
    Close();
}

void CSerialPort::Close() {
    if (m_hComm != INVALID_HANDLE_VALUE) {
        ::CloseHandle(m_hComm);
        m_hComm = INVALID_HANDLE_VALUE;
    }
}

void CSerialPort::Open(std::string name) {
    Close();
    const std::string device = ResolvePortDevice(name);
    if (device.empty()) {
        return;
    }
    // Share mode 0: exclusive use. Synchronous input and output.
    m_hComm = ::CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
    if (m_hComm == INVALID_HANDLE_VALUE) {
        return;
    }
    // Only the four line settings change; flow control and the special characters stay as the
    // driver reports them.
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    ::GetCommState(m_hComm, &dcb);
    dcb.BaudRate = 9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    // Software flow control off: the message codes 0x11 and 0x13 are the XON and XOFF bytes.
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    ::SetCommState(m_hComm, &dcb);

    COMMTIMEOUTS timeouts{};
    ::GetCommTimeouts(m_hComm, &timeouts);
    timeouts.ReadIntervalTimeout = 1000;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 1000;
    // A bounded write: a few seconds plus the line time of the buffer (about 1.05 ms a byte).
    timeouts.WriteTotalTimeoutMultiplier = 2;
    timeouts.WriteTotalTimeoutConstant = 2000;
    ::SetCommTimeouts(m_hComm, &timeouts);
}

bool CSerialPort::IsOpen() const {
    return m_hComm != INVALID_HANDLE_VALUE;
}

void CSerialPort::Write(const std::uint8_t* buffer, std::size_t length) {
    if (m_hComm == INVALID_HANDLE_VALUE || buffer == nullptr) {
        return;
    }
    DWORD written = 0;
    ::WriteFile(m_hComm, buffer, static_cast<DWORD>(length), &written, nullptr);
}

int CSerialPort::ReadByte() {
    if (m_hComm == INVALID_HANDLE_VALUE) {
        return -1;
    }
    std::uint8_t received = 0;
    DWORD count = 0;
    ::ReadFile(m_hComm, &received, 1, &count, nullptr);
    return count == 1 ? static_cast<int>(received) : -1;
}
