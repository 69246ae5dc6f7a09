// The main window: the site library as a tree, the "Current Selection" panel, the transfer box,
// the four serial port buttons and the command buttons. A view over controllers: the widgets and
// their layout are CMainView's, the tree's binding to the library CSiteTree's; what the commands
// do is the Qt-free controllers' (control/), which act on the selection resolved when a command
// starts. This class keeps the handlers and wires the parts together.
#pragma once

#include "control/library_folder_control.h"
#include "control/port_line.h"
#include "control/selection_state.h"
#include "control/site_commands.h"
#include "control/transfer_runner.h"
#include "library/site_library.h"
#include "library/site_storage.h"
#include "ui/compare_windows.h"
#include "ui/library_binding.h"
#include "ui/library_place.h"
#include "ui/main_view.h"
#include "ui/port_buttons.h"
#include "ui/prompt.h"
#include "ui/site_tree.h"
#include "ui/team_windows.h"
#include "ui/window_transfers.h"

#include <QDialog>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

class CSerialPort;
class FrameCodec;
class QMenu;
struct PortSettings;
struct SettingsImage;

class CMainDlg : public QDialog {
    Q_OBJECT
public:
    using NameCheck = ::NameCheck;
    using NameSource = ::NameSource;

    // The objects of the program's run, made where it starts: the port with the codec that frames
    // its messages, the settings image, the port choice with the profile's path, the library, the
    // message boxes and the desktop's programs. They outlive the dialog.
    CMainDlg(CSerialPort& port, FrameCodec& codec, SettingsImage& image, PortSettings& portSettings,
             SiteLibrary& library, WindowPrompt& boxes, Launcher& launcher,
             QWidget* parent = nullptr);
    ~CMainDlg() override;

    // Everything the initialisation does after the controls exist: title, profile, library
    // scan, tree, panel and the saved port. exec() runs it first.
    void InitDialog();
    int exec() override;

    // Where Add asks for names; by default a CNameDlg, which stays open with the typed text
    // after a refusal.
    void SetNameSource(NameSource source) { m_nameSource = std::move(source); }
    // How the port is opened and probed; by default the program's port (control/port_line.h).
    void SetPortOpener(CPortLine::Opener opener) { m_portLine.SetOpener(std::move(opener)); }
    void SetPortState(CPortLine::Probe probe) { m_portLine.SetProbe(std::move(probe)); }
    // Where the technician's name is asked; by default a dialog over the window.
    void SetTechnicianAsker(CTeamWindows::NameAsker asker) {
        m_team.SetNameAsker(std::move(asker));
    }
    // The site status board, the backup, the conflicts and the technician's name.
    CTeamWindows& Team() { return m_team; }

    // The control with this identifier, or null.
    QWidget* Control(int id) const { return m_view.Control(id); }
    QTreeWidget* Tree() const { return m_view.Tree(); }
    CStatusArea* StatusArea() const { return m_view.StatusArea(); }
    SiteLibrary& Library() { return m_library; }
    // The state the last UpdateSelectionFlags worked out: the five flags, the panel's texts and
    // what the commands may do.
    const SelectionState& Selection() const { return m_selection; }

    // Selection panel. GetSelectedLevel selects the tree's first item when none is selected and
    // makes the selected item's entry current in the library.
    SiteLevel GetSelectedLevel();
    // The selected tree item's entry resolved into a value (level None when nothing is
    // selected); moves no cursor.
    SiteSelection SelectedSite() const { return m_tree.SelectedSite(m_library); }
    void UpdateSelectionFlags();
    bool GetSettingsTime(std::string& strDate, std::string& strTime);
    void UpdateSelectionPanel(bool bReset);
    void ResetProgress() { m_view.ResetProgress(); }
    void FillTree() { m_tree.Fill(m_library); }

    // Port selection.
    void SelectPort(int index) { m_portButtons.Select(index); }
    void OpenSavedPort() { m_portButtons.OpenSaved(); }
    // The serial ports dialog; after OK the checked port is opened again on its device.
    void OnPorts() {
        m_portButtons.OnPorts(SelectedScreen(), m_storage.Root());
        UpdateSelectionPanel(false); // the selected screen's own port may have changed
    }
    // Shows the checked port's device and whether it is open.
    void UpdatePortState() { m_portButtons.Show(); }
    // Runs when the window becomes the active one: a port shown open whose device has gone is
    // opened again, and the port line shows what is true now.
    void ProbePort() {
        if (!IsTransferRunning())
            m_portButtons.Probe();
    }

