// The frame codec: every row of the receive state table, the decoding examples, and the
// encoder's frames as they appear on a pseudo-terminal.
#include "line_data.h"
#include "link/frame_codec.h"
#include "link/serial_port.h"
#include "link_fixture.h"
#include "memory_line.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct FeedRow {
    const char* name;
    ReceiveStateValue state;
    int storedBefore;
    std::uint8_t byte;
    ReceiveStateValue nextState;
    int storedAfter;
    LinkResult result;
};

// One row per line of the state table; storedBefore 256 marks a full buffer.
const FeedRow kFeedRows[] = {
    {"IdleDle", Idle, 7, 0x10, IdleDle, 7, LinkPending},
    {"IdleOther", Idle, 7, 0x41, Idle, 7, LinkPending},
    {"IdleStx", Idle, 7, 0x02, Idle, 7, LinkPending},
    {"IdleDleStx", IdleDle, 7, 0x02, InFrame, 0, LinkPending},
    {"IdleDleDle", IdleDle, 7, 0x10, IdleDle, 7, LinkPending},
    {"IdleDleOther", IdleDle, 7, 0x03, Idle, 7, LinkPending},
    {"InFrameDle", InFrame, 7, 0x10, InFrameDle, 7, LinkPending},
    {"InFrameStore", InFrame, 7, 0x02, InFrame, 8, LinkPending},
    {"InFrameStoreLast", InFrame, 255, 0x41, InFrame, 256, LinkPending},
    {"InFrameFull", InFrame, 256, 0x41, Idle, 256, LinkPending},
    {"EscapedDle", InFrameDle, 7, 0x10, InFrame, 8, LinkPending},
    {"EscapedDleFull", InFrameDle, 256, 0x10, Idle, 256, LinkPending},
    {"FrameEnd", InFrameDle, 7, 0x03, Idle, 7, LinkOk},
    {"FrameEndFull", InFrameDle, 256, 0x03, Idle, 256, LinkOk},
    {"Restart", InFrameDle, 7, 0x02, InFrame, 0, LinkPending},
    {"BadEscape", InFrameDle, 7, 0x05, Idle, 7, LinkPending},
};

void PrintTo(const FeedRow& row, std::ostream* os) {
    *os << row.name;
}

// The bytes that bring a new receiver to this state with this many message bytes stored.
Bytes Reach(ReceiveStateValue state, int stored) {
    Bytes bytes{DLE, STX};
    bytes.insert(bytes.end(), static_cast<std::size_t>(stored), 0x33);
    if (state == Idle || state == IdleDle)
        bytes.insert(bytes.end(), {DLE, ETX});
    if (state != Idle && state != InFrame)
        bytes.push_back(DLE);
    return bytes;
}

class FeedTable : public testing::TestWithParam<FeedRow> {};

TEST_P(FeedTable, Row) {
    const FeedRow& row = GetParam();
    FrameCodec codec;
    for (const std::uint8_t byte : Reach(row.state, row.storedBefore))
        codec.FeedReceiver(byte);
    ASSERT_EQ(codec.ReceiveState(), row.state);
    ASSERT_EQ(codec.ReceiveLength(), row.storedBefore);
    EXPECT_EQ(codec.FeedReceiver(row.byte), row.result);
    EXPECT_EQ(codec.ReceiveState(), row.nextState);
    EXPECT_EQ(codec.ReceiveLength(), row.storedAfter);
    if (row.storedAfter == row.storedBefore + 1) {
        const std::uint8_t stored = row.state == InFrameDle ? 0x10 : row.byte;
        EXPECT_EQ(codec.MessageBuffer()[static_cast<std::size_t>(row.storedBefore)], stored);
    }
}

INSTANTIATE_TEST_SUITE_P(Receiver, FeedTable, testing::ValuesIn(kFeedRows),
                         [](const testing::TestParamInfo<FeedRow>& param) {
                             return std::string(param.param.name);
                         });

struct DecodeRow {
    const char* name;
    Bytes line;
    int frames;    // completed frames
    Bytes message; // the last completed frame's message
};

Bytes Long(std::size_t n, std::uint8_t value) {
    return Bytes(n, value);
}

