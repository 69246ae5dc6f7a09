#include "control/library_folder_control.h"

#include "library/library_folder.h"
#include "library/site_storage.h"
#include "link/profile.h"

#include <system_error>

namespace fs = std::filesystem;

namespace {

// A folder's last change as a number; -1 when it cannot be read (gone, or no longer a folder).
long long FolderStamp(const fs::path& folder) {
    std::error_code ec;
    const auto written = fs::last_write_time(folder, ec);
    return ec ? -1 : static_cast<long long>(written.time_since_epoch().count());
}

} // namespace

CLibraryFolderControl::CLibraryFolderControl(CSiteStorage& storage, PortSettings& portSettings,
                                             LibraryPlace& place, Prompt& prompt)
    : m_storage(storage), m_portSettings(portSettings), m_place(place), m_prompt(prompt) {}

bool CLibraryFolderControl::ConfirmOpen(const fs::path& folder) {
    if (IsLibraryFolder(folder))
        return true;
    return Confirm(m_prompt,
                   "The folder " + folder.string() +
                       " does not look like a library: it holds no VRX3KM.CFG and no screen "
                       "folder with notes or settings, so each of its folders would be listed as "
                       "a circuit.\n\nPress OK to open it as the library all the same,\nor CANCEL "
                       "to keep the library that is open.",
                   m_prompt.ProgramCaption(), PromptIcon::Exclamation, true);
}

bool CLibraryFolderControl::Enter(const fs::path& folder) {
    std::string strError;
    if (!m_place.Enter(folder, strError)) {
        Tell(m_prompt, strError + "\nThe library that was open stays open.",
             m_prompt.ProgramCaption(), PromptIcon::Stop);
        return false;
    }
    // The new folder's own profile: its port is the one opened.
    InitProfile(m_portSettings);
    return true;
}

void CLibraryFolderControl::RememberOpen() {
    m_place.Remember(fs::current_path());
}

void CLibraryFolderControl::Rescan() {
    SiteLibrary& library = m_storage.Library();
    library.FirstCircuit();
    while (library.HasCircuit()) {
        library.RemoveCurrentCircuit();
        library.FirstCircuit();
    }
    m_storage.ScanLibrary();
}

std::vector<long long> CLibraryFolderControl::Signature() const {
    // An entry added or removed changes its parent folder's time: the library folder for a
    // circuit, a circuit's folder for a theater, a theater's folder for a screen. The screen
    // folders themselves are never looked at, so the cost follows the number of theaters.
    std::vector<long long> signature{FolderStamp(m_storage.Root())};
    m_storage.Library().ForEachEntry(SiteLevel::Theater, [&](const SiteSelection& site, SitePos) {
        signature.push_back(FolderStamp(m_storage.DiskPath(site, FolderKind(site.m_nLevel))));
    });
    return signature;
}

void CLibraryFolderControl::NoteState() {
    m_signature = Signature();
}

bool CLibraryFolderControl::ChangedOnDisk() const {
    return Signature() != m_signature;
}
