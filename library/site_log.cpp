#include "library/site_log.h"

#include "image/atomic_file.h"
#include "image/file_error.h"
#include "image/portable.h"
#include "image/regular_file.h"
#include "image/stored_files.h"
#include "image/this_machine.h"
#include "library/sync_conflict.h"
#include "library/user_settings.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kLogPrefix = "log-";
constexpr std::string_view kLogSuffix = ".txt";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kFieldCount = 6;
// A log file grows by a line per command; one far larger than years of work is not read whole.
constexpr std::size_t kMaxLogSize = 64 * 1024 * 1024;

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::string Escape(std::string_view field) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto byte = static_cast<unsigned char>(field[i]);
        // C1 control characters are U+0080..U+009F: C2 80..C2 9F in UTF-8.
        const bool bC1 = byte == 0xC2 && i + 1 < field.size() &&
                         static_cast<unsigned char>(field[i + 1]) >= 0x80 &&
                         static_cast<unsigned char>(field[i + 1]) <= 0x9F;
        if (field[i] == '\\')
            out += "\\\\";
        else if (field[i] == '\t')
            out += "\\t";
        else if (field[i] == '\n')
            out += "\\n";
        else if (field[i] == '\r')
            out += "\\r";
        else if (byte < 0x20 || byte == 0x7F || bC1) {
            for (std::size_t n = 0; n < (bC1 ? 2u : 1u); ++n) {
                const auto b = static_cast<unsigned char>(field[i + n]);
                out += "\\x";
                out += kHex[b >> 4];
                out += kHex[b & 0xF];
            }
            i += bC1 ? 1 : 0;
        } else
            out += field[i];
    }
    return out;
}

std::optional<std::string> Unescape(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            out += field[i];
            continue;
        }
        if (++i >= field.size())
            return std::nullopt;
        switch (field[i]) {
        case '\\':
            out += '\\';
            break;
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 'x': {
            unsigned value = 0;
            if (i + 2 >= field.size())
                return std::nullopt;
            const auto [end, error] =
                std::from_chars(field.data() + i + 1, field.data() + i + 3, value, 16);
            if (error != std::errc() || end != field.data() + i + 3)
                return std::nullopt;
            out += static_cast<char>(value);
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return out;
}

// "2026-12-08 10:11:12 +0100" as seconds since the epoch.
std::optional<std::int64_t> ParseTime(std::string_view text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, oh = 0, om = 0;
    char sign = 0;
    if (text.size() != 25 ||
        std::sscanf(std::string(text).c_str(), "%4d-%2d-%2d %2d:%2d:%2d %c%2d%2d", &y, &mo, &d, &h,
                    &mi, &s, &sign, &oh, &om) != 9 ||
        (sign != '+' && sign != '-') || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 ||
        s > 60 || oh > 23 || om > 59)
        return std::nullopt;
    const std::int64_t offset = (sign == '-' ? -1 : 1) * (oh * 3600 + om * 60);
    return DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) * 86400 +
           h * 3600 + mi * 60 + s - offset;
}

// The lines of a file, without their line ends; a missing or unreadable file has none.
std::vector<std::string> FileLines(const fs::path& file) {
    const RegularFileRead read = ReadRegularFile(file, kMaxLogSize);
    if (read.m_nStatus != RegularFileStatus::Read)
        return {};
    return TextLines(read.m_bytes, false);
}

// Lines of several files in one list by time: each line once, log lines in order of their
// moment (lines of one moment in the order met), other lines after them, as met.
std::vector<std::string> MergeLines(const std::vector<std::vector<std::string>>& files) {
    std::set<std::string> seen;
    std::vector<std::pair<std::int64_t, std::string>> timed;
    std::vector<std::string> others;
    for (const auto& lines : files) {
        for (const std::string& line : lines) {
            if (!seen.insert(line).second)
                continue;
            if (const std::optional<LogEntry> entry = ParseLogLine(line))
                timed.emplace_back(entry->m_nInstant, line);
            else
                others.push_back(line);
        }
    }
    std::stable_sort(timed.begin(), timed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> merged;
    for (auto& [instant, line] : timed)
        merged.push_back(std::move(line));
    merged.insert(merged.end(), others.begin(), others.end());
    return merged;
}

// The conflicting copies of fileName in folder, by name.
std::vector<std::string> CopiesOf(const fs::path& folder, std::string_view fileName) {
    std::vector<std::string> copies;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const std::string name = PathToUtf8(it->path().filename());
        const std::optional<ConflictCopyName> copy = ParseConflictCopyName(name);
        std::error_code typeError;
        if (copy && copy->m_strOriginal == fileName && it->is_regular_file(typeError))
            copies.push_back(name);
    }
    std::sort(copies.begin(), copies.end());
    return copies;
}

} // namespace

LogAuthor CurrentAuthor() {
    return LogAuthor{TechnicianName(), MachineName(), {}};
}

std::string LogTimeText(std::time_t when) {
    std::tm local{};
    if (!ToLocalTime(when, local))
        return "1970-01-01 00:00:00 +0000";
    const std::int64_t localSeconds =
        DaysFromCivil(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                      static_cast<unsigned>(local.tm_mday)) *
            86400 +
        local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    const std::int64_t offset = (localSeconds - static_cast<std::int64_t>(when)) / 60;
    const std::int64_t magnitude = offset < 0 ? -offset : offset;
    char text[96] = {};
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d %c%02d%02d",
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, offset < 0 ? '-' : '+',
                  static_cast<int>(magnitude / 60), static_cast<int>(magnitude % 60));
    return text;
}

std::string LogFieldText(std::string_view field) {
    return Escape(field);
}