const DecodeRow kDecodeRows[] = {
    {"LeadingNoise", {0x55, 0x10, 0x02, 0x21, 0x10, 0x03}, 1, {0x21}},
    {"SecondStartRestarts", {0x10, 0x02, 0x41, 0x10, 0x02, 0x42, 0x10, 0x03}, 1, {0x42}},
    {"RepeatedDleBeforeStx", {0x10, 0x10, 0x02, 0x41, 0x10, 0x03}, 1, {0x41}},
    {"Empty", {0x10, 0x02, 0x10, 0x03}, 1, {}},
    {"DoubledDle", {0x10, 0x02, 0x10, 0x10, 0x02, 0x03, 0x10, 0x03}, 1, {0x10, 0x02, 0x03}},
    {"BadEscapeThenFrame", {0x10, 0x02, 0x41, 0x10, 0x05, 0x10, 0x02, 0x43, 0x10, 0x03}, 1, {0x43}},
    {"BadEscapeAlone", {0x10, 0x02, 0x41, 0x10, 0x05, 0x10, 0x03}, 0, {}},
    {"Exactly256", testsupport::Cat({{0x10, 0x02}, Long(256, 0x33), {0x10, 0x03}}), 1,
     Long(256, 0x33)},
    {"Escaped256th", testsupport::Cat({{0x10, 0x02}, Long(255, 0x33), {0x10, 0x10, 0x10, 0x03}}), 1,
     testsupport::Cat({Long(255, 0x33), {0x10}})},
    {"Byte257Drops", testsupport::Cat({{0x10, 0x02}, Long(257, 0x33), {0x10, 0x03}}), 0, {}},
    {"Byte257DropsThenFrame",
     testsupport::Cat({{0x10, 0x02}, Long(257, 0x33), {0x10, 0x03, 0x10, 0x02, 0x44, 0x10, 0x03}}),
     1,
     {0x44}},
    {"TwoFrames",
     {0x10, 0x02, 0x41, 0x10, 0x03, 0x10, 0x02, 0x42, 0x42, 0x10, 0x03},
     2,
     {0x42, 0x42}},
};

void PrintTo(const DecodeRow& row, std::ostream* os) {
    *os << row.name;
}

class DecodeTable : public testing::TestWithParam<DecodeRow> {};

TEST_P(DecodeTable, Line) {
    const DecodeRow& row = GetParam();
    FrameCodec codec;
    int frames = 0;
    int length = -1;
    for (const std::uint8_t byte : row.line) {
        if (codec.FeedReceiver(byte) == LinkOk) {
            ++frames;
            length = codec.ReceiveLength();
        }
    }
    ASSERT_EQ(frames, row.frames);
    if (frames > 0) {
        ASSERT_EQ(length, static_cast<int>(row.message.size()));
        EXPECT_EQ(Bytes(codec.MessageBuffer().begin(), codec.MessageBuffer().begin() + length),
                  row.message);
    }
}

INSTANTIATE_TEST_SUITE_P(Receiver, DecodeTable, testing::ValuesIn(kDecodeRows),
                         [](const testing::TestParamInfo<DecodeRow>& param) {
                             return std::string(param.param.name);
                         });

TEST(Receiver, CutFrameEndingOnDleAppendsTheNextFrame) {
    FrameCodec codec;
    for (const std::uint8_t byte : Bytes{0x10, 0x02, 0x41, 0x10}) {
        EXPECT_EQ(codec.FeedReceiver(byte), LinkPending);
    }
    // The next frame's leading DLE is read as the second half of an escaped DLE.
    LinkResult result = LinkPending;
    for (const std::uint8_t byte : Bytes{0x10, 0x02, 0x21, 0x10, 0x03}) {
        result = codec.FeedReceiver(byte);
    }
    EXPECT_EQ(result, LinkOk);
    ASSERT_EQ(codec.ReceiveLength(), 4);
    EXPECT_EQ(Bytes(codec.MessageBuffer().begin(), codec.MessageBuffer().begin() + 4),
              (Bytes{0x41, 0x10, 0x02, 0x21}));
}

// The encoder, observed on the line through a pseudo-terminal.
class Encoder : public testing::Test {
protected:
    void SetUp() override {
        m_port.Open("COM1", linktest::MapCom1(m_dir, m_pty.Slave()));
        ASSERT_TRUE(m_port.IsOpen());
    }

    Bytes Sent(const Bytes& message) {
        std::copy(message.begin(), message.end(), m_codec.MessageBuffer().begin());
        EXPECT_EQ(m_codec.SendFrame(m_port, static_cast<int>(message.size())), LinkOk);
        return m_pty.Drain();
    }

    linktest::TempDir m_dir;
    linktest::Pty m_pty;
    CSerialPort m_port;
    FrameCodec m_codec;
};

