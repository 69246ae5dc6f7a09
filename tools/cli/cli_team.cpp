#include "cli_team.h"

#include "image/file_error.h"
#include "image/portable.h"
#include "image/settings_compare.h"
#include "image/stored_files.h"
#include "library/conflict_resolve.h"
#include "library/screen_lock.h"
#include "library/screen_store.h"
#include "library/site_order.h"
#include "library/site_status.h"
#include "library/site_storage.h"
#include "library/stored_settings.h"

#include <algorithm>
#include <ostream>

namespace fs = std::filesystem;

namespace {

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : "/") + name;
    return text;
}

ExitStatus LogCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io,
                      const TeamServices& services) {
    fs::path folder = LibraryLogFolder(storage.Root());
    std::string strWhose = "the library";
    if (!request.m_names.empty()) {
        const SiteSelection site = services.m_select(request.m_names);
        folder = ScreenLogFolder(storage.DiskPath(site, PathKind::ScreenFolder));
        strWhose = Joined(request.m_names);
    }
    const LogRead log = ReadLog(folder);
    if (log.m_entries.empty())
        io.m_err << "Nothing has been logged for " << strWhose << " yet.\n";
    for (const LogEntry& entry : log.m_entries)
        io.m_out << LogEntryText(entry) << "\n";
    if (log.m_nUnreadable > 0)
        io.m_err << log.m_nUnreadable << (log.m_nUnreadable == 1 ? " line" : " lines")
                 << " of the log files in " << PathToUtf8(folder)
                 << " could not be read and are left out.\n";
    return kExitSuccess;
}

void PrintCopies(const std::vector<ConflictCopy>& copies, const std::string& prefix, CliStreams& io,
                 std::size_t& nCount) {
    for (const ConflictCopy& copy : copies) {
        io.m_out << prefix << copy.m_strPath << ": " << SyncEngineText(copy.m_nEngine)
                 << "'s copy of " << prefix << copy.m_strOriginal
                 << (copy.m_bFolder ? " (a folder)" : "") << "\n";
        ++nCount;
    }
}

ExitStatus ConflictsCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io,
                            const TeamServices& services) {
    services.m_select(request.m_names);
    SiteLibrary& library = storage.Library();
    const std::vector<std::string>& scope = request.m_names;
    const fs::path& root = storage.Root();
    std::size_t nCount = 0;
    if (scope.empty())
        PrintCopies(FolderConflicts(root), "", io, nCount);
    const std::vector<std::string> circuits = ScopeCircuits(library, scope);
    for (const std::string& circuit : circuits) {
        library.FindCircuit(circuit);
        if (scope.size() < 2)
            PrintCopies(FolderConflicts(storage.DiskPath(
                            library.CurrentSelection(SiteLevel::Circuit), PathKind::CircuitFolder)),
                        circuit + "/", io, nCount);
        for (library.FirstTheater(); library.HasTheater(); library.NextTheater()) {
            const std::string theater = library.GetTheaterName();
            if (scope.size() >= 2 && theater != scope[1])
                continue;
            const SiteSelection theaterSite = library.CurrentSelection(SiteLevel::Theater);
            if (scope.size() < 3)
                PrintCopies(FolderConflicts(storage.DiskPath(theaterSite, PathKind::TheaterFolder)),
                            circuit + "/" + theater + "/", io, nCount);
            for (library.FirstScreen(); library.HasScreen(); library.NextScreen()) {
                const std::string screen = library.GetScreenName();
                if (scope.size() == 3 && screen != scope[2])
                    continue;
                PrintCopies(
                    ScreenConflicts(storage.DiskPath(library.CurrentSelection(SiteLevel::Screen),
                                                     PathKind::ScreenFolder)),
                    circuit + "/" + theater + "/" + screen + "/", io, nCount);
            }
        }
    }
    if (nCount == 0) {
        io.m_err << "No conflicting copies.\n";
        return kExitSuccess;
    }
    io.m_err << nCount << (nCount == 1 ? " conflicting copy" : " conflicting copies")
             << ". Settle a screen's copy with: vrx3km-cli resolve CIRCUIT THEATER SCREEN FILE "
                "--keep current|other\n(FILE as printed after the screen's folder; compare a "
                "copy of Vrx.cfg first with: vrx3km-cli compare CIRCUIT THEATER SCREEN --file "
                "PATH).\n";
    return kExitSuccess;
}

