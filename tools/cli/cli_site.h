// The commands of vrx3km-cli over a whole site: the status board, the record of a service visit,
// and the reports of a screen, a theater or a circuit as a PDF to print.
#pragma once

#include "cli_commands.h"
#include "cli_options.h"

#include <functional>
#include <string>
#include <vector>

class CSiteStorage;

// Makes the named circuit, theater and screen (as many as given) current; throws the tool's own
// name problem (exit status 2) for a name the library does not hold.
using SiteSelect = std::function<void(const std::vector<std::string>&)>;

// True for "status" and "visit", and for "report" with --pdf.
bool IsSiteCommand(const CliRequest& request);

// Runs one of them; FileError passes out to the caller like in every command.
ExitStatus RunSiteCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io,
                          const SiteSelect& select);
