// The Qt window's side of a running transfer (control/transfer_runner.h): the job runs on the
// runner's worker thread, and this report carries each of its reports back to the window's
// thread, where the bar, the status text and the questions live.
#pragma once

#include "control/transfer_runner.h"

#include <QPointer>
#include <QProgressBar>
#include <QWidget>

#include <functional>
#include <memory>

class CInputGuard;
class CStatusArea;
class Prompt;

class WindowTransferReport : public TransferReport {
public:
    // owner: the window whose thread shows the reports; prompt asks the questions over it;
    // onEnded runs there once the job has ended.
    WindowTransferReport(QWidget* owner, Prompt& prompt, QProgressBar* bar, CStatusArea* status,
                         std::function<void(TransferResult)> onEnded);
    // Queued to the window's thread in the order the job reports them; the worker goes on.
    void OnProgress(int nPos) override;
    void OnStatus(const std::string& strText) override;
    // The reason follows the status text on lines of its own.
    void OnReason(const std::string& strReason) override;
    void OnJobEnded(TransferResult result) override;
    // A line that follows every status text, before any reason: which port the transfer uses
    // when it is not the checked COM button's.
    void SetPortLine(std::string strLine) { m_strPortLine = std::move(strLine); }
    // The box and the questions wait for the technician's answer on the window's thread; the
    // questions have an empty caption.
    void OnFileError(const std::string& strMessage) override;
    bool ConfirmOverwrite(const std::string& strQuestion) override;
    bool ConfirmSend(const std::string& strWarning) override;

private:
    QPointer<QWidget> m_pOwner;
    Prompt& m_prompt;
    QPointer<QProgressBar> m_pBar;
    CStatusArea* m_pStatus;
    std::function<void(TransferResult)> m_onEnded;
    std::string m_strPortLine;
};

// A transfer as the window runs it: the runner's job on its worker thread, the window taking no
// input and looking busy until its end, the keyboard focus given back after it.
class CTransferBinding {
public:
    CTransferBinding(QWidget* window, Prompt& prompt, QProgressBar* bar, CStatusArea* status,
                     CTransferRunner& runner);
    ~CTransferBinding();

    // Starts the job (CTransferRunner::Start); onEnded runs on the window's thread at its end.
    // strPortLine, when not empty, follows each status text (WindowTransferReport::SetPortLine).
    void Start(TransferKind kind, const ScreenTarget& target, std::string strSendLine,
               std::string strTraceFile, std::function<void(TransferResult)> onEnded,
               std::string strPortLine = {});
    // At the end, on the window's thread: the worker is gone and the window takes input again.
    void Finish(TransferResult result);
    // The control that had the keyboard focus when the transfer started gets it back when it is
    // enabled again, else fallback does.
    void GiveFocusBack(QWidget* fallback);

private:
    QWidget* m_pWindow;
    Prompt& m_prompt;
    QProgressBar* m_pBar;
    CStatusArea* m_pStatus;
    CTransferRunner& m_runner;
    CInputGuard* m_pInputGuard;
    std::unique_ptr<WindowTransferReport> m_pReport;
    QPointer<QWidget> m_pFocusBefore;
};
