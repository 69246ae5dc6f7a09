// The command line of vrx3km-cli: what the technician asked for, and the help texts.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

// Exit statuses of the tool, for scripts. main() hands the value to the system.
enum class ExitStatus {
    kExitSuccess = 0,
    kExitFailed = 1,     // a transfer failed, or the technician declined
    kExitUsage = 2,      // bad usage, or a name that is unknown or unsafe
    kExitFileError = 3,  // a stored file could not be read or written, or the library folder
                         // given is missing
    kExitDiffers = 4,    // compare found differences
    kExitFolderKept = 5, // delete kept the folder: it holds something else or cannot go
};
using enum ExitStatus;

struct CliRequest {
    std::string m_strCommand;         // "list", "add", ...; empty with m_bHelp for the tool
    std::vector<std::string> m_names; // circuit, theater, screen as given
    std::string m_strDir;             // the library folder given with --dir; empty: none
    std::optional<int> m_nPortIndex;  // 0..3 from --port COMn; else the profile's
    std::string m_strPortDevice;      // --port DEVICE: a device for this run
    std::string m_strTrace;           // --trace FILE, made absolute against the start folder
    bool m_bFind = false;             // ports --find
    // ports --test-cable [COMn|DEVICE]: the port whose cable is tested, "" for the port in use
    std::optional<std::string> m_cableTest;
    // ports --map COMn DEVICE
    std::optional<std::pair<std::string, std::string>> m_mapping;
    bool m_bYes = false;    // consent given in advance
    bool m_bHelp = false;   // show help for m_strCommand (or the tool) and stop
    bool m_bVerify = false; // send --verify: compare the processor afterwards
    // What compare compares the screen's stored settings with; none of the three: the
    // processor. At most one is given, and only to compare.
    std::vector<std::string> m_withNames;    // --with CIRCUIT THEATER SCREEN
    std::optional<std::string> m_strFile;    // --file PATH, made absolute against the start folder
    std::optional<std::string> m_strVersion; // --version NAME, a name in the screen's History
    // A second --version NAME: the two kept versions are compared with each other.
    std::optional<std::string> m_strSecondVersion;
    bool m_bVersion = false; // show the version and stop
    // report --pdf FILE: the PDF to write, made absolute against the start folder; empty: none.
    std::string m_strPdf;
    std::optional<int> m_nDays; // status and visit --days N: settings read longer ago are overdue
    // visit --since YYYY-MM-DD, a date StartOfLocalDay takes; unset: today.
    std::optional<std::string> m_strSince;
    // Who the logs name for this run's commands (--who) and why they were done (--why); unset:
    // the technician stored for this account, and no reason.
    std::optional<std::string> m_strWho;
    std::optional<std::string> m_strWhy;
    std::optional<std::string> m_strKeep; // resolve --keep current|other
    bool m_bClear = false;                // screen-port --clear: the screen's own port is removed
    std::optional<int> m_nJobs;           // backup --jobs N: screens read at once
};

// True when this build writes PDF files (report and visit --pdf); the Windows build, made without
// Qt, does not.
bool ToolWritesPdf();

struct CliParse {
    std::optional<CliRequest> m_request; // set when the line is sound
    std::string m_strError;              // else what is wrong with it
};

// Options may stand anywhere; "--" ends them. "help [COMMAND]" and "--help" ask for help,
// "--version" for the version.
CliParse ParseCommandLine(const std::vector<std::string>& args);

// The help of the tool, or of one command; nullopt for an unknown command.
std::string ToolHelp();
std::optional<std::string> CommandHelp(const std::string& strCommand);
// "vrx3km-cli " and the program's version, as a line.
std::string VersionText();

// Only "y" and "yes", in any letter case, are consent; anything else, an empty line and end of
// input refuse.
bool IsConsent(const std::string& strAnswer);
