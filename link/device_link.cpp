#include "link/device_link.h"

#include "image/settings_image.h"
#include "link/serial_port.h"
#include "link/transactions.h"

bool SerialDeviceLink::IsPortOpen() {
    return m_line.IsOpen();
}

int SerialDeviceLink::CheckLink(SettingsImage& image) {
    return ::CheckLink(m_counted, image);
}

int SerialDeviceLink::ReadSystemSetup(SettingsImage& image) {
    return ::ReadSystemSetup(m_counted, image);
}

// The callers name one block; the request and the destination are the same number.
int SerialDeviceLink::ReadAudioSetup(int nBlock, SettingsImage& image) {
    return ::ReadAudioSetup(m_counted, nBlock, nBlock, image);
}

int SerialDeviceLink::WriteSystemSetup(const SettingsImage& image) {
    return ::WriteSystemSetup(m_counted, image);
}

int SerialDeviceLink::WriteAudioSetup(int nBlock, const SettingsImage& image) {
    int nTaken = -1;
    const int result = ::WriteAudioSetup(m_counted, nBlock, nBlock, image, &nTaken);
    m_nTaken = nTaken >= 0 ? std::optional<int>(nTaken) : std::nullopt;
    return result;
}

std::string SerialDeviceLink::LineProblem() const {
    return m_line.Problem();
}

TransferLink& DeviceLink() {
    static SerialDeviceLink link(g_SerialPort);
    return link;
}
