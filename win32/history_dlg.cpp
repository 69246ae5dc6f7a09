#include "win32/history_dlg.h"

#include "library/site_history.h"
#include "library/stored_settings.h"
#include "win32/dialog_proc.h"
#include "win32/dialogs.h"
#include "win32/resource.h"

// ---------------------------------------------------------------------------------------------
// Differences

int CDiffDlg::DoModal(HWND owner) {
    return RunDialog(IDD_DIFFERENCES, owner, *this);
}

INT_PTR CDiffDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Close, Escape, the close box; Enter too, there being nothing else to do here.
    return CloseOnlyDialogProc(m_hDialog, message, wParam, lParam);
}

BOOL CDiffDlg::OnInitDialog(HWND dialog) {
    m_hDialog = dialog;
    SetWindowTextUtf8(GetDlgItem(dialog, IDC_DIFF_SUMMARY), m_comparison.Summary());
    const HWND list = GetDlgItem(dialog, IDC_DIFF_LIST);
    m_list.Attach(list);
    m_list.SetColumns({"Section", "Field", "Stored", "Other: " + m_comparison.m_strOther});
    for (const SettingsDifference& difference : m_comparison.m_differences)
        m_list.AddRow({difference.m_strSection, DifferenceField(difference), difference.m_strFirst,
                       difference.m_strSecond});
    m_list.FitColumns();
    // Without differences the summary says it all.
    ShowWindow(list, m_comparison.m_differences.empty() ? SW_HIDE : SW_SHOW);
    if (!m_comparison.m_differences.empty()) {
        m_list.SelectOnly(0);
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
    }
    return FALSE;
}

// ---------------------------------------------------------------------------------------------
// History

CHistoryDlg::CHistoryDlg(Prompt& prompt, std::filesystem::path screenFolder, ScreenTarget screen,
                         bool bCanCompareWithProcessor)
    : m_prompt(prompt), m_screenFolder(std::move(screenFolder)), m_screen(std::move(screen)),
      m_bCanCompareWithProcessor(bCanCompareWithProcessor) {}

int CHistoryDlg::DoModal(HWND owner) {
    return RunDialog(IDD_HISTORY, owner, *this);
}

BOOL CHistoryDlg::OnInitDialog(HWND dialog) {
    m_hDialog = dialog;
    SetWindowTextUtf8(m_hDialog, "History of " + ScreenLabel(m_screen));
    m_list.Attach(GetDlgItem(m_hDialog, IDC_HISTORY_LIST));
    m_list.SetColumns({"Replaced on", "Kept as", "Checks", "Stored now"});
    EnableWindow(GetDlgItem(m_hDialog, IDC_HISTORY_PROCESSOR), m_bCanCompareWithProcessor);
    Refresh();
    SendMessageW(m_hDialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_list.Handle()), TRUE);
    return FALSE;
}

INT_PTR CHistoryDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_HISTORY_COMPARE:
            OnCompare();
            return TRUE;
        case IDC_HISTORY_COMPARE_TWO:
            OnCompareTwo();
            return TRUE;
        case IDC_HISTORY_RESTORE:
            OnRestore();
            return TRUE;
        case IDC_HISTORY_PROCESSOR:
            if (m_bCanCompareWithProcessor)
                EndDialog(m_hDialog, IDC_HISTORY_PROCESSOR);
            return TRUE;
        case IDOK:
            // Enter in the list compares the version selected, as a double click does.
            if (GetFocus() == m_list.Handle())
                OnCompare();
            return TRUE;
        case IDCANCEL:
            EndDialog(m_hDialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom != IDC_HISTORY_LIST)
            return FALSE;
        if (header->code == LVN_ITEMCHANGED)
            UpdateButtons();
        else if (header->code == NM_DBLCLK)
            OnCompare();
        return TRUE;
    }
    default:
        return FALSE;
    }
}

void CHistoryDlg::Refresh() {
    m_versions = ListHistory(m_screenFolder);
    m_list.Clear();
    for (const KeptSettings& kept : m_versions)
        m_list.AddRow({kept.m_strTime, kept.m_strName, StoredSettingsStateText(kept.m_nState),
                       kept.m_bSameAsStored ? "the same settings" : ""});
    m_list.FitColumns();
    if (!m_versions.empty())
        m_list.SelectOnly(0);
    ShowWindow(GetDlgItem(m_hDialog, IDC_HISTORY_EMPTY), m_versions.empty() ? SW_SHOW : SW_HIDE);
    UpdateButtons();
}

std::vector<std::string> CHistoryDlg::SelectedVersions() const {
    std::vector<std::string> names;
    for (const int row : m_list.SelectedRows())
        if (static_cast<std::size_t>(row) < m_versions.size())
            names.push_back(m_versions[static_cast<std::size_t>(row)].m_strName);
    return names;
}

void CHistoryDlg::UpdateButtons() {
    const std::size_t nSelected = SelectedVersions().size();
    EnableWindow(GetDlgItem(m_hDialog, IDC_HISTORY_COMPARE), nSelected == 1);
    EnableWindow(GetDlgItem(m_hDialog, IDC_HISTORY_RESTORE), nSelected == 1);
    EnableWindow(GetDlgItem(m_hDialog, IDC_HISTORY_COMPARE_TWO), nSelected == 2);
}

void CHistoryDlg::Show(const std::optional<SettingsComparison>& comparison) {
    if (!comparison)
        return;
    CDiffDlg differences(*comparison);
    differences.DoModal(m_hDialog);
}

void CHistoryDlg::OnCompare() {
    const std::vector<std::string> names = SelectedVersions();
    if (names.size() == 1)
        Show(CompareKeptWithStored(m_prompt, m_screenFolder, ScreenLabel(m_screen), names[0]));
}

void CHistoryDlg::OnCompareTwo() {
    const std::vector<std::string> names = SelectedVersions();
    // Newest first in the list: the older one is the first side.
    if (names.size() == 2)
        Show(CompareKeptVersions(m_prompt, m_screenFolder, ScreenLabel(m_screen), names[1],
                                 names[0]));
}

void CHistoryDlg::OnRestore() {
    const std::vector<std::string> names = SelectedVersions();
    if (names.size() != 1 || !RestoreKeptVersion(m_prompt, m_screenFolder, m_screen, names[0]))
        return;
    m_bRestored = true;
    Refresh();
}
