#include "library/screen_store.h"

#include "image/atomic_file.h"
#include "image/file_error.h"
#include "image/portable.h"
#include "image/regular_file.h"
#include "image/report.h"
#include "image/settings_image.h"
#include "image/stored_files.h"
#include "library/screen_lock.h"
#include "library/site_history.h"
#include "library/site_paths.h"
#include "library/stored_settings.h"

#include <array>
#include <cstring>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// True when file is a regular file that does not hold exactly these bytes. Anything that is not
// a regular file holds no settings: it is replaced, and nothing of it is read.
bool StoredBytesDiffer(const fs::path& file, std::string_view bytes) {
    std::error_code ec;
    if (!fs::is_regular_file(fs::status(file, ec)))
        return false;
    const RegularFileRead read = ReadRegularFile(file, kLongSettingsFileSize);
    ThrowUnlessFileFound(read, file);
    return read.m_nStatus == RegularFileStatus::TooLarge || read.m_bytes != bytes;
}

} // namespace

fs::path ScreenFolderPath(const fs::path& root, const ScreenTarget& target) {
    return LibraryDiskPath(root, BuildLibraryPath(PathKind::ScreenFolder, target.m_strCircuit,
                                                  target.m_strTheater, target.m_strScreen));
}

std::optional<std::string> StoreScreenFiles(const fs::path& folder, std::string_view settings,
                                            std::string_view report,
                                            std::optional<fs::file_time_type> settingsTime,
                                            std::time_t now, const std::string& machine) {
    RemoveStaleTemporaryFiles(folder);
    PreparedFile settingsFile(folder / kSettingsFileName, settings);
    if (settingsTime) {
        // The time goes with the bytes: the rename keeps it.
        std::error_code ignored;
        fs::last_write_time(settingsFile.TemporaryPath(), *settingsTime, ignored);
    }
    PreparedFile reportFile(folder / kReportFileName, report);
    // Stored settings that the new ones replace are kept whole in the screen's History first;
    // when they cannot be kept, nothing is replaced.
    std::optional<std::string> kept;
    if (StoredBytesDiffer(folder / kSettingsFileName, settings))
        kept = KeepSettingsInHistory(folder, now, machine);
    // The report goes first: should the last rename fail, the stored settings are still the old
    // ones, as the error that is then shown says.
    reportFile.Commit();
    settingsFile.Commit();
    return kept;
}

void SaveScreenSettings(const fs::path& folder, const SettingsImage& image,
                        std::string_view circuit, std::string_view theater,
                        std::string_view screen) {
    const auto bytes = ToStoredForm(image);
    StoreScreenFiles(folder,
                     std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                     RenderConfigurationReport(image, circuit, theater, screen));
}

ScreenStore::ScreenStore(fs::path root, LogAuthor author)
    : m_root(std::move(root)), m_author(std::move(author)) {}

std::string ScreenStore::LogCommand(const ScreenTarget& target, const std::string& strCommand,
                                    const std::string& strResult) {
    return LogScreenCommand(ScreenFolderPath(m_root, target), m_author,
                            strCommand == "Load" ? m_strLoadAction : strCommand, strResult);
}

std::string LogScreenCommand(const fs::path& screenFolder, const LogAuthor& author,
                             std::string_view action, std::string_view result, std::time_t now) {
    try {
        AppendLog(ScreenLogFolder(screenFolder), author, action, result, now);
        return {};
    } catch (const FileError& error) {
        return "The screen's log could not be written: " + error.Message();
    }
}

ScreenClaimResult ScreenStore::ClaimScreen(const ScreenTarget& target,
                                           const std::string& strCommand) {
    return ClaimScreenFolder(ScreenFolderPath(m_root, target), ScreenText(target), strCommand);
}

bool ScreenStore::HasSettings(const ScreenTarget& target) {
    return IsValidSettingsFile(ScreenFolderPath(m_root, target) / kSettingsFileName);
}

void ScreenStore::SaveSettings(const ScreenTarget& target, const SettingsImage& image) {
    SaveScreenSettings(ScreenFolderPath(m_root, target), image, target.m_strCircuit,
                       target.m_strTheater, target.m_strScreen);
}

void ScreenStore::LoadSettings(const ScreenTarget& target, SettingsImage& image) {
    image = ReadSettingsFile(ScreenFolderPath(m_root, target) / kSettingsFileName);
}

ScreenTarget ScreenOf(const SiteSelection& site) {
    return {site.m_strCircuit, site.m_strTheater, site.m_strScreen};
}

std::string ScreenText(const ScreenTarget& target) {
    return target.m_strCircuit + " - " + target.m_strTheater + " - " + target.m_strScreen;
}

namespace {

std::optional<std::string> RestoreVersion(const fs::path& screenFolder, std::string_view name,
                                          std::string_view circuit, std::string_view theater,
                                          std::string_view screen, std::time_t now,
                                          const LogAuthor& author) {
    const fs::path version = screenFolder / kHistoryFolderName / PathFromUtf8(name);
    // Nothing else writes the screen while its settings are put back.
    const ScreenClaimResult claim = ClaimScreenFolder(
        screenFolder, ScreenText({std::string(circuit), std::string(theater), std::string(screen)}),
        "Restore");
    if (!claim.IsClaimed())
        throw ScreenInUse(claim.m_strRefusal);
    // Read and check the version before anything changes, so a bad one leaves all as it was.
    const std::string bytes = ReadSettingsBytes(version);
    const SettingsImage image = SettingsImageOf(bytes);
    // The restored Vrx.cfg carries the time its settings were read from the processor.
    std::error_code ec;
    const fs::file_time_type readTime = fs::last_write_time(version, ec);
    return StoreScreenFiles(
        screenFolder, bytes, RenderConfigurationReport(image, circuit, theater, screen),
        ec ? std::nullopt : std::optional<fs::file_time_type>(readTime), now, author.m_strMachine);
}

} // namespace

std::optional<std::string> RestoreFromHistory(const fs::path& screenFolder, std::string_view name,
                                              std::string_view circuit, std::string_view theater,
                                              std::string_view screen, std::time_t now,
                                              const LogAuthor& author) {
    const std::string restored = "restored " + std::string(name);
    // A name that is no kept version is refused before anything is tried, and not logged.
    const fs::path version = screenFolder / kHistoryFolderName / PathFromUtf8(name);
    std::error_code ec;
    if (!IsHistoryName(name) || !fs::is_regular_file(version, ec))
        throw FileError::FromErrno(ENOENT, FullPathText(version));
    try {
        std::optional<std::string> kept =
            RestoreVersion(screenFolder, name, circuit, theater, screen, now, author);
        LogScreenCommand(
            screenFolder, author, "Restore",
            kept ? restored + "; the replaced settings are kept as " + *kept : restored, now);
        return kept;
    } catch (const ScreenInUse&) {
        LogScreenCommand(screenFolder, author, "Restore",
                         "refused: another command held the screen", now);
        throw;
    } catch (const FileError& error) {
        LogScreenCommand(screenFolder, author, "Restore", "error: " + error.Message(), now);
        throw;
    }
}
