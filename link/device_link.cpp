#include "link/device_link.h"

#include "image/settings_image.h"
#include "link/transactions.h"

bool SerialDeviceLink::IsPortOpen() {
    return m_line.IsOpen();
}

LinkResult SerialDeviceLink::CheckLink(SettingsImage& image) {
    return ::CheckLink(m_counted, m_codec, image);
}

LinkResult SerialDeviceLink::ReadSystemSetup(SettingsImage& image) {
    return ::ReadSystemSetup(m_counted, m_codec, image);
}

// The callers name one block; the request and the destination are the same number.
LinkResult SerialDeviceLink::ReadAudioSetup(int nBlock, SettingsImage& image) {
    return ::ReadAudioSetup(m_counted, m_codec, nBlock, nBlock, image);
}

LinkResult SerialDeviceLink::WriteSystemSetup(const SettingsImage& image) {
    return ::WriteSystemSetup(m_counted, m_codec, image);
}

LinkResult SerialDeviceLink::WriteAudioSetup(int nBlock, const SettingsImage& image) {
    int nTaken = -1;
    const LinkResult result = ::WriteAudioSetup(m_counted, m_codec, nBlock, nBlock, image, &nTaken);
    m_nTaken = nTaken >= 0 ? std::optional<int>(nTaken) : std::nullopt;
    return result;
}

std::string SerialDeviceLink::LineProblem() const {
    return m_line.Problem();
}
