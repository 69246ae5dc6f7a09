#include "win32/site_binding.h"

#include "control/history_compare.h"
#include "control/ports_control.h"
#include "library/screen_store.h"
#include "library/site_order.h"
#include "win32/history_dlg.h"
#include "win32/main_dlg.h"
#include "win32/ports_dlg.h"
#include "win32/resource.h"

#include <utility>

namespace {

// The depth of a tree item: 1 for a circuit, 2 for a theater, 3 for a screen.
int Depth(CTreeView& tree, HTREEITEM item) {
    int depth = 0;
    for (; item; item = tree.Parent(item))
        ++depth;
    return depth;
}

// The selected item, or its parent at that level (null above the selection).
HTREEITEM SelectedAt(CTreeView& tree, SiteLevel level) {
    HTREEITEM item = tree.Selected();
    while (item && Depth(tree, item) > static_cast<int>(level))
        item = tree.Parent(item);
    return item && Depth(tree, item) == static_cast<int>(level) ? item : nullptr;
}

int ControlOf(MainCommand command) {
    switch (command) {
    case MainCommand::AddCircuit:
        return IDC_ADD_CIRCUIT;
    case MainCommand::AddTheater:
        return IDC_ADD_THEATER;
    case MainCommand::AddScreen:
        return IDC_ADD_SCREEN;
    case MainCommand::Load:
        return IDC_LOAD;
    case MainCommand::Send:
        return IDC_SEND;
    case MainCommand::Delete:
        return IDC_DELETE;
    case MainCommand::ViewConfiguration:
        return IDC_VIEW_CONFIGURATION;
    case MainCommand::EditNotes:
        return IDC_EDIT_NOTES;
    case MainCommand::Help:
        return ID_HELP;
    case MainCommand::Ports:
        return IDC_PORTS;
    case MainCommand::HistoryMenu:
        return IDC_HISTORY;
    default:
        // The port buttons are four; the History & Compare menu is not in this window.
        return 0;
    }
}

// Marks a command of the window as running until its end (boxes and dialogs it shows give the
// window back its activation meanwhile).
class CommandScope {
public:
    explicit CommandScope(bool& bInCommand)
        : m_bInCommand(bInCommand), m_bWas(std::exchange(bInCommand, true)) {}
    ~CommandScope() { m_bInCommand = m_bWas; }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

private:
    bool& m_bInCommand;
    bool m_bWas;
};

// A name as a static text of the template shows it: an ampersand is a character of the name, not
// a mnemonic.
std::string Shown(const std::string& name) {
    std::string shown;
    for (const char c : name) {
        shown += c;
        if (c == '&')
            shown += '&';
    }
    return shown;
}

} // namespace

CSiteBinding::CSiteBinding(Prompt& prompt, Launcher& launcher)
    : m_prompt(prompt), m_storage(m_library, ".", m_image),
      m_portLine(m_port, m_codec, m_portSettings), m_runner(m_port, m_codec, m_image, "."),
      m_siteCommands(m_storage, m_image, prompt, launcher),
      m_libraryFolder(m_storage, m_portSettings, m_workingFolder, prompt) {}

bool CWorkingFolder::Enter(const std::filesystem::path& folder, std::string& strError) {
    std::error_code error;
    std::filesystem::current_path(folder, error);
    if (error)
        strError = error.message();
    return !error;
}

void CSiteBinding::OnInitDialog(CMainDlg& dialog) {
    InitProfile(m_portSettings);
    m_storage.ScanLibrary();
    FillTree(dialog);
    m_libraryFolder.NoteState();
    UpdateSelectionPanel(dialog, true);
    m_portLine.Open();
    dialog.CheckPortButton(IDC_COM1 + m_portLine.Index());
    ShowPortLine(dialog);
    ShowPortProblem(dialog);
    dialog.SetText(IDC_LIBRARY, "Library: " + Utf8(std::filesystem::current_path().wstring()));
}

