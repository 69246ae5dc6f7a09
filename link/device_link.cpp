#include "link/device_link.h"

#include "image/settings_image.h"
#include "link/serial_port.h"
#include "link/transactions.h"

bool SerialDeviceLink::IsPortOpen() {
    return m_line.IsOpen();
}

int SerialDeviceLink::CheckLink() {
    return ::CheckLink(m_line, m_image);
}

int SerialDeviceLink::ReadSystemSetup() {
    return ::ReadSystemSetup(m_line, m_image);
}

// The callers name one block; the request and the destination are the same number.
int SerialDeviceLink::ReadAudioSetup(int nBlock) {
    return ::ReadAudioSetup(m_line, nBlock, nBlock, m_image);
}

int SerialDeviceLink::WriteSystemSetup() {
    return ::WriteSystemSetup(m_line, m_image);
}

int SerialDeviceLink::WriteAudioSetup(int nBlock) {
    return ::WriteAudioSetup(m_line, nBlock, nBlock, m_image);
}

bool SerialDeviceLink::ImagePassesChecks() {
    return ::ImagePassesChecks(m_image);
}

TransferLink& DeviceLink() {
    static SerialDeviceLink link(g_SerialPort, g_SettingsImage);
    return link;
}
