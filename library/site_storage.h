// The library on disk: one folder per circuit, theater and screen under the root folder (the
// working directory), and in each screen folder Vrx.cfg, Vrx.txt and Notes.txt.
//
// Paths are built from the current selection of the SiteLibrary at the moment of the call, so
// callers make the wanted entry current first (Locate, LocateScreen, Find or Add).
#pragma once

#include "library/site_library.h"

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

struct SettingsImage;

// What a library path names.
enum class PathKind : int {
    NoPath = 0,
    CircuitFolder = 1,
    TheaterFolder = 2,
    ScreenFolder = 3,
    SettingsFile = 4,
    ReportFile = 5,
    NotesFile = 6
};

// The folder kind of a library level: a circuit, theater or screen folder; NoPath for none.
constexpr PathKind FolderKind(SiteLevel level) {
    return static_cast<PathKind>(static_cast<int>(level));
}

// The library path of that kind for these names, with the platform's separator:
// "./Main/Plaza/2/Vrx.cfg" (".\Main\Plaza\2\Vrx.cfg" on Windows); "" for NoPath. Names of
// levels below the kind are not used.
std::string BuildLibraryPath(PathKind kind, std::string_view circuit, std::string_view theater,
                             std::string_view screen);
// A library path as the file system reaches it from the process's working directory: the root
// folder followed by the path; the path itself when the root is ".".
std::filesystem::path LibraryDiskPath(const std::filesystem::path& root,
                                      const std::string& libraryPath);

class CSiteStorage {
public:
    // root is the folder the library lives in; the paths handed out stay "./"-relative to it.
    // Settings are saved from and loaded into image. The library and the image outlive the
    // storage.
    CSiteStorage(SiteLibrary& library, std::filesystem::path root, SettingsImage& image);

    // Sets path to the path of kind m_nPathKind for the current selection, with the platform's
    // separator, e.g. "./Main/Plaza/2/Vrx.cfg" (".\Main\Plaza\2\Vrx.cfg" on Windows). Kind 0
    // leaves path as it was.
    void BuildSitePath(std::string& path) const;
    // Stores kind in m_nPathKind and returns the path built for it ("" for kind 0).
    std::string SitePath(PathKind kind);
    // The same path as the file system reaches it from the process's working directory (the
    // root folder followed by the library path); equal to SitePath when the root is ".".
    std::filesystem::path DiskPath(PathKind kind);

    // Kinds 1 to 3: creates that folder, one level only. Returns true when the folder exists
    // afterwards (made now or already there) and false when it could not be made; then nothing
    // else is written and LastFolderError() tells why. Kind 3 then writes the notes template
    // unless the screen folder already holds a Notes.txt, which stays as the technician left it.
    // Kind 4: stores the 800 bytes of the settings image as Vrx.cfg and its report as Vrx.txt,
    // both files or neither (SaveScreenSettings); returns true.
    // Throws FileError when Vrx.cfg, Vrx.txt or Notes.txt cannot be written.
    bool SaveSite(PathKind kind);
    bool CreateSiteFolder(PathKind kind);
    std::error_code LastFolderError() const { return m_lastFolderError; }

    // Reads the current screen's Vrx.cfg into the settings image. Throws FileError (and leaves
    // the image untouched) when the file is missing, cannot be read, or does not have one of the
    // two valid lengths at the moment it is read.
    void LoadSite();

    // True only for a regular file of exactly 800 or 938 bytes.
    bool IsSettingsFileValid(PathKind kind);

    // True when the folder of this kind holds any entry besides the program's temporary files
    // (IsTemporaryFileName); a missing or unreadable folder counts as empty.
    bool IsFolderNotEmpty(PathKind kind);

    // Last-write time of the current screen's Vrx.cfg, whatever its length; nullopt when there
    // is no entry of that name.
    std::optional<std::filesystem::file_time_type> SettingsFileTime();

    // Rebuilds the library from the folders: every folder of the root is a circuit, every folder
    // of a circuit folder a theater, every folder of a theater folder a screen, each level in
    // natural order (CompareSiteNames) and appended after the entries the model already holds.
    // Files and hidden folders (names beginning with ".") are skipped, nothing below screen
    // folders is read, and a folder that cannot be listed yields no entries. Temporary files
    // that a crashed save left in the root, circuit and theater folders are removed on the way.
    void ScanLibrary();

    // Writes Notes.txt for the current screen: the six-line template. Throws FileError.
    void WriteNotesTemplate();

    SiteLibrary& Library() { return m_library; }
    const std::filesystem::path& Root() const { return m_root; }

    // The kind the last path was built for; carries the kind to BuildSitePath.
    PathKind m_nPathKind = PathKind::NoPath;

private:
    SiteLibrary& m_library;
    std::filesystem::path m_root;
    SettingsImage& m_image;
    std::error_code m_lastFolderError;
};

// Converts a file time to calendar time for formatting.
std::time_t ToCalendarTime(std::filesystem::file_time_type time);
