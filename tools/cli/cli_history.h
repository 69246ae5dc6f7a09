// The commands of vrx3km-cli over kept and compared settings: history, restore and compare.
#pragma once

#include "cli_commands.h"
#include "cli_options.h"

#include "library/site_log.h"

#include <functional>
#include <string>
#include <vector>

class CSiteStorage;
struct SettingsImage;
struct SiteSelection;

// What these commands borrow from the tool's other commands.
struct HistoryServices {
    // The named circuit, theater and screen resolved; throws the tool's own name problem (exit
    // status 2) for a name the library does not hold.
    std::function<SiteSelection(const std::vector<std::string>&)> m_select;
    // Asks the technician (or answers yes for --yes); true for consent.
    std::function<bool(const std::string&)> m_ask;
    // Reads the processor's four blocks into an image of its own (never the stored file, never
    // the image a Load or Send uses) and returns kExitSuccess, or the exit status of the failed
    // transfer after saying why. Empty while the tool cannot yet read for a comparison.
    std::function<ExitStatus(SettingsImage&)> m_readProcessor;
    // Who the screen's log names for a Restore, and why.
    LogAuthor m_author;
};

// True for "history", "restore" and "compare".
bool IsHistoryCommand(const std::string& strCommand);

// Runs one of them; FileError passes out to the caller like in every command.
ExitStatus RunHistoryCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io,
                             const HistoryServices& services);
