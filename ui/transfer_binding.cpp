#include "ui/transfer_binding.h"

#include "ui/prompt.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
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
        if (CStatusArea* area = status ? CStatusArea::Of(status) : nullptr)
            area->SetStatus(text);
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
        if (CStatusArea* area = status ? CStatusArea::Of(status) : nullptr)
            area->AddReason(reason);
    });
}

CStatusArea::CStatusArea(QLabel* label, QPushButton* details)
    : QObject(label), m_pLabel(label), m_pDetails(details) {
    m_pLabel->setWordWrap(true);
    m_pLabel->setTextFormat(Qt::PlainText);
    m_pDetails->hide();
    connect(m_pDetails, &QPushButton::clicked, this, &CStatusArea::ShowDetails);
}

CStatusArea* CStatusArea::Of(QLabel* label) {
    return label->findChild<CStatusArea*>(QString(), Qt::FindDirectChildrenOnly);
}

void CStatusArea::SetStatus(const QString& strStatus) {
    m_strStatus = strStatus;
    m_strReason.clear();
    Show();
}

void CStatusArea::AddReason(const QString& strReason) {
    m_strReason = m_strReason.isEmpty() ? strReason : m_strReason + "\n" + strReason;
    Show();
}

namespace {

// Device paths and file names are long words without spaces: a break may follow each of their
// separators, so that a line ends inside one instead of running out of the control.
QString Breakable(QString text) {
    static const QChar kBreak(0x200B); // zero width space
    for (const QChar separator : {QChar('/'), QChar('\\'), QChar('_')})
        text.replace(separator, QString(separator) + kBreak);
    return text;
}

} // namespace

void CStatusArea::Show() {
    const QRect room = m_pLabel->contentsRect();
    const QFontMetrics metrics(m_pLabel->font());
    const auto fits = [&](const QString& text) {
        return metrics.boundingRect(QRect(0, 0, room.width(), 1 << 20), Qt::TextWordWrap, text)
                   .height() <= room.height();
    };
    const QString whole = m_strReason.isEmpty() ? m_strStatus : m_strStatus + "\n" + m_strReason;
    const QString shown = Breakable(whole);
    if (m_strReason.isEmpty() || fits(shown)) {
        m_pLabel->setText(shown);
        m_pLabel->setToolTip(QString());
        m_pDetails->hide();
        return;
    }
    // As many of the reason's words as fit after the status text, then "...".
    const QStringList words = Breakable(m_strReason).split(QRegularExpression("\\s+"));
    QString cut = m_strStatus;
    for (qsizetype count = 1; count <= words.size(); ++count) {
        const QString candidate =
            m_strStatus + "\n" + QStringList(words.mid(0, count)).join(' ') + QChar(0x2026);
        if (!fits(candidate))
            break;
        cut = candidate;
    }
    m_pLabel->setText(cut);
    m_pLabel->setToolTip(whole);
    m_pDetails->show();
}

void CStatusArea::ShowDetails() {
    PromptRequest request;
    request.m_strText = (m_strStatus + "\n\n" + m_strReason).toStdString();
    request.m_strCaption = QApplication::applicationName().toStdString();
    request.m_nIcon = PromptIcon::Exclamation;
    AskPrompt(m_pLabel->window(), request);
}
