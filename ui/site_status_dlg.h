// The status board of a circuit, a theater or the whole library: one row per screen with its
// names, when its settings were last read, its state and its own port; sortable by any column,
// the screens that need attention marked, and Load for the chosen one.
#pragma once

#include "control/site_overview.h"

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

class CSiteStatusDlg : public QDialog {
    Q_OBJECT
public:
    // scopeText names what the rows cover ("Odeon / Main"); nOverdueDays is the age past which
    // settings count as overdue.
    CSiteStatusDlg(QWidget* parent, std::string scopeText, std::vector<StatusRow> rows,
                   int nOverdueDays);

    // The screen of the selected row, if one is selected.
    std::optional<ScreenTarget> SelectedScreen() const;
    // Selects the row of this screen.
    void SelectScreen(const ScreenTarget& target);
    // The screen Load was pressed for; the dialog has closed then.
    const std::optional<ScreenTarget>& LoadRequested() const { return m_loadRequested; }

    QTreeWidget* List() const { return m_pList; }
    QPushButton* LoadButton() const { return m_pLoad; }
    static constexpr int kStateColumn = 4;

private:
    std::vector<StatusRow> m_rows;
    QTreeWidget* m_pList = nullptr;
    QLabel* m_pSummary = nullptr;
    QPushButton* m_pLoad = nullptr;
    std::optional<ScreenTarget> m_loadRequested;
};
