#include "link/transfer_sequence.h"

#include "link/frame_codec.h"

#include "image/file_error.h"
#include "image/settings_image.h"

#include "dialogue.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Records every report in order: "bar N", "status TEXT", "file TEXT", "ask TEXT"; answers
// every question with m_bAnswer.
class RecordingObserver : public TransferObserver {
public:
    void OnProgress(int nPos) override { events.push_back("bar " + std::to_string(nPos)); }
    void OnStatus(const std::string& strText) override { events.push_back("status " + strText); }
    void OnFileError(const std::string& strMessage) override {
        events.push_back("file " + strMessage);
    }
    bool ConfirmOverwrite(const std::string& strQuestion) override {
        events.push_back("ask " + strQuestion);
        return m_bAnswer;
    }
    bool ConfirmSend(const std::string& strWarning) override {
        events.push_back("ask " + strWarning);
        return m_bAnswer;
    }
    void OnReason(const std::string& strReason) override { reasons.push_back(strReason); }
    std::vector<std::string> events;
    std::vector<std::string> reasons;
    bool m_bAnswer = true;
};

// A processor scripted by the number of the stage that fails (0: none); every call is logged
// into the same event list as the observer, so the order of bars and calls is checked together.
class ScriptedLink : public TransferLink {
public:
    ScriptedLink(std::vector<std::string>& log, int nFailingCall)
        : m_log(log), m_nFailingCall(nFailingCall) {}
    bool IsPortOpen() override { return m_bOpen; }
    LinkResult CheckLink(SettingsImage&) override { return Call("check"); }
    LinkResult ReadSystemSetup(SettingsImage&) override { return Call("read system"); }
    LinkResult ReadAudioSetup(int nBlock, SettingsImage&) override {
        return Call("read audio " + std::to_string(nBlock));
    }
    LinkResult WriteSystemSetup(const SettingsImage&) override { return Call("write system"); }
    LinkResult WriteAudioSetup(int nBlock, const SettingsImage&) override {
        m_nTaken = m_taken[static_cast<std::size_t>(nBlock)];
        return Call("write audio " + std::to_string(nBlock));
    }
    std::optional<int> AudioBlockTaken() const override { return m_nTaken; }
    std::string LineProblem() const override { return m_strProblem; }
    bool LineLost() const override { return m_bLost; }
    std::string LineName() const override { return m_strName; }
    bool m_bLost = false;
    std::string m_strName;
    // The block each audio write's go-ahead names, by the block announced.
    std::array<int, 3> m_taken{0, 1, 2};
    std::optional<int> m_nTaken;
    bool HeardNothing() const override { return m_nFailResult == LinkNoReply; }
    bool m_bOpen = true;
    std::string m_strProblem;
    LinkResult m_nFailResult = LinkFailed;

private:
    LinkResult Call(const std::string& strWhat) {
        m_log.push_back(strWhat);
        return ++m_nCalls == m_nFailingCall ? m_nFailResult : LinkOk;
    }
    std::vector<std::string>& m_log;
    int m_nFailingCall;
    int m_nCalls = 0;
};

// The stored settings: valid blocks, or (m_bImageValid false) blocks that fail their checks.
class ScriptedStore : public SettingsStore {
public:
    explicit ScriptedStore(std::vector<std::string>& log) : m_log(log) {}
    // Claimed unless m_strBusy says what holds the screen.
    ScreenClaimResult ClaimScreen(const ScreenTarget&, const std::string&) override {
        ScreenClaimResult result;
        if (m_strBusy.empty())
            result.m_pClaim = std::make_unique<ScreenClaim>();
        result.m_strRefusal = m_strBusy;
        return result;
    }
    bool HasSettings(const ScreenTarget& target) override {
        EXPECT_EQ(target.m_strScreen, "C");
        return m_bHasSettings;
    }
    void SaveSettings(const ScreenTarget&, const SettingsImage&) override {
        m_log.push_back("save");
        if (m_bFail)
            throw FileError(FileError::Cause::AccessDenied, "./A/B/C/Vrx.cfg");
    }
    void LoadSettings(const ScreenTarget&, SettingsImage& image) override {
        m_log.push_back("load");
        if (m_bFail)
            throw FileError(FileError::Cause::NotFound, "./A/B/C/Vrx.cfg");
        // An all-zero image fails the checks (no audio block has a valid date).
        image = SettingsImage{};
        if (m_bImageValid)
            FromStoredForm(vrxsim::ExampleSettings(), image);
    }
    bool m_bFail = false;
    std::string m_strBusy;
    bool m_bHasSettings = false;
    bool m_bImageValid = true;

private:
    std::vector<std::string>& m_log;
};

