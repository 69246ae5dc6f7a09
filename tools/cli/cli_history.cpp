#include "cli_history.h"

#include "image/portable.h"
#include "image/settings_compare.h"
#include "image/settings_image.h"
#include "library/screen_lock.h"
#include "library/screen_store.h"
#include "library/site_history.h"
#include "library/site_storage.h"
#include "library/stored_settings.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <ostream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string ScreenText(const std::vector<std::string>& names) {
    return names.at(0) + "/" + names.at(1) + "/" + names.at(2);
}

// The kept version of that name, or nullptr after saying how to find the names.
const KeptSettings* FindVersion(const std::vector<KeptSettings>& versions, const std::string& name,
                                const std::vector<std::string>& names, CliStreams& io) {
    const auto it = std::find_if(versions.begin(), versions.end(),
                                 [&](const KeptSettings& kept) { return kept.m_strName == name; });
    if (it != versions.end())
        return &*it;
    io.m_err << "vrx3km-cli: " << ScreenText(names) << " has no kept settings \"" << name
             << "\"; \"vrx3km-cli history " << names[0] << " " << names[1] << " " << names[2]
             << "\" lists them\n";
    return nullptr;
}

ExitStatus HistoryCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io,
                          const HistoryServices& services) {
    const SiteSelection site = services.m_select(request.m_names);
    const auto versions = ListHistory(storage.DiskPath(site, PathKind::ScreenFolder));
    if (versions.empty())
        io.m_err << "No settings of " << ScreenText(request.m_names) << " have been kept yet.\n";
    for (const KeptSettings& kept : versions)
        io.m_out << kept.m_strName << "  " << kept.m_strTime << "  "
                 << StoredSettingsStateText(kept.m_nState) << "\n";
    return kExitSuccess;
}

ExitStatus RestoreCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io,
                          const HistoryServices& services) {
    const std::vector<std::string> names(request.m_names.begin(), request.m_names.begin() + 3);
    const std::string& name = request.m_names[3];
    const SiteSelection site = services.m_select(names);
    const fs::path screen = storage.DiskPath(site, PathKind::ScreenFolder);
    const auto versions = ListHistory(screen);
    const KeptSettings* version = FindVersion(versions, name, names, io);
    if (version == nullptr)
        return kExitUsage;
    if (version->m_nState == StoredSettingsState::None) {
        io.m_err << "vrx3km-cli: " << name << " is not a settings file of a valid length and "
                 << "cannot be restored; choose another version\n";
        return kExitFileError;
    }
    std::string question = "Put the settings kept on " + version->m_strTime + " (" + name +
                           ") back as the stored settings of " + ScreenText(names) + "?";
    std::error_code ec;
    if (fs::is_regular_file(storage.DiskPath(site, PathKind::SettingsFile), ec))
        question += " The current stored settings are kept in its History.";
    if (version->m_nState == StoredSettingsState::FailsChecks)
        question += " These settings fail their checks: a Send will refuse them.";
    if (!services.m_ask(question)) {
        io.m_err << "Nothing was restored.\n";
        return kExitFailed;
    }
    std::optional<std::string> kept;
    try {
        kept = RestoreFromHistory(screen, name, names[0], names[1], names[2], std::time(nullptr),
                                  services.m_author);
    } catch (const ScreenInUse& busy) {
        io.m_err << "vrx3km-cli: " << busy.what() << "\n";
        return kExitFailed;
    }
    io.m_err << "Restored " << name << " as " << storage.SitePath(site, PathKind::SettingsFile);
    if (kept)
        io.m_err << "; the settings it replaced are kept as " << *kept;
    io.m_err << "\n";
    return kExitSuccess;
}

ExitStatus CompareCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io,
                          const HistoryServices& services) {
    const SiteSelection site = services.m_select(request.m_names);
    const fs::path screen = storage.DiskPath(site, PathKind::ScreenFolder);
    // Two kept versions are compared with each other; else the stored settings with the other.
    SettingsImage stored;
    std::string strStored = ScreenText(request.m_names);
    if (request.m_strSecondVersion) {
        if (FindVersion(ListHistory(screen), *request.m_strVersion, request.m_names, io) == nullptr)
            return kExitUsage;
        stored = ReadSettingsFile(screen / kHistoryFolderName / *request.m_strVersion);
        strStored += " as kept in " + *request.m_strVersion;
    } else {
        stored = ReadSettingsFile(storage.DiskPath(site, PathKind::SettingsFile));
    }
    SettingsImage other;
    std::string strOther;
    if (!request.m_withNames.empty()) {
        const SiteSelection with = services.m_select(request.m_withNames);
        other = ReadSettingsFile(storage.DiskPath(with, PathKind::SettingsFile));
        strOther = ScreenText(request.m_withNames);
    } else if (request.m_strFile) {
        other = ReadSettingsFile(PathFromUtf8(*request.m_strFile));
        strOther = *request.m_strFile;
    } else if (request.m_strVersion) {
        const std::string& version =
            request.m_strSecondVersion ? *request.m_strSecondVersion : *request.m_strVersion;
        if (FindVersion(ListHistory(screen), version, request.m_names, io) == nullptr)
            return kExitUsage;
        other = ReadSettingsFile(screen / kHistoryFolderName / version);
        strOther = "the version " + version;
    } else {
        // The processor's side of the comparison is read into an image of its own.
        if (!services.m_readProcessor) {
            io.m_err << "vrx3km-cli: comparing with the processor is not available in this "
                        "version; compare with --with, --file or --version\n";
            return kExitUsage;
        }
        if (const ExitStatus status = services.m_readProcessor(other); status != kExitSuccess)
            return status;
        strOther = "the VRX-3KM";
    }
    const auto differences = CompareSettings(stored, other);
    io.m_err << "Stored settings of " << strStored << " | " << strOther << ":\n";
    io.m_out << FormatDifferences(differences);
    return differences.empty() ? kExitSuccess : kExitDiffers;
}

} // namespace

bool IsHistoryCommand(const std::string& strCommand) {
    return strCommand == "history" || strCommand == "restore" || strCommand == "compare";
}

ExitStatus RunHistoryCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io,
                             const HistoryServices& services) {
    if (request.m_strCommand == "history")
        return HistoryCommand(request, storage, io, services);
    if (request.m_strCommand == "restore")
        return RestoreCommand(request, storage, io, services);
    return CompareCommand(request, storage, io, services);
}
