#include "win32/status_area.h"

#include "win32/message_box.h"

#include <sstream>
#include <vector>

namespace {

// The static control takes "&" for a mnemonic: a device path or file name keeps its own.
std::wstring Shown(const std::string& text) {
    std::wstring out;
    for (wchar_t c : Wide(text)) {
        if (c == L'&')
            out += L'&';
        if (c == L'\n')
            out += L'\r';
        out += c;
    }
    return out;
}

} // namespace

void CStatusArea::Attach(HWND status, HWND details) {
    m_hStatus = status;
    m_hDetails = details;
    ShowWindow(m_hDetails, SW_HIDE);
}

void CStatusArea::SetStatus(const std::string& strStatus) {
    m_strStatus = strStatus;
    m_strReason.clear();
    Show();
}

void CStatusArea::AddReason(const std::string& strReason) {
    m_strReason = m_strReason.empty() ? strReason : m_strReason + "\n" + strReason;
    Show();
}

bool CStatusArea::Fits(const std::wstring& text) const {
    RECT room;
    GetClientRect(m_hStatus, &room);
    RECT needed = room;
    const HDC dc = GetDC(m_hStatus);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(m_hStatus, WM_GETFONT, 0, 0)));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
              DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL);
    SelectObject(dc, old);
    ReleaseDC(m_hStatus, dc);
    return needed.bottom - needed.top <= room.bottom - room.top &&
           needed.right - needed.left <= room.right - room.left;
}

void CStatusArea::Show() {
    if (!m_hStatus)
        return;
    const std::string whole = m_strReason.empty() ? m_strStatus : m_strStatus + "\n" + m_strReason;
    if (m_strReason.empty() || Fits(Shown(whole))) {
        SetWindowTextW(m_hStatus, Shown(whole).c_str());
        ShowWindow(m_hDetails, SW_HIDE);
        return;
    }
    // As many of the reason's words as fit after the status text, then "...".
    std::vector<std::string> words;
    std::istringstream stream(m_strReason);
    for (std::string word; stream >> word;)
        words.push_back(word);
    std::string cut = m_strStatus;
    std::string taken;
    for (const std::string& word : words) {
        taken += (taken.empty() ? "" : " ") + word;
        const std::string candidate = m_strStatus + "\n" + taken + "\xE2\x80\xA6";
        if (!Fits(Shown(candidate)))
            break;
        cut = candidate;
    }
    SetWindowTextW(m_hStatus, Shown(cut).c_str());
    ShowWindow(m_hDetails, SW_SHOWNA);
}

void CStatusArea::ShowDetails() {
    PromptRequest request;
    request.m_strText = m_strStatus + "\n\n" + m_strReason;
    request.m_strCaption = kApplicationName;
    request.m_nIcon = PromptIcon::Exclamation;
    AskBox(GetAncestor(m_hStatus, GA_ROOT), request);
}
