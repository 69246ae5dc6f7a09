// The files of a screen folder: Vrx.cfg, its report Vrx.txt and the notes Notes.txt.
#include "library/site_storage.h"

#include "image/atomic_file.h"
#include "image/file_error.h"
#include "image/report.h"
#include "image/report_file.h"
#include "image/settings_image.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

SettingsImage& CSiteStorage::Image() {
    return m_pImage != nullptr ? *m_pImage : g_SettingsImage;
}

bool CSiteStorage::SaveSite(PathKind kind) {
    if (kind == PathKind::SettingsFile) {
        const auto bytes = ToStoredForm(Image());
        WriteFileAtomically(
            DiskPath(PathKind::SettingsFile),
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        WriteConfigurationReport(DiskPath(PathKind::ReportFile), Image(),
                                 m_library.GetCircuitName(), m_library.GetTheaterName(),
                                 m_library.GetScreenName());
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
    const fs::path file = DiskPath(PathKind::SettingsFile);
    std::error_code ec;
    // The message names the file by its full path, so the technician can find it.
    const fs::path full = fs::absolute(file, ec);
    const std::string path = ec ? file.string() : full.lexically_normal().string();
    const fs::file_status status = fs::status(file, ec);
    if (ec && status.type() != fs::file_type::not_found)
        throw FileError::FromErrno(ec.value(), path);
    if (!fs::exists(status))
        throw FileError::FromErrno(ENOENT, path);
    // A folder, a pipe or a device of that name is no settings file; a pipe would also block
    // the read until another program wrote to it.
    if (!fs::is_regular_file(status))
        throw FileError(FileError::Cause::AccessDenied, path);
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw FileError::FromErrno(errno != 0 ? errno : EACCES, path);
    // Read one byte more than the longest valid file, so that the length seen is the length
    // at the moment of reading, not that of an earlier probe.
    std::vector<char> bytes(kLongSettingsSize + 1);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad())
        throw FileError::FromErrno(EIO, path);
    const auto size = static_cast<std::uintmax_t>(in.gcount());
    if (size != kStoredSettingsSize && size != kLongSettingsSize)
        throw FileError(FileError::Cause::Generic, path);
    std::array<std::uint8_t, kSettingsFileSize> stored{};
    std::memcpy(stored.data(), bytes.data(), stored.size());
    FromStoredForm(stored, Image());
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
