#include "library/site_history.h"

#include "library/stored_settings.h"

#include "image/atomic_file.h"
#include "image/file_error.h"
#include "image/portable.h"
#include "image/regular_file.h"
#include "image/report.h"
#include "image/stored_files.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPrefix = "Vrx-";
constexpr std::string_view kSuffix = ".cfg";
constexpr std::size_t kStampSize = 15; // YYYYMMDD-HHMMSS

std::string Stamp(std::time_t now) {
    std::tm local{};
    ToLocalTime(now, local);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// The time stamp, the machine and the suffix number (1 without a suffix) of a version's name.
struct NameParts {
    std::string_view stamp;
    std::string_view machine;
    unsigned long suffix = 1;
};

// "2" .. "9999999": a suffix has no sign, no leading zero and at most a few digits.
std::optional<unsigned long> Suffix(std::string_view text) {
    if (text.empty() || text.size() > 7 || !AllDigits(text) || text[0] == '0')
        return std::nullopt;
    const unsigned long n = std::stoul(std::string(text));
    return n >= 2 ? std::optional<unsigned long>(n) : std::nullopt;
}

std::optional<NameParts> ParseName(std::string_view name) {
    if (name.size() < kPrefix.size() + kStampSize + kSuffix.size() ||
        name.substr(0, kPrefix.size()) != kPrefix ||
        name.substr(name.size() - kSuffix.size()) != kSuffix)
        return std::nullopt;
    const std::string_view stamp = name.substr(kPrefix.size(), kStampSize);
    if (!AllDigits(stamp.substr(0, 8)) || stamp[8] != '-' || !AllDigits(stamp.substr(9)))
        return std::nullopt;
    std::string_view rest = name.substr(kPrefix.size() + kStampSize);
    rest.remove_suffix(kSuffix.size());
    NameParts parts{stamp, {}, 1};
    if (rest.empty())
        return parts;
    if (rest[0] != '-')
        return std::nullopt;
    rest.remove_prefix(1);
    // The earlier names: "-2", "-3", ... when the second's name was taken.
    if (AllDigits(rest)) {
        const std::optional<unsigned long> suffix = Suffix(rest);
        if (!suffix)
            return std::nullopt;
        parts.suffix = *suffix;
        return parts;
    }
    // "-MACHINE", or "-MACHINE.N" when the machine's name for that second was taken.
    if (const std::size_t dot = rest.find('.'); dot != std::string_view::npos) {
        const std::optional<unsigned long> suffix = Suffix(rest.substr(dot + 1));
        if (!suffix)
            return std::nullopt;
        parts.suffix = *suffix;
        rest = rest.substr(0, dot);
    }
    if (SafeMachineName(rest) != rest)
        return std::nullopt;
    parts.machine = rest;
    return parts;
}

} // namespace

bool IsHistoryName(std::string_view name) {
    return ParseName(name).has_value();
}

std::optional<std::string> KeepSettingsInHistory(const fs::path& screenFolder, std::time_t now,
                                                 const std::string& machine) {
    const fs::path settings = screenFolder / kSettingsFileName;
    std::error_code ec;
    // Only settings are kept: a pipe, a device or a folder in Vrx.cfg's place holds none, and
    // neither does a file of another length.
    if (!fs::is_regular_file(fs::status(settings, ec)))
        return std::nullopt;
    const RegularFileRead content = ReadRegularFile(settings, kLongSettingsFileSize);
    ThrowUnlessFileFound(content, settings);
    if (content.m_nStatus != RegularFileStatus::Read || !IsValidSettingsSize(content.m_nSize))
        return std::nullopt;
    // The copy keeps the time its settings were read from the processor.
    const fs::file_time_type readTime = fs::last_write_time(settings, ec);
    return KeepBytesInHistory(screenFolder, content.m_bytes,
                              ec ? std::nullopt : std::optional<fs::file_time_type>(readTime), now,
                              machine);
}

std::string KeepBytesInHistory(const fs::path& screenFolder, std::string_view bytes,
                               std::optional<fs::file_time_type> readTime, std::time_t now,
                               const std::string& machine) {
    std::error_code ec;
    const fs::path history = screenFolder / kHistoryFolderName;
    fs::create_directory(history, ec);
    if (ec)
        throw FileError::FromSystem(ec, FullPathText(history));
    // A file in the folder's place: the versions have nowhere to go.
    if (!fs::is_directory(history, ec))
        throw FileError(FileError::Cause::AccessDenied, FullPathText(history));

    const std::string stem = std::string(kPrefix) + Stamp(now) + "-" + SafeMachineName(machine);
    for (unsigned n = 1;; ++n) {
        const std::string name =
            stem + (n == 1 ? std::string() : "." + std::to_string(n)) + std::string(kSuffix);
        const fs::path target = history / name;
        // Whatever holds the name, file or folder, the name is taken: a version is never
        // overwritten.
        if (fs::exists(fs::symlink_status(target, ec)))
            continue;
        PreparedFile copy(target, bytes);
        if (readTime)
            fs::last_write_time(copy.TemporaryPath(), *readTime, ec);
        copy.Commit();
        return name;
    }
}

std::vector<KeptSettings> ListHistory(const fs::path& screenFolder) {
    struct Entry {
        KeptSettings kept;
        std::string stamp;
        unsigned long suffix;
    };
    // Newest first; within one second by machine (the earlier names, which carry none, first),
    // and each machine's later version first, so the order is the same on every machine.
    std::vector<Entry> entries;
    // The stored settings, to mark the version that holds the same bytes.
    std::optional<std::string> stored;
    try {
        stored = ReadSettingsBytes(screenFolder / kSettingsFileName);
    } catch (const FileError&) {
    }
    std::error_code ec;
    fs::directory_iterator it(screenFolder / kHistoryFolderName, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError) || typeError)
            continue;
        const std::string name = it->path().filename().string();
        const auto parts = ParseName(name);
        if (!parts)
            continue;
        const std::string_view s = parts->stamp;
        KeptSettings kept;
        kept.m_strName = name;
        kept.m_strMachine = std::string(parts->machine);
        kept.m_strTime = std::string(s.substr(0, 4)) + "-" + std::string(s.substr(4, 2)) + "-" +
                         std::string(s.substr(6, 2)) + " " + std::string(s.substr(9, 2)) + ":" +
                         std::string(s.substr(11, 2)) + ":" + std::string(s.substr(13, 2));
        kept.m_nState = StoredSettingsStateOf(it->path());
        if (stored && kept.m_nState != StoredSettingsState::None) {
            try {
                kept.m_bSameAsStored = ReadSettingsBytes(it->path()) == *stored;
            } catch (const FileError&) {
            }
        }
        entries.push_back(Entry{std::move(kept), std::string(s), parts->suffix});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.stamp != b.stamp)
            return a.stamp > b.stamp;
        if (a.kept.m_strMachine != b.kept.m_strMachine)
            return a.kept.m_strMachine < b.kept.m_strMachine;
        return a.suffix > b.suffix;
    });
    std::vector<KeptSettings> out;
    out.reserve(entries.size());
    for (Entry& entry : entries)
        out.push_back(std::move(entry.kept));
    return out;
}
