#include "library/site_status.h"

#include "library/conflict_resolve.h"
#include "library/site_order.h"
#include "library/site_storage.h"

#include "image/portable.h"

#include <algorithm>
#include <iomanip>
#include <locale>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The fixed columns of a status line: the state, then the date.
constexpr std::size_t kStateWidth = 16;
constexpr std::size_t kDateWidth = 10;

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width)
        text.resize(width, ' ');
    return text;
}

// The local time in the "C" locale's names, whatever language the desktop speaks.
std::string LocalText(std::time_t when, const char* format) {
    std::tm local{};
    if (!ToLocalTime(when, local))
        return {};
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::put_time(&local, format);
    return out.str();
}

} // namespace

ScreenState ScreenStateOf(StoredSettingsState stored, std::optional<std::time_t> lastRead,
                          std::time_t now, int nOverdueDays) {
    if (!lastRead)
        return ScreenState::NeverRead;
    if (stored != StoredSettingsState::Valid)
        return ScreenState::FailsChecks;
    // A file dated in the future (a clock set wrong) counts as read now.
    const double age = std::difftime(now, *lastRead);
    return age > static_cast<double>(nOverdueDays) * 24 * 60 * 60 ? ScreenState::Overdue
                                                                  : ScreenState::UpToDate;
}

ScreenStatus ReadScreenStatus(const fs::path& root, const ScreenTarget& target, std::time_t now,
                              int nOverdueDays) {
    const fs::path settings =
        LibraryDiskPath(root, BuildLibraryPath(PathKind::SettingsFile, target.m_strCircuit,
                                               target.m_strTheater, target.m_strScreen));
    ScreenStatus status{target, std::nullopt, ScreenState::NeverRead};
    std::error_code ec;
    const fs::file_time_type written = fs::last_write_time(settings, ec);
    if (!ec)
        status.m_lastRead = ToCalendarTime(written);
    status.m_nState =
        ScreenStateOf(StoredSettingsStateOf(settings), status.m_lastRead, now, nOverdueDays);
    if (!ScreenConflicts(settings.parent_path()).empty())
        status.m_nState = ScreenState::Conflict;
    return status;
}

std::vector<std::string> ScopeCircuits(SiteLibrary& library,
                                       const std::vector<std::string>& scope) {
    if (!scope.empty())
        return {scope[0]};
    std::vector<std::string> circuits;
    for (library.FirstCircuit(); library.HasCircuit(); library.NextCircuit())
        circuits.push_back(library.GetCircuitName());
    std::sort(circuits.begin(), circuits.end(),
              [](const std::string& a, const std::string& b) { return SiteNameLess(a, b); });
    return circuits;
}

std::vector<ScreenTarget> LibraryScreens(SiteLibrary& library,
                                         const std::vector<std::string>& scope) {
    const std::vector<std::string> circuits = ScopeCircuits(library, scope);
    std::vector<ScreenTarget> screens;
    const auto addScreens = [&] {
        for (library.FirstScreen(); library.HasScreen(); library.NextScreen())
            screens.push_back(
                {library.GetCircuitName(), library.GetTheaterName(), library.GetScreenName()});
    };
    for (const std::string& circuit : circuits) {
        if (!library.FindCircuit(circuit))
            continue;
        if (scope.size() > 1) {
            if (library.FindTheater(scope[1]))
                addScreens();
            continue;
        }
        for (library.FirstTheater(); library.HasTheater(); library.NextTheater())
            addScreens();
    }
    return screens;
}

const char* ScreenStateText(ScreenState state) {
    switch (state) {
    case ScreenState::UpToDate:
        return "up to date";
    case ScreenState::Overdue:
        return "overdue";
    case ScreenState::FailsChecks:
        return "fails its checks";
    case ScreenState::Conflict:
        return "conflict";
    case ScreenState::NeverRead:
        break;
    }
    return "never read";
}

std::string ShortDateText(std::time_t when) {
    const std::string text = LocalText(when, "%Y-%m-%d");
    return text.empty() ? "unknown" : text;
}

std::string LongDateText(std::time_t when, bool bWithTime) {
    return LocalText(when, bWithTime ? "%A, %B %d, %Y at %I:%M:%S %p" : "%A, %B %d, %Y");
}

std::string ScreenStatusLine(const ScreenStatus& status) {
    const ScreenTarget& target = status.m_target;
    return Padded(ScreenStateText(status.m_nState), kStateWidth) + "  " +
           Padded(status.m_lastRead ? ShortDateText(*status.m_lastRead) : "never", kDateWidth) +
           "  " + target.m_strCircuit + "/" + target.m_strTheater + "/" + target.m_strScreen;
}
