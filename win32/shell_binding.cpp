#include "win32/shell_binding.h"

#include "win32/main_dlg.h"
#include "win32/resource.h"

#include <vector>

namespace {

void TellNotYet(CMainDlg& dialog) {
    PromptRequest request;
    request.m_strText = "This window does not carry out this command yet: it comes with a later "
                        "release.\nUntil then vrx3km-cli.exe, installed beside this program, "
                        "does it; \"vrx3km-cli.exe --help\" lists its commands.";
    request.m_strCaption = kApplicationName;
    request.m_nIcon = PromptIcon::Exclamation;
    dialog.Ask(request);
}

std::string WorkingDirectory() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::vector<wchar_t> buffer(size + 1, L'\0');
    const DWORD length = GetCurrentDirectoryW(size + 1, buffer.data());
    return Utf8(std::wstring_view(buffer.data(), length));
}

} // namespace

void CShellBinding::OnInitDialog(CMainDlg& dialog) {
    dialog.SetText(IDC_LIBRARY, "Library: " + WorkingDirectory());
}

void CShellBinding::OnCommand(CMainDlg& dialog, int nId) {
    if (nId >= IDC_COM1 && nId <= IDC_COM4)
        dialog.CheckPortButton(0);
    if (nId == IDC_ADD_CIRCUIT) {
        dialog.AskName("Add Theater Circuit Name", [&dialog](const std::string&) {
            TellNotYet(dialog);
            return true;
        });
        return;
    }
    TellNotYet(dialog);
}
