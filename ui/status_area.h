// The transfer status control: the status text, then the reason on a line of its own, both at
// the dialog's own font. When they do not fit the control, the status text stays whole, the
// reason is cut short with "...", and the Details button beside the control (reachable with Tab
// and its mnemonic) opens a box with the whole of it. Lives as the label's child.
#pragma once

#include <QObject>
#include <QString>

class Prompt;
class QLabel;
class QPushButton;

class CStatusArea : public QObject {
    Q_OBJECT
public:
    // prompt shows the Details box; it outlives the area.
    CStatusArea(QLabel* label, QPushButton* details, Prompt& prompt);

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
    Prompt& m_prompt;
    QString m_strStatus;
    QString m_strReason;
};
