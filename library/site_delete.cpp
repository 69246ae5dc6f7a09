#include "library/site_delete.h"

#include "image/atomic_file.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* kPressOk = "\n\nPress OK to delete\nor CANCEL to keep it.";

// Deletes a file, never a folder that happens to carry the file's name, nor a file marked
// read-only (removing it needs only the folder's permission on POSIX systems).
void DeleteFileOnly(const fs::path& file) {
    std::error_code ec;
    if (fs::is_directory(fs::symlink_status(file, ec)) || IsReadOnlyFile(file))
        return;
    fs::remove(file, ec);
}

} // namespace

std::string ConfirmDeleteText(const SiteLibrary& library, SiteLevel level) {
    switch (level) {
    case SiteLevel::Circuit:
        return "You are about to delete the Circuit entry " + library.GetCircuitName() + "." +
               kPressOk;
    case SiteLevel::Theater:
        return "You are about to delete the Theater entry " + library.GetCircuitName() + "--" +
               library.GetTheaterName() + "." + kPressOk;
    case SiteLevel::Screen:
        return "You are about to delete the Screen entry " + library.GetCircuitName() + "--" +
               library.GetTheaterName() + "--" + library.GetScreenName() +
               "\nand its configuration and notes files." + kPressOk;
    default:
        return "???";
    }
}

DeleteOutcome DeleteSiteFiles(CSiteStorage& storage, SiteLevel level) {
    if (level != SiteLevel::Circuit && level != SiteLevel::Theater && level != SiteLevel::Screen)
        return DeleteOutcome::FolderKept;
    if (level == SiteLevel::Screen) {
        DeleteFileOnly(storage.DiskPath(PathKind::SettingsFile));
        DeleteFileOnly(storage.DiskPath(PathKind::ReportFile));
        DeleteFileOnly(storage.DiskPath(PathKind::NotesFile));
    }
    const fs::path folder = storage.DiskPath(FolderKind(level));
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(folder, ec);
    if (!fs::exists(status))
        return DeleteOutcome::FolderMissing;
    if (!fs::is_directory(status))
        return DeleteOutcome::FolderKept;
    // Temporary files that a crashed save left behind are the program's own and go with the
    // folder; no save runs on a folder the technician is deleting.
    RemoveAllTemporaryFiles(folder);
    // remove() takes an empty folder only; one that holds anything fails and stays.
    if (!fs::remove(folder, ec) || ec)
        return DeleteOutcome::FolderKept;
    return DeleteOutcome::Removed;
}