using Events = std::vector<std::string>;

const ScreenTarget kTarget{"A", "B", "C"};

TransferResult Load(RecordingObserver& observer, ScriptedStore& store, ScriptedLink& link) {
    SettingsImage image;
    return RunLoad(link, image, kTarget, store, observer);
}

TransferResult Send(RecordingObserver& observer, ScriptedStore& store, ScriptedLink& link) {
    SettingsImage image;
    return RunSend(link, image, kTarget, store, observer);
}

const std::string kLoadWait = std::string("status ") + transfer_text::kDownloadWait;
const std::string kLoadOk = std::string("status ") + transfer_text::kDownloadSuccess;
const std::string kLoadErr = std::string("status ") + transfer_text::kDownloadError;
const std::string kAskSend = "ask " + SendWarning();
const std::string kSendWait = std::string("status ") + transfer_text::kSendWait;
const std::string kSendOk = std::string("status ") + transfer_text::kSendSuccess;
const std::string kSendErr = std::string("status ") + transfer_text::kSendError;

struct LoadCase {
    const char* name;
    int nFailingCall;
    TransferResult result;
    Events events;
};

class LoadSequence : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadSequence, ReportsBarsAndTextsInOrder) {
    const LoadCase& c = GetParam();
    RecordingObserver observer;
    ScriptedLink link(observer.events, c.nFailingCall);
    ScriptedStore store(observer.events);
    EXPECT_EQ(Load(observer, store, link), c.result);
    EXPECT_EQ(observer.events, c.events);
}

INSTANTIATE_TEST_SUITE_P(
    Stages, LoadSequence,
    testing::Values(
        LoadCase{"AllSucceed",
                 0,
                 TransferResult::Success,
                 {kLoadWait, "bar 0", "check", "bar 20", "read system", "bar 40", "read audio 0",
                  "bar 60", "read audio 1", "bar 80", "read audio 2", "save", "bar 100", kLoadOk}},
        LoadCase{"LinkCheckFails",
                 1,
                 TransferResult::StageFailed,
                 {kLoadWait, "bar 0", "check", "bar 20", kLoadErr}},
        LoadCase{"SystemReadFails",
                 2,
                 TransferResult::StageFailed,
                 {kLoadWait, "bar 0", "check", "bar 20", "read system", "bar 40", kLoadErr}},
        LoadCase{"LastAudioFailsNothingSaved",
                 5,
                 TransferResult::StageFailed,
                 {kLoadWait, "bar 0", "check", "bar 20", "read system", "bar 40", "read audio 0",
                  "bar 60", "read audio 1", "bar 80", "read audio 2", "bar 100", kLoadErr}}),
    [](const testing::TestParamInfo<LoadCase>& row) { return std::string(row.param.name); });

TEST(LoadSequenceEnds, ClosedPortAsksNothingAndSendsNothing) {
    RecordingObserver observer;
    ScriptedLink link(observer.events, 0);
    link.m_bOpen = false;
    ScriptedStore store(observer.events);
    EXPECT_EQ(Load(observer, store, link), TransferResult::PortNotOpen);
    EXPECT_EQ(observer.events, (Events{"status COM Port Error.", "bar 0"}));
}

TEST(LoadSequenceEnds, SaveFailureIsShownAndEndsWithErrorText) {
    RecordingObserver observer;
    ScriptedLink link(observer.events, 0);
    ScriptedStore store(observer.events);
    store.m_bFail = true;
    EXPECT_EQ(Load(observer, store, link), TransferResult::FileError);
    ASSERT_GE(observer.events.size(), 3u);
    const Events tail(observer.events.end() - 4, observer.events.end());
    EXPECT_EQ(
        tail,
        (Events{"save",
                "file " + FileError(FileError::Cause::AccessDenied, "./A/B/C/Vrx.cfg").Message(),
                "bar 100", kLoadErr}));
}

