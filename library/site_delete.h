// The disk side of deleting a circuit, theater or screen, and the question asked before it.
//
// Layer: on top of the storage, the history and the screen store, beside adding.

#include "library/site_library.h"
#include "library/site_log.h"
#include "library/site_storage.h"

#include <string>
#include <system_error>
#include <vector>

// The confirmation question for the entry, with its names; "???" for level None.
std::string ConfirmDeleteText(const SiteSelection& site);
// What goes with the entry besides what the question names, as paragraphs to follow it: for a
// screen, the copies a sync engine left of its files after a conflict, by name, and its kept
// versions in History, how many and from when; else "".
std::string DeleteQuestionNote(const CSiteStorage& storage, const SiteSelection& site);

enum class DeleteResult {
    Removed,       // the folder (or the link in its place) is gone: the caller removes the entry
    FolderMissing, // another program removed the folder already: the caller removes the entry
    FolderKept,    // nothing of the entry was deleted, or its empty folder could not go; see why
};

// Why a Delete kept the folder.
enum class DeleteKeptReason {
    None,
    OtherContents, // the screen folder holds files or folders of the technician's own
    ReadOnlyFiles, // a screen file is marked read-only
    ThroughLink,   // the folder is reached through a symbolic link to a folder elsewhere
    NotAFolder,    // a file, not a folder, has the entry's name
    NotRemovable,  // the system refused to delete or remove: m_error tells why
    InUse,         // another command (a Load, Send or Restore) holds the screen: m_strInUse
};

struct DeleteOutcome {
    DeleteResult m_result = DeleteResult::FolderKept;
    DeleteKeptReason m_reason = DeleteKeptReason::None;
    // What is in the way, by name as it stands in the entry's folder (for ThroughLink the link's
    // path inside the library, such as "Ext" or "Ext/T"); sorted.
    std::vector<std::string> m_inTheWay;
    // The system's reason for NotRemovable (permission denied, in use, not empty).
    std::error_code m_error;
    // InUse: the screen and what holds it, for the technician.
    std::string m_strInUse;
    // Why the library's log could not record the Delete; empty when it did.
    std::string m_strLogProblem;
};

// Deletes the entry from the disk, never in part and never outside the library folder:
// - a screen: first takes the screen (ClaimScreenFolder; InUse when another command holds it),
//   then looks at the screen folder. When it holds anything besides Vrx.cfg, Vrx.txt, Notes.txt,
//   Port.txt (the screen's own port),
//   the History folder (holding only kept versions and logs), the program's own stale temporary
//   files, its lock file and the files a sync engine left beside these after a conflict, or one
//   of these files is read-only, or the folder or its parent may not be changed, nothing is
//   deleted. Otherwise deletes those files and History, then the folder.
// - a circuit or theater: removes its folder, which must be empty.
// A folder that is a symbolic link loses only the link (a circuit's or theater's only when the
// folder it leads to is empty); a screen or theater below a link to elsewhere is not touched.
// A folder that no longer exists gives FolderMissing. Level None touches nothing and gives
// FolderKept. The model is left to the caller, who removes the entry after Removed and
// FolderMissing. Every Delete of an entry, done or not, is logged for the author in the
// library's own log (LibraryLogFolder), since a screen's History goes with its folder.
DeleteOutcome DeleteSiteFiles(const CSiteStorage& storage, const SiteSelection& site,
                              const LogAuthor& author = CurrentAuthor());

// What the technician is told when a Delete kept the folder (folder is the folder's path as the
// technician can find it), saying what is in the way and what to do; empty for Removed and
// FolderMissing, which need no message.
std::string DeleteOutcomeMessage(const DeleteOutcome& outcome, const std::string& folder);
