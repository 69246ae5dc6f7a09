// The commands of vrx3km-cli over the site library, the settings image and the device link.
#pragma once

#include "cli_options.h"

#include <iosfwd>

class CSerialPort;
class FrameCodec;
class SiteLibrary;
struct PortSettings;
struct SettingsImage;

struct CliStreams {
    std::istream& m_in;    // answers to questions
    std::ostream& m_out;   // results: the listing, the report
    std::ostream& m_err;   // status texts, progress, questions and messages
    bool m_bErrIsTerminal; // progress redraws one line on a terminal, else plain lines
};

// What one run of the tool acts on: made where the tool starts and handed to the command. The
// port keeps its codec beside it, so a frame cut off in one transfer of the run is continued by
// the next, as in the window.
struct CliObjects {
    SiteLibrary& m_library;
    SettingsImage& m_image;
    CSerialPort& m_port;
    FrameCodec& m_codec;
    PortSettings& m_portSettings;
};

// Runs one parsed request and returns its exit status.
ExitStatus RunCommand(const CliRequest& request, CliStreams& io, CliObjects& objects);
