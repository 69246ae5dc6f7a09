#include "library/conflict_resolve.h"

#include "image/atomic_file.h"
#include "image/file_error.h"
#include "image/portable.h"
#include "image/regular_file.h"
#include "image/report.h"
#include "image/stored_files.h"
#include "library/screen_lock.h"
#include "library/screen_store.h"
#include "library/site_history.h"
#include "library/stored_settings.h"

#include <algorithm>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Notes are a page or two of text; a file far larger is not the technician's notes.
constexpr std::size_t kMaxNotesSize = 16 * 1024 * 1024;

void AddConflicts(const fs::path& folder, const std::string& prefix,
                  std::vector<ConflictCopy>& copies) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const std::string name = PathToUtf8(it->path().filename());
        const std::optional<ConflictCopyName> copy = ParseConflictCopyName(name);
        if (!copy)
            continue;
        std::error_code typeError;
        const bool bFolder = it->is_directory(typeError) && !it->is_symlink(typeError);
        copies.push_back({prefix + name, prefix + copy->m_strOriginal, copy->m_nEngine, bFolder});
    }
}

void SortByPath(std::vector<ConflictCopy>& copies) {
    std::sort(copies.begin(), copies.end(), [](const ConflictCopy& a, const ConflictCopy& b) {
        return a.m_strPath < b.m_strPath;
    });
}

std::string ReadWhole(const fs::path& file, std::size_t nLimit) {
    const RegularFileRead read = ReadRegularFile(file, nLimit);
    ThrowUnlessFileFound(read, file);
    if (read.m_nStatus == RegularFileStatus::TooLarge)
        throw FileError(FileError::Cause::Generic, FullPathText(file),
                        FullPathText(file) + " is too large to be the screen's own file.");
    return read.m_bytes;
}

std::optional<fs::file_time_type> WriteTime(const fs::path& file) {
    std::error_code ec;
    const fs::file_time_type time = fs::last_write_time(file, ec);
    return ec ? std::nullopt : std::optional<fs::file_time_type>(time);
}

void RemoveFile(const fs::path& file) {
    std::error_code ec;
    fs::remove(file, ec);
    if (ec)
        throw FileError::FromSystem(ec, FullPathText(file));
}

// The conflicting copies of Vrx.txt in the screen folder.
std::vector<fs::path> ReportCopies(const fs::path& screenFolder) {
    std::vector<fs::path> copies;
    for (const ConflictCopy& copy : ScreenConflicts(screenFolder)) {
        if (copy.m_strOriginal == kReportFileName && !copy.m_bFolder)
            copies.push_back(screenFolder / PathFromUtf8(copy.m_strPath));
    }
    return copies;
}

// Vrx.txt made anew from the settings bytes, stored with them; the report's conflicting copies
// go. Returns what was removed, in words.
std::string StoreWithReport(const fs::path& screenFolder, const ScreenTarget& target,
                            const std::string& bytes, std::optional<fs::file_time_type> time,
                            std::time_t now, const LogAuthor& author, std::string& kept) {
    const SettingsImage image = SettingsImageOf(bytes);
    const std::optional<std::string> replaced =
        StoreScreenFiles(screenFolder, bytes,
                         RenderConfigurationReport(image, target.m_strCircuit, target.m_strTheater,
                                                   target.m_strScreen),
                         time, now, author.m_strMachine);
    if (replaced)
        kept = *replaced;
    std::string removed;
    for (const fs::path& copy : ReportCopies(screenFolder)) {
        RemoveFile(copy);
        removed += ", " + PathToUtf8(copy.filename());
    }
    return removed;
}

std::string SettleSettings(const fs::path& screenFolder, const ScreenTarget& target,
                           const fs::path& copy, KeepVersion keep, std::time_t now,
                           const LogAuthor& author) {
    const fs::path settings = screenFolder / kSettingsFileName;
    const std::string other = ReadSettingsBytes(copy);
    std::string kept;
    std::string removed;
    if (keep == KeepVersion::Other) {
        removed = StoreWithReport(screenFolder, target, other, WriteTime(copy), now, author, kept);
    } else {
        const std::string current = ReadSettingsBytes(settings);
        if (current != other)
            kept =
                KeepBytesInHistory(screenFolder, other, WriteTime(copy), now, author.m_strMachine);
        std::string unused;
        removed = StoreWithReport(screenFolder, target, current, WriteTime(settings), now, author,
                                  unused);
    }
    const std::string copyName = PathToUtf8(copy.filename());
    RemoveFile(copy);
    std::string done = keep == KeepVersion::Other
                           ? "stored the settings of " + copyName + " as Vrx.cfg"
                           : "kept Vrx.cfg as it was";
    if (!kept.empty())
        done += keep == KeepVersion::Other ? "; the replaced settings are kept as " + kept
                                           : "; the other settings are kept as " + kept;
    done += "; rewrote Vrx.txt; removed " + copyName + removed;
    return done;
}

