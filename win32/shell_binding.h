// The window's binding until the library, selection and port controllers are bound to it: the
// window, its boxes, Help, About and the end of the run work, the open library folder is shown,
// the Add Circuit button asks for a name; every command says, in a box, that the window does not
// carry it out yet and that vrx3km-cli.exe does.
#pragma once

#include "win32/main_binding.h"

class CShellBinding : public MainDlgBinding {
public:
    void OnInitDialog(CMainDlg& dialog) override;
    void OnCommand(CMainDlg& dialog, int nId) override;
    void OnSelChangedTree(CMainDlg&) override {}
    void OnDblClkTree(CMainDlg&) override {}
    void OnActivate(CMainDlg&) override {}
    void OnTransferEnded(CMainDlg&, TransferResult) override {}
    bool CanClose(CMainDlg&) override { return true; }
};
