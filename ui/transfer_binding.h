// The window's side of the Load and Send jobs: the job runs on one worker thread, and this
// observer carries each report back to the window's thread, where the bar, the status text and
// the questions live.
#pragma once

#include "library/site_storage.h"
#include "link/transfer_sequence.h"

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QProgressBar>
#include <QString>

class QPushButton;
class QWidget;

// The transfer status control: the status text, then the reason on a line of its own, both at
// the dialog's own font. When they do not fit the control, the status text stays whole, the
// reason is cut short with "...", and the Details button beside the control (reachable with Tab
// and its mnemonic) opens a box with the whole of it. Lives as the label's child.
class CStatusArea : public QObject {
    Q_OBJECT
public:
    CStatusArea(QLabel* label, QPushButton* details);
    // The status area of this status control, or null.
    static CStatusArea* Of(QLabel* label);

    // A new status text; the reason of the last one goes.
    void SetStatus(const QString& strStatus);
    // A reason after the status text; a second one follows the first on a line of its own.
    void AddReason(const QString& strReason);
    void Clear() { SetStatus(QString()); }
    const QString& Status() const { return m_strStatus; }
    const QString& Reason() const { return m_strReason; }
    // The box with the status text and the whole reason.
    void ShowDetails();

private:
    void Show();

    QLabel* m_pLabel;
    QPushButton* m_pDetails;
    QString m_strStatus;
    QString m_strReason;
};

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
