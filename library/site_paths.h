// Where the library's entries and a screen's files lie: one folder per circuit, theater and
// screen under the library folder (the working directory), named exactly like the entry, and in
// each screen folder the stored files (image/stored_files.h).
//
// Layer: below the settings files, the history, the screen store and the storage, which all
// build their paths here; depends on the model's levels only.
#pragma once

#include "library/site_library.h"

#include <filesystem>
#include <string>
#include <string_view>

// What a library path names.
enum class PathKind {
    NoPath = 0,
    CircuitFolder = 1,
    TheaterFolder = 2,
    ScreenFolder = 3,
    SettingsFile = 4,
    ReportFile = 5,
    NotesFile = 6
};

// The folder of an entry of that level: a circuit, theater or screen folder; NoPath for none.
PathKind FolderKind(SiteLevel level);

// The library path of that kind for these names, with the platform's separator:
// "./Main/Plaza/2/Vrx.cfg" (".\Main\Plaza\2\Vrx.cfg" on Windows); "" for NoPath. Names of
// levels below the kind are not used.
std::string BuildLibraryPath(PathKind kind, std::string_view circuit, std::string_view theater,
                             std::string_view screen);
// A library path as the file system reaches it from the process's working directory: the root
// folder followed by the path; the path itself when the root is ".".
std::filesystem::path LibraryDiskPath(const std::filesystem::path& root,
                                      const std::string& libraryPath);
