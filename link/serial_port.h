// The one channel between the program and the VRX-3KM: a serial port at 9600 baud, 8 data
// bits, no parity, one stop bit, held for exclusive use.
#pragma once

#include "link/network_line.h"
#include "link/port_mapping.h"
#include "link/port_open_failure.h"
#include "link/serial_devices.h"
#include "link/serial_line.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class CSerialPort : public SerialLine {
public:
    CSerialPort() = default;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;
    ~CSerialPort() override;

    // Closes a held port, then opens and configures the named one ("COM1" to "COM4") on the
    // device the profile at profilePath maps it to. A port mapped to a USB adapter is looked up
    // among the devices plugged in now (adapters) first, so the same adapter under a new device
    // name is found (ResolvePort). A port that does not exist, whose adapter is not plugged in,
    // that another program holds, or whose line settings or timeouts could not be set leaves the
    // object not open; LastOpenFailure() then says why. Nothing is shown here (the Load command
    // reports "COM Port Error.").
    void Open(const std::string& name, const std::string& profilePath,
              const AdapterSource& adapters = SystemAdapters());
    // The same for a device given by its path (/dev/ttyUSB0, a pseudo-terminal) or, on Windows,
    // its port name (COM7), or for a network port (rfc2217://HOST:PORT, tcp://HOST:PORT), which
    // connects within a few seconds. The adapter at the device is named in the reasons where
    // adapters lists it.
    void OpenDevice(std::string device, const AdapterSource& adapters = SystemAdapters());

    // Writes the whole buffer. The time is bounded (a few seconds plus the buffer's line
    // time); a write that cannot finish is abandoned. Failures are not reported: the reply
    // that does not follow fails the transaction.
    void Write(const std::uint8_t* buffer, std::size_t length) override;

    // The next received byte, 0 to 255, or -1 when none arrived within about one second. A
    // read error also gives -1; a device that went away (hang-up, I/O error) gives -1 at once
    // and marks the port Lost(). The wait never outlasts the second, whatever another program
    // does with the same device.
    int ReadByte() override;
    // True when the device went away since the Open: the adapter was unplugged or reset.
    bool Lost() const override { return m_bLost; }
    // "COM1 on /dev/ttyUSB1, FTDI USB-serial adapter FT232R (serial A10KX3)": the port name when
    // it was opened by one, the device the last Open tried, and its adapter where known.
    std::string Describe() const override;

    // False exactly when the last Open failed (or no Open ran yet), or when the device server
    // of a network port has closed the connection since.
    bool IsOpen() const override;

    // True when the port is open and its device still answers. An adapter that was unplugged
    // (even if plugged in again since) or a pseudo-terminal whose other side closed leaves the
    // port open on a device that is gone: false, and only a new Open reaches the device again.
    // Reads and writes nothing on the line.
    bool Probe();

    const LinkClock& Clock() const override { return SteadyLinkClock(); }

    // Why the last Open failed; m_nReason is None after a successful Open or before the first.
    const PortOpenFailure& LastOpenFailure() const { return m_failure; }

    // True when, since the last Open, bytes that the system announced were gone before this
    // port could read them: another program reads the same device. A transfer that failed
    // with this set failed because the port is in use.
    bool OtherReaderSeen() const { return m_bOtherReader; }

    // The device that the last Open tried: a path, \\.\COMn on Windows, or a network port.
    const std::string& Device() const { return m_strDevice; }
    // The open failure's reason, that another program reads the device, or that a network
    // port's server closed the connection.
    std::string Problem() const override;

private:
    void Close();
    // Opens a device (a tty or a network port) for the port name strPort ("" when given by its
    // device), its adapter known beforehand.
    void OpenAs(std::string device, std::string strPort, AdapterIdentity adapter);
    // The serial device itself: the platform's half (serial_port_posix.cpp, _win32.cpp).
    void OpenTty(std::string device);
    void CloseTty();
    void WriteTty(const std::uint8_t* buffer, std::size_t length);
    int ReadTtyByte();
    bool IsTtyOpen() const;
    bool ProbeTty();
    void Fail(std::string strDevice, PortOpenReason nReason, int nSystemError);

    PortOpenFailure m_failure;
    std::string m_strDevice;   // the device the last Open tried
    std::string m_strPort;     // the port name it was opened by, "" when by its device
    AdapterIdentity m_adapter; // the USB adapter at the device, where known
    bool m_bOtherReader = false;
    bool m_bLost = false;                    // the device went away since the Open
    std::unique_ptr<NetworkLine> m_pNetwork; // the network port while one is open
#ifdef _WIN32
    void* m_hComm = reinterpret_cast<void*>(-1); // INVALID_HANDLE_VALUE
#else
    int m_nFd = -1;
#endif
};

// The device a port name stands for on this machine now (ResolvePort with the system's devices):
// the mapped adapter wherever it is plugged in, or the device the mapping names (on Windows a
// mapped port name such as "COM7" as "\\.\COM7"); unmapped, "\\.\COMn" on Windows and
// /dev/ttyS0 to /dev/ttyS3 elsewhere. An empty string for a name that is not a port.
std::string ResolvePortDevice(const std::string& name, const std::string& profilePath);

// Opens a port name as the technician gives it (in --port, or a screen's own port): COM1 to COM4
// through the profile's mapping, any other name as a device or a network port.
void OpenNamedPort(CSerialPort& port, const std::string& name, const std::string& profilePath);
