#include "ui/main_dlg.h"

#include "library/screen_store.h"
#include "link/profile.h"
#include "ui/about_dlg.h"
#include "ui/dialog_keys.h"
#include "ui/help.h"
#include "ui/name_dlg.h"
#include "ui/notes_editor.h"
#include "ui/system_menu.h"
#include "ui/text_viewer.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QKeySequence>
#include <QMenu>
#include <QShortcut>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

namespace fs = std::filesystem;

CMainDlg::CMainDlg(CSerialPort& port, FrameCodec& codec, SettingsImage& image,
                   PortSettings& portSettings, SiteLibrary& library, WindowPrompt& boxes,
                   Launcher& launcher, QWidget* parent)
    : QDialog(parent), m_portSettings(portSettings), m_library(library), m_launcher(launcher),
      m_prompt(boxes, this, BoxOwner::ModalDialog), m_storage(library, ".", image),
      m_view(this, m_prompt), m_tree(m_view.Tree()), m_portLine(port, codec, portSettings),
      m_portButtons(this, m_view, m_portLine, portSettings, boxes),
      m_siteCommands(m_storage, image, m_prompt, launcher),
      m_compare(this, m_prompt, boxes, library, m_storage.Root()),
      m_transfers(this, m_prompt, m_view, m_portLine, m_portButtons, m_compare, port, codec, image,
                  m_storage.Root(), [this](TransferResult result) { EndTransfer(result); }),
      m_libraryFolder(m_storage, portSettings, m_place, m_prompt),
      m_libraryWindow(this, m_libraryFolder, library, m_tree, m_view, m_portButtons,
                      [this](bool bReset) { UpdateSelectionPanel(bReset); }),
      m_team(this, m_view.HistoryMenu(), boxes, library, m_storage.Root(), portSettings,
             [this](const ScreenTarget& target) { LoadScreen(target); }) {
    m_nameSource = [this, &boxes](const std::string& caption, const NameCheck& check) {
        return AskName(boxes, m_launcher, caption, check);
    };
    ConnectControls();
    // The port is probed whenever the window becomes the active one: an adapter may have been
    // unplugged, or plugged in again, while the technician was elsewhere.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
        if (window && window == windowHandle())
            ProbePort();
    });
}

CMainDlg::~CMainDlg() {
    // The job reports to this window until its end: it is never cut off half-way.
    WaitForTransferEnd();
}

void CMainDlg::ConnectControls() {
    using Handler = void (CMainDlg::*)();
    const std::pair<int, Handler> buttons[] = {
        {IDC_EXIT, &CMainDlg::reject},
        {IDC_ADD_CIRCUIT, &CMainDlg::OnAddCircuit},
        {IDC_ADD_THEATER, &CMainDlg::OnAddTheater},
        {IDC_ADD_SCREEN, &CMainDlg::OnAddScreen},
        {IDC_DELETE, &CMainDlg::OnDelete},
        {IDC_EDIT_NOTES, &CMainDlg::OnEditNotes},
        {IDC_VIEW_CONFIGURATION, &CMainDlg::OnViewConfiguration},
        {IDC_HELP, &CMainDlg::OnHelp},
        {IDC_LOAD, &CMainDlg::OnLoadSettings},
        {IDC_SEND, &CMainDlg::OnSendSettings},
        {IDC_PORTS, &CMainDlg::OnPorts},
    };
    for (const auto& [id, handler] : buttons)
        connect(m_view.Button(id), &QAbstractButton::clicked, this, handler);
    for (int index = 0; index < 4; ++index)
        connect(m_view.Button(IDC_COM1 + index), &QAbstractButton::clicked, this,
                [this, index] { SelectPort(index); });
    const std::pair<MainCommand, Handler> menu[] = {
        {MainCommand::CompareWithProcessor, &CMainDlg::OnCompareWithProcessor},
        {MainCommand::ScreenHistory, &CMainDlg::OnHistory},
        {MainCommand::CompareWithScreen, &CMainDlg::OnCompareWithScreen},
        {MainCommand::CompareWithFile, &CMainDlg::OnCompareWithFile},
    };
    for (const auto& [command, handler] : menu)
        connect(m_view.MenuAction(command), &QAction::triggered, this, handler);
    const std::pair<QAction*, Handler> team[] = {
        {m_team.SiteStatusAction(), &CMainDlg::OnSiteStatus},
        {m_team.BackupAction(), &CMainDlg::OnBackUpScreens},
        {m_team.VisitAction(), &CMainDlg::OnVisitRecord},
        {m_team.ConflictsAction(), &CMainDlg::OnSettleConflicts},
    };
    for (const auto& [action, handler] : team)
        connect(action, &QAction::triggered, this, handler);
    connect(m_team.TechnicianAction(), &QAction::triggered, this,
            [this] { m_team.AskTechnicianName(true); });
    insertAction(AboutAction(), m_team.TechnicianAction());
    connect(HistoryMenu(), &QMenu::aboutToShow, this, &CMainDlg::UpdateHistoryMenu);
    connect(Tree(), &QWidget::customContextMenuRequested, this, [this](const QPoint& point) {
        if (!IsTransferRunning())
            m_tree.PopUp(HistoryMenu(), point);
    });
    connect(Tree(), &QTreeWidget::currentItemChanged, this, [this] { OnSelChangedTree(); });
    Tree()->viewport()->installEventFilter(this);
    connect(OpenLibraryAction(), &QAction::triggered, this, &CMainDlg::OnOpenLibrary);
    connect(RefreshAction(), &QAction::triggered, this, &CMainDlg::Refresh);
    connect(AboutAction(), &QAction::triggered, this, &CMainDlg::OnAbout);
    InstallEnterHandling(this);
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this,
            &CMainDlg::OnHelp);
}

