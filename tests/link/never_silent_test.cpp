// A line that never falls silent: once the processor chatters, neither a reply nor the link
// check's drain may hold the program. Both end at their bounds on the line's clock, fail, and
// leave the image. On the in-memory line, so the bounds pass in the line's time, not the test's.
#include "link/frame_codec.h"
#include "link/transactions.h"
#include "scripted_processor.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using std::chrono::milliseconds;

TEST(NeverSilentLine, ReplyAndDrainEndAtTheirBounds) {
    testsupport::MemoryLine line;
    testsupport::ScriptedProcessor processor(
        line, vrxsim::ExampleSettings(), {{vrxsim::FaultKind::Chatter, vrxsim::Stage::ReadSystem}});
    FrameCodec codec;

    SettingsImage image{};
    image.system.fill(0x5A);
    image.current.fill(0xA0);
    const SettingsImage before = image;

    // The request starts the chatter: a byte every 100 ms and never a frame.
    auto start = line.Clock().Now();
    EXPECT_NE(ReadSystemSetup(line, codec, image), LinkOk);
    auto took = line.Clock().Now() - start;
    EXPECT_GE(took, milliseconds(kReplyLimitMs));
    EXPECT_LT(took, milliseconds(kReplyLimitMs + 200));

    // The drain never sees a silent second and gives up at its own limit.
    start = line.Clock().Now();
    EXPECT_NE(CheckLink(line, codec, image), LinkOk);
    took = line.Clock().Now() - start;
    EXPECT_GE(took, milliseconds(kDrainLimitMs));
    EXPECT_LT(took, milliseconds(kDrainLimitMs + 200));

    EXPECT_EQ(image.system, before.system);
    EXPECT_EQ(image.current, before.current);
}

} // namespace
