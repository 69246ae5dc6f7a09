// The window's side of the Load and Send jobs: the job runs on one worker thread, and this
// observer carries each report back to the window's thread, where the bar, the status text and
// the questions live.
#pragma once

#include "library/site_storage.h"
#include "link/transfer_sequence.h"

#include <QPointer>

class QLabel;
class QProgressBar;
class QWidget;

class WindowTransferObserver : public TransferObserver {
public:
    WindowTransferObserver(QWidget* owner, QProgressBar* bar, QLabel* status)
        : m_pOwner(owner), m_pBar(bar), m_pStatus(status) {}
    // Queued to the window's thread in the order the job reports them; the worker goes on.
    void OnProgress(int nPos) override;
    void OnStatus(const std::string& strText) override;
    // The box and the questions wait for the technician's answer on the window's thread.
    void OnFileError(const std::string& strMessage) override;
    bool ConfirmOverwrite(const std::string& strQuestion) override;
    bool ConfirmSend(const std::string& strWarning) override;
    // The reason follows the status text on lines of its own.
    void OnReason(const std::string& strReason) override;
    // A line shown below the Send warning: the screen the settings go from, and their date.
    void SetSendTargetLine(std::string strLine) { m_strSendTargetLine = std::move(strLine); }

private:
    std::string m_strSendTargetLine;
    QPointer<QWidget> m_pOwner;
    QPointer<QProgressBar> m_pBar;
    QPointer<QLabel> m_pStatus;
};
