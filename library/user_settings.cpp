#include "library/user_settings.h"

#include "image/atomic_file.h"
#include "image/file_error.h"
#include "image/portable.h"
#include "image/regular_file.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kFileName = "user.cfg";
constexpr std::string_view kFolderName = "vrx3km";
constexpr std::string_view kTechnicianKey = "technician";
// A settings file is a few lines; anything larger is not one of this program's.
constexpr std::size_t kMaxSize = 64 * 1024;

std::optional<fs::path> Variable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        return std::nullopt;
    return PathFromUtf8(value);
}

// The line's key when it is a "key=value" line.
std::string_view KeyOf(std::string_view line) {
    const std::size_t equals = line.find('=');
    return equals == std::string_view::npos ? std::string_view() : line.substr(0, equals);
}

std::string WithoutControlCharacters(std::string_view text) {
    std::string clean;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F)
            clean += c;
    }
    return clean;
}

} // namespace

std::optional<fs::path> UserSettingsFile() {
#ifdef _WIN32
    const std::optional<fs::path> folder = Variable("APPDATA");
#else
    std::optional<fs::path> folder = Variable("XDG_CONFIG_HOME");
    if (!folder) {
        if (const std::optional<fs::path> home = Variable("HOME"))
            folder = *home / ".config";
    }
#endif
    if (!folder)
        return std::nullopt;
    return *folder / kFolderName / kFileName;
}

UserSettings UserSettings::Read(const fs::path& file) {
    UserSettings settings;
    const RegularFileRead read = ReadRegularFile(file, kMaxSize);
    if (read.m_nStatus != RegularFileStatus::Read)
        return settings;
    settings.m_lines = TextLines(read.m_bytes, true);
    return settings;
}

std::optional<std::string> UserSettings::Get(std::string_view key) const {
    for (const std::string& line : m_lines) {
        if (KeyOf(line) == key)
            return line.substr(key.size() + 1);
    }
    return std::nullopt;
}

void UserSettings::Set(std::string_view key, std::string_view value) {
    const std::string line = std::string(key) + "=" + WithoutControlCharacters(value);
    const auto it = std::find_if(m_lines.begin(), m_lines.end(),
                                 [key](const std::string& l) { return KeyOf(l) == key; });
    if (it != m_lines.end())
        *it = line;
    else
        m_lines.push_back(line);
}

void UserSettings::Write(const fs::path& file) const {
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    if (ec)
        throw FileError::FromSystem(ec, FullPathText(file.parent_path()));
    std::string text;
    for (const std::string& line : m_lines)
        text += line + "\n";
    WriteFileAtomically(file, text);
}

std::optional<std::string> StoredTechnicianName() {
    const std::optional<fs::path> file = UserSettingsFile();
    if (!file)
        return std::nullopt;
    std::optional<std::string> name = UserSettings::Read(*file).Get(kTechnicianKey);
    if (name && name->empty())
        return std::nullopt;
    return name;
}

void StoreTechnicianName(std::string_view name) {
    const std::optional<fs::path> file = UserSettingsFile();
    if (!file)
        throw FileError(FileError::Cause::NotFound, {},
                        "The user settings folder is not known: neither HOME nor "
                        "XDG_CONFIG_HOME (APPDATA on Windows) is set.");
    UserSettings settings = UserSettings::Read(*file);
    settings.Set(kTechnicianKey, name);
    settings.Write(*file);
}

std::optional<std::string> KnownTechnicianName() {
    if (std::optional<std::string> stored = StoredTechnicianName())
        return stored;
    std::string account = WithoutControlCharacters(AccountFullName());
    if (account.empty())
        return std::nullopt;
    return account;
}

std::string TechnicianName() {
    return KnownTechnicianName().value_or("unknown");
}
