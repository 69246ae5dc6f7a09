// The History folder of a screen: every Vrx.cfg that a command replaces is kept there whole, so
// settings stored on an earlier visit are never lost to a Load or a Restore (RestoreFromHistory,
// library/screen_store.h, puts one back).
//
// A version is named after the local time at which it was replaced and the machine that replaced
// it (MachineName), Vrx-YYYYMMDD-HHMMSS-MACHINE.cfg, with .2, .3, ... before ".cfg" when that name
// is taken, so two laptops that share the library through a sync engine never write the same
// name. Versions kept before names carried the machine, Vrx-YYYYMMDD-HHMMSS.cfg with -2, -3, ...
// when taken, are listed, compared and restored alike. A kept version is never overwritten. The
// History folder lives in the screen folder, below the level the library scan reads, so it is
// never a library entry; it also holds the screen's log (site_log.h).
//
// Layer: above the settings files (stored_settings.h), below the screen store.
#pragma once

#include "image/stored_files.h"
#include "image/this_machine.h"
#include "library/stored_settings.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct KeptSettings {
    std::string m_strName;    // the file name in History, e.g. "Vrx-20260105-143000-laptop-a.cfg"
    std::string m_strTime;    // when it was replaced, local time: "2026-01-05 14:30:00"
    std::string m_strMachine; // the machine that kept it; empty for a name without one
    StoredSettingsState m_nState = StoredSettingsState::None; // None: not a valid length
    bool m_bSameAsStored = false; // it holds exactly the bytes of the screen's Vrx.cfg
};

// Keeps the screen folder's current Vrx.cfg, byte for byte and with its last-write time (when its
// settings were read from a processor), in the folder's History (made when missing), named after
// `now` in local time and the machine. Returns the name given, or nullopt when the screen has no
// settings to keep: no Vrx.cfg, or one that is not a regular file of 800 or 938 bytes (nothing is
// made then; no more than 939 bytes are ever read). Throws FileError when the file cannot be read
// or the copy cannot be written; Vrx.cfg is never touched.
std::optional<std::string> KeepSettingsInHistory(const std::filesystem::path& screenFolder,
                                                 std::time_t now = std::time(nullptr),
                                                 const std::string& machine = MachineName());

// Keeps settings bytes (a settings file's, 800 or 938 of them) in the folder's History as a new
// version named after `now` and the machine, with readTime as its last-write time when given.
// Returns the name given. Throws FileError.
std::string KeepBytesInHistory(const std::filesystem::path& screenFolder, std::string_view bytes,
                               std::optional<std::filesystem::file_time_type> readTime,
                               std::time_t now, const std::string& machine);

// The kept versions, newest first (by the time in the name; within one second by machine, the
// names without one first, then by suffix, the higher first), both kinds of names together. Files
// of other names in History are not versions and are left out. A missing History gives an empty
// list.
std::vector<KeptSettings> ListHistory(const std::filesystem::path& screenFolder);

// True when name is a version's file name as ListHistory gives it (no folder part).
bool IsHistoryName(std::string_view name);
