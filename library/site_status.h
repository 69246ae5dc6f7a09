// A site at a glance: for each screen, when its settings were last read from the processor and
// what that tells the technician arriving there. The command-line tool's status board and the
// window share these rules.
#pragma once

#include "image/settings_store.h"
#include "library/site_library.h"
#include "library/stored_settings.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The state of one screen, most urgent last.
enum class ScreenState {
    NeverRead,   // no Vrx.cfg: the processor's settings were never read into this screen
    UpToDate,    // stored settings that pass their checks, read at most the overdue days ago
    Overdue,     // stored settings that pass their checks, read longer ago than that
    FailsChecks, // a Vrx.cfg that a Send would refuse: a block fails its check, or the file is
                 // not a settings file of a valid length; the screen should be read again
    Conflict,    // a sync engine left a copy of one of its files after a conflict (two machines
                 // changed it at once): which version holds is to be settled first
};

// How long ago stored settings may have been read and still count as up to date.
inline constexpr int kDefaultOverdueDays = 365;

struct ScreenStatus {
    ScreenTarget m_target;
    // The last-write time of the screen's Vrx.cfg, which the program sets to the time the
    // settings were read from the processor (also when a kept version is restored); nullopt
    // when there is no Vrx.cfg.
    std::optional<std::time_t> m_lastRead;
    ScreenState m_nState = ScreenState::NeverRead;
};

// The state from what is stored: stored is what the settings file holds (None also for a
// Vrx.cfg of another length), lastRead its time when there is one. Settings read more than
// nOverdueDays × 24 hours before now are overdue.
ScreenState ScreenStateOf(StoredSettingsState stored, std::optional<std::time_t> lastRead,
                          std::time_t now, int nOverdueDays);

// The status of the screen below the library folder root, read from its Vrx.cfg now; Conflict
// whenever its folder or History holds a conflicting copy (ScreenConflicts).
ScreenStatus ReadScreenStatus(const std::filesystem::path& root, const ScreenTarget& target,
                              std::time_t now, int nOverdueDays);

// The circuits a scope names: its first name alone, or (scope empty) every circuit of the library
// in natural order. Walks the library's circuit cursor.
std::vector<std::string> ScopeCircuits(SiteLibrary& library, const std::vector<std::string>& scope);

// The screens of the library (scope empty), of one circuit (its name) or of one theater (the
// circuit's and the theater's names), in the order the listing shows them: circuits in natural
// order, theaters and screens in library order. A scope the library does not hold gives none.
// Walks the library's cursors; the current selection is not kept.
std::vector<ScreenTarget> LibraryScreens(SiteLibrary& library,
                                         const std::vector<std::string>& scope);

// The state in words: "never read", "up to date", "overdue", "fails its checks", "conflict".
const char* ScreenStateText(ScreenState state);

// A local date as the board prints it, "2026-12-07"; "unknown" when the system cannot express it.
std::string ShortDateText(std::time_t when);
// A local date as the window's panel and the paper headers print it, "Monday, December 07,
// 2026", with the time " at 09:05:03 PM" when bWithTime; empty when it cannot be expressed.
std::string LongDateText(std::time_t when, bool bWithTime);

// One line of the status board, in fixed columns for scripts: the state padded to 16 characters,
// two spaces, the date the settings were read (or "never") padded to 10, two spaces, then
// CIRCUIT/THEATER/SCREEN ("/" never stands in a name, spaces may):
//   "overdue           2025-11-03  Odeon/Main/2"
std::string ScreenStatusLine(const ScreenStatus& status);
