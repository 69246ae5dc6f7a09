// The library on disk: one folder per circuit, theater and screen under the root folder (the
// working directory), and in each screen folder Vrx.cfg, Vrx.txt and Notes.txt. It builds the
// paths of an entry, makes its folder, saves and loads the screen's settings through the screen
// store, writes the notes template, probes the disk for the selection panel, and rebuilds the
// model from the folders.
//
// Every operation acts on the entry it is given as a resolved selection (SiteSelection), never
// on where the library's cursor stands.
//
// Layer: above the paths, the settings files and the screen store; below adding and deleting.
#pragma once

#include "library/site_library.h"
#include "library/site_paths.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

struct SettingsImage;

class CSiteStorage {
public:
    // root is the folder the library lives in; the paths handed out stay "./"-relative to it.
    // Settings are saved from and loaded into image. The library and the image outlive the
    // storage.
    CSiteStorage(SiteLibrary& library, std::filesystem::path root, SettingsImage& image);

    // Sets path to the path of kind m_nPathKind for the site, with the platform's separator,
    // e.g. "./Main/Plaza/2/Vrx.cfg" (".\Main\Plaza\2\Vrx.cfg" on Windows). Kind 0 leaves path as
    // it was.
    void BuildSitePath(const SiteSelection& site, std::string& path) const;
    // Builds the path of a kind: stores kind in m_nPathKind and returns the path BuildSitePath
    // gives for it ("" for kind 0).
    std::string SitePath(const SiteSelection& site, PathKind kind);
    // The same path as the file system reaches it from the process's working directory (the
    // root folder followed by the library path); equal to SitePath when the root is ".".
    std::filesystem::path DiskPath(const SiteSelection& site, PathKind kind) const;

    // Kinds 1 to 3: creates that folder, one level only. Returns true when the folder exists
    // afterwards (made now or already there) and false when it could not be made; then nothing
    // else is written and LastFolderError() tells why. Kind 3 then writes the notes template
    // unless the screen folder already holds a Notes.txt, which stays as the technician left it.
    // Kind 4: stores the 800 bytes of the settings image as Vrx.cfg and its report as Vrx.txt,
    // both files or neither (SaveScreenSettings); returns true.
    // Throws FileError when Vrx.cfg, Vrx.txt or Notes.txt cannot be written.
    bool SaveSite(const SiteSelection& site, PathKind kind);
    bool CreateSiteFolder(const SiteSelection& site, PathKind kind);
    std::error_code LastFolderError() const { return m_lastFolderError; }

    // Reads the screen's Vrx.cfg into the settings image. Throws FileError (and leaves the image
    // untouched) when the file is missing, cannot be read, or does not have one of the two valid
    // lengths at the moment it is read.
    void LoadSite(const SiteSelection& site);

    // True only for a regular file of exactly 800 or 938 bytes at the path of that kind.
    bool IsSettingsFileValid(const SiteSelection& site, PathKind kind);

    // True when the folder of this kind holds any entry besides the program's temporary files
    // (IsTemporaryFileName); a missing or unreadable folder counts as empty.
    bool IsFolderNotEmpty(const SiteSelection& site, PathKind kind) const;

    // Last-write time of the screen's Vrx.cfg, whatever its length; nullopt when there is no
    // entry of that name.
    std::optional<std::filesystem::file_time_type>
    SettingsFileTime(const SiteSelection& site) const;

    // Rebuilds the library from the folders: every folder of the root is a circuit, every folder
    // of a circuit folder a theater, every folder of a theater folder a screen, each level in
    // natural order (CompareSiteNames) and appended after the entries the model already holds.
    // Files, hidden folders (names beginning with ".") and a sync engine's conflicting copies of
    // folders (sync_conflict.h) are skipped, nothing below screen
    // folders is read, and a folder that cannot be listed yields no entries. Temporary files
    // that a crashed save left in the root, circuit and theater folders are removed on the way.
    void ScanLibrary();

    // Writes Notes.txt for the screen: the six-line template. Throws FileError.
    void WriteNotesTemplate(const SiteSelection& site);

    SiteLibrary& Library() { return m_library; }
    const std::filesystem::path& Root() const { return m_root; }

private:
    // Builds the path of a kind (SitePath) as the file system reaches it.
    std::filesystem::path BuildDiskPath(const SiteSelection& site, PathKind kind);

    SiteLibrary& m_library;
    std::filesystem::path m_root;
    SettingsImage& m_image;
    std::error_code m_lastFolderError;
    // The kind the last path was built for; carries the kind to BuildSitePath.
    PathKind m_nPathKind = PathKind::NoPath;
};

// Converts a file time to calendar time for formatting.
std::time_t ToCalendarTime(std::filesystem::file_time_type time);
