// The device operations of a transfer over a given line and settings image.
#pragma once

#include "link/transfer_sequence.h"

class SerialLine;
struct SettingsImage;

// The transactions on `line`, reading into and writing from `image`. Both must outlive the
// object. IsPortOpen asks the line.
class SerialDeviceLink : public TransferLink {
public:
    SerialDeviceLink(SerialLine& line, SettingsImage& image) : m_line(line), m_image(image) {}

    bool IsPortOpen() override;
    int CheckLink() override;
    int ReadSystemSetup() override;
    int ReadAudioSetup(int nBlock) override;
    int WriteSystemSetup() override;
    int WriteAudioSetup(int nBlock) override;
    bool ImagePassesChecks() override;

    SerialLine& Line() const { return m_line; }
    SettingsImage& Image() const { return m_image; }

private:
    SerialLine& m_line;
    SettingsImage& m_image;
};
