// The transactions against the simulated processor's dialogue: the dialogues byte for byte on
// the line, and each row of the failure table with the image left alone. Every case runs on the
// in-memory line; the byte-for-byte group runs on a pseudo-terminal against the simulator too,
// through the program's real CSerialPort.
#include "line_data.h"
#include "link/frame_codec.h"
#include "link/serial_port.h"
#include "link/transactions.h"
#include "link_fixture.h"
#include "scripted_processor.h"
#include "simulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

using Bytes = std::vector<std::uint8_t>;
using linktest::Frame;
using testsupport::Cat;
using testsupport::ImageOf;
using testsupport::SettingsOf;
using vrxsim::FaultKind;
using vrxsim::Stage;

constexpr std::size_t kAudioOffset[3] = {128, 352, 576};

Bytes SystemMessage(const std::array<std::uint8_t, 800>& s) {
    Bytes m{0x12};
    m.insert(m.end(), s.begin(), s.begin() + 128);
    return m;
}

Bytes AudioMessage(const std::array<std::uint8_t, 800>& s, int block) {
    Bytes m{0x13};
    const auto* a = s.data() + kAudioOffset[block];
    m.insert(m.end(), a, a + 224);
    return m;
}

// Settings whose blocks each hold a DLE in a byte the checks leave alone, when there is one.
std::array<std::uint8_t, 800> WithDle(std::array<std::uint8_t, 800> s) {
    for (std::size_t at : {std::size_t{127}, std::size_t{128 + 223}, std::size_t{352 + 223},
                           std::size_t{576 + 223}}) {
        const std::uint8_t old = s[at];
        s[at] = 0x10;
        if (!SettingsImagePassesChecks(ImageOf(s)))
            s[at] = old;
    }
    return s;
}

// A processor behind a line: the simulator on a pseudo-terminal, or its dialogue in memory.
class Rig {
public:
    virtual ~Rig() = default;
    virtual SerialLine& Line() = 0;
    virtual Bytes Received() = 0; // every byte the program sent, once the line is quiet
    virtual Bytes Sent() = 0;
    virtual std::array<std::uint8_t, 800> Settings() = 0;
};

class MemoryRig : public Rig {
public:
    MemoryRig(const std::array<std::uint8_t, 800>& settings, std::vector<vrxsim::Fault> faults)
        : m_processor(m_line, settings, std::move(faults)) {}
    SerialLine& Line() override { return m_line; }
    Bytes Received() override { return m_processor.Received(); }
    Bytes Sent() override { return m_processor.Sent(); }
    std::array<std::uint8_t, 800> Settings() override { return m_processor.Settings(); }

private:
    testsupport::MemoryLine m_line;
    testsupport::ScriptedProcessor m_processor;
};

class PtyRig : public Rig {
public:
    PtyRig(const std::array<std::uint8_t, 800>& settings, std::vector<vrxsim::Fault> faults) {
        vrxsim::Options options;
        options.settings = settings;
        options.faults = std::move(faults);
        m_sim = std::make_unique<vrxsim::Simulator>(options);
        m_sim->Start();
        m_port.Open("COM1", linktest::MapCom1(m_dir, m_sim->DevicePath()));
    }
    SerialLine& Line() override { return m_port; }
    Bytes Received() override {
        m_sim->WaitIdle(150);
        return m_sim->ReceivedBytes();
    }
    Bytes Sent() override { return m_sim->SentBytes(); }
    std::array<std::uint8_t, 800> Settings() override { return m_sim->Settings(); }

private:
    linktest::TempDir m_dir;
    std::unique_ptr<vrxsim::Simulator> m_sim;
    CSerialPort m_port;
};

enum class LineKind { Memory, Pty };

