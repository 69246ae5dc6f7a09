// "vrx3km-cli report ... --pdf FILE" and "vrx3km-cli visit ... --pdf FILE": built only where the
// tool writes PDF (ToolWritesPdf).
#pragma once

#include "cli_site.h"

struct VisitRecord;

// Writes the report of the screen, or of every screen with stored settings under the theater or
// circuit, to the PDF file the request names. Needs no display.
ExitStatus PdfReportCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io,
                            const SiteSelect& select);

// Writes the visit record to the PDF file the request names, the footer naming the technician of
// --who or of this account where known. Needs no display.
ExitStatus PdfVisitCommand(const CliRequest& request, const VisitRecord& record, CliStreams& io);
