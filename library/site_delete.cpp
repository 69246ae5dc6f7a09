#include "library/site_delete.h"

#include "image/atomic_file.h"
#include "image/file_error.h"
#include "image/stored_files.h"
#include "library/conflict_resolve.h"
#include "library/screen_lock.h"
#include "library/screen_port.h"
#include "library/screen_store.h"
#include "library/site_history.h"
#include "library/site_log.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <string_view>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr const char* kPressOk = "\n\nPress OK to delete\nor CANCEL to keep it.";

// The program's own files of a screen; its own port goes with the rest.
constexpr std::array<std::string_view, 4> kScreenFiles{kSettingsFileName, kReportFileName,
                                                       kNotesFileName, kScreenPortFileName};

bool IsScreenFile(std::string_view name) {
    return std::find(kScreenFiles.begin(), kScreenFiles.end(), name) != kScreenFiles.end();
}

// True when the program may add and remove entries in folder. Only POSIX systems refuse that by
// the folder's permissions; elsewhere the removal itself tells.
bool MayChangeFolder(const fs::path& folder) {
#ifndef _WIN32
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
#else
    (void)folder;
    return true;
#endif
}

DeleteOutcome Kept(DeleteKeptReason reason, std::vector<std::string> inTheWay = {},
                   std::error_code error = {}) {
    std::sort(inTheWay.begin(), inTheWay.end());
    return DeleteOutcome{DeleteResult::FolderKept, reason, std::move(inTheWay), error, {}, {}};
}

DeleteOutcome Done(DeleteResult result) {
    return DeleteOutcome{result, DeleteKeptReason::None, {}, {}, {}, {}};
}

// Everything a folder holds, by name; sets ec when it cannot be listed.
std::vector<std::string> FolderContents(const fs::path& folder, std::error_code& ec) {
    std::vector<std::string> names;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec))
        names.push_back(it->path().filename().string());
    return names;
}

// A library folder above the entry's own that is a symbolic link: the entry lies elsewhere.
// Returns the kind of the first such folder, or NoPath.
PathKind LinkAbove(const CSiteStorage& storage, const SiteSelection& site) {
    const PathKind above[] = {PathKind::CircuitFolder, PathKind::TheaterFolder};
    const std::size_t nAbove = site.m_nLevel == SiteLevel::Screen    ? 2
                               : site.m_nLevel == SiteLevel::Theater ? 1
                                                                     : 0;
    for (std::size_t i = 0; i < nAbove; ++i) {
        std::error_code ec;
        if (fs::is_symlink(fs::symlink_status(storage.DiskPath(site, above[i]), ec)))
            return above[i];
    }
    return PathKind::NoPath;
}

// An entry's folder that is a symbolic link: the link goes, what it leads to stays. A circuit's
// or theater's link goes only while the folder it leads to is empty, as a folder would.
DeleteOutcome RemoveLink(const fs::path& link, bool bOnlyWhenEmpty) {
    std::error_code ec;
    if (bOnlyWhenEmpty && fs::is_directory(link, ec)) {
        std::vector<std::string> contents = FolderContents(link, ec);
        if (!contents.empty())
            return Kept(DeleteKeptReason::OtherContents, std::move(contents));
    }
    if (!fs::remove(link, ec) || ec)
        return Kept(DeleteKeptReason::NotRemovable, {}, ec);
    return Done(DeleteResult::Removed);
}

// A file a sync engine left beside one of the screen's own files after a conflict: it goes with
// the screen, as the files it is a copy of do (the question names it).
bool IsConflictCopyFile(std::string_view name, const fs::file_status& status) {
    return fs::is_regular_file(status) && IsConflictCopyName(name);
}

// What a screen's History holds that the program did not write: anything but kept versions, the
// logs, the copies a sync engine made of them and the program's temporary files, by name below
// the screen folder ("History/mine.txt").
std::vector<std::string> ForeignHistoryEntries(const fs::path& history) {
    std::vector<std::string> foreign;
    std::error_code ec;
    for (const std::string& name : FolderContents(history, ec)) {
        const fs::file_status status = fs::symlink_status(history / name, ec);
        if (!fs::is_regular_file(status) ||
            (!IsHistoryName(name) && !IsLogFileName(name) && !IsTemporaryFileName(name) &&
             !IsConflictCopyFile(name, status)))
            foreign.push_back(std::string(kHistoryFolderName) + "/" + name);
    }
    return foreign;
}