ExitStatus ResolveCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io,
                          const TeamServices& services) {
    const std::vector<std::string> names(request.m_names.begin(), request.m_names.begin() + 3);
    // A copy in History may be named with either separator.
    std::string file = request.m_names[3];
    std::replace(file.begin(), file.end(), '\\', '/');
    const SiteSelection site = services.m_select(names);
    const fs::path folder = storage.DiskPath(site, PathKind::ScreenFolder);
    const std::vector<ConflictCopy> copies = ScreenConflicts(folder);
    const auto copy = std::find_if(copies.begin(), copies.end(),
                                   [&](const ConflictCopy& c) { return c.m_strPath == file; });
    if (copy == copies.end()) {
        io.m_err << "vrx3km-cli: " << Joined(names) << " holds no conflicting copy \"" << file
                 << "\"; \"vrx3km-cli conflicts " << names[0] << " " << names[1] << " " << names[2]
                 << "\" lists them\n";
        return kExitUsage;
    }
    std::optional<KeepVersion> keep;
    if (request.m_strKeep)
        keep = *request.m_strKeep == "other" ? KeepVersion::Other : KeepVersion::Current;
    const std::string& original = copy->m_strOriginal;
    std::string question = "Settle the conflict of " + original + " in " + Joined(names);
    if (original == kSettingsFileName && keep) {
        // What the choice decides, field by field.
        try {
            const auto differences = CompareSettings(ReadSettingsFile(folder / kSettingsFileName),
                                                     ReadSettingsFile(folder / PathFromUtf8(file)));
            io.m_err << "Stored settings | " << file << ":\n"
                     << (differences.empty() ? "(identical)\n" : FormatDifferences(differences));
        } catch (const FileError&) {
            // The resolve itself names the file that cannot be read.
        }
        question += *keep == KeepVersion::Current
                        ? ", keeping the stored settings and putting the copy's into History?"
                        : ", storing the copy's settings and keeping the current ones in "
                          "History?";
    } else if (original == kNotesFileName && keep) {
        question += *keep == KeepVersion::Current
                        ? ", keeping the current notes with the copy's own lines added below a "
                          "marked line?"
                        : ", taking the copy's notes with the current notes' own lines added "
                          "below a marked line?";
    } else {
        question += "?";
    }
    try {
        if ((original == kSettingsFileName || original == kNotesFileName) && !keep)
            throw ConflictNotSettled("Choose which version of " + original +
                                     " keeps its name: --keep current or --keep other.");
        if (!services.m_ask(question)) {
            io.m_err << "Nothing was changed.\n";
            return kExitFailed;
        }
        const std::string done =
            ResolveConflict(folder, ScreenOf(site), file, keep, AuthorOf(request));
        io.m_err << "Settled: " << done << "\n";
        return kExitSuccess;
    } catch (const ConflictNotSettled& refusal) {
        io.m_err << "vrx3km-cli: " << refusal.what() << "\n";
        return kExitUsage;
    } catch (const ScreenInUse& busy) {
        io.m_err << "vrx3km-cli: " << busy.what() << "\n";
        return kExitFailed;
    }
}

} // namespace

LogAuthor AuthorOf(const CliRequest& request) {
    LogAuthor author = CurrentAuthor();
    if (request.m_strWho)
        author.m_strWho = *request.m_strWho;
    if (request.m_strWhy)
        author.m_strWhy = *request.m_strWhy;
    return author;
}

bool IsTeamCommand(const std::string& strCommand) {
    return strCommand == "log" || strCommand == "conflicts" || strCommand == "resolve";
}

ExitStatus RunTeamCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io,
                          const TeamServices& services) {
    if (request.m_strCommand == "log")
        return LogCommand(request, storage, io, services);
    if (request.m_strCommand == "conflicts")
        return ConflictsCommand(request, storage, io, services);
    return ResolveCommand(request, storage, io, services);
}
