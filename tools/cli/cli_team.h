// The commands of vrx3km-cli for a library that a team shares through a sync engine: the log of
// who did what, and the copies a sync engine left after a conflict, listed and settled.
#pragma once

#include "cli_commands.h"
#include "cli_options.h"

#include "library/site_log.h"

#include <functional>
#include <string>
#include <vector>

class CSiteStorage;
struct SiteSelection;

// Who this run's log lines name: --who, else the technician stored for the account (else its
// full name); this machine; the reason --why gave.
LogAuthor AuthorOf(const CliRequest& request);

// What these commands borrow from the tool's other commands.
struct TeamServices {
    // The named circuit, theater and screen resolved; throws the tool's own name problem.
    std::function<SiteSelection(const std::vector<std::string>&)> m_select;
    // Asks the technician (or answers yes for --yes); true for consent.
    std::function<bool(const std::string&)> m_ask;
};

// True for "log", "conflicts" and "resolve".
bool IsTeamCommand(const std::string& strCommand);

// Runs one of them; FileError passes out to the caller like in every command.
ExitStatus RunTeamCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io,
                          const TeamServices& services);
