// The commands of vrx3km-cli over the site library, the settings image and the device link.
#pragma once

#include "cli_options.h"

#include <iosfwd>

struct CliStreams {
    std::istream& m_in;    // answers to questions
    std::ostream& m_out;   // results: the listing, the report
    std::ostream& m_err;   // status texts, progress, questions and messages
    bool m_bErrIsTerminal; // progress redraws one line on a terminal, else plain lines
};

// Runs one parsed request and returns its exit status (ExitStatus).
int RunCommand(const CliRequest& request, CliStreams& io);
