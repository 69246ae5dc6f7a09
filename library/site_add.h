// Adding a circuit, theater or screen: the one implementation behind the window's three Add
// commands and the command-line tool's add. The callers only ask for the name and show the
// outcome.
//
// Layer: on top of the storage, beside deleting.

#include "library/site_library.h"
#include "library/site_storage.h"

#include <string>

enum class AddResult {
    Added,            // the entry, its folder and (for a screen) the notes are there
    Duplicate,        // the parent already holds an entry of exactly that name
    RefusedName,      // CheckSiteName refused the name
    NoParent,         // a theater without a current circuit, a screen without a current theater
    FolderNotCreated, // the folder could not be made
    NotesNotWritten,  // the new screen's Notes.txt could not be written
};

struct AddOutcome {
    AddResult m_nResult = AddResult::Added;
    // What the technician is told, and what to do next; empty when the entry was added. For a
    // duplicate the program's fixed text ("That Circuit name already exists" and so on), for a refused
    // name CheckSiteName's text, for a folder "The folder ... could not be created: ...", for the
    // notes the file error's standard text.
    std::string m_strMessage;
    SitePos m_pos = nullptr; // the new entry when added, else null
    std::string m_strName;   // the name as stored (composed) when added, else empty
    SiteSelection m_site;    // the new entry when added, else level None

    bool IsAdded() const { return m_nResult == AddResult::Added; }
};

// Adds a circuit (level Circuit), a theater below the circuit of `parent` or a screen below the
// theater of `parent` (its names from the circuit down; a selection of the level above or
// below serves as well) in the storage's library: composes the name (NormalizeSiteName), checks
// for a duplicate among the parent's entries (the same name, or one that differs only in letter
// case or composition: IsSameSiteName), then the name, then appends the entry, makes its folder
// (an existing folder is taken as it is) and for a screen writes the notes template unless the
// folder already holds a Notes.txt. A parent that the library does not hold gives NoParent.
//
// Added: the new entry is current at its level. Any other result changes nothing on disk or in
// the model: an entry added on the way is removed again, and so are a folder this call made and
// a notes file it wrote. The library's cursor is left wherever the lookups put it: the caller
// resolves the entry it shows again.
AddOutcome AddSite(CSiteStorage& storage, SiteLevel level, const SiteSelection& parent,
                   const std::string& name);