DeleteOutcome DeleteScreenFolder(const fs::path& screen, const fs::path& theater,
                                 ScreenLock& claim) {
    std::error_code ec;
    const std::vector<std::string> contents = FolderContents(screen, ec);
    if (ec)
        return Kept(DeleteKeptReason::NotRemovable, {}, ec);

    // Look at everything first: anything of the technician's own keeps the screen whole.
    std::vector<std::string> inTheWay;
    std::vector<std::string> readOnly;
    std::vector<std::string> toDelete;
    for (const std::string& name : contents) {
        const fs::path entry = screen / name;
        const fs::file_status status = fs::symlink_status(entry, ec);
        const bool bDirectory = fs::is_directory(status);
        if (name == kScreenLockFileName) {
            // The claim of this Delete: it goes when the claim is given back.
        } else if (name == kHistoryFolderName && bDirectory) {
            std::vector<std::string> foreign = ForeignHistoryEntries(entry);
            inTheWay.insert(inTheWay.end(), foreign.begin(), foreign.end());
            toDelete.push_back(name);
        } else if (name == kHistoryFolderName && fs::is_symlink(status)) {
            toDelete.push_back(name);
        } else if (IsScreenFile(name) && !bDirectory) {
            if (IsReadOnlyFile(entry))
                readOnly.push_back(name);
            else
                toDelete.push_back(name);
        } else if ((IsTemporaryFileName(name) && fs::is_regular_file(status)) ||
                   IsConflictCopyFile(name, status)) {
            toDelete.push_back(name);
        } else {
            inTheWay.push_back(name);
        }
    }
    if (!inTheWay.empty())
        return Kept(DeleteKeptReason::OtherContents, std::move(inTheWay));
    if (!readOnly.empty())
        return Kept(DeleteKeptReason::ReadOnlyFiles, std::move(readOnly));
    if (!MayChangeFolder(screen) || !MayChangeFolder(theater))
        return Kept(DeleteKeptReason::NotRemovable, {},
                    std::make_error_code(std::errc::permission_denied));

    for (const std::string& name : toDelete) {
        // remove_all takes a link as the link, and does not follow links inside History.
        fs::remove_all(screen / name, ec);
        if (ec)
            return Kept(DeleteKeptReason::NotRemovable, {name}, ec);
    }
    // The lock file goes with the claim; the folder is empty then.
    claim.Release();
    if (!fs::remove(screen, ec) || ec)
        return Kept(DeleteKeptReason::NotRemovable, {}, ec);
    return Done(DeleteResult::Removed);
}

std::string JoinNames(const std::vector<std::string>& names) {
    constexpr std::size_t kMaxNamed = 5;
    std::string text;
    const std::size_t nNamed = std::min(names.size(), kMaxNamed);
    for (std::size_t i = 0; i < nNamed; ++i) {
        if (i > 0)
            text += (i + 1 == nNamed && names.size() <= kMaxNamed) ? " and " : ", ";
        text += "\"" + names[i] + "\"";
    }
    if (names.size() > kMaxNamed)
        text += " and " + std::to_string(names.size() - kMaxNamed) + " more";
    return text;
}

// What the technician can do about a refusal of the system.
std::string AdviceFor(const std::error_code& error) {
    const std::error_condition condition = error.default_error_condition();
    if (condition == std::errc::permission_denied ||
        condition == std::errc::operation_not_permitted ||
        condition == std::errc::read_only_file_system)
        return "Ask for permission to change the folder and the one it is in, then delete the "
               "entry again.";
    if (condition == std::errc::device_or_resource_busy || condition == std::errc::text_file_busy)
        return "Close the program that is using it, then delete the entry again.";
#ifdef _WIN32
    // ERROR_SHARING_VIOLATION and ERROR_LOCK_VIOLATION: another program has a file open.
    if (error.category() == std::system_category() && (error.value() == 32 || error.value() == 33))
        return "Close the program that is using it, then delete the entry again.";
#endif
    return "Check the folder, then delete the entry again.";
}

} // namespace