void CSiteBinding::FillTree(CMainDlg& dialog) {
    CTreeView& tree = dialog.Tree();
    tree.DeleteAllItems();
    for (m_library.FirstCircuit(); m_library.HasCircuit(); m_library.NextCircuit()) {
        // Circuits stand in natural order, the one the command-line listing uses.
        const std::string& name = m_library.GetCircuitName();
        HTREEITEM after = TVI_FIRST;
        for (HTREEITEM item = tree.Root(); item; item = tree.NextSibling(item)) {
            if (CompareSiteNames(m_library.SelectionOf(tree.ItemData(item)).m_strCircuit, name) > 0)
                break;
            after = item;
        }
        HTREEITEM circuit = tree.InsertItem(name, m_library.GetCircuitPos(), TVI_ROOT, after);
        for (m_library.FirstTheater(); m_library.HasTheater(); m_library.NextTheater()) {
            HTREEITEM theater =
                tree.InsertItem(m_library.GetTheaterName(), m_library.GetTheaterPos(), circuit);
            for (m_library.FirstScreen(); m_library.HasScreen(); m_library.NextScreen())
                tree.InsertItem(m_library.GetScreenName(), m_library.GetScreenPos(), theater);
        }
    }
}

SiteSelection CSiteBinding::SelectedSite(CMainDlg& dialog) {
    CTreeView& tree = dialog.Tree();
    if (!tree.Selected() && tree.Root())
        tree.Select(tree.Root());
    const HTREEITEM selected = tree.Selected();
    if (!selected)
        return {};
    m_library.Locate(tree.ItemData(selected));
    return m_library.SelectionOf(tree.ItemData(selected));
}

void CSiteBinding::Enable(CMainDlg& dialog, MainCommand command, bool bEnable) {
    if (command == MainCommand::SelectPort) {
        for (int id = IDC_COM1; id <= IDC_COM4; ++id)
            dialog.Enable(id, bEnable);
    } else if (command == MainCommand::HistoryMenu) {
        // History & Compare opens the selected screen's History.
        dialog.Enable(IDC_HISTORY, bEnable && m_selection.Allows(MainCommand::ScreenHistory));
    } else if (const int id = ControlOf(command)) {
        dialog.Enable(id, bEnable);
    }
}

void CSiteBinding::UpdateSelectionPanel(CMainDlg& dialog, bool bReset) {
    m_selection = SelectionState::Probe(m_storage, SelectedSite(dialog));
    for (const MainCommand command : kPanelCommands)
        Enable(dialog, command, m_selection.Allows(command, dialog.IsTransferRunning()));
    Enable(dialog, MainCommand::HistoryMenu,
           m_selection.Allows(MainCommand::HistoryMenu, dialog.IsTransferRunning()));
    const SelectionPanel& panel = m_selection.Panel();
    dialog.SetText(IDC_CIRCUIT, Shown(panel.m_strCircuit));
    dialog.SetText(IDC_THEATER, Shown(panel.m_strTheater));
    dialog.SetText(IDC_SCREEN, Shown(panel.m_strScreen));
    dialog.SetText(IDC_DATE, panel.m_strDate);
    dialog.SetText(IDC_TIME, panel.m_strTime);
    if (bReset) {
        dialog.StatusArea().Clear();
        dialog.SetProgress(0);
    }
}

void CSiteBinding::OnSelChangedTree(CMainDlg& dialog) {
    if (!m_bRefilling)
        UpdateSelectionPanel(dialog, true);
}

void CSiteBinding::Refresh(CMainDlg& dialog) {
    CTreeView& tree = dialog.Tree();
    const std::vector<std::string> keep = tree.NamesOf(tree.Selected());
    const std::vector<std::vector<std::string>> opened = tree.OpenedItems();
    m_bRefilling = true;
    m_libraryFolder.Rescan();
    FillTree(dialog);
    tree.Reopen(opened);
    const HTREEITEM kept = keep.empty() ? nullptr : tree.Find(keep);
    tree.Select(kept);
    m_bRefilling = false;
    // The same entry keeps the transfer's status text; any other selection resets it, as every
    // selection change does.
    UpdateSelectionPanel(dialog, kept == nullptr);
    m_libraryFolder.NoteState();
}

void CSiteBinding::OnDblClkTree(CMainDlg& dialog) {
    const CommandScope scope(m_bInCommand);
    if (SelectedSite(dialog).m_nLevel == SiteLevel::Screen)
        ShowOpening(m_siteCommands.EditNotes(SelectedSite(dialog)));
}

void CSiteBinding::OnActivate(CMainDlg& dialog) {
    // An adapter unplugged, or plugged in again, while the technician was elsewhere.
    m_portLine.ReopenIfGone();
    ShowPortLine(dialog);
    // Another program (Explorer, vrx3km-cli.exe, a synchronised copy) may have changed the library
    // meanwhile; never while a command of this window runs.
    if (m_bInCommand)
        return;
    if (m_libraryFolder.ChangedOnDisk())
        Refresh(dialog);
    else
        UpdateSelectionPanel(dialog, false); // a screen's files may have changed: date, buttons
}

