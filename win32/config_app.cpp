#include "win32/config_app.h"

#include "win32/main_dlg.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

namespace {

HWND g_hMainWindow = nullptr;

void Tell(const std::string& text, PromptIcon icon) {
    PromptRequest request;
    request.m_strText = text;
    request.m_strCaption = kApplicationName;
    request.m_nIcon = icon;
    AskBox(nullptr, request);
}

std::string SystemReason(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason = length ? std::wstring(text, length) : L"error " + std::to_wstring(error);
    if (text)
        LocalFree(text);
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' ||
                               reason.back() == L'.' || reason.back() == L' '))
        reason.pop_back();
    return Utf8(reason);
}

} // namespace

HWND MainWindow() {
    return g_hMainWindow;
}

void SetMainWindow(HWND window) {
    g_hMainWindow = window;
}

int CConfigApp::InitInstance(MainDlgBinding& binding, Launcher& launcher) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_TREEVIEW_CLASSES |
                                                          ICC_PROGRESS_CLASS |
                                                          ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring folder = args && count == 2 ? args[1] : L"";
    const bool bUsage = count > 2 || (count == 2 && (folder.empty() || folder[0] == L'-'));
    if (args)
        LocalFree(args);
    if (bUsage) {
        Tell("Usage: vrx3km.exe [LIBRARY]\nOpens the library folder LIBRARY; without it the "
             "working directory.",
             PromptIcon::None);
        return 2;
    }
    // The library is the working directory: every path of the library is relative to it.
    if (!folder.empty() && !SetCurrentDirectoryW(folder.c_str())) {
        Tell("The library folder " + Utf8(folder) +
                 " could not be opened: " + SystemReason(GetLastError()) +
                 ".\nCheck the folder's name and start the program "
                 "again.",
             PromptIcon::Stop);
        return 1;
    }
    CMainDlg dialog(binding, launcher);
    dialog.DoModal();
    return 0;
}
