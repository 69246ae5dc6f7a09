// The copies a sync engine left beside a screen's files after a conflict, and settling each: a
// copy of the stored settings compared with the current ones and either kept (the other goes to
// History), the notes merged with the other version in the notes editor so that no line is lost,
// a copy of the report or of a log settled without a choice.
#pragma once

#include "image/settings_store.h"
#include "library/conflict_resolve.h"
#include "ui/prompt.h"

#include <QDialog>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

class CConflictDlg : public QDialog {
    Q_OBJECT
public:
    CConflictDlg(QWidget* parent, WindowPrompt& boxes, std::filesystem::path screenFolder,
                 ScreenTarget target);

    void Refresh();
    // The copy selected in the list; nullopt when none is.
    std::optional<ConflictCopy> SelectedCopy() const;
    void SelectCopy(const std::string& path);
    // The differences between the current stored settings and the selected copy of them.
    void OnCompare();
    // The notes in the program's notes editor with the selected copy of them below to merge.
    void OnMergeNotes();
    // The selected copy and the file it is a copy of, each in a viewer of its own.
    void OnOpenBoth();
    // Settles the selected copy, keeping that version (nullopt: a copy that needs no choice).
    // True when settled; a refusal is said in a box.
    bool Settle(std::optional<KeepVersion> keep);
    // True once a copy was settled: the main window shows the screen anew.
    bool Changed() const { return m_bChanged; }

    QTreeWidget* List() const { return m_pList; }
    QLabel* Outcome() const { return m_pOutcome; }

private:
    void UpdateButtons();

    CPromptOver m_prompt;
    WindowPrompt& m_boxes;
    std::filesystem::path m_screenFolder;
    ScreenTarget m_target;
    std::vector<ConflictCopy> m_copies;
    QTreeWidget* m_pList = nullptr;
    QLabel* m_pOutcome = nullptr;
    QPushButton* m_pCompare = nullptr;
    QPushButton* m_pOpenBoth = nullptr;
    QPushButton* m_pMergeNotes = nullptr;
    QPushButton* m_pKeepCurrent = nullptr;
    QPushButton* m_pKeepOther = nullptr;
    QPushButton* m_pMerge = nullptr;
    bool m_bChanged = false;
};
