// A dialog template run with an object of a dialog class: WM_INITDIALOG keeps the object with the
// window and calls its OnInitDialog(dialog); every later message goes to its OnMessage, which
// returns FALSE for the messages the dialog manager handles as usual. F1 asks for Help, as in
// every dialog of the program.
#pragma once

#include "win32/dialogs.h"
#include "win32/text.h"

template <typename Dialog>
INT_PTR CALLBACK ObjectDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return reinterpret_cast<Dialog*>(lParam)->OnInitDialog(dialog);
    }
    if (message == WM_HELP) {
        SendHelpFromF1(reinterpret_cast<const HELPINFO*>(lParam));
        return TRUE;
    }
    auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return self ? self->OnMessage(message, wParam, lParam) : FALSE;
}

// Runs the template nTemplate modally over owner with object; returns what EndDialog was given.
template <typename Dialog> int RunDialog(int nTemplate, HWND owner, Dialog& object) {
    return static_cast<int>(DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nTemplate),
                                            owner, ObjectDialogProc<Dialog>,
                                            reinterpret_cast<LPARAM>(&object)));
}
