#include "library/stored_settings.h"

#include "image/file_error.h"
#include "library/screen_store.h"
#include "library/site_storage.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

SettingsImage ReadSettingsFile(const fs::path& file) {
    SettingsImage image;
    LoadScreenSettings(file, image);
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