bool CMainDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Tree()->viewport() && event->type() == QEvent::MouseButtonDblClick)
        OnDblClkTree();
    return QDialog::eventFilter(watched, event);
}

void CMainDlg::InitDialog() {
    AppendAboutItem(this, kAboutText);
    setWindowIcon(ApplicationIcon());
    setWindowTitle("VRX-3KM Download/Upload");
    InitProfile(m_portSettings);
    m_storage.ScanLibrary();
    FillTree();
    UpdateSelectionPanel(true);
    OpenSavedPort();
    m_view.ShowLibraryFolder();
    m_libraryFolder.NoteState();
    Tree()->setFocus();
}

int CMainDlg::exec() {
    InitDialog();
    // Once the window shows: the name every log line of this account records.
    QTimer::singleShot(0, this, [this] { m_team.AskTechnicianName(false); });
    return QDialog::exec();
}

#ifdef Q_OS_WIN
bool CMainDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    if (IsAboutCommand(message)) {
        OnAbout();
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}
#endif

void CMainDlg::OnAbout() {
    CAboutDlg about(m_prompt.Boxes(), m_launcher, this);
    about.exec();
}

// ---------------------------------------------------------------------------------------------
// Selection panel

SiteLevel CMainDlg::GetSelectedLevel() {
    m_tree.SelectFirstIfNone();
    const QTreeWidgetItem* selected = m_tree.Selected();
    return selected ? m_library.Locate(CSiteTree::PosOf(selected)) : SiteLevel::None;
}

void CMainDlg::UpdateSelectionFlags() {
    GetSelectedLevel();
    m_selection = SelectionState::Probe(m_storage, SelectedSite());
}

bool CMainDlg::GetSettingsTime(std::string& strDate, std::string& strTime) {
    GetSelectedLevel();
    return SettingsTimeTexts(m_storage, SelectedSite(), strDate, strTime);
}

void CMainDlg::UpdateSelectionPanel(bool bReset) {
    UpdateSelectionFlags();
    m_view.EnableAsAllowed(kPanelCommands, m_selection, IsTransferRunning());
    m_view.ShowPanel(m_selection);
    if (bReset)
        ResetProgress();
}

void CMainDlg::OnSelChangedTree() {
    UpdateSelectionFlags();
    UpdateSelectionPanel(true);
}

void CMainDlg::OnDblClkTree() {
    if (GetSelectedLevel() == SiteLevel::Screen)
        OnEditNotes();
}

// ---------------------------------------------------------------------------------------------
// Site commands

void CMainDlg::AddEntry(SiteLevel level, QTreeWidgetItem* parent) {
    m_bAdding = true;
    // The entry the new one goes below, fixed before the name is asked for.
    const SiteSelection parentSite =
        parent ? m_library.SelectionOf(CSiteTree::PosOf(parent)) : SiteSelection{};
    if (const std::optional<AddOutcome> added =
            m_siteCommands.Add(level, parentSite, m_nameSource)) {
        // The name as stored: composed, as the scan will read it back.
        m_tree.Select(m_tree.InsertEntry(parent, added->m_strName, added->m_pos));
        m_libraryFolder.NoteState();
    } else {
        // The tree is as it was; the library's selection is the selected item's again, after the
        // lookups of the names that were tried.
        GetSelectedLevel();
    }
    m_bAdding = false;
    activateWindow();
}

void CMainDlg::OnAddTheater() {
    if (SelectedSite().m_nLevel != SiteLevel::None)
        AddEntry(SiteLevel::Theater, m_tree.SelectedAt(SiteLevel::Circuit));
    else
        activateWindow();
}

void CMainDlg::OnAddScreen() {
    const SiteLevel level = SelectedSite().m_nLevel;
    if (level == SiteLevel::Theater || level == SiteLevel::Screen)
        AddEntry(SiteLevel::Screen, m_tree.SelectedAt(SiteLevel::Theater));
    else
        activateWindow();
}

void CMainDlg::OnEditNotes() {
    const Opening notes = m_siteCommands.EditNotes(SelectedSite());
    if (notes.m_nResult == OpenResult::NotOpened)
        ShowNotesEditor(this, m_prompt.Boxes(), notes.m_strPath);
}

void CMainDlg::OnViewConfiguration() {
    const Opening report = m_siteCommands.ViewConfiguration(SelectedSite());
    if (report.m_nResult == OpenResult::NotOpened)
        ShowReportViewer(this, m_prompt.Boxes(), report.m_strPath);
}

