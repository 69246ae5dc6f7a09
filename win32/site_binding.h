// The main dialog bound to the controllers of control/, as the Qt window binds them: the library
// read from the library folder into the tree, the selection's state enabling the controls and
// filling the panel, Add through the name dialog, Delete with its question, the port buttons and
// the port line, Load and Send on the transfer worker, Edit Notes and View Configuration in the
// text editor. The rules are the controllers'; this class only carries their results to the
// dialog's controls.
#pragma once

#include "control/library_folder_control.h"
#include "control/port_line.h"
#include "control/selection_state.h"
#include "control/site_commands.h"
#include "control/transfer_runner.h"
#include "image/settings_image.h"
#include "library/site_library.h"
#include "library/site_storage.h"
#include "link/frame_codec.h"
#include "link/profile.h"
#include "link/serial_port.h"
#include "win32/main_binding.h"

#include <optional>

// The library folder is the working directory, entered before the window opens (CConfigApp);
// the window keeps no library used last.
class CWorkingFolder : public LibraryPlace {
public:
    bool Enter(const std::filesystem::path& folder, std::string& strError) override;
    void Remember(const std::filesystem::path&) override {}
};

class CSiteBinding : public MainDlgBinding {
public:
    // The boxes and the desktop's programs of the whole run; both outlive the binding.
    CSiteBinding(Prompt& prompt, Launcher& launcher);

    void OnInitDialog(CMainDlg& dialog) override;
    void OnCommand(CMainDlg& dialog, int nId) override;
    void OnSelChangedTree(CMainDlg& dialog) override;
    void OnDblClkTree(CMainDlg& dialog) override;
    void OnActivate(CMainDlg& dialog) override;
    void OnTransferEnded(CMainDlg& dialog, TransferResult result) override;
    bool CanClose(CMainDlg&) override { return true; }

private:
    void FillTree(CMainDlg& dialog);
    // Reads the library again, keeping the selected entry and the open items where they are
    // still there (another program added, removed or renamed entries).
    void Refresh(CMainDlg& dialog);
    // The selected item's entry (level None when nothing is selected); the first item is
    // selected when none is.
    SiteSelection SelectedSite(CMainDlg& dialog);
    void UpdateSelectionPanel(CMainDlg& dialog, bool bReset);
    void Enable(CMainDlg& dialog, MainCommand command, bool bEnable);
    void ShowPortLine(CMainDlg& dialog);
    void ShowPortProblem(CMainDlg& dialog);
    void SelectPort(CMainDlg& dialog, int index);
    void OnPorts(CMainDlg& dialog);
    void OnHistory(CMainDlg& dialog);
    void AddEntry(CMainDlg& dialog, SiteLevel level);
    void OnDelete(CMainDlg& dialog);
    void ShowOpening(const Opening& opening);
    void StartTransfer(CMainDlg& dialog, TransferKind kind, std::optional<ScreenTarget> target);

    Prompt& m_prompt;
    CSerialPort m_port;
    FrameCodec m_codec;
    SettingsImage m_image;
    PortSettings m_portSettings;
    SiteLibrary m_library;
    CSiteStorage m_storage;
    SelectionState m_selection;
    CPortLine m_portLine;
    CTransferRunner m_runner;
    CSiteCommands m_siteCommands;
    CWorkingFolder m_workingFolder;
    CLibraryFolderControl m_libraryFolder;
    // While a command runs (its boxes and dialogs give the window back its activation), and while
    // the tree is filled again: the library is not read again and the selection's changes are
    // not shown one by one.
    bool m_bInCommand = false;
    bool m_bRefilling = false;
};
