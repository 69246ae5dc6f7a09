#include "ui/team_windows.h"

#include "control/site_overview.h"
#include "library/screen_store.h"
#include "link/profile.h"
#include "ui/backup_dlg.h"
#include "ui/conflict_dlg.h"
#include "ui/site_status_dlg.h"
#include "ui/technician_dlg.h"
#include "ui/visit_record.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include <ctime>

CTeamWindows::CTeamWindows(QWidget* window, QMenu* menu, WindowPrompt& boxes, SiteLibrary& library,
                           std::filesystem::path root, const PortSettings& settings,
                           LoadScreen load)
    : m_pWindow(window), m_prompt(boxes, window), m_boxes(boxes), m_library(library),
      m_root(std::move(root)), m_settings(settings), m_load(std::move(load)) {
    m_nameAsker = [this](const std::string& suggested) {
        return ::AskTechnicianName(m_pWindow, suggested);
    };
    menu->addSeparator();
    m_pConflicts = menu->addAction("Settle &Conflicts...");
    m_pStatus = menu->addAction("Site &Status...");
    m_pBackup = menu->addAction("&Back Up Screens...");
    m_pVisit = menu->addAction("&Visit Record...");
    m_pTechnician = new QAction("Technician's &Name...", window);
}

void CTeamWindows::UpdateMenu(const SelectionState& state, bool bRunning) {
    m_pConflicts->setEnabled(!bRunning && state.HasConflicts());
    m_pStatus->setEnabled(!bRunning);
    m_pBackup->setEnabled(!bRunning);
    m_pVisit->setEnabled(!bRunning);
    m_pTechnician->setEnabled(!bRunning);
}

void CTeamWindows::OnSiteStatus(const SiteSelection& site) {
    const std::vector<std::string> scope = SiteScopeOf(site);
    CSiteStatusDlg dialog(
        m_pWindow, SiteScopeText(scope),
        SiteStatusRows(m_library, m_root, scope, std::time(nullptr), kDefaultOverdueDays),
        kDefaultOverdueDays);
    if (dialog.exec() == QDialog::Accepted && dialog.LoadRequested())
        m_load(*dialog.LoadRequested());
}

bool CTeamWindows::OnBackup(const SiteSelection& site) {
    const std::vector<std::string> scope = SiteScopeOf(site);
    std::vector<BackupScreen> screens = BackupScreensOf(m_library, m_root, scope);
    if (screens.empty()) {
        Tell(m_prompt, "There are no screens to back up in " + SiteScopeText(scope) + ".",
             m_prompt.ProgramCaption(), PromptIcon::None);
        return false;
    }
    CBackupDlg dialog(m_pWindow, SiteScopeText(scope), std::move(screens), m_root,
                      m_settings.ProfilePath, kWindowBackupJobs);
    dialog.exec();
    return true;
}

void CTeamWindows::OnVisitRecord(const SiteSelection& site) {
    const std::vector<std::string> scope = SiteScopeOf(site);
    if (const std::optional<std::time_t> since = AskVisitStart(m_pWindow, SiteScopeText(scope)))
        ShowVisitRecord(m_pWindow, m_boxes, m_library, m_root, scope, *since);
}

bool CTeamWindows::OnConflicts(const SiteSelection& site) {
    if (site.m_nLevel != SiteLevel::Screen)
        return false;
    const ScreenTarget target = ScreenOf(site);
    CConflictDlg dialog(m_pWindow, m_boxes, ScreenFolderPath(m_root, target), target);
    dialog.exec();
    return dialog.Changed();
}

void CTeamWindows::AskTechnicianName(bool bAlways) {
    if (!bAlways && (m_bNameAsked || !ShouldAskTechnicianName()))
        return;
    m_bNameAsked = true;
    std::string suggested = SuggestedTechnicianName();
    while (const std::optional<std::string> name = m_nameAsker(suggested)) {
        const std::string problem = SaveTechnicianName(*name);
        if (problem.empty())
            return;
        Tell(m_prompt, problem, m_prompt.ProgramCaption(), PromptIcon::Exclamation);
        suggested = *name;
    }
}
