// History & Compare in the Windows window: a screen's History (the versions kept each time its
// stored settings were replaced, in a list view), Restore with its question, the comparisons of a
// version with the stored settings and of two versions, the way to a comparison with the VRX-3KM,
// and the table of differences every comparison shows. The rules are control/history_compare's.
#pragma once

#include "control/history_compare.h"
#include "library/site_history.h"
#include "win32/list_view.h"
#include "win32/text.h"

#include <filesystem>
#include <string>
#include <vector>

// The differences of a comparison: what was compared, how many differences, and the table of
// section, field, stored value and other value.
class CDiffDlg {
public:
    explicit CDiffDlg(SettingsComparison comparison) : m_comparison(std::move(comparison)) {}
    int DoModal(HWND owner);

    // The dialog's messages (ObjectDialogProc).
    BOOL OnInitDialog(HWND dialog);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    SettingsComparison m_comparison;
    HWND m_hDialog = nullptr;
    CListView m_list;
};

class CHistoryDlg {
public:
    // The screen's History in screenFolder; prompt asks and tells over the dialog. A comparison
    // with the VRX-3KM is offered when bCanCompareWithProcessor (the screen has stored settings).
    CHistoryDlg(Prompt& prompt, std::filesystem::path screenFolder, ScreenTarget screen,
                bool bCanCompareWithProcessor);

    // IDCANCEL, or IDC_HISTORY_PROCESSOR when the technician asked for the comparison with the
    // VRX-3KM, which the window then runs as a transfer.
    int DoModal(HWND owner);
    // True once a Restore changed the stored settings.
    bool Restored() const { return m_bRestored; }

    // The dialog's messages (ObjectDialogProc).
    BOOL OnInitDialog(HWND dialog);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    void Refresh();
    void UpdateButtons();
    // The names of the versions selected, newest first.
    std::vector<std::string> SelectedVersions() const;
    void OnCompare();
    void OnCompareTwo();
    void OnRestore();
    void Show(const std::optional<SettingsComparison>& comparison);

    Prompt& m_prompt;
    std::filesystem::path m_screenFolder;
    ScreenTarget m_screen;
    bool m_bCanCompareWithProcessor;
    std::vector<KeptSettings> m_versions;
    HWND m_hDialog = nullptr;
    CListView m_list;
    bool m_bRestored = false;
};
