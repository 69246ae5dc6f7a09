#include "library/stored_settings.h"

#include "image/file_error.h"
#include "library/site_storage.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

SettingsImage ReadSettingsFile(const fs::path& file) {
    std::error_code ec;
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
    // One byte more than the longest valid file, so that the length seen is the length at the
    // moment of reading.
    std::vector<char> bytes(kLongSettingsSize + 1);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad())
        throw FileError::FromErrno(EIO, path);
    const auto size = static_cast<std::uintmax_t>(in.gcount());
    if (size != kStoredSettingsSize && size != kLongSettingsSize)
        throw FileError(FileError::Cause::Generic, path);
    std::array<std::uint8_t, kSettingsFileSize> stored{};
    std::transform(bytes.begin(), bytes.begin() + kSettingsFileSize, stored.begin(),
                   [](char c) { return static_cast<std::uint8_t>(c); });
    SettingsImage image;
    FromStoredForm(stored, image);
    return image;
}

StoredSettingsState StoredSettingsStateOf(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        return StoredSettingsState::None;
    try {
        return SettingsImagePassesChecks(ReadSettingsFile(file)) ? StoredSettingsState::Valid
                                                                 : StoredSettingsState::FailsChecks;
    } catch (const FileError&) {
        return StoredSettingsState::None;
    }
}
