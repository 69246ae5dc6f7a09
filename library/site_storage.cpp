// Paths, folders, the scan and the directory probes of the library on disk.
#include "library/site_storage.h"

#include "image/portable.h"

#include <chrono>

namespace fs = std::filesystem;

namespace {

// Every sub-folder of folder, in the order of the listing. Files, and entries whose type
// cannot be told, are not folders; a folder that cannot be listed gives nothing.
template <typename Visit> void ForEachSubFolder(const fs::path& folder, Visit visit) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    const fs::directory_iterator end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_directory(typeError) || typeError)
            continue;
        const std::string name = PathToUtf8(it->path().filename());
        if (name == "." || name == "..")
            continue;
        visit(name);
    }
}

} // namespace

CSiteStorage::CSiteStorage(SiteLibrary& library, fs::path root, SettingsImage* image)
    : m_library(library), m_root(std::move(root)), m_pImage(image) {}

void CSiteStorage::BuildSitePath(std::string& path) const {
    // The platform's own separator: "./Main/Plaza" on POSIX systems, ".\\Main\\Plaza" on Windows.
    constexpr char kSep = static_cast<char>(fs::path::preferred_separator);
    const PathKind kind = m_nPathKind;
    if (kind == PathKind::NoPath)
        return;
    path = std::string(".") + kSep + m_library.GetCircuitName();
    if (kind == PathKind::CircuitFolder)
        return;
    path += kSep + m_library.GetTheaterName();
    if (kind == PathKind::TheaterFolder)
        return;
    path += kSep + m_library.GetScreenName();
    if (kind == PathKind::SettingsFile)
        path += kSep + std::string("Vrx.cfg");
    else if (kind == PathKind::ReportFile)
        path += kSep + std::string("Vrx.txt");
    else if (kind == PathKind::NotesFile)
        path += kSep + std::string("Notes.txt");
}

std::string CSiteStorage::SitePath(PathKind kind) {
    m_nPathKind = kind;
    std::string path;
    BuildSitePath(path);
    return path;
}

fs::path CSiteStorage::DiskPath(PathKind kind) {
    const std::string path = SitePath(kind);
    if (m_root == fs::path("."))
        return PathFromUtf8(path);
    // The library path begins with "." and a separator; below another root it continues from
    // that root.
    return m_root / PathFromUtf8(path.substr(2));
}

bool CSiteStorage::CreateSiteFolder(PathKind kind) {
    m_lastFolderError.clear();
    if (kind < PathKind::CircuitFolder || kind > PathKind::ScreenFolder)
        return false;
    const fs::path folder = DiskPath(kind);
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

bool CSiteStorage::IsSettingsFileValid(PathKind kind) {
    std::error_code ec;
    const fs::path file = DiskPath(kind);
    if (!fs::is_regular_file(file, ec))
        return false;
    const std::uintmax_t size = fs::file_size(file, ec);
    return !ec && (size == kStoredSettingsSize || size == kLongSettingsSize);
}

bool CSiteStorage::IsFolderNotEmpty(PathKind kind) {
    std::error_code ec;
    fs::directory_iterator it(DiskPath(kind), ec);
    return !ec && it != fs::directory_iterator();
}

std::optional<fs::file_time_type> CSiteStorage::SettingsFileTime() {
    std::error_code ec;
    const fs::file_time_type time = fs::last_write_time(DiskPath(PathKind::SettingsFile), ec);
    if (ec)
        return std::nullopt;
    return time;
}

void CSiteStorage::ScanLibrary() {
    ForEachSubFolder(m_root, [this](const std::string& circuit) {
        if (!m_library.FindCircuit(circuit))
            m_library.AddCircuit(circuit);
        ForEachSubFolder(
            m_root / PathFromUtf8(circuit), [this, &circuit](const std::string& theater) {
                if (!m_library.FindTheater(theater))
                    m_library.AddTheater(theater);
                ForEachSubFolder(m_root / PathFromUtf8(circuit) / PathFromUtf8(theater),
                                 [this](const std::string& screen) {
                                     if (!m_library.FindScreen(screen))
                                         m_library.AddScreen(screen);
                                 });
            });
    });
}

std::time_t ToCalendarTime(fs::file_time_type time) {
    return std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(time));
}
