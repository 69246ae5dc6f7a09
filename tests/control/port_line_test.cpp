// When the port line opens its port again: on activation only when a port shown open has gone,
// before a transfer when the port is not open now or the last transfer on it failed.
#include "control/port_line.h"
#include "link/frame_codec.h"
#include "link/serial_port.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(PortLine, OpensAgainOnlyWhenTheLineNeedsIt) {
    enum class Moment { Activation, BeforeTransfer };
    struct Row {
        const char* name;
        bool bShownOpen;             // open at the last look (Check)
        bool bOpenNow;               // what the probe finds now
        TransferResult lastTransfer; // how the last transfer on the port ended
        Moment moment;
        bool bOpens;
    };
    const Row rows[] = {
        {"shown open, still open", true, true, TransferResult::Success, Moment::Activation, false},
        {"shown open, gone", true, false, TransferResult::Success, Moment::Activation, true},
        {"shown closed, still closed", false, false, TransferResult::Success, Moment::Activation,
         false},
        {"open, last transfer failed: not on activation", true, true, TransferResult::StageFailed,
         Moment::Activation, false},
        {"open and well", true, true, TransferResult::Success, Moment::BeforeTransfer, false},
        {"open, technician cancelled", true, true, TransferResult::Cancelled,
         Moment::BeforeTransfer, false},
        {"not open now", true, false, TransferResult::Success, Moment::BeforeTransfer, true},
        {"open, last stage failed", true, true, TransferResult::StageFailed, Moment::BeforeTransfer,
         true},
        {"open, last found the port closed", true, true, TransferResult::PortNotOpen,
         Moment::BeforeTransfer, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CSerialPort port;
        FrameCodec codec;
        PortSettings settings{2, ""};
        CPortLine line(port, codec, settings);
        std::vector<std::string> opened;
        line.SetOpener([&opened](const std::string& name) {
            opened.push_back(name);
            return std::string();
        });
        bool bOpen = row.bShownOpen;
        line.SetProbe([&bOpen] { return bOpen; });
        line.Check();
        line.TransferEnded(row.lastTransfer);
        bOpen = row.bOpenNow;

        if (row.moment == Moment::Activation)
            line.ReopenIfGone();
        else
            line.PrepareTransfer();
        EXPECT_EQ(opened,
                  row.bOpens ? std::vector<std::string>{"COM3"} : std::vector<std::string>{});
    }
}