std::string LogEntryText(const LogEntry& entry) {
    std::string text = entry.m_strTime + " | " + LogFieldText(entry.m_strMachine) + " | " +
                       LogFieldText(entry.m_strWho) + " | " + LogFieldText(entry.m_strAction) +
                       " | " + LogFieldText(entry.m_strResult);
    if (!entry.m_strWhy.empty())
        text += " | " + LogFieldText(entry.m_strWhy);
    return text;
}

std::string VerifyResultText(std::size_t nDifferences) {
    if (nDifferences == 0)
        return "success: the processor holds exactly the stored settings";
    return "differs: the processor does not hold the stored settings (" +
           std::to_string(nDifferences) + (nDifferences == 1 ? " difference)" : " differences)");
}

std::string FormatLogLine(const LogEntry& entry) {
    return Escape(entry.m_strTime) + "\t" + Escape(entry.m_strWho) + "\t" +
           Escape(entry.m_strMachine) + "\t" + Escape(entry.m_strAction) + "\t" +
           Escape(entry.m_strResult) + "\t" + Escape(entry.m_strWhy);
}

std::optional<LogEntry> ParseLogLine(std::string_view line) {
    std::vector<std::string> fields;
    for (;;) {
        const std::size_t tab = line.find('\t');
        const std::optional<std::string> field = Unescape(line.substr(0, tab));
        if (!field)
            return std::nullopt;
        fields.push_back(*field);
        if (tab == std::string_view::npos)
            break;
        line.remove_prefix(tab + 1);
    }
    // Fields after the sixth are left for a later version to fill.
    if (fields.size() < kFieldCount)
        return std::nullopt;
    const std::optional<std::int64_t> instant = ParseTime(fields[0]);
    if (!instant)
        return std::nullopt;
    return LogEntry{fields[0], *instant, fields[1], fields[2], fields[3], fields[4], fields[5]};
}

std::string LogFileName(std::string_view machine) {
    return std::string(kLogPrefix) + std::string(machine) + std::string(kLogSuffix);
}

bool IsLogFileName(std::string_view name) {
    if (name.size() <= kLogPrefix.size() + kLogSuffix.size() ||
        name.substr(0, kLogPrefix.size()) != kLogPrefix ||
        name.substr(name.size() - kLogSuffix.size()) != kLogSuffix)
        return false;
    const std::string_view machine =
        name.substr(kLogPrefix.size(), name.size() - kLogPrefix.size() - kLogSuffix.size());
    return SafeMachineName(machine) == machine;
}

fs::path ScreenLogFolder(const fs::path& screenFolder) {
    return screenFolder / kHistoryFolderName;
}

fs::path LibraryLogFolder(const fs::path& root) {
    return root / kLibraryOwnFolderName;
}

void AppendLog(const fs::path& folder, const LogAuthor& author, std::string_view action,
               std::string_view result, std::time_t now) {
    std::error_code ec;
    fs::create_directory(folder, ec);
    if (ec || !fs::is_directory(folder, ec))
        throw FileError::FromSystem(ec ? ec : std::make_error_code(std::errc::not_a_directory),
                                    FullPathText(folder));
    const std::string fileName = LogFileName(author.m_strMachine);
    const fs::path file = folder / fileName;
    MergeLogCopies(folder, fileName);

    const LogEntry entry{LogTimeText(now),    0,
                         author.m_strWho,     author.m_strMachine,
                         std::string(action), std::string(result),
                         author.m_strWhy};
    std::string text = FormatLogLine(entry) + std::string(kLineEnd);
    // A line that a crash cut off is ended first, so the new line stands on its own.
    const RegularFileRead old = ReadRegularFile(file, kMaxLogSize);
    if (old.m_nStatus == RegularFileStatus::NotAFile)
        throw FileError(FileError::Cause::AccessDenied, FullPathText(file));
    if (old.m_nStatus == RegularFileStatus::Read && !old.m_bytes.empty() &&
        old.m_bytes.back() != '\n')
        text = std::string(kLineEnd) + text;
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out)
        throw FileError(FileError::Cause::Generic, FullPathText(file));
}

LogRead ReadLog(const fs::path& folder) {
    std::vector<std::vector<std::string>> files;
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const std::string name = PathToUtf8(it->path().filename());
        const std::optional<ConflictCopyName> copy = ParseConflictCopyName(name);
        if (IsLogFileName(name) || (copy && IsLogFileName(copy->m_strOriginal)))
            names.push_back(name);
    }
    // Files in name order, so lines of one moment come in the same order on every machine.
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        files.push_back(FileLines(folder / PathFromUtf8(name)));
    LogRead read;
    for (const std::string& line : MergeLines(files)) {
        if (std::optional<LogEntry> entry = ParseLogLine(line))
            read.m_entries.push_back(std::move(*entry));
        else
            ++read.m_nUnreadable;
    }
    return read;
}

std::vector<std::string> MergeLogCopies(const fs::path& folder, std::string_view fileName) {
    const std::vector<std::string> copies = CopiesOf(folder, fileName);
    if (copies.empty())
        return copies;
    const fs::path file = folder / PathFromUtf8(fileName);
    std::vector<std::vector<std::string>> files{FileLines(file)};
    for (const std::string& copy : copies)
        files.push_back(FileLines(folder / PathFromUtf8(copy)));
    std::string text;
    for (const std::string& line : MergeLines(files))
        text += line + std::string(kLineEnd);
    WriteFileAtomically(file, text);
    for (const std::string& copy : copies) {
        std::error_code ec;
        fs::remove(folder / PathFromUtf8(copy), ec);
    }
    return copies;
}
