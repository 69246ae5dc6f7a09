// Reading a stored settings file on its own, outside the selection: a screen's Vrx.cfg, a version
// kept in its History folder, or any file the technician names.
#pragma once

#include "image/settings_image.h"

#include <filesystem>

// Reads a settings file of 800 or 938 bytes (its first 800 bytes). Throws FileError naming the
// file by its full path when it is missing, is no regular file, cannot be read or has another
// length at the moment it is read.
SettingsImage ReadSettingsFile(const std::filesystem::path& file);

// What a screen's stored settings are worth before a Send.
enum class StoredSettingsState {
    None,        // no Vrx.cfg, one of another length, or one that cannot be read
    Valid,       // 800 or 938 bytes whose four blocks pass their checks
    FailsChecks, // a valid length, but a block fails its check: a Send would refuse it
};

// The state of the settings file at this path (a screen's Vrx.cfg or a kept version).
StoredSettingsState StoredSettingsStateOf(const std::filesystem::path& file);

// The state in words, as a list of kept versions shows it: "passes its checks", ...
const char* StoredSettingsStateText(StoredSettingsState state);
