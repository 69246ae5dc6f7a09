#include "library/library_folder.h"

#include "library/site_name.h"

#include <cstdlib>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Calls visit(entry) for every entry of folder that is not hidden, until it returns true;
// returns whether one did. A folder that cannot be listed has no entries.
template <typename Visit> bool AnyVisibleEntry(const fs::path& folder, Visit visit) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        if (!IsHiddenName(it->path().filename().string()) && visit(*it))
            return true;
    }
    return false;
}

bool IsFolder(const fs::directory_entry& entry) {
    std::error_code ec;
    return entry.is_directory(ec);
}

bool HoldsScreenFile(const fs::path& screen) {
    std::error_code ec;
    return fs::is_regular_file(screen / kNotesFileName, ec) ||
           fs::is_regular_file(screen / kSettingsFileName, ec);
}

} // namespace

bool IsLibraryFolder(const fs::path& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return false;
    if (fs::is_regular_file(folder / kProfileFileName, ec))
        return true;
    if (IsEmptyFolder(folder))
        return true;
    // The walk stops at the first screen found.
    return AnyVisibleEntry(folder, [](const fs::directory_entry& circuit) {
        return IsFolder(circuit) &&
               AnyVisibleEntry(circuit.path(), [](const fs::directory_entry& theater) {
                   return IsFolder(theater) &&
                          AnyVisibleEntry(theater.path(), [](const fs::directory_entry& screen) {
                              return IsFolder(screen) && HoldsScreenFile(screen.path());
                          });
               });
    });
}

bool IsEmptyFolder(const fs::path& folder) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    return !ec && it == fs::directory_iterator();
}

bool IsHomeFolder(const fs::path& folder, const std::optional<fs::path>& home) {
    std::error_code ec;
    return home && !home->empty() && fs::equivalent(folder, *home, ec) && !ec;
}

std::optional<fs::path> HomeFolder() {
#ifdef _WIN32
    const char* home = std::getenv("USERPROFILE");
#else
    const char* home = std::getenv("HOME");
#endif
    if (home == nullptr || *home == '\0')
        return std::nullopt;
    return fs::path(home);
}

LibraryChoice ChooseLibraryFolder(const LibraryFolderFacts& facts) {
    if (facts.m_given)
        return {*facts.m_given, LibrarySource::Given};
    if (facts.m_bWorkingDirectoryIsLibrary)
        return {facts.m_workingDirectory, LibrarySource::WorkingDirectory};
    if (facts.m_lastUsed)
        return {*facts.m_lastUsed, LibrarySource::LastUsed};
    if (facts.m_defaultFolder)
        return {*facts.m_defaultFolder, LibrarySource::Default};
    return {};
}

fs::path DefaultLibraryFolder(const std::optional<fs::path>& documents, const fs::path& home) {
    const fs::path& parent = documents && !documents->empty() ? *documents : home;
    return parent / kDefaultLibraryName;
}
