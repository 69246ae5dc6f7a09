// Where the window's library lives: the folder chosen at start-up, the one the technician opens
// later, and the library used last, remembered per user. The library folder is the process's
// working directory, so every library path ("./Circuit/...") and VRX3KM.CFG keep their meaning.
#pragma once

#include "control/library_folder_control.h"
#include "library/library_folder.h"

#include <filesystem>
#include <optional>
#include <string>

// Gathers what the start-up choice depends on: the folder named on the command line (if any),
// the working directory and whether it is a library (never when it is the home folder), the
// library used last (when it still exists) and the default folder in the user's documents
// folder (the home folder where there is none).
LibraryFolderFacts GatherLibraryFacts(const std::optional<std::filesystem::path>& given);

// The library used last, as remembered; nullopt when none is remembered.
std::optional<std::filesystem::path> LastLibraryFolder();
// Remembers folder (made absolute) as the library used last.
void RememberLibraryFolder(const std::filesystem::path& folder);

// Makes folder the working directory of the process, for the standard library and for Qt
// alike. False with the system's reason in error when the folder cannot be entered; the
// working directory then stays as it was.
bool EnterLibraryFolder(const std::filesystem::path& folder, std::string& error);

// The outcome of the start-up choice.
struct StartLibrary {
    std::filesystem::path m_folder; // absolute; empty when none could be opened
    LibrarySource m_source = LibrarySource::None;
    std::string m_strError; // why m_folder is empty, for the technician
    // An empty working directory: the program may have been started there by chance, so it is
    // remembered as the library used last only once something was added to it.
    bool m_bRememberOnceFilled = false;
};

// Chooses the library folder from the facts (ChooseLibraryFolder), creates the default folder on
// first start, and enters the chosen folder. A folder named on the command line that does not
// exist is not created: it may be a typing error.
StartLibrary OpenStartLibrary(const LibraryFolderFacts& facts);

// Remembers the start library as the library used last, unless it is to be remembered only once
// filled (m_bRememberOnceFilled).
void RememberStartLibrary(const StartLibrary& start);
// At the end of the run: remembers a start library that waited to be filled, when it is still the
// open library and now holds something.
void RememberStartLibraryOnceFilled(const StartLibrary& start);

// Where the Qt window keeps the library folder (control/library_folder_control.h): the working
// directory for the standard library and for Qt alike, and the library used last in the
// per-user settings.
class CLibraryPlace : public LibraryPlace {
public:
    bool Enter(const std::filesystem::path& folder, std::string& strError) override {
        return EnterLibraryFolder(folder, strError);
    }
    void Remember(const std::filesystem::path& folder) override { RememberLibraryFolder(folder); }
};
