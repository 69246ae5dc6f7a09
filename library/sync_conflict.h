// The copies that folder sync engines leave beside a file when two computers changed it before
// either had the other's change: the engine keeps one version under the file's name and the
// other under a name of its own making. The library never takes such a copy for an entry or a
// stored file; it shows it and lets the technician settle it (conflict_resolve.h).
//
// Layer: names only, beside the entry names (site_name.h); no disk access.
#pragma once

#include <optional>
#include <string>
#include <string_view>

enum class SyncEngine {
    Syncthing, // NAME.sync-conflict-YYYYMMDD-HHMMSS-DEVICE.EXT
    Nextcloud, // NAME (conflicted copy YYYY-MM-DD HHMMSS).EXT, also ownCloud's; may name a user
    Dropbox,   // NAME (MACHINE's conflicted copy YYYY-MM-DD).EXT, with " (1)" and so on after the
               // date when there are several
};

struct ConflictCopyName {
    // The name of the file or folder that this is a conflicting copy of: "Notes.txt" for
    // "Notes.sync-conflict-20261208-101112-ABCDEFG.txt". A copy of a copy names the first
    // original.
    std::string m_strOriginal;
    SyncEngine m_nEngine = SyncEngine::Syncthing;
};

// What a file or folder name is a conflicting copy of, or nullopt when it is no such copy.
std::optional<ConflictCopyName> ParseConflictCopyName(std::string_view name);

inline bool IsConflictCopyName(std::string_view name) {
    return ParseConflictCopyName(name).has_value();
}

// "Syncthing", "Nextcloud or ownCloud", "Dropbox".
const char* SyncEngineText(SyncEngine engine);
