// Configuration reports on paper and as PDF: the report's own text, line for line, in a
// fixed-pitch font, each screen from a new page, with a header and a footer on every page. One
// layout paints on any of Qt's paged devices: a PDF writer, a printer, a print preview.
//
// Needs a QGuiApplication (the command-line tool makes one on the offscreen platform).
#pragma once

#include "image/settings_store.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class QPagedPaintDevice;
class QPageLayout;

// One screen's report as it goes on paper.
struct PaperReport {
    std::string m_strCircuit;
    std::string m_strTheater;
    std::string m_strScreen;
    // When the settings were read from the processor (the last-write time of the screen's
    // Vrx.cfg), as the header prints it; empty when not known.
    std::string m_strSettingsDate;
    // The report's bytes exactly as Vrx.txt holds them: 8-bit text, lines ended by "\r\n".
    // Shown as UTF-8 when they are valid UTF-8 (names are kept so), else byte by byte.
    std::string m_strText;
    // Other documents in the same layout (a visit record) set these; empty, the header names the
    // screen and when its settings were read, and pages break between the report's sections.
    std::string m_strHeading{};                 // the header's first line instead of the screen
    std::string m_strSubheading{};              // its second line instead of the settings date
    std::vector<std::size_t> m_sectionStarts{}; // where the text's sections begin (the first 0)
};

// What the footer of every page says besides its number.
struct PaperFooter {
    std::string m_strPrintedOn;  // the date of printing, as PaperDateText gives it
    std::string m_strTechnician; // who printed it; empty when not known
};

// A date as the header and footer print it: "Monday, December 07, 2026" (the window's panel
// shows settings dates the same way), with the time "09:05:03 PM" after " at " when bWithTime.
std::string PaperDateText(std::time_t when, bool bWithTime);

// The footer for a printing now, by the technician named, else by the one the logs record for
// this account where known (KnownTechnicianName: the name stored in the user's settings, else the
// account's full name).
PaperFooter FooterForNow(std::optional<std::string> technician = std::nullopt);

// The report of the screen below root, from its Vrx.cfg: the bytes image/report.h renders (the
// same as Vrx.txt holds after a Load or View Configuration) and the file's date. Throws
// FileError when Vrx.cfg is missing or not a settings file of a valid length.
PaperReport ReadPaperReport(const std::filesystem::path& root, const ScreenTarget& target);

// The page size a new PDF takes: Letter where the system measures in inches, else A4.
QPageLayout DefaultPaperLayout();

struct PaperResult {
    int m_nPages = 0;         // pages painted
    std::string m_strProblem; // why nothing (or not everything) was painted; empty on success
};

// Paints the reports on the device in order, each from a new page. Pages are numbered through
// the whole document ("Page 3 of 12"). The font size is chosen so that the widest line (at least
// 80 columns) fits the page's width. Fails, painting nothing, when no fixed-pitch font is
// installed (the columns would not line up) or the device cannot be painted on.
PaperResult PaintReports(QPagedPaintDevice& device, const std::vector<PaperReport>& reports,
                         const PaperFooter& footer);

// Writes the reports as a PDF file with its fonts embedded, replacing the file whole (a
// temporary file, then renamed) or leaving it as it was. Throws FileError when the file cannot
// be written; a problem of PaintReports comes back in the result, and no file is written then.
PaperResult WriteReportsPdf(const std::filesystem::path& file,
                            const std::vector<PaperReport>& reports, const PaperFooter& footer,
                            const std::string& strTitle);
