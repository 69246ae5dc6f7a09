#include "library/site_add.h"

#include "image/atomic_file.h"
#include "image/file_error.h"
#include "library/site_name.h"

#include <filesystem>
#include <optional>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* kNoParentText =
    "Please select the circuit or theater to add the entry to, then add it again.";

std::string FolderErrorText(const fs::path& folder, const std::error_code& ec) {
    std::string text = "The folder " + folder.string() + " could not be created";
    if (ec)
        text += ": " + ec.message();
    return text + ".\nNothing was added.";
}

AddOutcome Failure(AddResult result, std::string message) {
    AddOutcome outcome;
    outcome.m_nResult = result;
    outcome.m_strMessage = std::move(message);
    return outcome;
}

// The name of the current entry's sibling at that level that is the same name as name in
// another letter case or composition; the walk moves only that level's cursor.
std::optional<std::string> SameNamedSibling(SiteLibrary& library, SiteLevel level,
                                            const std::string& name) {
    const auto walk = [&](auto first, auto next, auto has, auto get) -> std::optional<std::string> {
        for ((library.*first)(); (library.*has)(); (library.*next)())
            if (IsSameSiteName((library.*get)(), name))
                return (library.*get)();
        return std::nullopt;
    };
    switch (level) {
    case SiteLevel::Circuit:
        return walk(&SiteLibrary::FirstCircuit, &SiteLibrary::NextCircuit, &SiteLibrary::HasCircuit,
                    &SiteLibrary::GetCircuitName);
    case SiteLevel::Theater:
        return walk(&SiteLibrary::FirstTheater, &SiteLibrary::NextTheater, &SiteLibrary::HasTheater,
                    &SiteLibrary::GetTheaterName);
    case SiteLevel::Screen:
        return walk(&SiteLibrary::FirstScreen, &SiteLibrary::NextScreen, &SiteLibrary::HasScreen,
                    &SiteLibrary::GetScreenName);
    case SiteLevel::None:
        break;
    }
    return std::nullopt;
}

// Makes the parent of a new entry of that level current: nothing for a circuit, the circuit for
// a theater, the theater for a screen. False when the library holds no such parent.
bool FindParent(SiteLibrary& library, SiteLevel level, const SiteSelection& parent) {
    switch (level) {
    case SiteLevel::Circuit:
        return true;
    case SiteLevel::Theater:
        return library.FindCircuit(parent.m_strCircuit);
    case SiteLevel::Screen:
        return library.FindCircuit(parent.m_strCircuit) && library.FindTheater(parent.m_strTheater);
    case SiteLevel::None:
        break;
    }
    return false;
}

// The new entry as a value: the parent's names with the new name at its level.
SiteSelection NewSite(SiteLevel level, const SiteSelection& parent, const std::string& name) {
    switch (level) {
    case SiteLevel::Circuit:
        return {level, name, {}, {}};
    case SiteLevel::Theater:
        return {level, parent.m_strCircuit, name, {}};
    case SiteLevel::Screen:
    case SiteLevel::None:
        break;
    }
    return {level, parent.m_strCircuit, parent.m_strTheater, name};
}

} // namespace

AddOutcome AddSite(CSiteStorage& storage, SiteLevel level, const SiteSelection& parent,
                   const std::string& typed) {
    SiteLibrary& library = storage.Library();
    if (!FindParent(library, level, parent))
        return Failure(AddResult::NoParent, kNoParentText);
    // The name is stored composed, so that one typed with combining accents is the same name.
    const std::optional<std::string> normalized = NormalizeSiteName(typed);
    const std::string& name = normalized ? *normalized : typed;
    const char* what = nullptr;
    bool bDuplicate = false;
    switch (level) {
    case SiteLevel::Circuit:
        what = "Circuit";
        bDuplicate = library.FindCircuit(name);
        break;
    case SiteLevel::Theater:
        what = "Theater";
        bDuplicate = library.FindTheater(name);
        break;
    case SiteLevel::Screen:
        what = "Screen";
        bDuplicate = library.FindScreen(name);
        break;
    case SiteLevel::None:
        return Failure(AddResult::NoParent, kNoParentText);
    }
    if (bDuplicate)
        return Failure(AddResult::Duplicate, "That " + std::string(what) + " name already exists");
    if (auto refusal = CheckSiteName(name))
        return Failure(AddResult::RefusedName, std::move(*refusal));
    // Names that differ only in letter case or composition would be one folder on Windows and
    // macOS, where the library may be carried.
    if (const auto same = SameNamedSibling(library, level, name))
        return Failure(AddResult::Duplicate,
                       "That " + std::string(what) + " name already exists as \"" + *same +
                           "\": names that differ only in letter case or accents' encoding are "
                           "one folder on Windows and macOS");

    const SitePos pos = level == SiteLevel::Circuit   ? library.AddCircuit(name)
                        : level == SiteLevel::Theater ? library.AddTheater(name)
                                                      : library.AddScreen(name);
    // The model adds nothing below a missing parent.
    if (pos == nullptr)
        return Failure(AddResult::NoParent, kNoParentText);

    // What is on disk before this Add, so that a failure takes back only what it made.
    const SiteSelection site = NewSite(level, parent, name);
    const PathKind kind = FolderKind(level);
    const fs::path folder = storage.DiskPath(site, kind);
    const fs::path notes = storage.DiskPath(site, PathKind::NotesFile);
    std::error_code ec;
    const bool bFolderExisted = fs::exists(fs::symlink_status(folder, ec));
    const bool bNotesExisted = fs::exists(fs::symlink_status(notes, ec));

    AddOutcome outcome;
    try {
        if (!storage.SaveSite(site, kind))
            outcome = Failure(AddResult::FolderNotCreated,
                              FolderErrorText(folder, storage.LastFolderError()));
    } catch (const FileError& error) {
        outcome = Failure(AddResult::NotesNotWritten, error.Message());
    }
    if (outcome.IsAdded()) {
        outcome.m_pos = pos;
        outcome.m_strName = name;
        outcome.m_site = site;
        return outcome;
    }
    if (level == SiteLevel::Screen && !bNotesExisted &&
        fs::is_regular_file(fs::symlink_status(notes, ec)))
        fs::remove(notes, ec);
    if (!bFolderExisted && fs::is_directory(fs::symlink_status(folder, ec))) {
        // The folder made for the entry holds nothing of the technician's: remove() takes it
        // only while it is empty.
        RemoveAllTemporaryFiles(folder);
        fs::remove(folder, ec);
    }
    library.RemoveCurrent(level);
    return outcome;
}