TEST_F(Encoder, Frames) {
    EXPECT_EQ(Sent({}), (Bytes{0x10, 0x02, 0x10, 0x03}));
    EXPECT_EQ(Sent({0x01}), (Bytes{0x10, 0x02, 0x01, 0x10, 0x03}));
    EXPECT_EQ(Sent({0x10}), (Bytes{0x10, 0x02, 0x10, 0x10, 0x10, 0x03}));
    EXPECT_EQ(Sent({0x02, 0x03, 0x0A}), (Bytes{0x10, 0x02, 0x02, 0x03, 0x0A, 0x10, 0x03}));
}

TEST_F(Encoder, LongMessages) {
    Bytes message(225, 0x5A);
    message[0] = 0x13;
    message[10] = message[100] = message[224] = 0x10;
    const Bytes line = Sent(message);
    EXPECT_EQ(line.size(), 232u);
    EXPECT_EQ(line, linktest::Frame(message));
    // The largest buffer, all DLE, still fits the frame buffer.
    const Bytes all(256, 0x10);
    EXPECT_EQ(Sent(all), linktest::Frame(all));
}

TEST_F(Encoder, ExchangeReceivesTheReplyOverTheRequest) {
    m_pty.Send(linktest::Frame({0x21}));
    m_codec.MessageBuffer()[0] = 0x11;
    int length = 1;
    EXPECT_EQ(m_codec.Exchange(m_port, length), LinkOk);
    EXPECT_EQ(length, 1);
    EXPECT_EQ(m_codec.MessageBuffer()[0], 0x21);
    EXPECT_EQ(m_pty.Drain(), linktest::Frame({0x11}));
}

TEST_F(Encoder, SilenceInEachModeAfterAboutASecond) {
    using Clock = std::chrono::steady_clock;
    int length = 5;
    const auto start = Clock::now();
    EXPECT_EQ(m_codec.ReceiveFrame(m_port, length, ReceiveMode::Reply), LinkNoReply);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_EQ(length, 0);
    EXPECT_GE(ms, 850);
    EXPECT_LE(ms, 1600);
    length = 5;
    EXPECT_EQ(m_codec.ReceiveFrame(m_port, length, ReceiveMode::Drain), LinkSilent);
    EXPECT_EQ(length, 0);
}

TEST_F(Encoder, CutFrameIsContinuedByTheNextReceive) {
    m_pty.Send({0x10, 0x02, 0x12, 0x34});
    int length = 0;
    EXPECT_EQ(m_codec.ReceiveFrame(m_port, length, ReceiveMode::Drain), LinkSilent);
    EXPECT_EQ(m_codec.ReceiveState(), InFrame);
    EXPECT_EQ(m_codec.MessageBuffer()[0], 0x12); // the partial frame stands in the buffer
    m_pty.Send({0x56, 0x10, 0x03});
    EXPECT_EQ(m_codec.ReceiveFrame(m_port, length, ReceiveMode::Reply), LinkOk);
    EXPECT_EQ(length, 3);
}

TEST_F(Encoder, OversizeFrameIsDroppedAndTheReceiveGoesOn) {
    m_pty.Send(
        testsupport::Cat({{0x10, 0x02}, Long(300, 0x44), {0x10, 0x03}, linktest::Frame({0x21})}));
    int length = 0;
    EXPECT_EQ(m_codec.ReceiveFrame(m_port, length, ReceiveMode::Reply), LinkOk);
    EXPECT_EQ(length, 1);
    EXPECT_EQ(m_codec.MessageBuffer()[0], 0x21);
}

// A drain reads and throws away whatever the processor still sends: it is not cut off at the
// reply's limit, and ends on the first silent second. On the in-memory line, in its own time.
TEST(MemoryReceive, DrainOutlastsTheReplyLimit) {
    testsupport::MemoryLine line;
    const auto start = line.Clock().Now();
    const auto chatterFor = std::chrono::milliseconds(kReplyLimitMs + 600);
    for (auto at = start; at < start + chatterFor; at += std::chrono::milliseconds(200)) {
        line.Send(Bytes{0x55}, at);
    }
    FrameCodec codec;
    int length = 5;
    EXPECT_EQ(codec.ReceiveFrame(line, length, ReceiveMode::Drain), LinkSilent);
    EXPECT_EQ(length, 0);
    EXPECT_GE(line.Clock().Now() - start, chatterFor);
    EXPECT_FALSE(line.Pending());
}

} // namespace
