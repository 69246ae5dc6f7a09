// The differences between a screen's stored settings and other settings (a kept version,
// another screen, a file or the processor), as a table: section, field, stored, other.
#pragma once

#include "control/history_compare.h"
#include "image/settings_compare.h"

#include <QDialog>

#include <string>
#include <vector>

class QLabel;
class QTableWidget;

class CDiffDlg : public QDialog {
    Q_OBJECT
public:
    // strStored and strOther say what the two sides are, e.g. "Main / Plaza / 2" and "the
    // VRX-3KM"; they head the table and name its last two columns.
    CDiffDlg(QWidget* parent, const std::string& strStored, const std::string& strOther,
             const std::vector<SettingsDifference>& differences);
    CDiffDlg(QWidget* parent, const SettingsComparison& comparison)
        : CDiffDlg(parent, comparison.m_strStored, comparison.m_strOther,
                   comparison.m_differences) {}

    QTableWidget* Table() const { return m_pTable; }
    QLabel* Summary() const { return m_pSummary; }

private:
    QLabel* m_pSummary = nullptr;
    QTableWidget* m_pTable = nullptr;
};