void CSiteBinding::ShowPortLine(CMainDlg& dialog) {
    const PortLineState state = m_portLine.Check();
    dialog.SetText(IDC_PORT_STATE, state.DeviceName() + (state.m_bOpen ? "\nopen" : "\nclosed"));
}

void CSiteBinding::ShowPortProblem(CMainDlg& dialog) {
    const std::string& problem = m_portLine.Problem();
    if (!problem.empty()) {
        dialog.StatusArea().SetStatus(transfer_text::kPortError);
        dialog.StatusArea().AddReason(problem);
        dialog.SetProgress(0);
    } else if (dialog.StatusArea().Status() == transfer_text::kPortError) {
        dialog.StatusArea().Clear();
    }
}

void CSiteBinding::SelectPort(CMainDlg& dialog, int index) {
    m_portLine.Select(index);
    dialog.CheckPortButton(IDC_COM1 + index);
    ShowPortLine(dialog);
    ShowPortProblem(dialog);
}

void CSiteBinding::OnCommand(CMainDlg& dialog, int nId) {
    const CommandScope scope(m_bInCommand);
    if (nId >= IDC_COM1 && nId <= IDC_COM4) {
        SelectPort(dialog, nId - IDC_COM1);
        return;
    }
    switch (nId) {
    case IDC_ADD_CIRCUIT:
        AddEntry(dialog, SiteLevel::Circuit);
        return;
    case IDC_ADD_THEATER:
        if (SelectedSite(dialog).m_nLevel != SiteLevel::None)
            AddEntry(dialog, SiteLevel::Theater);
        return;
    case IDC_ADD_SCREEN: {
        const SiteLevel level = SelectedSite(dialog).m_nLevel;
        if (level == SiteLevel::Theater || level == SiteLevel::Screen)
            AddEntry(dialog, SiteLevel::Screen);
        return;
    }
    case IDC_DELETE:
        OnDelete(dialog);
        return;
    case IDC_EDIT_NOTES:
        ShowOpening(m_siteCommands.EditNotes(SelectedSite(dialog)));
        return;
    case IDC_VIEW_CONFIGURATION:
        ShowOpening(m_siteCommands.ViewConfiguration(SelectedSite(dialog)));
        return;
    case IDC_LOAD:
        StartTransfer(dialog, TransferKind::Load, std::nullopt);
        return;
    case IDC_SEND:
        StartTransfer(dialog, TransferKind::Send, std::nullopt);
        return;
    case IDC_PORTS:
        OnPorts(dialog);
        return;
    case IDC_HISTORY:
        OnHistory(dialog);
        return;
    default:
        return;
    }
}

void CSiteBinding::OnPorts(CMainDlg& dialog) {
    CPortsDlg ports(
        m_portSettings.ProfilePath,
        [this](const std::vector<std::string>& candidates,
               const std::function<void(const std::string&)>& progress) {
            return m_portLine.FindProcessor(candidates, progress);
        },
        m_portLine.Index(), PortOpenText(m_portLine.Problem()));
    const int result = ports.DoModal(dialog.Window());
    if (result == IDOK) {
        // The chosen port on the device it stands for now.
        m_portLine.Open();
        ShowPortProblem(dialog);
    }
    ShowPortLine(dialog);
}

void CSiteBinding::OnHistory(CMainDlg& dialog) {
    const SiteSelection site = SelectedSite(dialog);
    if (site.m_nLevel != SiteLevel::Screen)
        return;
    const ScreenTarget screen = ScreenOf(site);
    CHistoryDlg history(m_prompt, ScreenFolderPath(".", screen), screen,
                        m_selection.Allows(MainCommand::CompareWithProcessor));
    const int result = history.DoModal(dialog.Window());
    if (history.Restored())
        // The stored settings' date and time, and what they allow.
        UpdateSelectionPanel(dialog, false);
    if (result == IDC_HISTORY_PROCESSOR)
        StartTransfer(dialog, TransferKind::Compare, screen);
}