void CMainDlg::OnHelp() {
    OpenHelp(this, m_prompt.Boxes(), m_launcher);
}

bool CMainDlg::ConfirmDelete(SiteLevel level) {
    SiteSelection site = SelectedSite();
    site.m_nLevel = level;
    return m_siteCommands.ConfirmDelete(site);
}

void CMainDlg::OnDelete() {
    const SiteLevel level = GetSelectedLevel();
    if (level == SiteLevel::None || !ConfirmDelete(level))
        return;
    if (!m_siteCommands.Delete(SelectedSite(), CSiteTree::PosOf(m_tree.Selected()))) {
        // The status text and the bar stay as they were.
        UpdateSelectionPanel(false);
        return;
    }
    m_tree.DeleteSelected();
    if (!m_tree.Selected())
        UpdateSelectionPanel(true);
    m_libraryFolder.NoteState();
}

// ---------------------------------------------------------------------------------------------
// Transfer commands

std::optional<ScreenTarget> CMainDlg::SelectedScreen() const {
    const SiteSelection site = SelectedSite();
    if (site.m_nLevel != SiteLevel::Screen)
        return std::nullopt;
    return ScreenOf(site);
}

void CMainDlg::StartTransfer(TransferKind kind) {
    // The screen is fixed here for the whole transfer: its names, not the tree's selection,
    // say where the settings are stored or read.
    const std::optional<ScreenTarget> target = SelectedScreen();
    if (IsTransferRunning() || !target)
        return;
    std::string strDate, strTime;
    SettingsTimeTexts(m_storage, SelectedSite(), strDate, strTime);
    m_transfers.Start(kind, *target, CTransferRunner::SendLine(*target, strDate, strTime));
}

void CMainDlg::EndTransfer(TransferResult result) {
    m_transfers.Finish(result);
    UpdateSelectionPanel(false);
    UnlockControls();
    m_transfers.GiveFocusBack(Tree());
    emit TransferEnded();
    if (m_bCloseAfterTransfer)
        reject();
    else
        m_transfers.FollowUp();
}

void CMainDlg::WaitForTransferEnd() {
    while (IsTransferRunning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void CMainDlg::reject() {
    if (IsTransferRunning()) {
        m_bCloseAfterTransfer = true;
        return;
    }
    m_bCloseAfterTransfer = false;
    // Notes typed in the program's own editor are saved or given up first, never lost with
    // the window.
    if (!CloseNotesEditors(this))
        return;
    QDialog::reject();
}

// ---------------------------------------------------------------------------------------------
// History and Compare

void CMainDlg::UpdateHistoryMenu() {
    UpdateSelectionFlags();
    m_view.EnableAsAllowed(kMenuCommands, m_selection, IsTransferRunning());
    m_team.UpdateMenu(m_selection, IsTransferRunning());
}

void CMainDlg::OnBackUpScreens() {
    const SiteSelection site = SelectedSite();
    if (!IsTransferRunning() && m_team.OnBackup(site))
        UpdateSelectionPanel(false);
    GetSelectedLevel(); // the backup's listing walked the library's cursors
}

void CMainDlg::OnSettleConflicts() {
    if (!IsTransferRunning() && m_team.OnConflicts(SelectedSite()))
        UpdateSelectionPanel(false);
}

void CMainDlg::LoadScreen(const ScreenTarget& target) {
    QTreeWidgetItem* item = CSiteTree::Find(Tree(), {QString::fromUtf8(target.m_strCircuit),
                                                     QString::fromUtf8(target.m_strTheater),
                                                     QString::fromUtf8(target.m_strScreen)});
    if (!item || IsTransferRunning())
        return;
    m_tree.Select(item);
    UpdateSelectionPanel(true);
    OnLoadSettings();
}

void CMainDlg::OnHistory() {
    const std::optional<ScreenTarget> screen = SelectedScreen();
    if (screen && m_compare.History(*screen))
        UpdateSelectionPanel(false);
}

void CMainDlg::OnCompareWithScreen() {
    if (const std::optional<ScreenTarget> screen = SelectedScreen())
        m_compare.CompareWithScreen(*screen);
}

// ---------------------------------------------------------------------------------------------
// The library folder

bool CMainDlg::OpenLibrary(const fs::path& folder) {
    return !IsTransferRunning() && m_libraryWindow.Open(folder);
}

bool CMainDlg::OpenLibraryFolder(const fs::path& folder) {
    return !IsTransferRunning() && m_libraryWindow.OpenAfterAsking(folder);
}

void CMainDlg::OnOpenLibrary() {
    if (!IsTransferRunning())
        m_libraryWindow.Choose();
}

void CMainDlg::Refresh() {
    if (!IsTransferRunning() && !m_bAdding)
        m_libraryWindow.Refresh();
}

void CMainDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow())
        return;
    // Never under a transfer, an Add or a box of this window.
    QWidget* modal = QApplication::activeModalWidget();
    if (IsTransferRunning() || m_bAdding || (modal && modal != this))
        return;
    if (LibraryChangedOnDisk())
        Refresh();
    else
        UpdateSelectionPanel(false); // a screen's files may have changed: date, time, buttons
}
