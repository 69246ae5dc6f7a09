// The files of a screen folder: Vrx.cfg, its report Vrx.txt and the notes Notes.txt.
#include "library/site_storage.h"

#include "image/report_file.h"
#include "image/settings_image.h"
#include "library/screen_store.h"

#include <system_error>

namespace fs = std::filesystem;

bool CSiteStorage::SaveSite(PathKind kind) {
    if (kind == PathKind::SettingsFile) {
        SaveScreenSettings(DiskPath(PathKind::ScreenFolder), m_image, m_library.GetCircuitName(),
                           m_library.GetTheaterName(), m_library.GetScreenName());
        return true;
    }
    if (!CreateSiteFolder(kind))
        return false;
    if (kind == PathKind::ScreenFolder) {
        // A folder that already held notes (made before the program knew of it) keeps them.
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(DiskPath(PathKind::NotesFile), ec)))
            WriteNotesTemplate();
    }
    return true;
}

void CSiteStorage::LoadSite() {
    LoadScreenSettings(DiskPath(PathKind::SettingsFile), m_image);
}

void CSiteStorage::WriteNotesTemplate() {
    CReportFile file;
    file.Create(DiskPath(PathKind::NotesFile));
    file.WriteLine("Theater Setup Notes");
    file.WriteLine("");
    file.WriteLine("Circuit Name:  " + m_library.GetCircuitName());
    file.WriteLine("Theater Name:  " + m_library.GetTheaterName());
    file.WriteLine("Screen:        " + m_library.GetScreenName());
    file.WriteRule();
    file.Close();
}
