// What the program keeps for the person using it, apart from any library: for now the
// technician's name that the log of every screen records. The file lies in the platform's
// per-user settings folder, so each account on a laptop has its own:
//   POSIX:   $XDG_CONFIG_HOME/vrx3km/user.cfg, else ~/.config/vrx3km/user.cfg
//   Windows: %APPDATA%\vrx3km\user.cfg
// It holds one "key=value" line per setting in UTF-8; lines it does not know are kept when it is
// written, and it is replaced whole (written to a temporary file, then renamed).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The user settings file of this account; nullopt when the environment names no home or
// settings folder.
std::optional<std::filesystem::path> UserSettingsFile();

// The settings of one file, read whole. A missing or unreadable file holds none.
class UserSettings {
public:
    static UserSettings Read(const std::filesystem::path& file);

    std::optional<std::string> Get(std::string_view key) const;
    // Sets a value. Control characters (line breaks among them) are left out of it, so that a
    // value always stays one line; a key is a word of letters, digits and '-'.
    void Set(std::string_view key, std::string_view value);
    // Replaces the file whole, making its folder when missing. Throws FileError.
    void Write(const std::filesystem::path& file) const;

private:
    std::vector<std::string> m_lines; // as read, with the values set since
};

// The technician's name as this account stored it, if it did.
std::optional<std::string> StoredTechnicianName();
// Stores the technician's name for this account. Throws FileError when it cannot be written.
void StoreTechnicianName(std::string_view name);
// The name the log records for this account: the stored technician's name, else the account's
// full name, else its user name, else "unknown".
std::string TechnicianName();
// The same name where it is known: nullopt where TechnicianName would say "unknown".
std::optional<std::string> KnownTechnicianName();

// The platform's half: the account's full name (POSIX: the first field of the password entry's
// GECOS field; Windows: the display name, GetUserNameExW), else its user name; "" when the system
// tells neither. UTF-8.
std::string AccountFullName();
