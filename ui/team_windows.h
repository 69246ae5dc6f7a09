// The window's commands, beside Load, Send and Add/Delete, that act on a whole site or on a
// team's library: the site's status board, the backup of many screens, the record of a visit, the
// conflicts a sync engine left beside a screen's files, and the technician's name the log records.
// Their items follow a separator in the History & Compare menu (also the tree's menu); what they
// act on is the selection resolved when the command starts (control/site_overview.h).
#pragma once

#include "control/selection_state.h"
#include "library/site_library.h"
#include "ui/prompt.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

class QAction;
class QMenu;
class QWidget;
struct PortSettings;
struct ScreenTarget;

class CTeamWindows {
public:
    // Asks for the technician's name, offering the suggested one; nullopt when cancelled.
    using NameAsker = std::function<std::optional<std::string>(const std::string& suggested)>;
    // Selects the screen in the main window and starts its Load.
    using LoadScreen = std::function<void(const ScreenTarget&)>;

    CTeamWindows(QWidget* window, QMenu* menu, WindowPrompt& boxes, SiteLibrary& library,
                 std::filesystem::path root, const PortSettings& settings, LoadScreen load);

    // Enables the items as the selection allows (none while a transfer runs).
    void UpdateMenu(const SelectionState& state, bool bRunning);
    QAction* SiteStatusAction() const { return m_pStatus; }
    QAction* BackupAction() const { return m_pBackup; }
    QAction* VisitAction() const { return m_pVisit; }
    QAction* ConflictsAction() const { return m_pConflicts; }
    // The window menu's item that changes the technician's name.
    QAction* TechnicianAction() const { return m_pTechnician; }

    // The status board of the selection's scope; Load there loads the chosen screen.
    void OnSiteStatus(const SiteSelection& site);
    // The backup of the selection's scope. True when it ran (the library may have changed).
    bool OnBackup(const SiteSelection& site);
    // The visit record of the selection's scope, since a day the technician chooses
    // (ui/visit_record.h).
    void OnVisitRecord(const SiteSelection& site);
    // The selected screen's conflicting copies. True when one was settled.
    bool OnConflicts(const SiteSelection& site);

    void SetNameAsker(NameAsker asker) { m_nameAsker = std::move(asker); }
    // Asks for the technician's name and keeps it for this account: when bAlways, or when the
    // account has none stored yet (once per run at most). A name that cannot be kept is said,
    // and asked again.
    void AskTechnicianName(bool bAlways);

private:
    QWidget* m_pWindow;
    CPromptOver m_prompt;
    WindowPrompt& m_boxes;
    SiteLibrary& m_library;
    std::filesystem::path m_root;
    const PortSettings& m_settings;
    LoadScreen m_load;
    NameAsker m_nameAsker;
    bool m_bNameAsked = false;
    QAction* m_pStatus = nullptr;
    QAction* m_pBackup = nullptr;
    QAction* m_pVisit = nullptr;
    QAction* m_pConflicts = nullptr;
    QAction* m_pTechnician = nullptr;
};