void CSiteBinding::AddEntry(CMainDlg& dialog, SiteLevel level) {
    CTreeView& tree = dialog.Tree();
    // The entry the new one goes below, fixed before the name is asked for.
    HTREEITEM parent = level == SiteLevel::Circuit
                           ? nullptr
                           : SelectedAt(tree, static_cast<SiteLevel>(static_cast<int>(level) - 1));
    if (level != SiteLevel::Circuit && !parent)
        return;
    const SiteSelection parentSite =
        parent ? m_library.SelectionOf(tree.ItemData(parent)) : SiteSelection{};
    const NameSource names = [&dialog](const std::string& caption, const NameCheck& check) {
        return dialog.AskName(caption, check);
    };
    const std::optional<AddOutcome> added = m_siteCommands.Add(level, parentSite, names);
    if (!added) {
        // The library's selection is the selected item's again, after the names tried.
        SelectedSite(dialog);
        return;
    }
    HTREEITEM after = TVI_LAST;
    if (!parent) {
        after = TVI_FIRST;
        for (HTREEITEM item = tree.Root(); item; item = tree.NextSibling(item)) {
            if (CompareSiteNames(m_library.SelectionOf(tree.ItemData(item)).m_strCircuit,
                                 added->m_strName) > 0)
                break;
            after = item;
        }
    }
    tree.Select(tree.InsertItem(added->m_strName, added->m_pos, parent ? parent : TVI_ROOT, after));
}

void CSiteBinding::OnDelete(CMainDlg& dialog) {
    const SiteSelection site = SelectedSite(dialog);
    if (site.m_nLevel == SiteLevel::None || !m_siteCommands.ConfirmDelete(site))
        return;
    CTreeView& tree = dialog.Tree();
    const HTREEITEM item = tree.Selected();
    if (!m_siteCommands.Delete(site, tree.ItemData(item))) {
        // The status text and the bar stay as they were.
        UpdateSelectionPanel(dialog, false);
        return;
    }
    // The parent is selected in its place (the whole panel follows the selection).
    HTREEITEM parent = tree.Parent(item);
    tree.Select(parent);
    tree.DeleteItem(item);
    if (!parent)
        UpdateSelectionPanel(dialog, true);
}

void CSiteBinding::ShowOpening(const Opening& opening) {
    if (opening.m_nResult != OpenResult::NotOpened)
        return;
    Tell(m_prompt,
         "Notepad could not be started to show " + opening.m_strPath +
             ". Open the file in a text editor of your own.",
         m_prompt.ProgramCaption(), PromptIcon::Exclamation);
}

void CSiteBinding::StartTransfer(CMainDlg& dialog, TransferKind kind,
                                 std::optional<ScreenTarget> target) {
    if (dialog.IsTransferRunning())
        return;
    // The screen is fixed here for the whole transfer: its names, not the tree's selection, say
    // where the settings are stored or read.
    const SiteSelection site = SelectedSite(dialog);
    if (!target) {
        if (site.m_nLevel != SiteLevel::Screen)
            return;
        target = ScreenOf(site);
    }
    std::string strDate, strTime;
    SettingsTimeTexts(m_storage, site, strDate, strTime);
    // A port whose device went away and came back is opened anew here.
    m_portLine.PrepareTransfer();
    ShowPortLine(dialog);
    const std::string line = CTransferRunner::SendLine(*target, strDate, strTime);
    const std::string trace = m_portLine.TraceFileInUse();
    const bool bStarted = dialog.StartTransfer(
        [&](TransferReport& report) { return m_runner.Start(kind, *target, line, trace, report); });
    if (!bStarted)
        return;
    for (const MainCommand command : kMainCommands)
        if (TransferLockOf(command) != TransferLock::Untouched)
            Enable(dialog, command, false);
}

void CSiteBinding::OnTransferEnded(CMainDlg& dialog, TransferResult result) {
    const CommandScope scope(m_bInCommand);
    m_runner.Finish(result);
    m_portLine.TransferEnded(result);
    UpdateSelectionPanel(dialog, false);
    for (const MainCommand command : kMainCommands)
        if (TransferLockOf(command) == TransferLock::Fixed)
            Enable(dialog, command, true);
    ShowPortLine(dialog);
    switch (m_runner.FollowUp(m_prompt)) {
    case TransferFollowUp::CompareNow:
        StartTransfer(dialog, TransferKind::Compare, m_runner.Target());
        break;
    case TransferFollowUp::ShowDifferences:
        if (const auto differences =
                ProcessorDifferences(m_prompt, ".", m_runner.Target(), m_runner.ProcessorImage())) {
            CDiffDlg table({ScreenLabel(m_runner.Target()), "the VRX-3KM", *differences});
            table.DoModal(dialog.Window());
        }
        break;
    case TransferFollowUp::None:
        break;
    }
}
