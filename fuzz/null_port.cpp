// The fuzzer feeds the receiver directly: the codec's port is one that is never opened.
#include "link/serial_port.h"

CSerialPort g_SerialPort;

CSerialPort::~CSerialPort() = default;
void CSerialPort::Open(std::string) {}
void CSerialPort::Write(const std::uint8_t*, std::size_t) {}
int CSerialPort::ReadByte() {
    return -1;
}
bool CSerialPort::IsOpen() const {
    return false;
}
