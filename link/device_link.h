// The device operations of a transfer over a given line.
#pragma once

#include "link/transfer_sequence.h"

class SerialLine;

// The transactions on `line`, which must outlive the object. IsPortOpen asks the line.
class SerialDeviceLink : public TransferLink {
public:
    explicit SerialDeviceLink(SerialLine& line) : m_line(line) {}

    bool IsPortOpen() override;
    int CheckLink(SettingsImage& image) override;
    int ReadSystemSetup(SettingsImage& image) override;
    int ReadAudioSetup(int nBlock, SettingsImage& image) override;
    int WriteSystemSetup(const SettingsImage& image) override;
    int WriteAudioSetup(int nBlock, SettingsImage& image) override;
    std::string LineProblem() const override;

    SerialLine& Line() const { return m_line; }

private:
    SerialLine& m_line;
};
