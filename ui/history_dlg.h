// A screen's History: the settings kept each time its Vrx.cfg was replaced, newest first, the one
// that holds the same settings as Vrx.cfg marked, with a comparison of any of them with the
// current stored settings or of two of them with each other, and Restore; below them the screen's
// log of who did what, the lines of every computer merged by time.
#pragma once

#include "library/site_history.h"
#include "ui/prompt.h"

#include <QDialog>

#include <filesystem>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

class CHistoryDlg : public QDialog {
    Q_OBJECT
public:
    // names: circuit, theater and screen of the screen whose folder this is. boxes asks and
    // tells over the dialog.
    CHistoryDlg(QWidget* parent, WindowPrompt& boxes, std::filesystem::path screenFolder,
                std::vector<std::string> names);

    // Fills the list from the History folder.
    void Refresh();
    // The version selected in the list, or "" unless exactly one is.
    std::string SelectedVersion() const;
    // The versions selected, newest first.
    std::vector<std::string> SelectedVersions() const;
    // Selects the version of that name alone; with bAdd, besides those already selected.
    void SelectVersion(const std::string& name, bool bAdd = false);
    // Shows the differences between the selected version and the stored settings.
    void OnCompare();
    // Shows the differences between the two selected versions, the older one first.
    void OnCompareTwo();
    // Asks, then puts the selected version back as the stored settings (the replaced ones are
    // kept in turn). True when it was restored.
    bool OnRestore();
    // True once a Restore changed the stored settings.
    bool Restored() const { return m_bRestored; }

    QTreeWidget* List() const { return m_pList; }
    QTreeWidget* Log() const { return m_pLog; }
    // The column that marks the version holding the stored settings.
    static constexpr int kSameColumn = 3;

private:
    void UpdateButtons();
    void FillLog();
    std::string ScreenText() const;

    CPromptOver m_prompt;
    std::filesystem::path m_screenFolder;
    std::vector<std::string> m_names;
    std::vector<KeptSettings> m_versions;
    QTreeWidget* m_pList = nullptr;
    QLabel* m_pEmpty = nullptr;
    QTreeWidget* m_pLog = nullptr;
    QLabel* m_pLogNote = nullptr;
    QPushButton* m_pCompare = nullptr;
    QPushButton* m_pCompareTwo = nullptr;
    QPushButton* m_pRestore = nullptr;
    bool m_bRestored = false;
};
