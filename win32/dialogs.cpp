#include "win32/dialogs.h"

#include "library/site_name.h"
#include "win32/config_app.h"
#include "win32/message_box.h"
#include "win32/resource.h"

#include <string>

namespace {

// Characters as the technician sees them: code points, not UTF-16 units.
std::size_t CharacterCount(const std::wstring& text) {
    std::size_t count = 0;
    for (wchar_t c : text)
        if (c < 0xDC00 || c > 0xDFFF)
            ++count;
    return count;
}

bool IsModifierDown() {
    return GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
}

} // namespace

bool SendHelpFromF1(const HELPINFO* info) {
    if (info && info->iContextType == HELPINFO_MENUITEM)
        return false;
    if (IsModifierDown())
        return false;
    if (HWND main = MainWindow())
        PostMessageW(main, WM_COMMAND, MAKEWPARAM(ID_HELP, BN_CLICKED), 0);
    return true;
}

// ---------------------------------------------------------------------------------------------
// About box

int CAboutDlg::DoModal(HWND owner) {
    return static_cast<int>(DialogBoxParamW(GetModuleHandleW(nullptr),
                                            MAKEINTRESOURCEW(IDD_ABOUTBOX), owner, DialogProc, 0));
}

INT_PTR CALLBACK CAboutDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return CloseOnlyDialogProc(dialog, message, wParam, lParam);
}

INT_PTR CALLBACK CloseOnlyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    case WM_HELP:
        SendHelpFromF1(reinterpret_cast<const HELPINFO*>(lParam));
        return TRUE;
    default:
        return FALSE;
    }
}

// ---------------------------------------------------------------------------------------------
// Name dialog

int CNameDlg::DoModal(HWND owner) {
    return static_cast<int>(DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_NAME),
                                            owner, DialogProc, reinterpret_cast<LPARAM>(this)));
}

INT_PTR CALLBACK CNameDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        auto* self = reinterpret_cast<CNameDlg*>(lParam);
        self->m_hDialog = dialog;
        return self->OnInitDialog();
    }
    auto* self = reinterpret_cast<CNameDlg*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_NAME:
            if (HIWORD(wParam) == EN_CHANGE)
                self->OnChangeName();
            return TRUE;
        case IDOK:
            self->OnOK();
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->hwndItem == self->m_ok.Handle())
            self->m_ok.DrawItem(*item);
        else if (item->hwndItem == self->m_cancel.Handle())
            self->m_cancel.DrawItem(*item);
        else
            return FALSE;
        return TRUE;
    }
    case WM_HELP:
        SendHelpFromF1(reinterpret_cast<const HELPINFO*>(lParam));
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CNameDlg::OnInitDialog() {
    const HWND edit = GetDlgItem(m_hDialog, IDC_NAME);
    SetWindowTextUtf8(edit, m_strName);
    // The field refuses typing or pasting beyond the limit.
    SendMessageW(edit, EM_LIMITTEXT, kMaxSiteNameLength, 0);
    m_ok.AutoLoad(GetDlgItem(m_hDialog, IDOK), "OK");
    m_ok.SizeToContent();
    m_cancel.AutoLoad(GetDlgItem(m_hDialog, IDCANCEL), "Cancel");
    m_cancel.SizeToContent();
    SetWindowTextUtf8(m_hDialog, m_strCaption);
    OnChangeName();
    // The keyboard focus goes to the first tab stop, the field.
    return TRUE;
}

void CNameDlg::OnChangeName() {
    EnableWindow(GetDlgItem(m_hDialog, IDOK),
                 GetWindowTextLengthW(GetDlgItem(m_hDialog, IDC_NAME)) > 0);
}

void CNameDlg::OnOK() {
    // Enter in the field asks for OK even while the button is disabled.
    if (!IsWindowEnabled(GetDlgItem(m_hDialog, IDOK)))
        return;
    const HWND edit = GetDlgItem(m_hDialog, IDC_NAME);
    const std::string text = WindowText(edit);
    if (CharacterCount(Wide(text)) > kMaxSiteNameLength) {
        PromptRequest request;
        request.m_strText =
            "Please enter no more than " + std::to_string(kMaxSiteNameLength) + " characters.";
        request.m_strCaption = kApplicationName;
        request.m_nIcon = PromptIcon::Exclamation;
        AskBox(m_hDialog, request);
        KeepTextForCorrection();
        return;
    }
    if (m_check && !m_check(text)) {
        KeepTextForCorrection();
        return;
    }
    m_strName = text;
    EndDialog(m_hDialog, IDOK);
}

void CNameDlg::KeepTextForCorrection() {
    const HWND edit = GetDlgItem(m_hDialog, IDC_NAME);
    SendMessageW(m_hDialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
    SendMessageW(edit, EM_SETSEL, 0, -1);
}

INT_PTR BusyCursor(HWND dialog, bool bBusy) {
    if (!bBusy)
        return FALSE;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
    return TRUE;
}
