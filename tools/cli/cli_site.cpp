#include "cli_site.h"

#include "library/site_status.h"
#include "library/site_storage.h"
#include "library/site_visit.h"

#ifdef VRX_CLI_PDF
#include "cli_paper.h"
#endif

#include <array>
#include <ctime>
#include <ostream>

namespace {

ExitStatus StatusCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io,
                         const SiteSelect& select) {
    select(request.m_names);
    const int nDays = request.m_nDays.value_or(kDefaultOverdueDays);
    const std::time_t now = std::time(nullptr);
    constexpr std::array kStates = {ScreenState::NeverRead, ScreenState::UpToDate,
                                    ScreenState::Overdue, ScreenState::FailsChecks,
                                    ScreenState::Conflict};
    std::array<int, kStates.size()> counts{};
    int nScreens = 0;
    for (const ScreenTarget& target : LibraryScreens(storage.Library(), request.m_names)) {
        const ScreenStatus status = ReadScreenStatus(storage.Root(), target, now, nDays);
        io.m_out << ScreenStatusLine(status) << "\n";
        ++counts[static_cast<std::size_t>(status.m_nState)];
        ++nScreens;
    }
    if (nScreens == 0) {
        io.m_err << (request.m_names.empty() ? "The library holds no screens yet.\n"
                                             : "No screens there yet.\n");
        return kExitSuccess;
    }
    // "4 screens; never read: 1, up to date: 2, overdue (read more than 365 days ago): 1."
    io.m_err << nScreens << (nScreens == 1 ? " screen" : " screens");
    const char* separator = "; ";
    for (std::size_t i = 0; i < kStates.size(); ++i) {
        if (counts[i] == 0)
            continue;
        io.m_err << separator << ScreenStateText(kStates[i]);
        if (kStates[i] == ScreenState::Overdue)
            io.m_err << " (read more than " << nDays << (nDays == 1 ? " day" : " days") << " ago)";
        io.m_err << ": " << counts[i];
        separator = ", ";
    }
    io.m_err << ".\n";
    return kExitSuccess;
}

// The record of a visit to the named circuit or theater, as text on standard output or as a PDF.
ExitStatus VisitCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io,
                        const SiteSelect& select) {
    select(request.m_names);
    const std::time_t now = std::time(nullptr);
    // The command line took only a date StartOfLocalDay reads.
    const std::time_t since =
        request.m_strSince ? StartOfLocalDay(*request.m_strSince).value_or(now) : StartOfToday(now);
    const VisitRecord record =
        ReadVisitRecord(storage.Root(), storage.Library(), request.m_names, since, now,
                        request.m_nDays.value_or(kDefaultOverdueDays));
    const std::size_t nScreens = record.m_touched.size() + record.m_untouched.size();
    if (nScreens == 0) {
        io.m_err << "vrx3km-cli: " << VisitScopeText(record)
                 << " holds no screens yet, so there is no visit to record.\n";
        return request.m_strPdf.empty() ? kExitSuccess : kExitFileError;
    }
    io.m_err << record.m_touched.size() << " of " << nScreens
             << (nScreens == 1 ? " screen" : " screens") << " touched since "
             << LongDateText(since, false) << ".\n";
    if (request.m_strPdf.empty()) {
        io.m_out << RenderVisitText(record);
        return kExitSuccess;
    }
#ifdef VRX_CLI_PDF
    return PdfVisitCommand(request, record, io);
#else
    // The command line refuses --pdf in this build before any command runs.
    return kExitUsage;
#endif
}

} // namespace

bool IsSiteCommand(const CliRequest& request) {
    return request.m_strCommand == "status" || request.m_strCommand == "visit" ||
           (request.m_strCommand == "report" && !request.m_strPdf.empty());
}

ExitStatus RunSiteCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io,
                          const SiteSelect& select) {
    if (request.m_strCommand == "status")
        return StatusCommand(request, storage, io, select);
    if (request.m_strCommand == "visit")
        return VisitCommand(request, storage, io, select);
#ifdef VRX_CLI_PDF
    return PdfReportCommand(request, storage, io, select);
#else
    // The command line refuses --pdf in this build before any command runs.
    io.m_err << "vrx3km-cli: this build writes no PDF\n";
    return kExitUsage;
#endif
}
