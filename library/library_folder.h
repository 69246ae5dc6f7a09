// Which folder is the library: the rule both the window's start-up and vrx3km-cli follow.
#pragma once

#include "image/stored_files.h"

#include <filesystem>
#include <optional>

// The name of the default library folder in the user's documents (or home) folder.
inline constexpr const char* kDefaultLibraryName = "VRX-3KM";

// True when folder looks like a library, so that it may be opened without the technician
// naming it: it holds VRX3KM.CFG, or a screen folder three levels down holds Notes.txt or
// Vrx.cfg, or it holds nothing at all. A hidden entry (a name beginning with ".") makes a folder
// not empty, but is never a circuit, theater or screen: a folder holding only ".git" or
// ".bashrc" is no library. A missing folder, or one that cannot be listed, is no library.
bool IsLibraryFolder(const std::filesystem::path& folder);

// True when folder holds nothing at all, hidden entries included; a missing folder or one that
// cannot be listed is not empty.
bool IsEmptyFolder(const std::filesystem::path& folder);

// True when folder is the user's home folder (home), which is never taken for a library unless
// the technician names it: its own files would be listed as circuits.
bool IsHomeFolder(const std::filesystem::path& folder,
                  const std::optional<std::filesystem::path>& home);

// The user's home folder as the environment names it (HOME; USERPROFILE on Windows), if any.
std::optional<std::filesystem::path> HomeFolder();

// Where a library folder came from.
enum class LibrarySource {
    Given,            // named on the command line
    WorkingDirectory, // the working directory, which is a library
    LastUsed,         // the library used last
    Default,          // the default folder; created when it does not exist yet
    None,             // no folder qualifies: the caller asks the technician to choose one
};

// What the choice depends on, gathered by the caller; the choice itself reads nothing.
struct LibraryFolderFacts {
    std::optional<std::filesystem::path> m_given; // from the command line
    std::filesystem::path m_workingDirectory;
    // IsLibraryFolder(m_workingDirectory), and it is not the home folder (IsHomeFolder).
    bool m_bWorkingDirectoryIsLibrary = false;
    // The library used last, when one is remembered and it still exists; nullopt otherwise.
    std::optional<std::filesystem::path> m_lastUsed;
    // The default folder (DefaultLibraryFolder); nullopt where there is no fallback to it, as
    // for vrx3km-cli, which never falls back silently.
    std::optional<std::filesystem::path> m_defaultFolder;
};

struct LibraryChoice {
    std::filesystem::path m_folder; // empty for None
    LibrarySource m_source = LibrarySource::None;
};

// The library folder: the one given, else the working directory when it is a library, else the
// library used last, else the default folder, else none.
LibraryChoice ChooseLibraryFolder(const LibraryFolderFacts& facts);

// The default library folder: VRX-3KM in the user's documents folder, or in the home folder
// where there is no documents folder.
std::filesystem::path DefaultLibraryFolder(const std::optional<std::filesystem::path>& documents,
                                           const std::filesystem::path& home);
