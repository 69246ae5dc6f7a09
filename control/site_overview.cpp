#include "control/site_overview.h"

#include "image/file_error.h"
#include "image/portable.h"
#include "library/screen_port.h"
#include "library/screen_store.h"
#include "library/user_settings.h"
#include "link/port_mapping.h"

#include <array>
#include <iomanip>
#include <locale>
#include <sstream>

namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string DateText(std::time_t when) {
    std::tm local{};
    if (!ToLocalTime(when, local))
        return "unknown";
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::put_time(&local, "%Y-%m-%d");
    return out.str();
}

} // namespace

std::vector<std::string> SiteScopeOf(const SiteSelection& site) {
    switch (site.m_nLevel) {
    case SiteLevel::None:
        return {};
    case SiteLevel::Circuit:
        return {site.m_strCircuit};
    case SiteLevel::Theater:
    case SiteLevel::Screen:
        break;
    }
    return {site.m_strCircuit, site.m_strTheater};
}

std::string SiteScopeText(const std::vector<std::string>& scope) {
    if (scope.empty())
        return "the whole library";
    std::string text;
    for (const std::string& name : scope)
        text += (text.empty() ? "" : " / ") + name;
    return text;
}

std::vector<StatusRow> SiteStatusRows(SiteLibrary& library, const std::filesystem::path& root,
                                      const std::vector<std::string>& scope, std::time_t now,
                                      int nOverdueDays) {
    std::vector<StatusRow> rows;
    for (const ScreenTarget& target : LibraryScreens(library, scope)) {
        StatusRow row;
        row.m_status = ReadScreenStatus(root, target, now, nOverdueDays);
        row.m_strLastRead = row.m_status.m_lastRead ? DateText(*row.m_status.m_lastRead) : "never";
        const ScreenPort own = ReadScreenPort(ScreenFolderPath(root, target));
        row.m_bPortProblem = !own.m_strProblem.empty();
        row.m_strPort = row.m_bPortProblem ? own.m_strProblem : own.m_strName;
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string StatusSummary(const std::vector<StatusRow>& rows) {
    constexpr std::array kStates = {ScreenState::NeverRead, ScreenState::UpToDate,
                                    ScreenState::Overdue, ScreenState::FailsChecks,
                                    ScreenState::Conflict};
    std::array<int, kStates.size()> counts{};
    for (const StatusRow& row : rows)
        ++counts.at(static_cast<std::size_t>(row.m_status.m_nState));
    std::string text = std::to_string(rows.size()) + (rows.size() == 1 ? " screen" : " screens");
    const char* separator = ": ";
    for (std::size_t i = 0; i < kStates.size(); ++i) {
        if (counts[i] == 0)
            continue;
        text += separator + std::to_string(counts[i]) + " " + ScreenStateText(kStates[i]);
        separator = ", ";
    }
    return text + ".";
}

bool NeedsAttention(ScreenState state) {
    return state != ScreenState::UpToDate;
}

std::vector<BackupScreen> BackupScreensOf(SiteLibrary& library, const std::filesystem::path& root,
                                          const std::vector<std::string>& scope) {
    std::vector<BackupScreen> screens;
    for (const ScreenTarget& target : LibraryScreens(library, scope)) {
        const ScreenPort own = ReadScreenPort(ScreenFolderPath(root, target));
        screens.push_back(BackupScreen{target, own.m_strName, own.m_strProblem});
    }
    return screens;
}

std::string SetScreenPort(const std::filesystem::path& screenFolder, const std::string& name) {
    const std::string port = Trimmed(name);
    try {
        if (port.empty()) {
            ClearScreenPort(screenFolder);
            return {};
        }
        if (std::string problem = PortNameProblem(port); !problem.empty())
            return problem;
        WriteScreenPort(screenFolder, port);
    } catch (const FileError& error) {
        return error.Message();
    }
    return {};
}

bool ShouldAskTechnicianName() {
    return UserSettingsFile().has_value() && !StoredTechnicianName().has_value();
}

std::string SuggestedTechnicianName() {
    if (std::optional<std::string> stored = StoredTechnicianName())
        return *stored;
    return AccountFullName();
}

std::string SaveTechnicianName(const std::string& name) {
    const std::string who = Trimmed(name);
    if (who.empty())
        return "Type your name: the log of every screen records who did what.";
    if (who.size() > kTechnicianNameLimit)
        return "The name is too long: type at most " + std::to_string(kTechnicianNameLimit) +
               " characters.";
    try {
        StoreTechnicianName(who);
    } catch (const FileError& error) {
        return error.Message();
    }
    return {};
}
