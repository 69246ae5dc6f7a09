#include "library/site_paths.h"

#include "image/portable.h"
#include "image/stored_files.h"

namespace fs = std::filesystem;

PathKind FolderKind(SiteLevel level) {
    switch (level) {
    case SiteLevel::Circuit:
        return PathKind::CircuitFolder;
    case SiteLevel::Theater:
        return PathKind::TheaterFolder;
    case SiteLevel::Screen:
        return PathKind::ScreenFolder;
    case SiteLevel::None:
        break;
    }
    return PathKind::NoPath;
}

std::string BuildLibraryPath(PathKind kind, std::string_view circuit, std::string_view theater,
                             std::string_view screen) {
    // The platform's own separator: "./Main/Plaza" on POSIX systems, ".\\Main\\Plaza" on Windows.
    constexpr char kSep = static_cast<char>(fs::path::preferred_separator);
    if (kind == PathKind::NoPath)
        return {};
    std::string path = std::string(".") + kSep;
    path += circuit;
    if (kind == PathKind::CircuitFolder)
        return path;
    path += kSep;
    path += theater;
    if (kind == PathKind::TheaterFolder)
        return path;
    path += kSep;
    path += screen;
    if (kind == PathKind::SettingsFile)
        (path += kSep) += kSettingsFileName;
    else if (kind == PathKind::ReportFile)
        (path += kSep) += kReportFileName;
    else if (kind == PathKind::NotesFile)
        (path += kSep) += kNotesFileName;
    return path;
}

fs::path LibraryDiskPath(const fs::path& root, const std::string& libraryPath) {
    // Names are UTF-8 on every platform; the path passes them on to the system's wide calls.
    if (root == fs::path(".") || libraryPath.size() < 2)
        return PathFromUtf8(libraryPath);
    // The library path begins with "." and a separator; below another root it continues from
    // that root.
    return root / PathFromUtf8(libraryPath.substr(2));
}
