// Who did what to a screen, when and why: every Load, Send, Restore, Delete, backup and settled
// conflict adds one line to a log. Each machine writes a file of its own, log-MACHINE.txt, so two
// laptops that share the library through a sync engine never write the same file; the log is
// shown with the lines of every machine merged by time.
//
// A screen's log lies in its History folder (below the level the library scan reads); the
// library's own log, for the deletes of circuits, theaters and screens whose folders go with
// their History, lies in the library folder's hidden folder ".vrx3km".
//
// A line holds six fields separated by tabs and ends with CR LF:
//   2026-12-08 10:11:12 +0100 <TAB> A. Tech <TAB> laptop-a <TAB> Load <TAB> success <TAB> why
// the local time of the machine that wrote it with its offset from UTC, the technician, the
// machine, the action, its result and the reason given (empty when none). A backslash, a tab,
// a line break or any other control character in a field is written as an escape (\\, \t, \n,
// \r, \xHH), so a field never breaks the line or its columns. Fields after the sixth, which a
// later version may add, are ignored when a line is read.
//
// Layer: above the names of conflicting copies; beside the History.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Who acts, on which machine, and why.
struct LogAuthor {
    std::string m_strWho;     // the technician's name
    std::string m_strMachine; // MachineName()
    std::string m_strWhy;     // the reason given; empty when none
};

// This account's technician (TechnicianName), this machine, no reason.
LogAuthor CurrentAuthor();

struct LogEntry {
    std::string m_strTime;       // as written: "2026-12-08 10:11:12 +0100"
    std::int64_t m_nInstant = 0; // the same moment in seconds since 1970-01-01 00:00 UTC
    std::string m_strWho;
    std::string m_strMachine;
    std::string m_strAction;
    std::string m_strResult;
    std::string m_strWhy;
};

// The local time of `when` with its offset from UTC, as a log line carries it.
std::string LogTimeText(std::time_t when);

// A field as a log line writes it: control characters, tabs and backslashes escaped.
std::string LogFieldText(std::string_view field);

// An entry as the log is shown to the technician (vrx3km-cli log, the visit record):
// "TIME | MACHINE | TECHNICIAN | ACTION | RESULT | REASON", the reason left out when none, the
// fields escaped as LogFieldText does.
std::string LogEntryText(const LogEntry& entry);

// The action under which a read-back of the processor after a Send is logged; its result says
// whether the processor holds the stored settings (VerifyResultText).
inline constexpr std::string_view kVerifyAction = "Verify";
// The verify's result when the processor could not be read back.
inline constexpr std::string_view kVerifyReadFailed = "error: the processor could not be read back";
// "success: the processor holds exactly the stored settings", or how many fields differ.
std::string VerifyResultText(std::size_t nDifferences);

// One line without its line end; ParseLogLine gives the entry back (nullopt for a line that is
// not one: a line cut off by a crash, a line of another program).
std::string FormatLogLine(const LogEntry& entry);
std::optional<LogEntry> ParseLogLine(std::string_view line);

// "log-MACHINE.txt", and whether a file name is one.
std::string LogFileName(std::string_view machine);
bool IsLogFileName(std::string_view name);

// Where a screen's log and the library's log lie.
std::filesystem::path ScreenLogFolder(const std::filesystem::path& screenFolder);
std::filesystem::path LibraryLogFolder(const std::filesystem::path& root);

// Appends one line for the author's machine to its file in folder (the folder is made when
// missing), at the time `now`. Conflicting copies of that file, which only a sync engine makes,
// are merged into it first (MergeLogCopies): this machine is the only writer of its file. Throws
// FileError when the line cannot be written.
void AppendLog(const std::filesystem::path& folder, const LogAuthor& author,
               std::string_view action, std::string_view result,
               std::time_t now = std::time(nullptr));

// The lines of every machine's log file in folder, and of their conflicting copies, merged by
// time (lines the same in two files counted once); m_nUnreadable counts lines that are not log
// lines. A missing folder gives none.
struct LogRead {
    std::vector<LogEntry> m_entries;
    std::size_t m_nUnreadable = 0;
};
LogRead ReadLog(const std::filesystem::path& folder);

// Merges every conflicting copy of folder/fileName into it, by time and without repeating a line,
// then removes the copies; the merged file is replaced whole. Returns the copies merged. Throws
// FileError, leaving every file as it was, when the merged file cannot be written.
std::vector<std::string> MergeLogCopies(const std::filesystem::path& folder,
                                        std::string_view fileName);
