#include "ui/transfer_binding.h"

#include "ui/prompt.h"

#include <QFont>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
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

// The status control keeps its place and size: when the status and its reason do not fit, the
// text gets smaller, down to a size that can still be read, instead of being cut off.
void FitText(QLabel* label) {
    QFont font = label->parentWidget() ? label->parentWidget()->font() : label->font();
    label->setFont(font);
    for (qreal size = font.pointSizeF(); size > 6.0; size -= 0.5) {
        if (label->heightForWidth(label->width()) <= label->height())
            break;
        font.setPointSizeF(size - 0.5);
        label->setFont(font);
    }
}

bool AskOkCancel(QWidget* owner, const std::string& text, bool bCancelDefault) {
    PromptRequest request;
    request.m_strText = text;
    request.m_nButtons = PromptButtons::OkCancel;
    request.m_bCancelDefault = bCancelDefault;
    request.m_nIcon = PromptIcon::Exclamation;
    bool bOk = false;
    RunOnWindowThread(owner, [&] { bOk = AskPrompt(owner, request) == kAnswerOk; });
    return bOk;
}

} // namespace

void WindowTransferObserver::OnProgress(int nPos) {
    Post(m_pOwner, [bar = m_pBar, nPos] {
        if (bar)
            bar->setValue(nPos);
    });
}

void WindowTransferObserver::OnStatus(const std::string& strText) {
    Post(m_pOwner, [status = m_pStatus, text = QString::fromUtf8(strText)] {
        if (status) {
            status->setText(text);
            status->setToolTip(QString());
            FitText(status);
        }
    });
}

void WindowTransferObserver::OnFileError(const std::string& strMessage) {
    RunOnWindowThread(m_pOwner, [this, strMessage] { ShowFileError(m_pOwner, strMessage); });
}

bool WindowTransferObserver::ConfirmOverwrite(const std::string& strQuestion) {
    return AskOkCancel(m_pOwner, strQuestion, false);
}

bool WindowTransferObserver::ConfirmSend(const std::string& strWarning) {
    return AskOkCancel(
        m_pOwner,
        m_strSendTargetLine.empty() ? strWarning : strWarning + "\n\n" + m_strSendTargetLine, true);
}

void WindowTransferObserver::OnReason(const std::string& strReason) {
    Post(m_pOwner, [status = m_pStatus, reason = QString::fromUtf8(strReason)] {
        if (!status)
            return;
        status->setText(status->text() + "\n" + reason);
        status->setToolTip(status->text());
        FitText(status);
    });
}
