// The copies a sync engine left in the library after a conflict (sync_conflict.h): finding them,
// and settling those of a screen's files so that nothing of either version is lost.
//
// Layer: above the screen store and the logs; beside adding and deleting.
#pragma once

#include "library/site_log.h"
#include "library/sync_conflict.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct ScreenTarget;

struct ConflictCopy {
    // The copy below the folder searched, with "/" between folders: "Notes.sync-conflict-
    // 20261208-101112-ABCDEFG.txt", "History/log-laptop-a.sync-conflict-...txt".
    std::string m_strPath;
    // What it is a copy of, below the same folder: "Notes.txt", "History/log-laptop-a.txt".
    std::string m_strOriginal;
    SyncEngine m_nEngine = SyncEngine::Syncthing;
    bool m_bFolder = false; // a copy of a folder
};

// The conflicting copies in a screen folder and in its History, sorted by path.
std::vector<ConflictCopy> ScreenConflicts(const std::filesystem::path& screenFolder);
// The conflicting copies, files and folders, directly in a folder (the library folder, a circuit's
// or a theater's), sorted by name.
std::vector<ConflictCopy> FolderConflicts(const std::filesystem::path& folder);

// Which version of a file a settled conflict keeps under the file's name.
enum class KeepVersion {
    Current, // the file as it stands under its own name
    Other,   // the conflicting copy
};

// A conflicting copy that ResolveConflict does not settle, with why and what to do instead.
class ConflictNotSettled : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The line that separates the kept notes from the other version's own lines when a conflict of
// Notes.txt is settled; copyName is the conflicting copy's file name.
std::string NotesMergeMark(const std::string& copyName, std::time_t now);

// The text a settled conflict of Notes.txt leaves: kept whole, then, when the other version
// holds lines that the kept one does not, the mark and those lines in their order. Lines end in
// CR LF.
std::string MergeNotes(std::string_view kept, std::string_view other, const std::string& mark);

// Settles the conflicting copy `copyPath` (as ScreenConflicts gives it) of the screen in
// screenFolder, holding the screen (ClaimScreenFolder) meanwhile, and removes the copy:
// - of Vrx.cfg: Current keeps Vrx.cfg and keeps the copy's settings in History as a new version;
//   Other stores the copy's settings as Vrx.cfg with the time they were read, keeping the
//   replaced settings in History. Vrx.txt is rewritten from the settings kept, and the
//   conflicting copies of Vrx.txt go with it.
// - of Notes.txt: the version chosen stays whole, and the lines of the other that it does not
//   hold follow below a marked line (MergeNotes).
// - of Vrx.txt: the report is rewritten from Vrx.cfg, whichever version is chosen.
// - of a log in History: merged into it (MergeLogCopies); no choice is needed.
// The choice is needed for Vrx.cfg and Notes.txt. Logs the settled conflict ("Resolve") in the
// screen's log. Returns what was done, in words. Throws ConflictNotSettled for a copy of any other
// file, a copy of a folder or a missing choice; ScreenInUse when another command holds the screen;
// FileError when a file cannot be read or written (nothing is changed then).
std::string ResolveConflict(const std::filesystem::path& screenFolder, const ScreenTarget& target,
                            const std::string& copyPath, std::optional<KeepVersion> keep,
                            const LogAuthor& author, std::time_t now = std::time(nullptr));