TEST(TransferQuestions, ARefusalSendsAndStoresNothing) {
    RecordingObserver observer;
    observer.m_bAnswer = false;
    ScriptedLink link(observer.events, 0);
    ScriptedStore store(observer.events);
    store.m_bHasSettings = true;
    EXPECT_EQ(Load(observer, store, link), TransferResult::Cancelled);
    EXPECT_EQ(Send(observer, store, link), TransferResult::Cancelled);
    EXPECT_EQ(observer.events,
              (Events{"ask " + OverwriteQuestion("A", "B", "C"), "status Download Cancelled",
                      "bar 0", kAskSend, "status Send Cancelled", "bar 0"}));
}

// A screen that another command holds: the error text and why, before any question of the Load
// and before the Send's link check; nothing goes on the line.
TEST(TransferQuestions, AScreenHeldElsewhereEndsTheCommandUnasked) {
    RecordingObserver observer;
    ScriptedLink link(observer.events, 0);
    ScriptedStore store(observer.events);
    store.m_bHasSettings = true;
    store.m_strBusy = "The screen A - B - C is in use by vrx3km-cli (process 7) for a Send.";
    EXPECT_EQ(Load(observer, store, link), TransferResult::ScreenInUse);
    EXPECT_EQ(Send(observer, store, link), TransferResult::ScreenInUse);
    EXPECT_EQ(observer.events, (Events{kLoadErr, "bar 0", kAskSend, kSendErr, "bar 0"}));
    EXPECT_EQ(observer.reasons, (std::vector<std::string>(2, store.m_strBusy)));
}

