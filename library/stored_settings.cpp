#include "library/stored_settings.h"

#include "image/file_error.h"
#include "image/regular_file.h"
#include "image/stored_files.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <system_error>

namespace fs = std::filesystem;

bool IsValidSettingsFile(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        return false;
    const std::uintmax_t size = fs::file_size(file, ec);
    return !ec && IsValidSettingsSize(size);
}

std::string ReadSettingsBytes(const fs::path& file) {
    // The length judged is the length at the moment of reading, not that of an earlier probe.
    RegularFileRead read = ReadRegularFile(file, kLongSettingsFileSize);
    ThrowUnlessFileFound(read, file);
    if (read.m_nStatus != RegularFileStatus::Read || !IsValidSettingsSize(read.m_nSize)) {
        const std::string full = FullPathText(file);
        throw FileError(FileError::Cause::Generic, full,
                        full + " has " + std::to_string(read.m_nSize) +
                            " bytes; stored settings have 800 or 938. It is not a settings "
                            "file: load the settings again from the processor, or restore a "
                            "kept version.");
    }
    return std::move(read.m_bytes);
}

SettingsImage SettingsImageOf(std::string_view storedBytes) {
    std::array<std::uint8_t, kSettingsFileSize> stored{};
    std::memcpy(stored.data(), storedBytes.data(), std::min(stored.size(), storedBytes.size()));
    SettingsImage image;
    FromStoredForm(stored, image);
    return image;
}

SettingsImage ReadSettingsFile(const fs::path& file) {
    return SettingsImageOf(ReadSettingsBytes(file));
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

const char* StoredSettingsStateText(StoredSettingsState state) {
    switch (state) {
    case StoredSettingsState::Valid:
        return "passes its checks";
    case StoredSettingsState::FailsChecks:
        return "fails its checks";
    case StoredSettingsState::None:
        break;
    }
    return "not a settings file of a valid length";
}
