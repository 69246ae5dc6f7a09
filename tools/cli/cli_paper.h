// "vrx3km-cli report ... --pdf FILE": built only where the tool writes PDF (ToolWritesPdf).
#pragma once

#include "cli_site.h"

// Writes the report of the screen, or of every screen with stored settings under the theater or
// circuit, to the PDF file the request names. Needs no display.
ExitStatus PdfReportCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io,
                            const SiteSelect& select);
