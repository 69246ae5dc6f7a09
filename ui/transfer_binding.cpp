#include "ui/transfer_binding.h"

#include "ui/input_guard.h"
#include "ui/status_area.h"

#include <QMetaObject>
#include <QString>
#include <QThread>

namespace {

// Runs fn on the owner's thread and waits for it; directly when already there.
template <typename Fn> void RunOnWindowThread(QWidget* owner, Fn&& fn) {
    if (!owner)
        return;
    if (QThread::currentThread() == owner->thread())
        fn();
    else
        QMetaObject::invokeMethod(owner, std::forward<Fn>(fn), Qt::BlockingQueuedConnection);
}

// Queues fn to the window's thread; the worker goes on at once.
template <typename Fn> void Post(QWidget* owner, Fn&& fn) {
    if (owner)
        QMetaObject::invokeMethod(owner, std::forward<Fn>(fn), Qt::QueuedConnection);
}

} // namespace

WindowTransferReport::WindowTransferReport(QWidget* owner, Prompt& prompt, QProgressBar* bar,
                                           CStatusArea* status,
                                           std::function<void(TransferResult)> onEnded)
    : m_pOwner(owner), m_prompt(prompt), m_pBar(bar), m_pStatus(status),
      m_onEnded(std::move(onEnded)) {}

void WindowTransferReport::OnProgress(int nPos) {
    Post(m_pOwner, [bar = m_pBar, nPos] {
        if (bar)
            bar->setValue(nPos);
    });
}

void WindowTransferReport::OnStatus(const std::string& strText) {
    Post(m_pOwner, [status = m_pStatus, text = QString::fromUtf8(strText),
                    line = QString::fromUtf8(m_strPortLine)] {
        if (!status)
            return;
        status->SetStatus(text);
        if (!line.isEmpty())
            status->AddReason(line);
    });
}

void WindowTransferReport::OnReason(const std::string& strReason) {
    Post(m_pOwner, [status = m_pStatus, reason = QString::fromUtf8(strReason)] {
        if (status)
            status->AddReason(reason);
    });
}

void WindowTransferReport::OnJobEnded(TransferResult result) {
    Post(m_pOwner, [onEnded = m_onEnded, result] { onEnded(result); });
}

void WindowTransferReport::OnFileError(const std::string& strMessage) {
    RunOnWindowThread(m_pOwner, [this, strMessage] { ShowFileError(m_prompt, strMessage); });
}

bool WindowTransferReport::ConfirmOverwrite(const std::string& strQuestion) {
    bool bOk = false;
    RunOnWindowThread(m_pOwner, [&] {
        bOk = Confirm(m_prompt, strQuestion, "", PromptIcon::Exclamation, false);
    });
    return bOk;
}

bool WindowTransferReport::ConfirmSend(const std::string& strWarning) {
    bool bOk = false;
    RunOnWindowThread(
        m_pOwner, [&] { bOk = Confirm(m_prompt, strWarning, "", PromptIcon::Exclamation, true); });
    return bOk;
}

CTransferBinding::CTransferBinding(QWidget* window, Prompt& prompt, QProgressBar* bar,
                                   CStatusArea* status, CTransferRunner& runner)
    : m_pWindow(window), m_prompt(prompt), m_pBar(bar), m_pStatus(status), m_runner(runner),
      m_pInputGuard(new CInputGuard(window)) {}

CTransferBinding::~CTransferBinding() = default;

void CTransferBinding::Start(TransferKind kind, const ScreenTarget& target, std::string strSendLine,
                             std::string strTraceFile, std::function<void(TransferResult)> onEnded,
                             std::string strPortLine) {
    m_pFocusBefore = m_pWindow->focusWidget();
    m_pInputGuard->Start();
    m_pReport = std::make_unique<WindowTransferReport>(m_pWindow, m_prompt, m_pBar, m_pStatus,
                                                       std::move(onEnded));
    m_pReport->SetPortLine(std::move(strPortLine));
    m_runner.Start(kind, target, std::move(strSendLine), std::move(strTraceFile), *m_pReport);
}

void CTransferBinding::Finish(TransferResult result) {
    m_runner.Finish(result);
    m_pReport.reset();
    m_pInputGuard->Stop();
}

void CTransferBinding::GiveFocusBack(QWidget* fallback) {
    // The lock handed the focus to the tree: the command's own button takes it back.
    if (m_pFocusBefore && m_pWindow->focusWidget() != m_pFocusBefore)
        (m_pFocusBefore->isEnabled() ? m_pFocusBefore.data() : fallback)->setFocus();
    m_pFocusBefore = nullptr;
}
