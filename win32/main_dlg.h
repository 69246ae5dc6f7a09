// The main window, template 102: the site library as a tree, the "Current Selection" panel, the
// transfer box with its bar and status text, the four serial port buttons and the command
// buttons, with the controls added beside them. What the commands do comes from a
// MainDlgBinding.
#pragma once

#include "control/launcher.h"
#include "win32/main_binding.h"
#include "win32/message_box.h"
#include "win32/status_area.h"
#include "win32/text.h"
#include "win32/transfer_worker.h"
#include "win32/tree_view.h"

#include <optional>
#include <string>

class CMainDlg : private TransferView {
public:
    // launcher starts WordPad for the Help command.
    CMainDlg(MainDlgBinding& binding, Launcher& launcher);
    ~CMainDlg() override;
    CMainDlg(const CMainDlg&) = delete;
    CMainDlg& operator=(const CMainDlg&) = delete;

    // Runs the dialog modally, with no owner, until Exit, Escape or the close box ends it.
    int DoModal();

    HWND Window() const { return m_hDialog; }
    // The control with this identifier, or null.
    HWND Control(int nId) const;
    CTreeView& Tree() { return m_tree; }
    CStatusArea& StatusArea() { return m_statusArea; }

    void SetText(int nId, const std::string& text);
    void SetProgress(int nPos);
    // Enables or disables a control; a control that loses its enabled state with the keyboard
    // focus hands the focus to the tree.
    void Enable(int nId, bool bEnable);
    bool IsEnabled(int nId) const;
    // Checks the port button nId (1014 to 1017) alone, or none (0).
    void CheckPortButton(int nId);
    // A box owned by the dialog.
    PromptAnswer Ask(const PromptRequest& request) { return AskBox(m_hDialog, request); }
    // The name dialog owned by this window, with this caption, until check accepts a name;
    // nullopt when the technician cancelled. Afterwards the keyboard focus is back here.
    std::optional<std::string> AskName(const std::string& caption,
                                       const std::function<bool(const std::string&)>& check);

    // Runs job on the worker thread: the bar, the status text and the questions follow its
    // reports, input to the window is dropped until its end, and then the binding's
    // OnTransferEnded runs. False while a transfer runs.
    bool StartTransfer(CTransferWorker::Job job, std::string sendTargetLine = {});
    // The same for a job that a runner starts on its own thread with the report it is given.
    bool StartTransfer(const CTransferWorker::ReportedStart& start);
    bool IsTransferRunning() const { return m_worker.IsRunning(); }

    // The Help command (also F1 in any of the program's dialogs), the About box.
    void OnHelp();
    void OnAbout();

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog();
    void OnCommand(int nId, int nCode, HWND control);
    LRESULT OnNotify(const NMHDR& header);
    void Close();

    void ShowProgress(int nPos) override { SetProgress(nPos); }
    void ShowStatus(const std::string& strText) override { m_statusArea.SetStatus(strText); }
    void ShowReason(const std::string& strReason) override { m_statusArea.AddReason(strReason); }
    void TransferEnded(TransferResult result) override;

    MainDlgBinding& m_binding;
    Launcher& m_launcher;
    HWND m_hDialog = nullptr;
    HICON m_hIcon = nullptr;
    HICON m_hSmallIcon = nullptr;
    CTreeView m_tree;
    CStatusArea m_statusArea;
    CTransferWorker m_worker;
    // Exit, Escape or the close box during a transfer: the window closes at its end.
    bool m_bCloseAfterTransfer = false;
};
