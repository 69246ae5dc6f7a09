#include "ui/transfer_binding.h"

#include "ui/prompt.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

void WindowTransferObserver::OnProgress(int nPos) {
    m_pBar->setValue(nPos);
    m_pBar->repaint();
    Flush();
}

void WindowTransferObserver::OnStatus(const std::string& strText) {
    m_pStatus->setText(QString::fromUtf8(strText));
    m_pStatus->repaint();
    Flush();
}

void WindowTransferObserver::OnFileError(const std::string& strMessage) {
    ShowFileError(m_pOwner, strMessage);
}

void WindowTransferObserver::Flush() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
