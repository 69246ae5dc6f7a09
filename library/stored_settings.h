// One stored settings file on its own: a screen's Vrx.cfg, a version kept in its History folder,
// or any file the technician names. Reading it, and telling what it is worth.
//
// Layer: the lowest of the library's files on disk; the history, the screen store and the
// storage read settings files through it. Depends on the image only.
#pragma once

#include "image/settings_image.h"

#include <filesystem>
#include <string>
#include <string_view>

// True only for a regular file of exactly 800 or 938 bytes.
bool IsValidSettingsFile(const std::filesystem::path& file);

// The bytes of a stored settings file, 800 or 938 of them. Throws FileError naming the file by its
// full path when it is missing, not a regular file, cannot be read, or does not have 800 or 938
// bytes at the moment it is read (the message then tells the length it has). No more than 939
// bytes are ever read.
std::string ReadSettingsBytes(const std::filesystem::path& file);

// The image that the bytes of a settings file (800 or more) hold: their first 800.
SettingsImage SettingsImageOf(std::string_view storedBytes);
// The image a settings file holds (ReadSettingsBytes; throws as it does).
SettingsImage ReadSettingsFile(const std::filesystem::path& file);

// What a screen's stored settings are worth before a Send.
enum class StoredSettingsState {
    None,        // no Vrx.cfg, one of another length, or one that cannot be read
    Valid,       // 800 or 938 bytes whose four blocks pass their checks
    FailsChecks, // a valid length, but a block fails its check: a Send would refuse it
};

// The state of the settings file at this path (a screen's Vrx.cfg or a kept version), judged by
// the checks a Send applies (SettingsImagePassesChecks).
StoredSettingsState StoredSettingsStateOf(const std::filesystem::path& file);

// The state in words, as a list of kept versions shows it: "passes its checks", ...
const char* StoredSettingsStateText(StoredSettingsState state);
