// The transfer worker on real windows: a job's reports reach the window in the order it made
// them, its questions are asked on the window's thread with the transfer boxes' shape and their
// answers reach the job, and input given to the window while the job runs is dropped, never
// replayed. Needs a display (Wine draws on X): run under Xvfb by scripts/wine-window-check.
#include "win32/message_box.h"
#include "win32/transfer_worker.h"

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

namespace {

constexpr UINT kRelease = WM_APP + 50;
constexpr UINT kMarker = WM_APP + 51;

struct Harness : TransferView {
    HWND m_hWindow = nullptr;
    HWND m_hChild = nullptr;
    HWND m_hOther = nullptr;
    // The boxes the test answers in place of a person.
    BoxAnswerer m_answerer;
    CTransferWorker m_worker{[this](HWND owner, const PromptRequest& request) {
        return m_answerer ? m_answerer(owner, request) : PromptAnswer::Cancel;
    }};
    std::vector<std::string> m_events;
    int m_nChildInput = 0;
    int m_nOtherInput = 0;
    bool m_bEnded = false;
    bool m_bMarkerSeen = false;
    std::promise<void> m_release;

    void ShowProgress(int nPos) override { m_events.push_back("progress " + std::to_string(nPos)); }
    void ShowStatus(const std::string& s) override { m_events.push_back("status " + s); }
    void ShowReason(const std::string& s) override { m_events.push_back("reason " + s); }
    void TransferEnded(TransferResult result) override {
        m_events.push_back("end " + std::to_string(static_cast<int>(result)));
        m_bEnded = true;
    }

    // Dispatches messages until done() or ten seconds pass.
    template <typename Done> bool PumpUntil(Done done) {
        const ULONGLONG deadline = GetTickCount64() + 10000;
        while (!done()) {
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline)
                return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                                      QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
        }
        return true;
    }
};

