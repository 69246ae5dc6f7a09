#include "ui/library_place.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QString>

#include <system_error>

namespace fs = std::filesystem;

namespace {

// The per-user settings of the program (the platform's settings location); the library used
// last is its only entry.
constexpr const char* kOrganization = "vrx3km";
constexpr const char* kApplication = "vrx3km";
constexpr const char* kLastLibraryKey = "Library/LastUsed";

fs::path FromQt(const QString& path) {
    return fs::path(path.toStdU16String());
}

QString ToQt(const fs::path& path) {
    return QString::fromStdU16String(path.u16string());
}

fs::path Absolute(const fs::path& folder) {
    std::error_code ec;
    fs::path absolute = fs::absolute(folder, ec);
    return ec ? folder : absolute.lexically_normal();
}

} // namespace

std::optional<fs::path> LastLibraryFolder() {
    const QSettings settings(kOrganization, kApplication);
    const QString last = settings.value(kLastLibraryKey).toString();
    if (last.isEmpty())
        return std::nullopt;
    return FromQt(last);
}

void RememberLibraryFolder(const fs::path& folder) {
    QSettings settings(kOrganization, kApplication);
    settings.setValue(kLastLibraryKey, ToQt(Absolute(folder)));
    settings.sync();
}

LibraryFolderFacts GatherLibraryFacts(const std::optional<fs::path>& given) {
    LibraryFolderFacts facts;
    facts.m_given = given;
    std::error_code ec;
    facts.m_workingDirectory = fs::current_path(ec);
    const fs::path home = FromQt(QDir::homePath());
    facts.m_bWorkingDirectoryIsLibrary = !ec && IsLibraryFolder(facts.m_workingDirectory) &&
                                         !IsHomeFolder(facts.m_workingDirectory, home);
    if (const auto last = LastLibraryFolder(); last && fs::is_directory(*last, ec))
        facts.m_lastUsed = last;
    std::optional<fs::path> documents;
    const QString strDocuments =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!strDocuments.isEmpty())
        documents = FromQt(strDocuments);
    facts.m_defaultFolder = DefaultLibraryFolder(documents, home);
    return facts;
}

bool EnterLibraryFolder(const fs::path& folder, std::string& error) {
    std::error_code ec;
    const fs::path absolute = fs::canonical(folder, ec);
    if (!ec)
        fs::current_path(absolute, ec);
    if (ec) {
        error = "The folder " + folder.string() +
                " cannot be opened as the library: " + ec.message() + ".";
        return false;
    }
    QDir::setCurrent(ToQt(absolute));
    return true;
}

StartLibrary OpenStartLibrary(const LibraryFolderFacts& facts) {
    StartLibrary start;
    const LibraryChoice choice = ChooseLibraryFolder(facts);
    start.m_source = choice.m_source;
    if (choice.m_source == LibrarySource::None) {
        start.m_strError = "No library folder was named, and there is no default folder.";
        return start;
    }
    std::error_code ec;
    if (choice.m_source == LibrarySource::Default) {
        fs::create_directories(choice.m_folder, ec);
        if (ec) {
            start.m_strError = "The library folder " + choice.m_folder.string() +
                               " could not be created: " + ec.message() + ".";
            return start;
        }
    } else if (!fs::is_directory(choice.m_folder, ec)) {
        start.m_strError = "The library folder " + choice.m_folder.string() +
                           " does not exist. Check the name, or choose another folder.";
        return start;
    }
    start.m_bRememberOnceFilled =
        choice.m_source == LibrarySource::WorkingDirectory && IsEmptyFolder(choice.m_folder);
    if (!EnterLibraryFolder(choice.m_folder, start.m_strError))
        return start;
    start.m_folder = fs::current_path(ec);
    return start;
}

void RememberStartLibrary(const StartLibrary& start) {
    if (!start.m_folder.empty() && !start.m_bRememberOnceFilled)
        RememberLibraryFolder(start.m_folder);
}

void RememberStartLibraryOnceFilled(const StartLibrary& start) {
    std::error_code ec;
    if (start.m_bRememberOnceFilled && fs::equivalent(fs::current_path(), start.m_folder, ec) &&
        !IsEmptyFolder(start.m_folder))
        RememberLibraryFolder(start.m_folder);
}
