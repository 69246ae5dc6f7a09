#include "library/site_visit.h"

#include "image/file_error.h"
#include "image/portable.h"
#include "image/regular_file.h"
#include "image/stored_files.h"
#include "library/screen_store.h"
#include "library/site_history.h"
#include "library/site_storage.h"
#include "library/stored_settings.h"

#include <algorithm>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Notes are a few lines; a larger file is named instead of printed.
constexpr std::size_t kMaxNotesSize = 1024 * 1024;
// Lines are wrapped to the report's width, so that one long note or reason never shrinks the
// whole page's type.
constexpr std::size_t kColumns = 80;
const std::string kRule(kColumns, '=');
// The action under which a transfer of the stored settings to the processor is logged.
constexpr std::string_view kSendAction = "Send";

std::optional<std::time_t> WriteTime(const fs::path& file) {
    std::error_code ec;
    const fs::file_time_type time = fs::last_write_time(file, ec);
    return ec ? std::nullopt : std::optional<std::time_t>(ToCalendarTime(time));
}

// The local time as History names its versions: "2026-12-07 10:11:12".
std::string HistoryTimeText(std::time_t when) {
    std::tm local{};
    if (!ToLocalTime(when, local))
        return {};
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

VisitChanges ReadChanges(const fs::path& folder, const std::vector<KeptSettings>& keptSince) {
    VisitChanges changes;
    const fs::path after = folder / kSettingsFileName;
    changes.m_afterRead = WriteTime(after);
    if (keptSince.empty())
        return changes;
    // ListHistory lists the newest first: the visit's first replacement kept the last one.
    changes.m_strBefore = keptSince.back().m_strName;
    const fs::path before = folder / kHistoryFolderName / PathFromUtf8(changes.m_strBefore);
    changes.m_beforeRead = WriteTime(before);
    try {
        changes.m_differences = CompareSettings(ReadSettingsFile(before), ReadSettingsFile(after));
    } catch (const FileError& error) {
        changes.m_strProblem = error.Message();
    }
    return changes;
}

void ReadNotes(const fs::path& folder, VisitScreen& screen) {
    const fs::path notes = folder / kNotesFileName;
    const RegularFileRead read = ReadRegularFile(notes, kMaxNotesSize);
    switch (read.m_nStatus) {
    case RegularFileStatus::Read:
        screen.m_strNotes = read.m_bytes;
        return;
    case RegularFileStatus::Missing:
        return;
    case RegularFileStatus::TooLarge:
        screen.m_strNotesProblem = FullPathText(notes) + " is larger than 1 MB and is left out.";
        return;
    case RegularFileStatus::NotAFile:
    case RegularFileStatus::Failed:
        break;
    }
    try {
        ThrowUnlessFileFound(read, notes);
    } catch (const FileError& error) {
        screen.m_strNotesProblem = error.Message();
    }
}

// How many characters a reader sees in UTF-8 bytes (a byte of another encoding counts as one).
std::size_t Columns(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// The byte offset after the first n characters of text.
std::size_t OffsetOfColumn(std::string_view text, std::size_t n) {
    std::size_t offset = 0;
    for (std::size_t seen = 0; offset < text.size(); ++offset) {
        if ((static_cast<unsigned char>(text[offset]) & 0xC0) != 0x80 && seen++ == n)
            break;
    }
    return offset;
}

// A part's text under construction: lines wrapped to the page's width, and where sections begin.
class PartWriter {
public:
    void Section(const std::string& title) {
        m_starts.push_back(m_lines.size());
        Line("");
        Line(title);
        Line(std::string(Columns(title), '-'));
    }
    // A line, wrapped at spaces where it is wider than the page; the rest of a wrapped line is
    // indented by two spaces.
    void Line(std::string_view line) {
        std::string_view indent;
        while (Columns(indent) + Columns(line) > kColumns) {
            const std::size_t width = kColumns - Columns(indent);
            const std::size_t limit = OffsetOfColumn(line, width);
            std::size_t cut = line.rfind(' ', limit);
            if (cut == std::string_view::npos || cut == 0)
                cut = limit;
            m_lines.push_back(std::string(indent) + std::string(line.substr(0, cut)));
            line.remove_prefix(cut);
            while (!line.empty() && line.front() == ' ')
                line.remove_prefix(1);
            indent = "  ";
        }
        m_lines.push_back(std::string(indent) + std::string(line));
    }
    void Text(std::string_view text) {
        for (const std::string& line : TextLines(text, true))
            Line(line);
    }
    VisitPart Part(std::string title) const {
        VisitPart part{std::move(title), {}, m_starts};
        for (const std::string& line : m_lines)
            part.m_strText += line + "\n";
        return part;
    }

private:
    std::vector<std::string> m_lines;
    std::vector<std::size_t> m_starts{0};
};

std::string ReadOnText(const std::optional<std::time_t>& when) {
    return when ? "read on " + LongDateText(*when, true) : "read at a time not known";
}

void WriteChanges(PartWriter& out, const VisitScreen& screen, const std::string& since) {
    const VisitChanges& changes = screen.m_changes;
    out.Section("Changes to the stored settings");
    if (changes.m_strBefore.empty()) {
        out.Line(screen.m_status.m_lastRead
                     ? "No stored settings were replaced since " + since +
                           ", so there is nothing to compare. The stored settings were " +
                           ReadOnText(changes.m_afterRead) + "."
                     : "The screen has no stored settings.");
        return;
    }
    out.Line("Before: the settings kept in History as " + changes.m_strBefore + ", " +
             ReadOnText(changes.m_beforeRead) + ".");
    out.Line("After:  the stored settings (Vrx.cfg), " + ReadOnText(changes.m_afterRead) + ".");
    if (!changes.m_strProblem.empty()) {
        out.Line("They could not be compared: " + changes.m_strProblem);
        return;
    }
    const std::size_t n = changes.m_differences.size();
    if (n == 0) {
        out.Line("The settings after are the same as before.");
        return;
    }
    out.Line(std::to_string(n) + (n == 1 ? " difference" : " differences") +
             ", as \"SECTION, ROW, COLUMN: BEFORE | AFTER\":");
    out.Text(FormatDifferences(changes.m_differences));
}

void WriteVerify(PartWriter& out, const VisitScreen& screen, const std::string& since) {
    out.Section("Verify");
    const LogEntry* lastSend = nullptr;
    const LogEntry* lastVerify = nullptr;
    for (const LogEntry& entry : screen.m_log) {
        if (entry.m_strAction == kSendAction)
            lastSend = &entry;
        if (entry.m_strAction != kVerifyAction)
            continue;
        lastVerify = &entry;
        out.Line(entry.m_strTime + " (" + entry.m_strWho + "): " + entry.m_strResult);
    }
    if (!lastVerify)
        out.Line("No verify is logged since " + since +
                 ". A Send with verify reads the processor back and logs whether it holds the "
                 "stored settings (vrx3km-cli send --verify).");
    else if (lastSend && lastSend->m_nInstant > lastVerify->m_nInstant)
        out.Line("The Send of " + lastSend->m_strTime + " was not verified afterwards.");
}

VisitPart ScreenPart(const VisitScreen& screen, const std::string& since) {
    PartWriter out;
    const std::string title = ScreenText(screen.m_status.m_target);
    out.Line(title);
    out.Line(kRule);
    const ScreenStatus& status = screen.m_status;
    out.Line(std::string("State: ") + ScreenStateText(status.m_nState) +
             (status.m_lastRead ? ", read on " + LongDateText(*status.m_lastRead, true)
                                : std::string()) +
             ".");

    out.Section("Log since " + since);
    if (screen.m_log.empty())
        out.Line("Nothing is logged since then.");
    for (const LogEntry& entry : screen.m_log)
        out.Line(LogEntryText(entry));
    if (screen.m_nUnreadableLogLines > 0)
        out.Line(std::to_string(screen.m_nUnreadableLogLines) +
                 (screen.m_nUnreadableLogLines == 1 ? " line" : " lines") +
                 " of the log files could not be read and are left out.");

    WriteChanges(out, screen, since);
    WriteVerify(out, screen, since);

    out.Section("Notes");
    if (!screen.m_strNotesProblem.empty())
        out.Line(screen.m_strNotesProblem);
    else if (screen.m_strNotes.find_first_not_of(" \t\r\n") == std::string::npos)
        out.Line("No notes.");
    else
        out.Text(screen.m_strNotes);
    return out.Part(title);
}

} // namespace

std::optional<std::time_t> StartOfLocalDay(std::string_view date) {
    const auto digits = [&](std::size_t first, std::size_t count) -> std::optional<int> {
        int value = 0;
        for (std::size_t i = first; i < first + count; ++i) {
            if (date[i] < '0' || date[i] > '9')
                return std::nullopt;
            value = value * 10 + (date[i] - '0');
        }
        return value;
    };
    if (date.size() != 10 || date[4] != '-' || date[7] != '-')
        return std::nullopt;
    const auto year = digits(0, 4), month = digits(5, 2), day = digits(8, 2);
    if (!year || !month || !day || *year < 1970 || *month < 1 || *month > 12 || *day < 1)
        return std::nullopt;
    std::tm local{};
    local.tm_year = *year - 1900;
    local.tm_mon = *month - 1;
    local.tm_mday = *day;
    local.tm_isdst = -1;
    const std::time_t start = std::mktime(&local);
    // mktime moves 2026-02-30 to March: such a day is not a date.
    if (start == static_cast<std::time_t>(-1) || local.tm_mday != *day ||
        local.tm_mon != *month - 1)
        return std::nullopt;
    return start;
}

std::time_t StartOfToday(std::time_t now) {
    return StartOfLocalDay(ShortDateText(now)).value_or(now);
}

VisitRecord ReadVisitRecord(const fs::path& root, SiteLibrary& library,
                            const std::vector<std::string>& scope, std::time_t since,
                            std::time_t now, int nOverdueDays) {
    VisitRecord record{scope, since, {}, {}};
    const std::string sinceText = HistoryTimeText(since);
    for (const ScreenTarget& target : LibraryScreens(library, scope)) {
        const fs::path folder = ScreenFolderPath(root, target);
        VisitScreen screen;
        screen.m_status = ReadScreenStatus(root, target, now, nOverdueDays);
        const LogRead log = ReadLog(ScreenLogFolder(folder));
        screen.m_nUnreadableLogLines = log.m_nUnreadable;
        std::copy_if(log.m_entries.begin(), log.m_entries.end(), std::back_inserter(screen.m_log),
                     [since](const LogEntry& entry) { return entry.m_nInstant >= since; });
        std::vector<KeptSettings> keptSince = ListHistory(folder);
        std::erase_if(keptSince,
                      [&](const KeptSettings& kept) { return kept.m_strTime < sinceText; });
        const bool bReadSince = screen.m_status.m_lastRead && *screen.m_status.m_lastRead >= since;
        if (screen.m_log.empty() && keptSince.empty() && !bReadSince) {
            record.m_untouched.push_back(screen.m_status);
            continue;
        }
        screen.m_changes = ReadChanges(folder, keptSince);
        ReadNotes(folder, screen);
        record.m_touched.push_back(std::move(screen));
    }
    return record;
}

std::string VisitScopeText(const VisitRecord& record) {
    std::string text;
    for (const std::string& name : record.m_scope)
        text += (text.empty() ? "" : " - ") + name;
    return text.empty() ? "the library" : text;
}

std::vector<VisitPart> RenderVisitParts(const VisitRecord& record) {
    const std::string since = LongDateText(record.m_since, false);
    std::vector<VisitPart> parts;
    for (const VisitScreen& screen : record.m_touched)
        parts.push_back(ScreenPart(screen, since));
    if (!record.m_untouched.empty()) {
        PartWriter out;
        out.Line("Screens not touched since " + since);
        out.Line(kRule);
        out.Line("STATE             LAST READ   SCREEN");
        for (const ScreenStatus& status : record.m_untouched)
            out.Line(ScreenStatusLine(status));
        parts.push_back(out.Part("Screens not touched"));
    }
    return parts;
}

std::string RenderVisitText(const VisitRecord& record) {
    const std::size_t nScreens = record.m_touched.size() + record.m_untouched.size();
    // The heading is wrapped like every other line, so the record reads within 80 columns.
    PartWriter heading;
    heading.Line("Visit record of " + VisitScopeText(record) + " since " +
                 LongDateText(record.m_since, false) + ": " +
                 std::to_string(record.m_touched.size()) + " of " + std::to_string(nScreens) +
                 (nScreens == 1 ? " screen" : " screens") + " touched.");
    std::string text = heading.Part({}).m_strText;
    for (const VisitPart& part : RenderVisitParts(record))
        text += "\n" + part.m_strText;
    return text;
}