Harness* g_pHarness = nullptr;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (g_pHarness && window == g_pHarness->m_hWindow) {
        if (g_pHarness->m_worker.HandleMessage(message, wParam, lParam, *g_pHarness, result))
            return result;
        if (message == kRelease) {
            g_pHarness->m_release.set_value();
            return 0;
        }
        if (message == kMarker) {
            g_pHarness->m_bMarkerSeen = true;
            return 0;
        }
    }
    if (g_pHarness && (message == WM_KEYDOWN || message == WM_LBUTTONDOWN)) {
        if (window == g_pHarness->m_hChild)
            ++g_pHarness->m_nChildInput;
        if (window == g_pHarness->m_hOther)
            ++g_pHarness->m_nOtherInput;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class TransferWorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VrxWorkerTest";
        RegisterClassW(&windowClass);
        g_pHarness = &m_harness;
        m_harness.m_hWindow = CreateWindowExW(0, L"VrxWorkerTest", L"dialog", WS_OVERLAPPEDWINDOW,
                                              0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
        if (!m_harness.m_hWindow)
            GTEST_SKIP() << "no display to create windows on";
        m_harness.m_hChild =
            CreateWindowExW(0, L"VrxWorkerTest", L"button", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20,
                            m_harness.m_hWindow, nullptr, nullptr, nullptr);
        m_harness.m_hOther = CreateWindowExW(0, L"VrxWorkerTest", L"box", WS_OVERLAPPEDWINDOW, 0, 0,
                                             100, 50, nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        for (HWND window : {m_harness.m_hOther, m_harness.m_hWindow})
            if (window)
                DestroyWindow(window);
        g_pHarness = nullptr;
    }
    Harness m_harness;
};

TEST_F(TransferWorkerTest, ReportsInOrderAndAsksOnTheWindowThread) {
    const DWORD windowThread = GetCurrentThreadId();
    std::vector<PromptRequest> asked;
    m_harness.m_answerer = [&](HWND owner, const PromptRequest& request) {
        EXPECT_EQ(GetCurrentThreadId(), windowThread);
        EXPECT_EQ(owner, m_harness.m_hWindow);
        m_harness.m_events.push_back("ask " + request.m_strText);
        asked.push_back(request);
        return asked.size() == 1 ? PromptAnswer::Ok : PromptAnswer::Cancel;
    };
    std::vector<bool> answers;
    ASSERT_TRUE(m_harness.m_worker.Start(
        m_harness.m_hWindow,
        [&](TransferObserver& observer) {
            observer.OnProgress(20);
            observer.OnStatus("wait");
            answers.push_back(observer.ConfirmOverwrite("overwrite?"));
            observer.OnReason("why");
            observer.OnFileError("file");
            answers.push_back(observer.ConfirmSend("send?"));
            return TransferResult::StageFailed;
        },
        "To: Main - Plaza - Screen 1"));
    EXPECT_FALSE(m_harness.m_worker.Start(
        m_harness.m_hWindow, [](TransferObserver&) { return TransferResult::Success; }));
    ASSERT_TRUE(m_harness.PumpUntil([&] { return m_harness.m_bEnded; }));

    const std::vector<std::string> expected = {
        "progress 20",
        "status wait",
        "ask overwrite?",
        "reason why",
        "ask file",
        "ask send?\n\nTo: Main - Plaza - Screen 1",
        "end " + std::to_string(static_cast<int>(TransferResult::StageFailed))};
    EXPECT_EQ(m_harness.m_events, expected);
    EXPECT_EQ(answers, (std::vector<bool>{true, false}));
    ASSERT_EQ(asked.size(), 3u);
    // The questions: empty caption, OK and Cancel, the exclamation mark; the Send's default is
    // Cancel. The file error: the application's name, the stop sign, OK alone.
    for (int i : {0, 2}) {
        EXPECT_EQ(asked[i].m_strCaption, "");
        EXPECT_EQ(asked[i].m_nButtons, PromptButtons::OkCancel);
        EXPECT_EQ(asked[i].m_nIcon, PromptIcon::Exclamation);
        EXPECT_EQ(asked[i].m_bCancelDefault, i == 2);
    }
    EXPECT_EQ(asked[1].m_strCaption, kApplicationName);
    EXPECT_EQ(asked[1].m_nButtons, PromptButtons::Ok);
    EXPECT_EQ(asked[1].m_nIcon, PromptIcon::Stop);
    EXPECT_FALSE(m_harness.m_worker.IsRunning());
}

TEST_F(TransferWorkerTest, DropsInputToTheWindowWhileRunningAndNeverReplaysIt) {
    std::shared_future<void> released = m_harness.m_release.get_future().share();
    ASSERT_TRUE(m_harness.m_worker.Start(m_harness.m_hWindow, [released](TransferObserver&) {
        released.wait();
        return TransferResult::Success;
    }));
    // A key and a click for a control of the window, a key for another window, then the job's
    // release: the queue hands them out in this order.
    PostMessageW(m_harness.m_hChild, WM_KEYDOWN, 'A', 0);
    PostMessageW(m_harness.m_hChild, WM_LBUTTONDOWN, 0, 0);
    PostMessageW(m_harness.m_hWindow, WM_KEYDOWN, 'B', 0);
    PostMessageW(m_harness.m_hOther, WM_KEYDOWN, 'C', 0);
    PostMessageW(m_harness.m_hWindow, kRelease, 0, 0);
    ASSERT_TRUE(m_harness.PumpUntil([&] { return m_harness.m_bEnded; }));
    EXPECT_EQ(m_harness.m_nChildInput, 0);
    EXPECT_EQ(m_harness.m_nOtherInput, 1);

    // After the end the window takes input again, and nothing dropped comes back.
    PostMessageW(m_harness.m_hChild, WM_KEYDOWN, 'D', 0);
    PostMessageW(m_harness.m_hWindow, kMarker, 0, 0);
    ASSERT_TRUE(m_harness.PumpUntil([&] { return m_harness.m_bMarkerSeen; }));
    EXPECT_EQ(m_harness.m_nChildInput, 1);
}

} // namespace
