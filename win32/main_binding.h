// What the main dialog's commands do. The dialog (main_dlg.h) owns the controls, their look, the
// boxes, the Help command, the About box, the transfer worker and the end of the run; a binding
// owns the rest: the profile, the library and its tree, the selection panel and which buttons a
// selection allows, the port buttons, and what Add, Delete, Edit Notes, View Configuration,
// Load, Send, Ports... and History & Compare do.
#pragma once

#include "link/transfer_sequence.h"

class CMainDlg;

class MainDlgBinding {
public:
    virtual ~MainDlgBinding() = default;
    // After the controls, the system menu item, the icons and the title exist: the profile, the
    // library scan, the tree, the panel and the saved port. The tree has the keyboard focus
    // after it.
    virtual void OnInitDialog(CMainDlg& dialog) = 0;
    // A command of the buttons 3 to 10, 1014 to 1017 (the port buttons, already checked by the
    // click), IDC_PORTS or IDC_HISTORY.
    virtual void OnCommand(CMainDlg& dialog, int nId) = 0;
    // The tree's selection changed (by the technician or by the program).
    virtual void OnSelChangedTree(CMainDlg& dialog) = 0;
    // A double click anywhere in the tree; the tree's own expanding goes on as usual.
    virtual void OnDblClkTree(CMainDlg& dialog) = 0;
    // The window became the active one: an adapter may have been unplugged meanwhile.
    virtual void OnActivate(CMainDlg& dialog) = 0;
    // A job started with CMainDlg::StartTransfer has ended (on the window's thread).
    virtual void OnTransferEnded(CMainDlg& dialog, TransferResult result) = 0;
    // Exit, Escape or the close box: false keeps the window open (notes not yet saved).
    virtual bool CanClose(CMainDlg& dialog) = 0;
};
