// The one channel between the program and the VRX-3KM: a serial port at 9600 baud, 8 data
// bits, no parity, one stop bit, held for exclusive use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CSerialPort {
public:
    CSerialPort() = default;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;
    virtual ~CSerialPort();

    // Closes a held port, then opens and configures the named one ("COM1" to "COM4"). A port
    // that does not exist or that another program holds leaves the object not open; nothing
    // is reported here (the Load command reports "COM Port Error.").
    void Open(std::string name);

    // Writes the whole buffer. The time is bounded (a few seconds plus the buffer's line
    // time); a write that cannot finish is abandoned. Failures are not reported: the reply
    // that does not follow fails the transaction.
    void Write(const std::uint8_t* buffer, std::size_t length);

    // The next received byte, 0 to 255, or -1 when none arrived within about one second. A
    // read error also gives -1.
    int ReadByte();

    // False exactly when the last Open failed (or no Open ran yet).
    bool IsOpen() const;

private:
    void Close();

#ifdef _WIN32
    void* m_hComm = reinterpret_cast<void*>(-1); // INVALID_HANDLE_VALUE
#else
    int m_nFd = -1;
#endif
};

// The program's one port.
extern CSerialPort g_SerialPort;

// The device a port name stands for on this machine: the one the profile's "Ports" section
// (key "COM1" to "COM4") maps it to, on Windows a mapped port name such as "COM7" as
// "\\.\COM7"; unmapped, "\\.\COMn" on Windows and /dev/ttyS0 to /dev/ttyS3 elsewhere. An empty
// string for a name that is not a port.
std::string ResolvePortDevice(const std::string& name);