    // Commands.
    void OnAddCircuit() { AddEntry(SiteLevel::Circuit, nullptr); }
    void OnAddTheater();
    void OnAddScreen();
    void OnEditNotes();
    void OnViewConfiguration();
    void OnHelp();
    void OnDelete();
    bool ConfirmDelete(SiteLevel level);
    void OnDblClkTree();
    void OnSelChangedTree();
    void OnLoadSettings() { StartTransfer(TransferKind::Load); }
    void OnSendSettings() { StartTransfer(TransferKind::Send); }
    // Reads the processor into an image of its own and shows how it differs from the selected
    // screen's stored settings. Writes nothing anywhere.
    void OnCompareWithProcessor() { StartTransfer(TransferKind::Compare); }
    // The selected screen's History; comparisons with another screen or with a file.
    void OnHistory();
    void OnCompareWithScreen();
    void OnCompareWithFile() { m_compare.CompareWithFile(SelectedScreen()); }
    // The site status board, the backup of many screens and the selected screen's conflicts, for
    // the selection's circuit or theater (control/site_overview.h).
    void OnSiteStatus() {
        m_team.OnSiteStatus(SelectedSite());
        GetSelectedLevel(); // the listing walked the library's cursors
    }
    void OnBackUpScreens();
    void OnVisitRecord() {
        m_team.OnVisitRecord(SelectedSite());
        GetSelectedLevel(); // the record walked the library's cursors
    }
    void OnSettleConflicts();
    // Selects the screen of these names in the tree and starts its Load (the status board's
    // Load); does nothing when the tree no longer holds it.
    void LoadScreen(const ScreenTarget& target);
    QMenu* HistoryMenu() const { return m_view.HistoryMenu(); }
    // The result of the last transfer that ended.
    TransferResult LastTransferResult() const { return m_transfers.LastResult(); }
    // Disables the commands a transfer must not meet: Load, Send, the three Add buttons, the
    // four port buttons and History & Compare. UnlockControls enables Add Circuit, the port
    // buttons and History & Compare again; the others follow the selection
    // (UpdateSelectionPanel).
    void LockControls() { m_view.LockForTransfer(); }
    void UnlockControls() { m_view.UnlockAfterTransfer(); }
    // True from the start of a transfer until its normal end has been shown.
    bool IsTransferRunning() const { return m_transfers.IsRunning(); }
    // Waits, keeping the window painted, until no transfer runs.
    void WaitForTransferEnd();

    // A close asked for while a transfer runs waits for the transfer's end.
    void reject() override;

    // The window menu's "&About 3km..." (the dialog's context menu).
    QAction* AboutAction() const { return m_view.AboutAction(); }

    // The library folder. OpenLibrary makes folder the working directory and shows its library:
    // profile and port, rescan, tree, panel. False, after saying why, when the folder cannot be
    // entered. OpenLibraryFolder first asks whether a folder that holds no library is to be
    // opened as one. OnOpenLibrary lets the technician choose the folder (Ctrl+O) and remembers
    // the library opened.
    bool OpenLibrary(const std::filesystem::path& folder);
    bool OpenLibraryFolder(const std::filesystem::path& folder);
    void OnOpenLibrary();
    // Rescans the library and refills the tree, keeping the selected entry (by its names) and
    // the opened items where they still exist (F5). Does nothing while a transfer runs.
    void Refresh();
    // True when another program added, removed or renamed an entry since the tree was last
    // filled or changed by a command.
    bool LibraryChangedOnDisk() const { return m_libraryFolder.ChangedOnDisk(); }
    QAction* OpenLibraryAction() const { return m_view.OpenLibraryAction(); }
    QAction* RefreshAction() const { return m_view.RefreshAction(); }

signals:
    // A transfer reached its normal end: the panel is refreshed and the controls unlocked.
    void TransferEnded();

protected:
    // A double click anywhere in the tree, empty space included, acts on the selected item.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Activation after the library changed on disk rescans it.
    void changeEvent(QEvent* event) override;
#ifdef Q_OS_WIN
    // The About item of the system menu.
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

private:
    void ConnectControls();
    void OnAbout();
    // Asks for the name of an entry of that level and adds it below parent's entry (a circuit
    // when parent is null); the new item is selected. An Add that added nothing leaves the tree
    // as it was and the library's selection that of the selected item.
    void AddEntry(SiteLevel level, QTreeWidgetItem* parent);
    // The selected screen as a transfer's target; nullopt when no screen is selected.
    std::optional<ScreenTarget> SelectedScreen() const;
    // Runs the job on the worker thread for the selected screen; EndTransfer follows on the
    // window's thread.
    void StartTransfer(TransferKind kind);
    void EndTransfer(TransferResult result);
    void UpdateHistoryMenu();

    PortSettings& m_portSettings;
    SiteLibrary& m_library;
    Launcher& m_launcher;
    // The boxes of the controllers, over this window or the modal dialog above it.
    CPromptOver m_prompt;
    CSiteStorage m_storage;
    CMainView m_view;
    CSiteTree m_tree;
    SelectionState m_selection;
    CPortLine m_portLine;
    CPortButtons m_portButtons;
    CSiteCommands m_siteCommands;
    CCompareWindows m_compare;
    CWindowTransfers m_transfers;
    CLibraryPlace m_place;
    CLibraryFolderControl m_libraryFolder;
    CLibraryBinding m_libraryWindow;
    CTeamWindows m_team;
    NameSource m_nameSource;
    // Set while an Add runs: the library must not be rescanned under it.
    bool m_bAdding = false;
    bool m_bCloseAfterTransfer = false;
};
