// The transfer status control: the status text, then the reason on a line of its own. When they
// do not fit the control, the status text stays whole, the reason is cut short with "...", and
// the Details button beside the control (reachable with Tab and its mnemonic) opens a box with
// the whole of it.
#pragma once

#include "win32/text.h"

#include <string>

class CStatusArea {
public:
    void Attach(HWND status, HWND details);

    // A new status text; the reason of the last one goes.
    void SetStatus(const std::string& strStatus);
    // A reason after the status text; a second one follows the first on a line of its own.
    void AddReason(const std::string& strReason);
    void Clear() { SetStatus(std::string()); }
    const std::string& Status() const { return m_strStatus; }
    const std::string& Reason() const { return m_strReason; }
    // The box with the status text and the whole reason.
    void ShowDetails();

private:
    void Show();
    bool Fits(const std::wstring& text) const;

    HWND m_hStatus = nullptr;
    HWND m_hDetails = nullptr;
    std::string m_strStatus;
    std::string m_strReason;
};
