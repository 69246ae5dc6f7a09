// Drives the simulated processor through its pseudo-terminal as the program would.
#include "blocks.h"
#include "fault_names.h"
#include "simulator.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <poll.h>
#include <span>
#include <termios.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
using namespace vrxsim;

Bytes Frame(const Bytes& message) {
    return EncodeFrame(message);
}

Bytes Cat(std::uint8_t code, const std::uint8_t* data, std::size_t n) {
    Bytes m(data, data + n);
    m.insert(m.begin(), code);
    return m;
}

// The program's side of the line: a raw terminal on the simulator's device.
class Line {
public:
    explicit Line(const std::string& path) : m_fd(open(path.c_str(), O_RDWR | O_NOCTTY)) {
        if (m_fd >= 0) {
            termios t{};
            tcgetattr(m_fd, &t);
            cfmakeraw(&t);
            tcsetattr(m_fd, TCSANOW, &t);
        }
    }
    ~Line() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    bool ok() const { return m_fd >= 0; }
    void Send(const Bytes& message) { Raw(Frame(message)); }
    void Raw(const Bytes& bytes) {
        ASSERT_EQ(write(m_fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Next byte, or nothing after `ms` of silence.
    std::optional<std::uint8_t> Byte(int ms) {
        pollfd p{m_fd, POLLIN, 0};
        if (poll(&p, 1, ms) <= 0) {
            return std::nullopt;
        }
        std::uint8_t b = 0;
        if (read(m_fd, &b, 1) != 1) {
            return std::nullopt;
        }
        m_raw.push_back(b);
        return b;
    }
    // Bytes up to and including the next DLE ETX that follows a DLE STX, or what came before
    // the line fell silent for `ms`.
    Bytes RawFrame(int ms = 2000) {
        m_raw.clear();
        bool in = false;
        std::uint8_t prev = 0;
        bool prevDle = false;
        while (auto b = Byte(ms)) {
            if (!in && prevDle && *b == 0x02) {
                in = true;
                prevDle = false;
            } else if (in && prevDle && *b == 0x03) {
                break;
            } else {
                prevDle = !prevDle && *b == 0x10;
            }
            prev = *b;
        }
        (void)prev;
        return m_raw;
    }
    // The message of the next frame, without the framing.
    std::optional<Bytes> Message(int ms = 2000) {
        const Bytes raw = RawFrame(ms);
        return Decode(raw);
    }
    static std::optional<Bytes> Decode(const Bytes& raw) {
        std::size_t i = 0;
        while (i + 1 < raw.size() && !(raw[i] == 0x10 && raw[i + 1] == 0x02)) {
            ++i;
        }
        if (i + 1 >= raw.size()) {
            return std::nullopt;
        }
        Bytes m;
        for (i += 2; i + 1 < raw.size(); ++i) {
            if (raw[i] != 0x10) {
                m.push_back(raw[i]);
            } else if (raw[i + 1] == 0x10) {
                m.push_back(0x10);
                ++i;
            } else if (raw[i + 1] == 0x03) {
                return m;
            } else {
                return std::nullopt;
            }
        }
        return std::nullopt;
    }

private:
    int m_fd;
    Bytes m_raw;
};

const std::uint8_t* AudioOf(const std::array<std::uint8_t, 800>& s, int block) {
    return s.data() + kAudioOffset[block];
}

TEST(SimBlocks, ExampleSettingsPassEveryCheckAndCarryADle) {
    const auto s = ExampleSettings();
    EXPECT_TRUE(SystemBlockValid(std::span<const std::uint8_t, 128>(s.data(), 128)));
    for (int b = 0; b < 3; ++b) {
        EXPECT_TRUE(AudioBlockValid(std::span<const std::uint8_t, 224>(AudioOf(s, b), 224))) << b;
    }
    // Tuesday 17 March 2026, 3:45 PM packed by hand.
    EXPECT_EQ(Bytes(AudioOf(s, 0), AudioOf(s, 0) + 4), (Bytes{0x23, 0x91, 0x6D, 0x1A}));
    EXPECT_NE(std::find(AudioOf(s, 0) + 12, AudioOf(s, 0) + 192, 0x10), AudioOf(s, 0) + 192);
}

TEST(SimBlocks, ChecksRejectOutOfRangeBytes) {
    struct Row {
        bool system;
        std::size_t offset;
        std::uint8_t value;
        bool valid;
    };
    const Row rows[] = {
        {true, 5, 0x8C, true},
        {true, 8, 0, false},
        {true, 8, 99, true},
        {true, 7, 33, false},
        {true, 22, 3, false},
        {true, 100, 0xFF, true},
        {false, 3, 97, true},
        {false, 3, 197, true},
        {false, 3, 198, false},
        {false, 12, 25, false},
        {false, 12 + 5 * 30 + 26, 25, false},
        {false, 41, 0xFF, true},
        {false, 39, 21, false},
        {false, 200, 0xFF, true},
        {false, 6, 25, false},
    };
    for (const auto& r : rows) {
        auto s = ExampleSettings();
        if (r.system) {
            s[4] = 0x01; // reader delay 396 with byte 5 = 0x8C
            s[r.offset] = r.value;
            EXPECT_EQ(SystemBlockValid(std::span<const std::uint8_t, 128>(s.data(), 128)), r.valid)
                << "system byte " << r.offset;
        } else {
            s[kAudioOffset[0] + r.offset] = r.value;
            EXPECT_EQ(AudioBlockValid(std::span<const std::uint8_t, 224>(AudioOf(s, 0), 224)),
                      r.valid)
                << "audio byte " << r.offset;
        }
    }
}

TEST(SimNames, EveryKindAndStageRoundTrips) {
    for (auto k : AllFaultKinds()) {
        const auto f = ParseFault(std::string(NameOf(k)) + ":read-audio1");
        ASSERT_TRUE(f);
        EXPECT_EQ(f->kind, k);
        EXPECT_EQ(f->stage, Stage::ReadAudio1);
    }
    for (auto s : AllStages()) {
        EXPECT_EQ(StageFromName(NameOf(s)), s);
    }
    EXPECT_EQ(AllFaultKinds().size(), 13u);
    EXPECT_EQ(ParseFault("noise")->stage, Stage::Any);
    EXPECT_FALSE(ParseFault("noise:later"));
    EXPECT_FALSE(ParseFault("Noise"));
}

class SimTest : public ::testing::Test {
protected:
    void Begin(Options o = {}) {
        sim = std::make_unique<Simulator>(std::move(o));
        sim->Start();
        line = std::make_unique<Line>(sim->DevicePath());
        ASSERT_TRUE(line->ok());
    }
    std::unique_ptr<Simulator> sim;
    std::unique_ptr<Line> line;
};

TEST_F(SimTest, ReadDialoguesByteForByte) {
    Begin();
    const auto s = ExampleSettings();
    line->Send({0x01});
    EXPECT_EQ(line->RawFrame(), Frame(Cat(0x12, s.data(), 128)));
    for (std::uint8_t b = 0; b < 3; ++b) {
        line->Send({0x02, b});
        EXPECT_EQ(line->RawFrame(), Frame(Cat(0x13, AudioOf(s, b), 224))) << int(b);
    }
    ASSERT_TRUE(sim->WaitIdle(20));
    Bytes expectedIn;
    for (const Bytes& m : {Bytes{0x01}, Bytes{0x02, 0}, Bytes{0x02, 1}, Bytes{0x02, 2}}) {
        const Bytes f = Frame(m);
        expectedIn.insert(expectedIn.end(), f.begin(), f.end());
    }
    EXPECT_EQ(sim->ReceivedBytes(), expectedIn);
    // The current block's DLE bytes go out doubled.
    const Bytes sent = sim->SentBytes();
    EXPECT_EQ(sent.size(), Frame(Cat(0x12, s.data(), 128)).size() +
                               Frame(Cat(0x13, AudioOf(s, 0), 224)).size() +
                               Frame(Cat(0x13, AudioOf(s, 1), 224)).size() +
                               Frame(Cat(0x13, AudioOf(s, 2), 224)).size());
}

TEST_F(SimTest, IgnoresWhatIsNotARequest) {
    Begin();
    // Block 3 does not exist, 0x7E is no request, a frame broken by DLE 05 is dropped.
    line->Send({0x02, 0x03});
    line->Send({0x7E});
    line->Raw({0x10, 0x02, 0x01, 0x10, 0x05});
    EXPECT_TRUE(sim->WaitIdle(100));
    EXPECT_TRUE(sim->SentBytes().empty());
    // Noise before a frame and a DLE STX restart still reach the request.
    line->Raw({0x55, 0x10, 0x02, 0x41, 0x10, 0x02, 0x01, 0x10, 0x03});
    const auto m = line->Message();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->size(), 129u);
    EXPECT_EQ((*m)[0], 0x12);
}

TEST_F(SimTest, WriteDialoguesStoreAndSave) {
    TempFolder dir;
    Options o;
    o.saveFile = (dir.Path() / "saved.cfg").string();
    Begin(o);
    auto next = ExampleSettings();
    next[30] = 4;                     // default format: mono
    next[kAudioOffset[1] + 6] = 0x10; // alternate #1, L volume -4

    line->Send({0x0A});
    EXPECT_EQ(line->RawFrame(), Frame({0x01}));
    line->Send(Cat(0x12, next.data(), 128));
    line->Send({0x11});
    EXPECT_EQ(line->RawFrame(), Frame({0x21}));

    line->Send({0x0B, 0x01, 0x01});
    EXPECT_EQ(line->RawFrame(), Frame({0x02, 0x01}));
    line->Send(Cat(0x13, AudioOf(next, 1), 224));
    line->Send({0x11});
    EXPECT_EQ(line->RawFrame(), Frame({0x21}));

    ASSERT_TRUE(sim->WaitIdle(20));
    EXPECT_EQ(sim->Settings(), next);
    std::ifstream in(o.saveFile, std::ios::binary);
    const Bytes saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved, Bytes(next.begin(), next.end()));
    EXPECT_FALSE(std::filesystem::exists(o.saveFile + ".tmp"));
}

TEST_F(SimTest, NothingIsStoredWithoutAConfirmedValidBlock) {
    Begin();
    const auto before = sim->Settings();
    auto bad = before;
    bad[8] = 0; // fails the system block check

    // Confirmation without a block since the go-ahead: no answer.
    line->Send({0x0A});
    EXPECT_EQ(line->Message(), Bytes{0x01});
    line->Send({0x11});
    EXPECT_FALSE(line->Message(300));

    // Aborted after the data frame: dropped.
    line->Send({0x0A});
    EXPECT_EQ(line->Message(), Bytes{0x01});
    line->Send(Cat(0x12, bad.data(), 128));
    line->Send({0x23});
    line->Send({0x11});
    EXPECT_FALSE(line->Message(300));

    // A block that fails its check is refused.
    line->Send({0x0A});
    EXPECT_EQ(line->Message(), Bytes{0x01});
    line->Send(Cat(0x12, bad.data(), 128));
    line->Send({0x11});
    EXPECT_EQ(line->Message(), Bytes{0x3F});
    EXPECT_EQ(sim->Settings(), before);
}

// One request, one fault: what the program sees on the line.
struct FaultRow {
    const char* name;
    Fault fault;
    Bytes request;
    int wantLength; // decoded reply length, -1: no frame at all
    int wantCode;   // -1: not checked
};

void PrintTo(const FaultRow& row, std::ostream* os) {
    *os << row.name;
}

class SimFaults : public SimTest, public ::testing::WithParamInterface<FaultRow> {};

TEST_P(SimFaults, ReplyAsInjected) {
    const FaultRow& r = GetParam();
    Options o;
    o.faults = {r.fault};
    Begin(o);
    line->Send(r.request);
    const Bytes raw = line->RawFrame(300);
    const auto m = Line::Decode(raw);
    if (r.wantLength < 0) {
        EXPECT_FALSE(m);
        return;
    }
    ASSERT_TRUE(m);
    EXPECT_EQ(static_cast<int>(m->size()), r.wantLength);
    if (r.wantCode >= 0) {
        EXPECT_EQ((*m)[0], r.wantCode);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SimFaults,
    ::testing::Values(
        FaultRow{"silent", {FaultKind::Silent}, {0x01}, -1, -1},
        FaultRow{"wrong_code", {FaultKind::WrongCode, Stage::ReadSystem}, {0x01}, 129, 0x13},
        FaultRow{"wrong_length", {FaultKind::WrongLength}, {0x02, 1}, 224, 0x13},
        FaultRow{"go_ahead_wrong_length", {FaultKind::WrongLength}, {0x0A}, 2, 0x01},
        FaultRow{"go_ahead_wrong_code", {FaultKind::WrongCode}, {0x0A}, 1, 0x02},
        FaultRow{"oversize", {FaultKind::Oversize}, {0x01}, 300, 0x12},
        FaultRow{"bad_escape", {FaultKind::BadEscape}, {0x02, 0}, -1, -1},
        FaultRow{"cut_frame", {FaultKind::CutFrame}, {0x02, 0}, -1, -1},
        FaultRow{"noise", {FaultKind::Noise}, {0x02, 2}, 225, 0x13},
        FaultRow{"other_stage", {FaultKind::Silent, Stage::ReadAudio1}, {0x02, 0}, 225, 0x13}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(SimTest, BadBlockFailsItsCheck) {
    Begin({.settings = ExampleSettings(),
           .pace = false,
           .delayMs = 0,
           .faults = {{FaultKind::BadBlock, Stage::ReadSystem},
                      {FaultKind::BadBlock, Stage::ReadAudio2}},
           .saveFile = {}});
    line->Send({0x01});
    auto m = line->Message();
    ASSERT_TRUE(m && m->size() == 129);
    EXPECT_FALSE(SystemBlockValid(std::span<const std::uint8_t, 128>(m->data() + 1, 128)));
    for (std::uint8_t b : {1, 2}) {
        line->Send({0x02, b});
        m = line->Message();
        ASSERT_TRUE(m && m->size() == 225);
        EXPECT_EQ(AudioBlockValid(std::span<const std::uint8_t, 224>(m->data() + 1, 224)), b == 1);
    }
}

TEST_F(SimTest, GoAheadFaultsNameAnotherBlock) {
    Options o;
    o.faults = {{FaultKind::WrongBlock, Stage::WriteAudio2},
                {FaultKind::BadBlockNumber, Stage::WriteAudio1}};
    Begin(o);
    line->Send({0x0B, 2, 2});
    EXPECT_EQ(line->Message(), (Bytes{0x02, 0x00}));
    // The block goes where the go-ahead said.
    auto next = ExampleSettings();
    next[kAudioOffset[0] + 6] = 3;
    line->Send(Cat(0x13, AudioOf(next, 0), 224));
    line->Send({0x11});
    EXPECT_EQ(line->Message(), Bytes{0x21});
    ASSERT_TRUE(sim->WaitIdle(20));
    EXPECT_EQ(sim->Settings(), next);

    line->Send({0x0B, 1, 1});
    EXPECT_EQ(line->Message(), (Bytes{0x02, 0x05}));
}

TEST_F(SimTest, ConfirmationFaultsFollowTheWrite) {
    Options o;
    o.faults = {{FaultKind::NoConfirm, Stage::WriteAudio0},
                {FaultKind::BadConfirm, Stage::WriteSystem}};
    Begin(o);
    const auto s = ExampleSettings();
    line->Send({0x0A});
    EXPECT_EQ(line->Message(), Bytes{0x01});
    line->Send(Cat(0x12, s.data(), 128));
    line->Send({0x11});
    EXPECT_EQ(line->Message(), (Bytes{0x21, 0x00}));

    line->Send({0x0B, 0, 0});
    EXPECT_EQ(line->Message(), (Bytes{0x02, 0x00}));
    line->Send(Cat(0x13, AudioOf(s, 0), 224));
    line->Send({0x11});
    EXPECT_FALSE(line->Message(300));

    // A write of another block is confirmed normally.
    line->Send({0x0B, 2, 2});
    EXPECT_EQ(line->Message(), (Bytes{0x02, 0x02}));
    line->Send(Cat(0x13, AudioOf(s, 2), 224));
    line->Send({0x11});
    EXPECT_EQ(line->Message(), Bytes{0x21});
}

TEST_F(SimTest, ChatterNeverFallsSilentUntilFaultsChange) {
    Options o;
    o.faults = {{FaultKind::Chatter, Stage::ReadSystem}};
    Begin(o);
    line->Send({0x01});
    int bytes = 0;
    for (int i = 0; i < 3; ++i) {
        const auto b = line->Byte(500);
        ASSERT_TRUE(b);
        EXPECT_NE(*b, 0x10);
        ++bytes;
    }
    EXPECT_FALSE(sim->WaitIdle(50, 300));
    sim->SetFaults({});
    EXPECT_TRUE(sim->WaitIdle(150));
    line->Send({0x01});
    const auto m = line->Message();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->size(), 129u);
}

TEST_F(SimTest, SurvivesTheProgramReopeningThePort) {
    Begin();
    line.reset();
    line = std::make_unique<Line>(sim->DevicePath());
    line->Send({0x02, 1});
    const auto m = line->Message();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->size(), 225u);
}

TEST_F(SimTest, PacedReplyKeepsTheLineRate) {
    Options o;
    o.pace = true;
    Begin(o);
    const std::size_t n = Frame(Cat(0x12, ExampleSettings().data(), 128)).size();
    // Timed from the request: a late read of the first byte (a busy machine) then cannot make the
    // paced bytes look faster than they came.
    const auto t0 = Clock::now();
    line->Send({0x01});
    const auto first = line->Byte(2000);
    ASSERT_TRUE(first);
    std::size_t got = 1;
    while (got < n && line->Byte(500)) {
        ++got;
    }
    const auto elapsed = Clock::now() - t0;
    EXPECT_EQ(got, n);
    EXPECT_FALSE(line->Byte(50));
    const auto lineTime = std::chrono::microseconds(1042) * static_cast<long>(n - 1);
    // Never faster than the line; how close it keeps to the line rate is bench_link's to measure,
    // since a loaded machine may delay any byte.
    EXPECT_GE(elapsed, lineTime);
}

} // namespace
