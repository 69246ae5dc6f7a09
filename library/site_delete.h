// The disk side of deleting a circuit, theater or screen, and the question asked before it.
#pragma once

#include "library/site_library.h"
#include "library/site_storage.h"

#include <string>

// The confirmation question for the current entry of that level, with the current names;
// "???" for any other level.
std::string ConfirmDeleteText(const SiteLibrary& library, SiteLevel level);

enum class DeleteOutcome {
    Removed,       // the folder is gone: the caller now removes the entry from the model
    FolderKept,    // the folder still holds something or could not be removed; entry stays
    FolderMissing, // there was no folder to remove; the entry stays until the next start
};

// For a screen deletes Vrx.cfg, Vrx.txt and Notes.txt (each result ignored; a file marked
// read-only is kept, and with it the folder) and then removes the screen folder; for a circuit or
// theater removes its folder. The program's temporary files (IsTemporaryFileName) in the folder
// are removed first, so a crash never keeps a folder on disk. Only an empty folder is ever removed,
// never a tree. Acts on the current selection of the storage's library; level None (or any other
// value) touches nothing and gives FolderKept.
DeleteOutcome DeleteSiteFiles(CSiteStorage& storage, SiteLevel level);
