#include "library/screen_store.h"

#include "image/atomic_file.h"
#include "image/file_error.h"
#include "image/report.h"
#include "image/settings_image.h"
#include "library/site_history.h"
#include "library/site_storage.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kSettingsFileName = "Vrx.cfg";
constexpr const char* kReportFileName = "Vrx.txt";

} // namespace

fs::path ScreenFolderPath(const fs::path& root, const ScreenTarget& target) {
    return LibraryDiskPath(root, BuildLibraryPath(PathKind::ScreenFolder, target.m_strCircuit,
                                                  target.m_strTheater, target.m_strScreen));
}

bool IsValidSettingsFile(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        return false;
    const std::uintmax_t size = fs::file_size(file, ec);
    return !ec && (size == kStoredSettingsSize || size == kLongSettingsSize);
}

namespace {

// True when file exists and does not hold exactly these bytes.
bool StoredBytesDiffer(const fs::path& file,
                       const std::array<std::uint8_t, kSettingsFileSize>& bytes) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(file, ec)))
        return false;
    std::ifstream in(file, std::ios::binary);
    std::string stored((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return stored.size() != bytes.size() ||
           !std::equal(bytes.begin(), bytes.end(), stored.begin(),
                       [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); });
}

} // namespace

void SaveScreenSettings(const fs::path& folder, const SettingsImage& image,
                        std::string_view circuit, std::string_view theater,
                        std::string_view screen) {
    RemoveStaleTemporaryFiles(folder);
    const auto bytes = ToStoredForm(image);
    PreparedFile settings(
        folder / kSettingsFileName,
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    PreparedFile report(folder / kReportFileName,
                        RenderConfigurationReport(image, circuit, theater, screen));
    // Stored settings that the new ones replace are kept whole in the screen's History first;
    // when they cannot be kept, nothing is replaced.
    if (StoredBytesDiffer(folder / kSettingsFileName, bytes))
        KeepSettingsInHistory(folder);
    // The report goes first: should the last rename fail, the stored settings are still the old
    // ones, as the error that is then shown says.
    report.Commit();
    settings.Commit();
}

void LoadScreenSettings(const fs::path& file, SettingsImage& image) {
    std::error_code ec;
    // The message names the file by its full path, so the technician can find it.
    const fs::path full = fs::absolute(file, ec);
    const std::string path = ec ? file.string() : full.lexically_normal().string();
    const fs::file_status status = fs::status(file, ec);
    if (ec && status.type() != fs::file_type::not_found)
        throw FileError::FromErrno(ec.value(), path);
    if (!fs::exists(status))
        throw FileError::FromErrno(ENOENT, path);
    // A folder, a pipe or a device of that name is no settings file; a pipe would also block
    // the read until another program wrote to it.
    if (!fs::is_regular_file(status))
        throw FileError(FileError::Cause::AccessDenied, path);
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw FileError::FromErrno(errno != 0 ? errno : EACCES, path);
    // Read one byte more than the longest valid file, so that the length seen is the length
    // at the moment of reading, not that of an earlier probe.
    std::vector<char> bytes(kLongSettingsSize + 1);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad())
        throw FileError::FromErrno(EIO, path);
    const auto size = static_cast<std::uintmax_t>(in.gcount());
    if (size != kStoredSettingsSize && size != kLongSettingsSize)
        throw FileError(FileError::Cause::Generic, path);
    std::array<std::uint8_t, kSettingsFileSize> stored{};
    std::memcpy(stored.data(), bytes.data(), stored.size());
    FromStoredForm(stored, image);
}

ScreenStore::ScreenStore(fs::path root) : m_root(std::move(root)) {}

bool ScreenStore::HasSettings(const ScreenTarget& target) {
    return IsValidSettingsFile(ScreenFolderPath(m_root, target) / kSettingsFileName);
}

void ScreenStore::SaveSettings(const ScreenTarget& target, const SettingsImage& image) {
    SaveScreenSettings(ScreenFolderPath(m_root, target), image, target.m_strCircuit,
                       target.m_strTheater, target.m_strScreen);
}

void ScreenStore::LoadSettings(const ScreenTarget& target, SettingsImage& image) {
    LoadScreenSettings(ScreenFolderPath(m_root, target) / kSettingsFileName, image);
}
