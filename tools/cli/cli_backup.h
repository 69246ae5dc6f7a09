// The commands of vrx3km-cli over screens with their own ports: screen-port shows, sets or
// removes a screen's own port, backup reads every screen that has one.
#pragma once

#include "cli_commands.h"
#include "cli_options.h"

#include <functional>
#include <string>
#include <vector>

class CSiteStorage;

// Makes the named circuit, theater and screen (as many as given) current; throws the tool's own
// name problem (exit status 2) for a name the library does not hold.
using ScreenSelect = std::function<void(const std::vector<std::string>&)>;

// True for "screen-port" and "backup".
bool IsScreenPortCommand(const std::string& strCommand);

// Runs one of them; FileError passes out to the caller like in every command.
ExitStatus RunScreenPortCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io,
                                PortSettings& portSettings, const ScreenSelect& select);
