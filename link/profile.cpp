#include "link/profile.h"

#include "image/atomic_file.h"
#include "image/file_error.h"
#include "image/portable.h"
#include "image/stored_files.h"
#include "image/this_machine.h"
#include "link/plain_file.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// A "[name]" line gives its name; any other line gives nothing.
bool SectionName(const std::string& line, std::string& name) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') {
        return false;
    }
    const auto close = t.find(']');
    if (close == std::string::npos) {
        return false;
    }
    name = Trim(t.substr(1, close - 1));
    return true;
}

// A "key=value" line gives its key and value.
bool KeyValue(const std::string& line, std::string& key, std::string& value) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) {
        return false;
    }
    key = Trim(line.substr(0, eq));
    value = Trim(line.substr(eq + 1));
    return !key.empty();
}

struct Lines {
    std::vector<std::string> text; // without their line ends
    std::string ending = "\r\n";
};

// The file's lines. A file that is not a regular file of at most kProfileSizeLimit bytes is not
// read: `reason` then says why.
Lines ReadLines(const std::string& path, std::string& reason) {
    Lines lines;
    const RegularFileRead file = ReadRegularFile(path, kProfileSizeLimit);
    reason = UnreadReason(file, kProfileSizeLimit);
    const std::string& content = file.m_bytes;
    if (content.find("\r\n") == std::string::npos && content.find('\n') != std::string::npos) {
        lines.ending.erase(0, 1); // "\n" alone
    }
    std::size_t start = 0;
    while (start < content.size()) {
        auto end = content.find('\n', start);
        if (end == std::string::npos) {
            end = content.size();
        }
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.text.push_back(line);
        start = end + 1;
    }
    return lines;
}

// A section or key name that reads back as itself: not empty, no control character, a key
// without "=" that does not begin with "[", a section without "]".
bool IsName(const std::string& name, bool bKey) {
    const std::string t = Trim(name);
    return !t.empty() && !HasControlCharacter(name) &&
           (bKey ? name.find('=') == std::string::npos && t.front() != '['
                 : name.find(']') == std::string::npos);
}

// Sets key in section to value among the lines: replaces the key's line, or adds one at the end
// of the section, or adds the section at the end of the file.
void SetLine(Lines& lines, const std::string& section, const std::string& key,
             const std::string& value) {
    bool inSection = false;
    std::ptrdiff_t sectionEnd = -1; // index after the last line of the wanted section
    for (std::size_t i = 0; i < lines.text.size(); ++i) {
        std::string name;
        if (SectionName(lines.text[i], name)) {
            inSection = SameName(name, section);
            if (inSection) {
                sectionEnd = static_cast<std::ptrdiff_t>(i) + 1;
            }
            continue;
        }
        std::string k, v;
        if (inSection) {
            if (KeyValue(lines.text[i], k, v) && SameName(k, key)) {
                lines.text[i] = k + "=" + value;
                return;
            }
            if (!Trim(lines.text[i]).empty()) {
                sectionEnd = static_cast<std::ptrdiff_t>(i) + 1;
            }
        }
    }
    if (sectionEnd < 0) {
        lines.text.push_back("[" + section + "]");
        sectionEnd = static_cast<std::ptrdiff_t>(lines.text.size());
    }
    lines.text.insert(lines.text.begin() + sectionEnd, key + "=" + value);
}

} // namespace

bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

std::string ProfileProblem(const std::string& path) {
    std::string reason;
    ReadLines(path, reason);
    if (reason.empty())
        return {};
    return "The profile " + path + " cannot be read: " + reason +
           ". Remove it or put the profile's text file in its place, then choose the port again.";
}

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& path) {
    std::string reason;
    const Lines lines = ReadLines(path, reason);
    bool inSection = false;
    for (const std::string& line : lines.text) {
        std::string name;
        if (SectionName(line, name)) {
            inSection = SameName(name, section);
            continue;
        }
        std::string k, v;
        if (inSection && KeyValue(line, k, v) && SameName(k, key)) {
            return v;
        }
    }
    return defaultValue;
}

bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& path) {
    return WritePrivateProfileStrings(section, {{key, value}}, path);
}

bool WritePrivateProfileStrings(const std::string& section,
                                const std::vector<std::pair<std::string, std::string>>& entries,
                                const std::string& path) {
    // A line break or another control character would put lines of its own into the file.
    if (!IsName(section, false))
        return false;
    for (const auto& [key, value] : entries) {
        if (!IsName(key, true) || HasControlCharacter(value))
            return false;
    }
    std::string reason;
    Lines lines = ReadLines(path, reason);
    // A file that cannot be read is not replaced: its lines would be lost.
    if (!reason.empty())
        return false;
    for (const auto& [key, value] : entries)
        SetLine(lines, section, key, value);
    std::string content;
    for (const std::string& line : lines.text) {
        content += line;
        content += lines.ending;
    }
    try {
        WriteFileAtomically(path, content);
    } catch (const FileError&) {
        return false;
    }
    return true;
}

std::string MachineProfilePath(const std::string& profilePath) {
    if (profilePath.empty())
        return {};
    const fs::path folder =
        PathFromUtf8(profilePath).parent_path() / std::string(kMachineFolderName);
    return PathToUtf8(folder / (MachineName() + ".cfg"));
}

bool WriteMachineProfileStrings(const std::string& section,
                                const std::vector<std::pair<std::string, std::string>>& entries,
                                const std::string& profilePath) {
    const std::string path = MachineProfilePath(profilePath);
    if (path.empty())
        return false;
    std::error_code ec;
    fs::create_directory(PathFromUtf8(path).parent_path(), ec);
    return WritePrivateProfileStrings(section, entries, path);
}

std::string PortName(int index) {
    static const char* const kNames[] = {"COM1", "COM2", "COM3", "COM4"};
    return (index >= 0 && index < 4) ? kNames[index] : "???";
}

void LoadPortSetting(PortSettings& settings) {
    // This machine's own choice wins: the library's profile may come from another laptop.
    const std::string own =
        GetPrivateProfileString("Setup", "PORT", "?", MachineProfilePath(settings.ProfilePath));
    for (int i = 0; i < 4; ++i) {
        if (own == PortName(i)) {
            settings.PortIndex = i;
            return;
        }
    }
    const std::string value = GetPrivateProfileString("Setup", "PORT", "?", settings.ProfilePath);
    // An exact, case-sensitive match: "com3" or "COM5" select COM1.
    int index = 0;
    for (int i = 1; i < 4; ++i) {
        if (value == PortName(i)) {
            index = i;
        }
    }
    settings.PortIndex = index;
}

void SavePortSetting(const PortSettings& settings) {
    WritePrivateProfileString("Setup", "PORT", PortName(settings.PortIndex), settings.ProfilePath);
    WriteMachineProfileStrings("Setup", {{"PORT", PortName(settings.PortIndex)}},
                               settings.ProfilePath);
}

void InitProfile(PortSettings& settings) {
    std::error_code error;
    std::string dir = std::filesystem::current_path(error).string();
    const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
    if (dir.empty() || dir.back() != separator) {
        dir += separator;
    }
    settings.ProfilePath = dir + std::string(kProfileFileName);
    LoadPortSetting(settings);
}
