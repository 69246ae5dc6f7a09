// The files of a screen folder: Vrx.cfg, its report Vrx.txt and the notes Notes.txt.
#include "library/site_storage.h"

#include "image/report_file.h"
#include "image/settings_image.h"
#include "image/stored_files.h"
#include "library/screen_store.h"
#include "library/stored_settings.h"

#include <system_error>

namespace fs = std::filesystem;

bool CSiteStorage::SaveSite(const SiteSelection& site, PathKind kind) {
    if (kind == PathKind::SettingsFile) {
        SaveScreenSettings(BuildDiskPath(site, kind).parent_path(), m_image, site.m_strCircuit,
                           site.m_strTheater, site.m_strScreen);
        return true;
    }
    if (!CreateSiteFolder(site, kind))
        return false;
    if (kind == PathKind::ScreenFolder) {
        // A folder that already held notes (made before the program knew of it) keeps them.
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(DiskPath(site, PathKind::NotesFile), ec)))
            WriteNotesTemplate(site);
    }
    return true;
}

void CSiteStorage::LoadSite(const SiteSelection& site) {
    m_image = ReadSettingsFile(BuildDiskPath(site, PathKind::SettingsFile));
}

void CSiteStorage::WriteNotesTemplate(const SiteSelection& site) {
    CReportFile file;
    file.Create(BuildDiskPath(site, PathKind::NotesFile));
    file.WriteLine("Theater Setup Notes");
    file.WriteLine("");
    file.WriteLine("Circuit Name:  " + site.m_strCircuit);
    file.WriteLine("Theater Name:  " + site.m_strTheater);
    file.WriteLine("Screen:        " + site.m_strScreen);
    file.WriteRule();
    file.Close();
}
