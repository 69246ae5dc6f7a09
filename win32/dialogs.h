// The About box and the name dialog of the Add commands.
#pragma once

#include "win32/bitmap_button.h"
#include "win32/text.h"

#include <functional>
#include <string>

// The About box, template 100: the icon, the version and OK.
class CAboutDlg {
public:
    int DoModal(HWND owner);

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};

// The name dialog, template 103: one field of at most 32 characters, OK enabled only while the
// field holds text, OK and Cancel drawn from bitmaps.
class CNameDlg {
public:
    // Called with the typed name (UTF-8) when OK is pressed; true accepts it and ends the dialog.
    // A check that refuses has told the technician why: the dialog stays open with the text,
    // selected, for correction.
    using NameCheck = std::function<bool(const std::string& name)>;

    // The caption, set before the dialog runs.
    void SetCaption(std::string strCaption) { m_strCaption = std::move(strCaption); }
    void SetCheck(NameCheck check) { m_check = std::move(check); }
    // The name taken by OK; empty until then.
    const std::string& Name() const { return m_strName; }

    // Runs the dialog modally over owner (the main dialog): IDOK with the name taken, or IDCANCEL
    // (Cancel, Escape, the close box) with the name untouched.
    int DoModal(HWND owner);

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog();
    void OnChangeName();
    void OnOK();
    void KeepTextForCorrection();

    std::string m_strCaption;
    std::string m_strName;
    NameCheck m_check;
    HWND m_hDialog = nullptr;
    CBitmapButton m_ok;
    CBitmapButton m_cancel;
};

// The messages of a dialog that only shows something: OK, Enter, Escape and the close box end it
// (with IDOK or IDCANCEL), F1 asks for Help.
INT_PTR CALLBACK CloseOnlyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// F1 without Shift, Ctrl or Alt: the Help command goes to the main window, from any of the
// program's dialogs. True when the key was F1 alone.
bool SendHelpFromF1(const HELPINFO* info);

// A dialog's answer to WM_SETCURSOR: while bBusy (a transfer or a search runs) the wait cursor
// over the whole dialog and TRUE; otherwise FALSE, the usual cursors.
INT_PTR BusyCursor(HWND dialog, bool bBusy);