class Dialogue : public testing::TestWithParam<LineKind> {
protected:
    void Start(std::vector<vrxsim::Fault> faults = {}) { Start(GetParam(), std::move(faults)); }
    void Start(LineKind kind, std::vector<vrxsim::Fault> faults) {
        if (kind == LineKind::Pty) {
            m_rig = std::make_unique<PtyRig>(m_settings, std::move(faults));
        } else {
            m_rig = std::make_unique<MemoryRig>(m_settings, std::move(faults));
        }
        ASSERT_TRUE(m_rig->Line().IsOpen());
    }
    SerialLine& Line() { return m_rig->Line(); }
    Bytes Received() { return m_rig->Received(); }

    std::array<std::uint8_t, 800> m_settings = WithDle(vrxsim::ExampleSettings());
    std::unique_ptr<Rig> m_rig;
    FrameCodec m_codec;
};

TEST_P(Dialogue, ReadsEveryBlock) {
    Start();
    SettingsImage image{};
    ASSERT_EQ(ReadSystemSetup(Line(), m_codec, image), LinkOk);
    for (int block = 0; block < 3; ++block) {
        ASSERT_EQ(ReadAudioSetup(Line(), m_codec, block, block, image), LinkOk) << block;
    }
    EXPECT_EQ(SettingsOf(image), m_settings);
    EXPECT_EQ(Received(),
              Cat({Frame({0x01}), Frame({0x02, 0}), Frame({0x02, 1}), Frame({0x02, 2})}));
    EXPECT_EQ(m_rig->Sent(),
              Cat({Frame(SystemMessage(m_settings)), Frame(AudioMessage(m_settings, 0)),
                   Frame(AudioMessage(m_settings, 1)), Frame(AudioMessage(m_settings, 2))}));
}

TEST_P(Dialogue, WritesEveryBlock) {
    Start();
    // Blocks the processor does not hold yet: the alternates swapped.
    SettingsImage image = ImageOf(m_settings);
    std::swap(image.alternate1, image.alternate2);
    const auto wanted = SettingsOf(image);
    ASSERT_EQ(WriteSystemSetup(Line(), m_codec, image), LinkOk);
    for (int block = 0; block < 3; ++block) {
        ASSERT_EQ(WriteAudioSetup(Line(), m_codec, block, block, image), LinkOk) << block;
    }
    EXPECT_EQ(m_rig->Settings(), wanted);
    EXPECT_EQ(SettingsOf(image), wanted); // a write never changes the image
    Bytes expected = Cat({Frame({0x0A}), Frame(SystemMessage(wanted)), Frame({0x11})});
    for (std::uint8_t block = 0; block < 3; ++block) {
        expected = Cat({expected, Frame({0x0B, block, block}), Frame(AudioMessage(wanted, block)),
                        Frame({0x11})});
    }
    EXPECT_EQ(Received(), expected);
    Bytes replies = Cat({Frame({0x01}), Frame({0x21})});
    for (std::uint8_t block = 0; block < 3; ++block) {
        replies = Cat({replies, Frame({0x02, block}), Frame({0x21})});
    }
    EXPECT_EQ(m_rig->Sent(), replies);
}

TEST_P(Dialogue, CheckLinkDrainsThenReadsSystem) {
    Start();
    SettingsImage image{};
    EXPECT_EQ(CheckLink(Line(), m_codec, image), LinkOk);
    EXPECT_TRUE(std::equal(image.system.begin(), image.system.end(), m_settings.begin()));
    EXPECT_EQ(Received(), Frame({0x01}));
}

TEST_P(Dialogue, GoAheadNamingAnotherBlockSendsThatBlock) {
    Start({{FaultKind::WrongBlock, Stage::WriteAudio0}});
    SettingsImage image = ImageOf(m_settings);
    image.alternate1 = image.alternate2; // so that the processor's block 1 visibly changes
    auto wanted = m_settings;
    std::copy(image.alternate1.begin(), image.alternate1.end(), wanted.begin() + 352);
    EXPECT_EQ(WriteAudioSetup(Line(), m_codec, 0, 0, image), LinkOk);
    EXPECT_EQ(Received(),
              Cat({Frame({0x0B, 0, 0}), Frame(AudioMessage(wanted, 1)), Frame({0x11})}));
    EXPECT_EQ(m_rig->Settings(), wanted);
}

