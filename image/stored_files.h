// The files the program keeps, by name, and the lengths a stored settings file may have. The
// library writes and reads them, the profile and the line trace keep away from them: every part
// spells them from here.
#pragma once

#include "image/settings_image.h"

#include <cstdint>
#include <string_view>

// In each screen folder: the stored settings, their configuration report and the notes.
inline constexpr std::string_view kSettingsFileName = "Vrx.cfg";
inline constexpr std::string_view kReportFileName = "Vrx.txt";
inline constexpr std::string_view kNotesFileName = "Notes.txt";
// The folder of a screen that keeps every Vrx.cfg a command replaced.
inline constexpr std::string_view kHistoryFolderName = "History";
// The file through which one command at a time holds a screen folder.
inline constexpr std::string_view kScreenLockFileName = ".vrx3km-lock";
// In the library folder: the profile that keeps the port choice and marks a library.
inline constexpr std::string_view kProfileFileName = "VRX3KM.CFG";
// In the library folder: the program's own hidden folder, which is never an entry; it holds the
// library's log (library/site_log.h) and what each machine keeps for itself.
inline constexpr std::string_view kLibraryOwnFolderName = ".vrx3km";

// A stored settings file holds the 800 bytes of the stored form (kSettingsFileSize); one of 938
// bytes is valid too, and only its first 800 bytes are read. Any other length holds no settings.
inline constexpr std::uintmax_t kLongSettingsFileSize = 938;

constexpr bool IsValidSettingsSize(std::uintmax_t size) {
    return size == kSettingsFileSize || size == kLongSettingsFileSize;
}