std::string SettleNotes(const fs::path& screenFolder, const fs::path& copy, KeepVersion keep,
                        std::time_t now) {
    const fs::path notes = screenFolder / kNotesFileName;
    const std::string current = ReadWhole(notes, kMaxNotesSize);
    const std::string other = ReadWhole(copy, kMaxNotesSize);
    const std::string copyName = PathToUtf8(copy.filename());
    const bool bCurrent = keep == KeepVersion::Current;
    const std::string& keptText = bCurrent ? current : other;
    const std::string mark = NotesMergeMark(copyName, now);
    const std::string merged = MergeNotes(keptText, bCurrent ? other : current, mark);
    // Without lines of its own in the other version, the chosen text stays byte for byte.
    const bool bAdded = merged.find(mark) != std::string::npos;
    const std::string& result = bAdded ? merged : keptText;
    if (result != current)
        WriteFileAtomically(notes, result);
    RemoveFile(copy);
    return (bCurrent ? "kept Notes.txt" : "took the text of " + copyName) +
           (bAdded ? " and added the other version's own lines below a marked line"
                   : "; the other version holds no lines of its own") +
           "; removed " + copyName;
}

std::string SettleReport(const fs::path& screenFolder, const ScreenTarget& target,
                         const fs::path& copy, std::time_t now, const LogAuthor& author) {
    const fs::path settings = screenFolder / kSettingsFileName;
    std::string bytes;
    try {
        bytes = ReadSettingsBytes(settings);
    } catch (const FileError&) {
        throw ConflictNotSettled("The report Vrx.txt is made from the stored settings Vrx.cfg, "
                                 "and there are no valid ones to make it from. Settle Vrx.cfg "
                                 "first, or delete " +
                                 PathToUtf8(copy.filename()) + " yourself.");
    }
    std::string unused;
    const std::string removed =
        StoreWithReport(screenFolder, target, bytes, WriteTime(settings), now, author, unused);
    return "rewrote Vrx.txt from Vrx.cfg; removed " + removed.substr(2);
}

} // namespace

std::vector<ConflictCopy> ScreenConflicts(const fs::path& screenFolder) {
    std::vector<ConflictCopy> copies;
    AddConflicts(screenFolder, "", copies);
    AddConflicts(screenFolder / kHistoryFolderName, std::string(kHistoryFolderName) + "/", copies);
    SortByPath(copies);
    return copies;
}

std::vector<ConflictCopy> FolderConflicts(const fs::path& folder) {
    std::vector<ConflictCopy> copies;
    AddConflicts(folder, "", copies);
    SortByPath(copies);
    return copies;
}

std::string NotesMergeMark(const std::string& copyName, std::time_t now) {
    return "========== Lines only in the other version (" + copyName + "), added " +
           LogTimeText(now).substr(0, 16) + " ==========";
}

std::string MergeNotes(std::string_view kept, std::string_view other, const std::string& mark) {
    const std::vector<std::string> keptLines = TextLines(kept, true);
    const std::set<std::string> known(keptLines.begin(), keptLines.end());
    std::vector<std::string> own;
    for (const std::string& line : TextLines(other, true)) {
        if (!line.empty() && known.count(line) == 0)
            own.push_back(line);
    }
    std::string text;
    for (const std::string& line : keptLines)
        text += line + "\r\n";
    if (own.empty())
        return text;
    text += mark + "\r\n";
    for (const std::string& line : own)
        text += line + "\r\n";
    return text;
}

std::string ResolveConflict(const fs::path& screenFolder, const ScreenTarget& target,
                            const std::string& copyPath, std::optional<KeepVersion> keep,
                            const LogAuthor& author, std::time_t now) {
    const std::vector<ConflictCopy> copies = ScreenConflicts(screenFolder);
    const auto found = std::find_if(copies.begin(), copies.end(),
                                    [&](const ConflictCopy& c) { return c.m_strPath == copyPath; });
    if (found == copies.end())
        throw ConflictNotSettled("The screen holds no conflicting copy \"" + copyPath + "\".");
    const ConflictCopy copy = *found;
    if (copy.m_bFolder)
        throw ConflictNotSettled(copy.m_strPath +
                                 " is a copy of a folder. Move what you need "
                                 "from it into " +
                                 copy.m_strOriginal + ", then delete it yourself.");
    const std::string& original = copy.m_strOriginal;
    const bool bLog = original.rfind(std::string(kHistoryFolderName) + "/", 0) == 0 &&
                      IsLogFileName(original.substr(kHistoryFolderName.size() + 1));
    const bool bChoice = original == kSettingsFileName || original == kNotesFileName;
    if (!bChoice && !bLog && original != kReportFileName)
        throw ConflictNotSettled("The program does not settle copies of " + original +
                                 ". Compare " + copy.m_strPath + " with " + original +
                                 ", keep what you need in " + original +
                                 ", then delete the copy yourself.");
    if (bChoice && !keep)
        throw ConflictNotSettled("Choose which version of " + original +
                                 " to keep: the current one or the other (the copy).");

    const ScreenClaimResult claim = ClaimScreenFolder(screenFolder, ScreenText(target), "Resolve");
    if (!claim.IsClaimed())
        throw ScreenInUse(claim.m_strRefusal);
    const fs::path copyFile = screenFolder / PathFromUtf8(copy.m_strPath);
    std::string done;
    if (bLog) {
        MergeLogCopies(ScreenLogFolder(screenFolder),
                       original.substr(kHistoryFolderName.size() + 1));
        done = "merged " + copy.m_strPath + " into " + original;
    } else if (original == kSettingsFileName) {
        done = SettleSettings(screenFolder, target, copyFile, *keep, now, author);
    } else if (original == kNotesFileName) {
        done = SettleNotes(screenFolder, copyFile, *keep, now);
    } else {
        done = SettleReport(screenFolder, target, copyFile, now, author);
    }
    LogScreenCommand(screenFolder, author, "Resolve", done, now);
    return done;
}
