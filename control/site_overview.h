// What the window's site-wide and team commands act on, without a toolkit: the scope a selection
// names, the rows of the site status board, the screens a backup reads, a screen's own port set
// or cleared, and the technician's name the log records. Each window binds them to its own
// dialogs.
#pragma once

#include "library/site_library.h"
#include "library/site_status.h"
#include "link/backup.h"

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

// The names a site command covers for the selection: a circuit's name; a theater's (or a
// screen's theater's) circuit and theater names; nothing selected, the whole library (empty).
std::vector<std::string> SiteScopeOf(const SiteSelection& site);
// "Odeon / Main", or "the whole library" for an empty scope.
std::string SiteScopeText(const std::vector<std::string>& scope);

// One row of the status board.
struct StatusRow {
    ScreenStatus m_status;
    std::string m_strLastRead; // "2026-12-08", or "never"
    std::string m_strPort;     // the screen's own port, or why its Port.txt cannot be used
    bool m_bPortProblem = false;
};
// The screens of the scope with their state now, in the library's order. Walks the library's
// cursors: the caller locates its selection again afterwards.
std::vector<StatusRow> SiteStatusRows(SiteLibrary& library, const std::filesystem::path& root,
                                      const std::vector<std::string>& scope, std::time_t now,
                                      int nOverdueDays);
// "5 screens: 1 never read, 2 up to date, 1 overdue, 1 fails its checks."
std::string StatusSummary(const std::vector<StatusRow>& rows);
// Whether a state asks for the technician's attention (overdue, failing, conflict, never read).
bool NeedsAttention(ScreenState state);

// The screens of the scope as a backup reads them: each with its own port or why it cannot be
// used. Walks the library's cursors, as SiteStatusRows.
std::vector<BackupScreen> BackupScreensOf(SiteLibrary& library, const std::filesystem::path& root,
                                          const std::vector<std::string>& scope);
// How many screens a backup of the window reads at once.
inline constexpr int kWindowBackupJobs = 4;

// Sets the screen's own port to name (spaces around it dropped), or removes it when name is
// empty. Returns "" when done, else why not, with what to do: a name a mapping would refuse, or
// a file that could not be written or removed.
std::string SetScreenPort(const std::filesystem::path& screenFolder, const std::string& name);

// The technician's name: asked once per account, when it stored none yet.
bool ShouldAskTechnicianName();
// What the question offers: the stored name, else the account's full name ("" when unknown).
std::string SuggestedTechnicianName();
// Stores the name (spaces around it dropped) for this account. Returns "" when stored, else why
// not: an empty or overlong name, or a settings file that could not be written.
std::string SaveTechnicianName(const std::string& name);
inline constexpr std::size_t kTechnicianNameLimit = 80;