std::string ConfirmDeleteText(const SiteSelection& site) {
    switch (site.m_nLevel) {
    case SiteLevel::Circuit:
        return "You are about to delete the Circuit entry " + site.m_strCircuit + "." + kPressOk;
    case SiteLevel::Theater:
        return "You are about to delete the Theater entry " + site.m_strCircuit + "--" +
               site.m_strTheater + "." + kPressOk;
    case SiteLevel::Screen:
        return "You are about to delete the Screen entry " + site.m_strCircuit + "--" +
               site.m_strTheater + "--" + site.m_strScreen +
               "\nand its configuration and notes files." + kPressOk;
    case SiteLevel::None:
        break;
    }
    return "???";
}

std::string DeleteQuestionNote(const CSiteStorage& storage, const SiteSelection& site) {
    if (site.m_nLevel != SiteLevel::Screen)
        return {};
    const fs::path folder = storage.DiskPath(site, PathKind::ScreenFolder);
    std::string note;
    std::vector<std::string> copies;
    for (const ConflictCopy& copy : ScreenConflicts(folder)) {
        if (!copy.m_bFolder)
            copies.push_back(copy.m_strPath);
    }
    if (!copies.empty())
        note = "\n\nIt holds " + JoinNames(copies) +
               (copies.size() == 1 ? ", a copy that a sync engine left after a conflict, which "
                                     "goes with it."
                                   : ", copies that a sync engine left after a conflict, which "
                                     "go with it.");
    const std::vector<KeptSettings> kept = ListHistory(folder);
    if (kept.empty())
        return note;
    // Newest first.
    if (kept.size() == 1)
        return note + "\n\nIts History goes with it: 1 kept version of its settings, from " +
               kept.front().m_strTime + ".";
    return note + "\n\nIts History goes with it: " + std::to_string(kept.size()) +
           " kept versions of its settings, from " + kept.back().m_strTime + " to " +
           kept.front().m_strTime + ".";
}

namespace {

DeleteOutcome DeleteEntryFiles(const CSiteStorage& storage, const SiteSelection& site) {
    const SiteLevel level = site.m_nLevel;
    if (level == SiteLevel::None)
        return Kept(DeleteKeptReason::None);
    if (const PathKind link = LinkAbove(storage, site); link != PathKind::NoPath)
        return Kept(DeleteKeptReason::ThroughLink,
                    {BuildLibraryPath(link, site.m_strCircuit, site.m_strTheater, {}).substr(2)});

    const fs::path folder = storage.DiskPath(site, FolderKind(level));
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(folder, ec);
    if (status.type() == fs::file_type::not_found)
        return Done(DeleteResult::FolderMissing);
    if (ec)
        return Kept(DeleteKeptReason::NotRemovable, {}, ec);
    if (fs::is_symlink(status))
        return RemoveLink(folder, level != SiteLevel::Screen);
    if (!fs::is_directory(status))
        return Kept(DeleteKeptReason::NotAFolder);
    if (level == SiteLevel::Screen) {
        // No Load, Send or Restore runs on the screen while its files go.
        const ScreenClaimResult claim =
            ClaimScreenFolder(folder, ScreenText(ScreenOf(site)), "Delete");
        if (!claim.IsClaimed()) {
            DeleteOutcome busy = Kept(DeleteKeptReason::InUse);
            busy.m_strInUse = claim.m_strRefusal;
            return busy;
        }
        // ClaimScreenFolder's claims are screen locks.
        return DeleteScreenFolder(folder, storage.DiskPath(site, PathKind::TheaterFolder),
                                  static_cast<ScreenLock&>(*claim.m_pClaim));
    }

    // Temporary files that a crashed save left behind are the program's own and go with the
    // folder; no save runs on a folder the technician is deleting.
    RemoveAllTemporaryFiles(folder);
    // remove() takes an empty folder only; one that holds anything stays, and says what.
    if (fs::remove(folder, ec) && !ec)
        return Done(DeleteResult::Removed);
    std::error_code listError;
    std::vector<std::string> contents = FolderContents(folder, listError);
    if (!contents.empty())
        return Kept(DeleteKeptReason::OtherContents, std::move(contents));
    return Kept(DeleteKeptReason::NotRemovable, {}, ec);
}

// The outcome as the library's log records it.
std::string LoggedOutcome(const DeleteOutcome& outcome, const SiteSelection& site) {
    static const char* const kLevels[] = {"", "circuit ", "theater ", "screen "};
    std::string entry = kLevels[static_cast<int>(site.m_nLevel)] + site.m_strCircuit;
    if (site.m_nLevel != SiteLevel::Circuit)
        entry += "/" + site.m_strTheater;
    if (site.m_nLevel == SiteLevel::Screen)
        entry += "/" + site.m_strScreen;
    switch (outcome.m_result) {
    case DeleteResult::Removed:
        return "deleted " + entry;
    case DeleteResult::FolderMissing:
        return "deleted " + entry + " (its folder was gone already)";
    case DeleteResult::FolderKept:
        break;
    }
    std::string why;
    switch (outcome.m_reason) {
    case DeleteKeptReason::OtherContents:
        why = "it holds " + JoinNames(outcome.m_inTheWay);
        break;
    case DeleteKeptReason::ReadOnlyFiles:
        why = "read-only " + JoinNames(outcome.m_inTheWay);
        break;
    case DeleteKeptReason::ThroughLink:
        why = "it lies below a symbolic link";
        break;
    case DeleteKeptReason::NotAFolder:
        why = "a file has its name";
        break;
    case DeleteKeptReason::NotRemovable:
        why = outcome.m_error.message();
        break;
    case DeleteKeptReason::InUse:
        why = "another command held the screen";
        break;
    case DeleteKeptReason::None:
        break;
    }
    return "kept " + entry + ": " + why;
}

} // namespace