TEST_P(Dialogue, ReadIntoNoBlockChangesNothing) {
    Start();
    SettingsImage image{};
    image.current.fill(0x77);
    const SettingsImage before = image;
    EXPECT_EQ(ReadAudioSetup(Line(), m_codec, 0, 3, image), LinkFailed);
    EXPECT_EQ(SettingsOf(image), SettingsOf(before));
    EXPECT_EQ(Received(), Frame({0x02, 0})); // the whole exchange took place
}

enum class Op { ReadSystem, ReadAudio1, WriteSystem, WriteAudio0 };

struct FailureRow {
    const char* name;
    FaultKind kind;
    Stage stage;
    Op op;
    LinkResult result;
    // What the program sends after the first request: nothing, the abort, or the data frame
    // and the confirmation.
    enum { Nothing, Abort, DataAndConfirm, Any } after;
};

const FailureRow kFailures[] = {
    {"ReadSystemSilent", FaultKind::Silent, Stage::ReadSystem, Op::ReadSystem, LinkFailed,
     FailureRow::Nothing},
    {"ReadSystemWrongCode", FaultKind::WrongCode, Stage::ReadSystem, Op::ReadSystem, LinkFailed,
     FailureRow::Nothing},
    {"ReadSystemShort", FaultKind::WrongLength, Stage::ReadSystem, Op::ReadSystem, LinkFailed,
     FailureRow::Nothing},
    {"ReadSystemBadBlock", FaultKind::BadBlock, Stage::ReadSystem, Op::ReadSystem, LinkFailed,
     FailureRow::Nothing},
    {"ReadSystemCut", FaultKind::CutFrame, Stage::ReadSystem, Op::ReadSystem, LinkFailed,
     FailureRow::Nothing},
    {"ReadSystemOversize", FaultKind::Oversize, Stage::ReadSystem, Op::ReadSystem, LinkFailed,
     FailureRow::Nothing},
    {"ReadSystemBadEscape", FaultKind::BadEscape, Stage::ReadSystem, Op::ReadSystem, LinkFailed,
     FailureRow::Nothing},
    {"ReadSystemNoise", FaultKind::Noise, Stage::ReadSystem, Op::ReadSystem, LinkOk,
     FailureRow::Nothing},
    {"ReadAudioSilent", FaultKind::Silent, Stage::ReadAudio1, Op::ReadAudio1, LinkFailed,
     FailureRow::Nothing},
    {"ReadAudioWrongCode", FaultKind::WrongCode, Stage::ReadAudio1, Op::ReadAudio1, LinkFailed,
     FailureRow::Nothing},
    {"ReadAudioShort", FaultKind::WrongLength, Stage::ReadAudio1, Op::ReadAudio1, LinkFailed,
     FailureRow::Nothing},
    {"ReadAudioBadBlock", FaultKind::BadBlock, Stage::ReadAudio1, Op::ReadAudio1, LinkFailed,
     FailureRow::Nothing},
    {"WriteSystemSilent", FaultKind::Silent, Stage::WriteSystem, Op::WriteSystem, LinkFailed,
     FailureRow::Nothing},
    {"WriteSystemWrongCode", FaultKind::WrongCode, Stage::WriteSystem, Op::WriteSystem, LinkFailed,
     FailureRow::Nothing},
    {"WriteSystemLongGoAhead", FaultKind::WrongLength, Stage::WriteSystem, Op::WriteSystem,
     LinkFailed, FailureRow::Abort},
    {"WriteSystemNoConfirm", FaultKind::NoConfirm, Stage::WriteSystem, Op::WriteSystem, LinkNoReply,
     FailureRow::DataAndConfirm},
    {"WriteSystemBadConfirm", FaultKind::BadConfirm, Stage::WriteSystem, Op::WriteSystem,
     LinkFailed, FailureRow::DataAndConfirm},
    {"WriteAudioSilent", FaultKind::Silent, Stage::WriteAudio0, Op::WriteAudio0, LinkFailed,
     FailureRow::Nothing},
    {"WriteAudioLongGoAhead", FaultKind::WrongLength, Stage::WriteAudio0, Op::WriteAudio0,
     LinkFailed, FailureRow::Abort},
    {"WriteAudioNoBlock", FaultKind::BadBlockNumber, Stage::WriteAudio0, Op::WriteAudio0,
     LinkFailed, FailureRow::Abort},
    {"WriteAudioNoConfirm", FaultKind::NoConfirm, Stage::WriteAudio0, Op::WriteAudio0, LinkNoReply,
     FailureRow::DataAndConfirm},
    {"WriteAudioBadConfirm", FaultKind::BadConfirm, Stage::WriteAudio0, Op::WriteAudio0, LinkFailed,
     FailureRow::DataAndConfirm},
};

