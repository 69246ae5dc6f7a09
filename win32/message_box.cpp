#include "win32/message_box.h"
#include "win32/config_app.h"

#include <utility>

namespace {

// The Yes and No of a Yes/No/Cancel box, renamed while the box is created.
HHOOK g_renameHook = nullptr;

LRESULT CALLBACK RenameButtons(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        SetDlgItemTextW(box, IDYES, L"&Save");
        SetDlgItemTextW(box, IDNO, L"Do&n't Save");
    }
    return CallNextHookEx(g_renameHook, code, wParam, lParam);
}

UINT BoxType(const PromptRequest& request) {
    UINT type = MB_APPLMODAL;
    switch (request.m_nButtons) {
    case PromptButtons::Ok:
        type |= MB_OK;
        break;
    case PromptButtons::OkCancel:
        type |= MB_OKCANCEL | (request.m_bCancelDefault ? MB_DEFBUTTON2 : 0u);
        break;
    case PromptButtons::SaveDiscardCancel:
        type |= MB_YESNOCANCEL | (request.m_bCancelDefault ? MB_DEFBUTTON3 : 0u);
        break;
    }
    switch (request.m_nIcon) {
    case PromptIcon::None:
        break;
    case PromptIcon::Exclamation:
        type |= MB_ICONEXCLAMATION;
        break;
    case PromptIcon::Stop:
        type |= MB_ICONHAND;
        break;
    }
    return type;
}

} // namespace

PromptAnswer AskBox(HWND owner, const PromptRequest& request) {
    const bool bRename = request.m_nButtons == PromptButtons::SaveDiscardCancel;
    if (bRename)
        g_renameHook = SetWindowsHookExW(WH_CBT, RenameButtons, nullptr, GetCurrentThreadId());
    // An empty caption stays empty: the box's title bar shows no text, not the program's name.
    const int answer = MessageBoxW(owner, Wide(request.m_strText).c_str(),
                                   Wide(request.m_strCaption).c_str(), BoxType(request));
    if (bRename && g_renameHook) {
        UnhookWindowsHookEx(g_renameHook);
        g_renameHook = nullptr;
    }
    // The box's results are the answers' own numbers: OK 1, Cancel 2, Yes (Save) 6, No 7.
    switch (answer) {
    case IDOK:
        return PromptAnswer::Ok;
    case IDYES:
        return PromptAnswer::Save;
    case IDNO:
        return PromptAnswer::Discard;
    default:
        return PromptAnswer::Cancel;
    }
}

PromptRequest FileErrorRequest(const std::string& message) {
    PromptRequest request;
    request.m_strText = message;
    request.m_strCaption = kApplicationName;
    request.m_nIcon = PromptIcon::Stop;
    return request;
}

void ShowFileError(HWND owner, const std::string& message) {
    AskBox(owner, FileErrorRequest(message));
}

PromptAnswer CBoxPrompt::Ask(const PromptRequest& request) {
    HWND owner = GetActiveWindow();
    if (!owner)
        owner = MainWindow();
    return AskBox(owner, request);
}