// After the final status, the reason: the stage and its cause, what to do, and for a Send cut
// off after its first write that the processor may hold part of the new settings.
TEST(TransferReasons, NameTheStageTheCauseAndAPartialSend) {
    struct Row {
        const char* name;
        bool bSend;
        bool bOpen;
        int nFailingCall;
        LinkResult nFailResult;
        bool bImageValid;
        std::vector<std::string> parts; // each must appear in the reasons, in this order
        bool bPartial;
        bool bLost = false; // the adapter went away at the failing stage
    };
    const Row rows[] = {
        {"PortClosed", false, false, 0, LinkFailed, true, {"/dev/ttyUSB0: no such device"}, false},
        {"SilentLinkCheck",
         false,
         true,
         1,
         LinkNoReply,
         true,
         {"No answer to the link check."},
         false},
        {"BadLastBlock",
         false,
         true,
         5,
         LinkFailed,
         true,
         {"alternate audio block #2", "failed its checks"},
         false},
        {"SendSilentAtCheck",
         true,
         true,
         1,
         LinkNoReply,
         true,
         {"No answer to the link check."},
         false},
        {"SendUnconfirmedWrite",
         true,
         true,
         3,
         LinkNoReply,
         true,
         {"did not confirm the write of the current audio block"},
         true},
        {"AdapterUnplugged",
         false,
         true,
         3,
         LinkNoReply,
         true,
         {transfer_text::kAdapterLost, "at the read of the current audio block",
          "Port: COM1 on /dev/ttyUSB1, FTDI USB-serial adapter FT232R."},
         false,
         true},
        {"SendInvalidStored",
         true,
         true,
         0,
         LinkFailed,
         false,
         {transfer_text::kSettingsInvalid},
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingObserver observer;
        ScriptedLink link(observer.events, row.nFailingCall);
        link.m_bOpen = row.bOpen;
        link.m_nFailResult = row.nFailResult;
        link.m_strProblem =
            row.bOpen ? "" : "/dev/ttyUSB0: no such device: is the adapter plugged in?";
        link.m_bLost = row.bLost;
        link.m_strName = "COM1 on /dev/ttyUSB1, FTDI USB-serial adapter FT232R";
        ScriptedStore store(observer.events);
        store.m_bImageValid = row.bImageValid;
        if (row.bSend)
            Send(observer, store, link);
        else
            Load(observer, store, link);
        std::string all;
        for (const std::string& reason : observer.reasons)
            all += reason + "\n";
        std::size_t at = 0;
        for (const std::string& part : row.parts) {
            at = all.find(part, at);
            EXPECT_NE(at, std::string::npos) << part << " in " << all;
        }
        EXPECT_EQ(all.find(transfer_text::kPartialSend) != std::string::npos, row.bPartial) << all;
        // A device that went away is never called silence.
        EXPECT_EQ(all.find("No answer") != std::string::npos && row.bLost, false) << all;
        // The status texts stay exactly as they are: the reason never goes into them.
        for (const std::string& event : observer.events)
            EXPECT_EQ(event.find("No answer"), std::string::npos) << event;
    }
}

struct SendCase {
    const char* name;
    int nFailingCall;
    bool bImageValid;
    bool bFileFails;
    TransferResult result;
    Events events;
};

class SendSequence : public testing::TestWithParam<SendCase> {};

TEST_P(SendSequence, ReportsBarsAndTextsInOrder) {
    const SendCase& c = GetParam();
    RecordingObserver observer;
    ScriptedLink link(observer.events, c.nFailingCall);
    link.m_bOpen = false; // Send never asks whether the port is open
    ScriptedStore store(observer.events);
    store.m_bImageValid = c.bImageValid;
    store.m_bFail = c.bFileFails;
    EXPECT_EQ(Send(observer, store, link), c.result);
    EXPECT_EQ(observer.events, c.events);
}

INSTANTIATE_TEST_SUITE_P(
    Stages, SendSequence,
    testing::Values(
        SendCase{"AllSucceed",
                 0,
                 true,
                 false,
                 TransferResult::Success,
                 {kAskSend, kSendWait, "bar 0", "check", "load", "bar 20", "write system", "bar 40",
                  "write audio 0", "bar 60", "write audio 1", "bar 80", "write audio 2", "bar 100",
                  kSendOk}},
        // The stored file is read whatever the link check returned, but nothing is written.
        SendCase{"LinkCheckFailsStillReadsFile",
                 1,
                 true,
                 false,
                 TransferResult::StageFailed,
                 {kAskSend, kSendWait, "bar 0", "check", "load", "bar 20", kSendErr}},
        SendCase{"SecondAudioWriteFails",
                 4,
                 true,
                 false,
                 TransferResult::StageFailed,
                 {kAskSend, kSendWait, "bar 0", "check", "load", "bar 20", "write system", "bar 40",
                  "write audio 0", "bar 60", "write audio 1", "bar 80", kSendErr}},
        SendCase{"StoredBlocksFailChecksNothingWritten",
                 0,
                 false,
                 false,
                 TransferResult::SettingsInvalid,
                 {kAskSend, kSendWait, "bar 0", "check", "load", "bar 20", kSendErr}},
        SendCase{"FileErrorNothingWritten",
                 0,
                 true,
                 true,
                 TransferResult::FileError,
                 {kAskSend, kSendWait, "bar 0", "check", "load",
                  "file " + FileError(FileError::Cause::NotFound, "./A/B/C/Vrx.cfg").Message(),
                  "bar 20", kSendErr}}),
    [](const testing::TestParamInfo<SendCase>& row) { return std::string(row.param.name); });

// The processor decides which audio block it takes. A go-ahead that names another block than
// the one announced keeps the dialogue and the success text; the reasons say where each went.
TEST(SendOtherBlock, KeepsTheSuccessTextAndNamesTheBlocks) {
    struct Row {
        std::array<int, 3> taken;
        TransferResult result;
        std::vector<std::string> reasons;
    };
    const Row rows[] = {
        {{0, 1, 2}, TransferResult::Success, {}},
        {{0, 2, 2},
         TransferResult::OtherBlockTaken,
         {"The VRX-3KM took alternate #2 where alternate #1 was sent; alternate #1 was not "
          "written."}},
        {{1, 2, 0},
         TransferResult::OtherBlockTaken,
         {"The VRX-3KM took alternate #1 where the current setup was sent.",
          "The VRX-3KM took alternate #2 where alternate #1 was sent.",
          "The VRX-3KM took the current setup where alternate #2 was sent."}},
    };
    for (const Row& row : rows) {
        RecordingObserver observer;
        ScriptedLink link(observer.events, 0);
        link.m_taken = row.taken;
        ScriptedStore store(observer.events);
        EXPECT_EQ(Send(observer, store, link), row.result);
        EXPECT_EQ(observer.events.back(), kSendOk);
        EXPECT_EQ(observer.reasons, row.reasons);
    }
}

} // namespace
