// The record of a service visit, which the technician hands over and files: for each screen of a
// site that was touched since a day, what the log says was done, how its stored settings changed
// field by field, whether the processor was verified, and the screen's notes; then the screens
// left alone, with their state on the status board.
//
// A screen counts as touched when its log holds a line since then, when History kept a version
// of its settings since then (a Load, a Restore or a settled conflict replaced them), or when its
// Vrx.cfg was read since then. Its settings "before" are those the visit's first replacement put
// into History (the settings as found, or as first read on the visit), its settings "after" the
// Vrx.cfg stored now; they are compared as "vrx3km-cli compare" compares (CompareSettings).
//
// Layer: above the status board (site_status.h), the History and the log; nothing here draws.
// The command-line tool prints the record as text; paper/visit_paper.h puts it on pages.
#pragma once

#include "image/settings_compare.h"
#include "library/site_library.h"
#include "library/site_log.h"
#include "library/site_status.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The start of the local day "YYYY-MM-DD"; nullopt for a text that is not such a date.
std::optional<std::time_t> StartOfLocalDay(std::string_view date);
// The start of the local day that holds `now`.
std::time_t StartOfToday(std::time_t now);

// How a screen's stored settings changed during the visit.
struct VisitChanges {
    // The kept version that holds the settings before the visit's first replacement; empty when
    // no stored settings were replaced since the visit began (nothing to compare then).
    std::string m_strBefore;
    std::optional<std::time_t> m_beforeRead; // when those settings were read from the processor
    std::optional<std::time_t> m_afterRead;  // when the stored Vrx.cfg was read
    std::vector<SettingsDifference> m_differences; // before against after, in report order
    // Why the two could not be compared (a version or Vrx.cfg that is missing or of no valid
    // length); empty when they were.
    std::string m_strProblem;
};

struct VisitScreen {
    ScreenStatus m_status;       // the screen and its state now, as the status board has them
    std::vector<LogEntry> m_log; // its log's lines since the visit began, every machine's by time
    std::size_t m_nUnreadableLogLines = 0; // lines of its log files that are not log lines
    VisitChanges m_changes;
    std::string m_strNotes;        // its Notes.txt as stored; empty when it has none
    std::string m_strNotesProblem; // why Notes.txt could not be read; empty when it could
};

struct VisitRecord {
    std::vector<std::string> m_scope; // the circuit, or the circuit and the theater
    std::time_t m_since = 0;          // when the visit began
    std::vector<VisitScreen> m_touched;
    std::vector<ScreenStatus> m_untouched;
};

// Gathers the record of the screens under scope (as LibraryScreens gives them, in that order)
// from the files below the library folder root. now and nOverdueDays judge the screens' states as
// the status board does. Reads only; a file that cannot be read is named in the record, never
// thrown.
VisitRecord ReadVisitRecord(const std::filesystem::path& root, SiteLibrary& library,
                            const std::vector<std::string>& scope, std::time_t since,
                            std::time_t now, int nOverdueDays = kDefaultOverdueDays);

// One part of the record as text, as it goes on paper: one touched screen, or the screens not
// touched. Lines end with "\n"; the first line names the part, the second is a rule of "=".
struct VisitPart {
    std::string m_strTitle; // "Odeon - Main - 1", or "Screens not touched"
    std::string m_strText;
    // Line numbers where its sections begin (the first 0): a page breaks only there when a
    // section fits on a page.
    std::vector<std::size_t> m_sectionStarts;
};

// The record's parts: each touched screen, then (when there are any) the others.
std::vector<VisitPart> RenderVisitParts(const VisitRecord& record);

// The scope as the record names it: "Odeon - Main".
std::string VisitScopeText(const VisitRecord& record);

// The whole record as plain text: a line naming the scope, the day and how many screens were
// touched, then every part, a blank line between them.
std::string RenderVisitText(const VisitRecord& record);