void PrintTo(const FailureRow& row, std::ostream* os) {
    *os << row.name;
}

INSTANTIATE_TEST_SUITE_P(Line, Dialogue, testing::Values(LineKind::Memory, LineKind::Pty),
                         [](const testing::TestParamInfo<LineKind>& param) {
                             return param.param == LineKind::Memory ? "Memory" : "Pty";
                         });

// The failure table on the in-memory line: each silent second passes on its clock alone.
class Failure : public testing::TestWithParam<FailureRow> {
protected:
    SerialLine& Line() { return m_line; }
    Bytes Received() { return m_processor->Received(); }
    void Start(std::vector<vrxsim::Fault> faults) {
        m_processor =
            std::make_unique<testsupport::ScriptedProcessor>(m_line, m_settings, std::move(faults));
    }

    std::array<std::uint8_t, 800> m_settings = WithDle(vrxsim::ExampleSettings());
    testsupport::MemoryLine m_line;
    std::unique_ptr<testsupport::ScriptedProcessor> m_processor;
    FrameCodec m_codec;
};

TEST_P(Failure, Row) {
    const FailureRow& row = GetParam();
    Start({{row.kind, row.stage}});
    // An image unlike the processor's, so that any change shows.
    SettingsImage image{};
    image.system.fill(0x55);
    image.current.fill(0x66);
    image.alternate1.fill(0x77);
    image.alternate2.fill(0x88);
    const auto before = SettingsOf(image);
    Bytes request;
    Bytes data;
    LinkResult result = LinkPending;
    switch (row.op) {
    case Op::ReadSystem:
        request = Frame({0x01});
        result = ReadSystemSetup(Line(), m_codec, image);
        break;
    case Op::ReadAudio1:
        request = Frame({0x02, 1});
        result = ReadAudioSetup(Line(), m_codec, 1, 1, image);
        break;
    case Op::WriteSystem:
        image = ImageOf(m_settings);
        request = Frame({0x0A});
        data = Frame(SystemMessage(m_settings));
        result = WriteSystemSetup(Line(), m_codec, image);
        break;
    case Op::WriteAudio0:
        image = ImageOf(m_settings);
        request = Frame({0x0B, 0, 0});
        data = Frame(AudioMessage(m_settings, 0));
        result = WriteAudioSetup(Line(), m_codec, 0, 0, image);
        break;
    }
    EXPECT_EQ(result, row.result);
    const bool isRead = row.op == Op::ReadSystem || row.op == Op::ReadAudio1;
    if (isRead && row.result != LinkOk) {
        EXPECT_EQ(SettingsOf(image), before);
    } else if (!isRead) {
        EXPECT_EQ(SettingsOf(image), m_settings);
    }
    switch (row.after) {
    case FailureRow::Nothing:
        EXPECT_EQ(Received(), request);
        break;
    case FailureRow::Abort:
        EXPECT_EQ(Received(), Cat({request, Frame({0x23})}));
        break;
    case FailureRow::DataAndConfirm:
        EXPECT_EQ(Received(), Cat({request, data, Frame({0x11})}));
        break;
    case FailureRow::Any:
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Dialogue, Failure, testing::ValuesIn(kFailures),
                         [](const testing::TestParamInfo<FailureRow>& param) {
                             return std::string(param.param.name);
                         });

} // namespace
