// The window's side of the Load and Send jobs: the job runs on one worker thread and reports
// through a TransferObserver whose calls become messages to the dialog (WM_APP and up), handled
// on the window's thread in the order the job made them. The questions and the file-error box
// are shown there too; the worker waits for their answer. While the job runs, the input given
// to the dialog and its controls is dropped (never replayed after it); the boxes the job asks in
// take input as usual.
#pragma once

#include "control/transfer_runner.h"
#include "link/transfer_sequence.h"
#include "win32/message_box.h"
#include "win32/text.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

// The messages the worker sends to the dialog.
enum TransferMessage : UINT {
    WM_APP_TRANSFER_PROGRESS = WM_APP + 1, // wParam: the bar position
    WM_APP_TRANSFER_STATUS,                // lParam: the text (std::string*, the handler frees it)
    WM_APP_TRANSFER_REASON,                // lParam: the text (std::string*, the handler frees it)
    WM_APP_TRANSFER_QUESTION, // lParam: a question the handler answers (the worker waits)
    WM_APP_TRANSFER_END,      // wParam: the job's TransferResult
};

// What the dialog shows of a running transfer; called on the window's thread.
class TransferView {
public:
    virtual ~TransferView() = default;
    virtual void ShowProgress(int nPos) = 0;
    virtual void ShowStatus(const std::string& strText) = 0;
    virtual void ShowReason(const std::string& strReason) = 0;
    // The job has ended and its thread is gone; input reaches the dialog again.
    virtual void TransferEnded(TransferResult result) = 0;
};

// While it lives, the keys and clicks given on this thread to the dialog and its controls are
// dropped (never replayed); the frame (moving the window) and other windows, such as the boxes a
// job asks in, keep theirs. One at a time on a thread: a message hook carries no pointer to its
// owner, so the drop in force is found through the thread.
class CInputDrop {
public:
    explicit CInputDrop(HWND dialog);
    ~CInputDrop();
    CInputDrop(const CInputDrop&) = delete;
    CInputDrop& operator=(const CInputDrop&) = delete;

private:
    static LRESULT CALLBACK DropInput(int code, WPARAM wParam, LPARAM lParam);

    HWND m_hDialog;
    HHOOK m_hHook;
};

class CTransferWorker {
public:
    // The job: RunLoad, RunSend or RunRead on the observer it is given.
    using Job = std::function<TransferResult(TransferObserver& observer)>;

    // The job's questions and file errors are shown by answerer, on the dialog's thread.
    explicit CTransferWorker(BoxAnswerer answerer = AskBox) : m_answerer(std::move(answerer)) {}
    // Waits for a job that still runs: the job never reports to a dialog that is gone.
    ~CTransferWorker();
    CTransferWorker(const CTransferWorker&) = delete;
    CTransferWorker& operator=(const CTransferWorker&) = delete;

    // Starts job on the worker thread, reporting to dialog; false (and nothing started) while a
    // job runs. sendTargetLine, when not empty, is shown below the Send warning. Call on the
    // dialog's thread.
    bool Start(HWND dialog, Job job, std::string sendTargetLine = {});
    // Starts a job on a thread of its own (CTransferRunner::Start), reporting to dialog through
    // the report start is given; start returns whether the job started. The report lives until
    // the next start or the worker's end. False (and nothing started) while a job runs.
    using ReportedStart = std::function<bool(TransferReport& report)>;
    bool Start(HWND dialog, const ReportedStart& start);
    bool IsRunning() const { return m_hDialog != nullptr; }

    // The dialog's procedure hands every message here first: true when it was one of the
    // worker's, which was then shown in view (or answered); result is the message's result.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, TransferView& view,
                       LRESULT& result);

private:
    BoxAnswerer m_answerer;
    HWND m_hDialog = nullptr;
    std::optional<CInputDrop> m_inputDrop;
    std::thread m_thread;
    std::unique_ptr<TransferReport> m_pReport;
};
