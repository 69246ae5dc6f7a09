// Paths, folders, the scan and the directory probes of the library on disk.
#include "library/site_storage.h"

#include "image/atomic_file.h"
#include "image/portable.h"
#include "library/site_name.h"
#include "library/site_order.h"
#include "library/stored_settings.h"
#include "library/sync_conflict.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The names of the sub-folders of folder that are library entries, in natural order. Files,
// entries whose type cannot be told, hidden folders and the copies a sync engine left of a folder
// after a conflict are not entries; a folder that cannot be listed gives nothing. Stale temporary
// files of the program's saves are removed on the way.
std::vector<std::string> EntryFolders(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    const fs::directory_iterator end;
    bool bTemporaryFiles = false;
    for (; !ec && it != end; it.increment(ec)) {
        std::string name = PathToUtf8(it->path().filename());
        std::error_code typeError;
        if (!it->is_directory(typeError) || typeError) {
            bTemporaryFiles = bTemporaryFiles || IsTemporaryFileName(name);
            continue;
        }
        if (IsHiddenName(name) || IsConflictCopyName(name))
            continue;
        names.push_back(std::move(name));
    }
    // A temporary file that a crashed save left there is removed after the listing.
    if (bTemporaryFiles)
        RemoveStaleTemporaryFiles(folder);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return SiteNameLess(a, b); });
    return names;
}

} // namespace

CSiteStorage::CSiteStorage(SiteLibrary& library, fs::path root, SettingsImage& image)
    : m_library(library), m_root(std::move(root)), m_image(image) {}

void CSiteStorage::BuildSitePath(const SiteSelection& site, std::string& path) const {
    if (m_nPathKind == PathKind::NoPath)
        return;
    path = BuildLibraryPath(m_nPathKind, site.m_strCircuit, site.m_strTheater, site.m_strScreen);
}

std::string CSiteStorage::SitePath(const SiteSelection& site, PathKind kind) {
    m_nPathKind = kind;
    std::string path;
    BuildSitePath(site, path);
    return path;
}

fs::path CSiteStorage::BuildDiskPath(const SiteSelection& site, PathKind kind) {
    return LibraryDiskPath(m_root, SitePath(site, kind));
}

fs::path CSiteStorage::DiskPath(const SiteSelection& site, PathKind kind) const {
    return LibraryDiskPath(
        m_root, BuildLibraryPath(kind, site.m_strCircuit, site.m_strTheater, site.m_strScreen));
}

bool CSiteStorage::CreateSiteFolder(const SiteSelection& site, PathKind kind) {
    m_lastFolderError.clear();
    if (kind != PathKind::CircuitFolder && kind != PathKind::TheaterFolder &&
        kind != PathKind::ScreenFolder)
        return false;
    const fs::path folder = BuildDiskPath(site, kind);
    std::error_code ec;
    // One level only: create_directory does not make missing parents.
    fs::create_directory(folder, ec);
    if (ec) {
        m_lastFolderError = ec;
        return false;
    }
    // create_directory reports no error when the name is taken by a folder; anything else
    // under that name (a file) means the folder was not made.
    if (!fs::is_directory(folder, ec)) {
        m_lastFolderError = ec ? ec : std::make_error_code(std::errc::file_exists);
        return false;
    }
    return true;
}

bool CSiteStorage::IsSettingsFileValid(const SiteSelection& site, PathKind kind) {
    return IsValidSettingsFile(BuildDiskPath(site, kind));
}

bool CSiteStorage::IsFolderNotEmpty(const SiteSelection& site, PathKind kind) const {
    std::error_code ec;
    fs::directory_iterator it(DiskPath(site, kind), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        // A temporary file left by a crashed save is the program's own: Delete removes it.
        if (!IsTemporaryFileName(it->path().filename().string()))
            return true;
    }
    return false;
}

std::optional<fs::file_time_type> CSiteStorage::SettingsFileTime(const SiteSelection& site) const {
    std::error_code ec;
    const fs::file_time_type time = fs::last_write_time(DiskPath(site, PathKind::SettingsFile), ec);
    if (ec)
        return std::nullopt;
    return time;
}

void CSiteStorage::ScanLibrary() {
    // Depth first: each circuit's theaters, and each theater's screens, right after it. The
    // lookups use the model's name index, so the scan stays linear in the number of folders.
    for (const std::string& circuit : EntryFolders(m_root)) {
        if (!m_library.FindCircuit(circuit))
            m_library.AddCircuit(circuit);
        const fs::path circuitFolder = m_root / PathFromUtf8(circuit);
        for (const std::string& theater : EntryFolders(circuitFolder)) {
            if (!m_library.FindTheater(theater))
                m_library.AddTheater(theater);
            for (const std::string& screen : EntryFolders(circuitFolder / PathFromUtf8(theater))) {
                if (!m_library.FindScreen(screen))
                    m_library.AddScreen(screen);
            }
        }
    }
}

std::time_t ToCalendarTime(fs::file_time_type time) {
    return std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(time));
}
