#include "win32/transfer_worker.h"

#include "win32/message_box.h"

#include <future>
#include <memory>
#include <utility>

namespace {

// The input drop in force on this thread, for its hook procedure.
thread_local const CInputDrop* t_pInputDrop = nullptr;

// A question of the job: shown on the window's thread, answered to the waiting worker.
struct Question {
    PromptRequest m_request;
    bool m_bFileError = false;
    std::promise<PromptAnswer> m_answer;
};

class WorkerObserver : public TransferReport {
public:
    WorkerObserver(HWND dialog, std::string sendTargetLine)
        : m_hDialog(dialog), m_strSendTargetLine(std::move(sendTargetLine)) {}

    void OnProgress(int nPos) override {
        PostMessageW(m_hDialog, WM_APP_TRANSFER_PROGRESS, static_cast<WPARAM>(nPos), 0);
    }
    void OnStatus(const std::string& strText) override {
        PostText(WM_APP_TRANSFER_STATUS, strText);
    }
    void OnReason(const std::string& strReason) override {
        PostText(WM_APP_TRANSFER_REASON, strReason);
    }
    // The job's end, when a runner's thread runs it: the last report.
    void OnJobEnded(TransferResult result) override {
        PostMessageW(m_hDialog, WM_APP_TRANSFER_END, static_cast<WPARAM>(result), 0);
    }
    void OnFileError(const std::string& strMessage) override {
        PromptRequest request;
        request.m_strText = strMessage;
        Ask(request, true);
    }
    bool ConfirmOverwrite(const std::string& strQuestion) override {
        return AskOkCancel(strQuestion, false);
    }
    bool ConfirmSend(const std::string& strWarning) override {
        return AskOkCancel(m_strSendTargetLine.empty() ? strWarning
                                                       : strWarning + "\n\n" + m_strSendTargetLine,
                           true);
    }

private:
    void PostText(UINT message, const std::string& text) {
        auto copy = std::make_unique<std::string>(text);
        if (PostMessageW(m_hDialog, message, 0, reinterpret_cast<LPARAM>(copy.get())))
            copy.release();
    }

    // Posted behind the reports made before it, so the technician sees them first; the worker
    // waits for the answer.
    PromptAnswer Ask(const PromptRequest& request, bool bFileError) {
        Question question{request, bFileError, {}};
        std::future<PromptAnswer> answer = question.m_answer.get_future();
        if (!PostMessageW(m_hDialog, WM_APP_TRANSFER_QUESTION, 0,
                          reinterpret_cast<LPARAM>(&question)))
            return PromptAnswer::Cancel;
        return answer.get();
    }

    // The boxes of the transfer commands: owned by the dialog, empty caption, exclamation mark.
    bool AskOkCancel(const std::string& text, bool bCancelDefault) {
        PromptRequest request;
        request.m_strText = text;
        request.m_nButtons = PromptButtons::OkCancel;
        request.m_bCancelDefault = bCancelDefault;
        request.m_nIcon = PromptIcon::Exclamation;
        return Ask(request, false) == PromptAnswer::Ok;
    }

    HWND m_hDialog;
    std::string m_strSendTargetLine;
};

bool IsInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message == WM_CONTEXTMENU;
}

} // namespace

CInputDrop::CInputDrop(HWND dialog) : m_hDialog(dialog) {
    t_pInputDrop = this;
    m_hHook = SetWindowsHookExW(WH_GETMESSAGE, DropInput, nullptr, GetCurrentThreadId());
}

CInputDrop::~CInputDrop() {
    if (m_hHook)
        UnhookWindowsHookEx(m_hHook);
    if (t_pInputDrop == this)
        t_pInputDrop = nullptr;
}

LRESULT CALLBACK CInputDrop::DropInput(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE && t_pInputDrop) {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        if (IsInput(msg->message) && msg->hwnd &&
            GetAncestor(msg->hwnd, GA_ROOT) == t_pInputDrop->m_hDialog)
            msg->message = WM_NULL;
    }
    // The hook handle is ignored here since Windows NT.
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

CTransferWorker::~CTransferWorker() {
    if (m_thread.joinable())
        m_thread.join();
    m_inputDrop.reset();
}

bool CTransferWorker::Start(HWND dialog, Job job, std::string sendTargetLine) {
    if (IsRunning() || !dialog || !job)
        return false;
    if (m_thread.joinable())
        m_thread.join();
    m_hDialog = dialog;
    m_inputDrop.emplace(dialog);
    m_thread = std::thread([dialog, job = std::move(job), line = std::move(sendTargetLine)] {
        WorkerObserver observer(dialog, line);
        const TransferResult result = job(observer);
        PostMessageW(dialog, WM_APP_TRANSFER_END, static_cast<WPARAM>(result), 0);
    });
    return true;
}

bool CTransferWorker::Start(HWND dialog, const ReportedStart& start) {
    if (IsRunning() || !dialog || !start)
        return false;
    if (m_thread.joinable())
        m_thread.join();
    m_pReport = std::make_unique<WorkerObserver>(dialog, std::string());
    m_hDialog = dialog;
    m_inputDrop.emplace(dialog);
    if (start(*m_pReport))
        return true;
    m_inputDrop.reset();
    m_hDialog = nullptr;
    return false;
}

bool CTransferWorker::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, TransferView& view,
                                    LRESULT& result) {
    result = 0;
    switch (message) {
    case WM_APP_TRANSFER_PROGRESS:
        view.ShowProgress(static_cast<int>(wParam));
        return true;
    case WM_APP_TRANSFER_STATUS:
    case WM_APP_TRANSFER_REASON: {
        const std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(lParam));
        if (message == WM_APP_TRANSFER_STATUS)
            view.ShowStatus(*text);
        else
            view.ShowReason(*text);
        return true;
    }
    case WM_APP_TRANSFER_QUESTION: {
        auto* question = reinterpret_cast<Question*>(lParam);
        if (question->m_bFileError) {
            m_answerer(m_hDialog, FileErrorRequest(question->m_request.m_strText));
            question->m_answer.set_value(PromptAnswer::Ok);
        } else {
            question->m_answer.set_value(m_answerer(m_hDialog, question->m_request));
        }
        return true;
    }
    case WM_APP_TRANSFER_END:
        if (m_thread.joinable())
            m_thread.join();
        m_inputDrop.reset();
        m_hDialog = nullptr;
        view.TransferEnded(static_cast<TransferResult>(wParam));
        return true;
    default:
        return false;
    }
}
