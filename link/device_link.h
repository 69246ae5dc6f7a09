// The device operations of a transfer over a given line.
#pragma once

#include "link/transfer_sequence.h"

#include "link/frame_codec.h"
#include "link/serial_line.h"

#include <optional>

// The transactions on `line`, framed by its codec; both must outlive the object. IsPortOpen asks
// the line.
class SerialDeviceLink : public TransferLink {
public:
    SerialDeviceLink(SerialLine& line, FrameCodec& codec)
        : m_line(line), m_codec(codec), m_counted(line) {}

    bool IsPortOpen() override;
    LinkResult CheckLink(SettingsImage& image) override;
    LinkResult ReadSystemSetup(SettingsImage& image) override;
    LinkResult ReadAudioSetup(int nBlock, SettingsImage& image) override;
    LinkResult WriteSystemSetup(const SettingsImage& image) override;
    LinkResult WriteAudioSetup(int nBlock, const SettingsImage& image) override;
    std::optional<int> AudioBlockTaken() const override { return m_nTaken; }
    std::string LineProblem() const override;
    bool HeardNothing() const override { return m_counted.Received() == 0; }
    bool LineLost() const override { return m_line.Lost(); }
    std::string LineName() const override { return m_line.Describe(); }

private:
    // The line as the transactions use it: counts the bytes received since the last request
    // went out, so a failed stage can tell silence from a reply that failed its checks.
    class CountedLine : public SerialLine {
    public:
        explicit CountedLine(SerialLine& line) : m_line(line) {}
        void Write(const std::uint8_t* buffer, std::size_t length) override {
            m_nReceived = 0;
            m_line.Write(buffer, length);
        }
        int ReadByte() override {
            const int byte = m_line.ReadByte();
            if (byte >= 0)
                ++m_nReceived;
            return byte;
        }
        bool IsOpen() const override { return m_line.IsOpen(); }
        const LinkClock& Clock() const override { return m_line.Clock(); }
        std::string Problem() const override { return m_line.Problem(); }
        bool Lost() const override { return m_line.Lost(); }
        std::string Describe() const override { return m_line.Describe(); }
        std::size_t Received() const { return m_nReceived; }

    private:
        SerialLine& m_line;
        std::size_t m_nReceived = 0;
    };

    SerialLine& m_line;
    FrameCodec& m_codec;
    CountedLine m_counted;
    std::optional<int> m_nTaken; // the block the last audio write's go-ahead named
};