DeleteOutcome DeleteSiteFiles(const CSiteStorage& storage, const SiteSelection& site,
                              const LogAuthor& author) {
    DeleteOutcome outcome = DeleteEntryFiles(storage, site);
    if (site.m_nLevel == SiteLevel::None)
        return outcome;
    // The entry's folder, and a screen's History with it, may be gone: the library keeps the line.
    try {
        AppendLog(LibraryLogFolder(storage.Root()), author, "Delete", LoggedOutcome(outcome, site));
    } catch (const FileError& error) {
        outcome.m_strLogProblem = "The library's log could not be written: " + error.Message();
    }
    return outcome;
}

std::string DeleteOutcomeMessage(const DeleteOutcome& outcome, const std::string& folder) {
    if (outcome.m_result != DeleteResult::FolderKept)
        return {};
    const std::string kept = "Nothing was deleted; the folder and its entry were kept.\n";
    switch (outcome.m_reason) {
    case DeleteKeptReason::OtherContents:
        return "The folder " + folder + " holds " + JoinNames(outcome.m_inTheWay) +
               ", which the program did not make.\n" + kept +
               "Move them out of the folder (or delete them yourself if they are not needed), then "
               "delete the entry again.";
    case DeleteKeptReason::ReadOnlyFiles:
        return "In the folder " + folder + ", " + JoinNames(outcome.m_inTheWay) +
               (outcome.m_inTheWay.size() == 1 ? " is" : " are") + " marked read-only.\n" + kept +
               "Remove the read-only mark, then delete the entry again.";
    case DeleteKeptReason::ThroughLink:
        return "The folder " + folder + " lies below " + JoinNames(outcome.m_inTheWay) +
               ", a symbolic link to a folder outside the library, whose files are not the "
               "library's to delete.\n" +
               kept + "Delete the files there yourself if they are no longer needed.";
    case DeleteKeptReason::NotAFolder:
        return folder + " is a file, not a folder.\n" + kept +
               "Rename or move that file, then delete the entry again.";
    case DeleteKeptReason::NotRemovable:
        if (!outcome.m_inTheWay.empty())
            return "In the folder " + folder + ", " + JoinNames(outcome.m_inTheWay) +
                   " could not be deleted (" + outcome.m_error.message() +
                   ").\nThe folder and its entry were kept.\n" + AdviceFor(outcome.m_error);
        return "The folder " + folder + " could not be removed (" + outcome.m_error.message() +
               ").\nThe folder and its entry were kept.\n" + AdviceFor(outcome.m_error);
    case DeleteKeptReason::InUse:
        return outcome.m_strInUse + "\nThe folder " + folder + " and its entry were kept.";
    case DeleteKeptReason::None:
        break;
    }
    return "The folder " + folder + " was kept, and so was its entry.";
}
