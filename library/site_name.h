// The check that every Add command (window and command-line tool) applies to a new circuit,
// theater or screen name before it touches the library.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Longest name the name dialog accepts, in characters (not bytes: 28 Cyrillic letters are 56
// bytes of UTF-8 and a name all the same).
inline constexpr std::size_t kMaxSiteNameLength = 32;

// True for a name beginning with ".": such folders (".git", ".Trash-1000") belong to other
// programs and are never library entries.
inline bool IsHiddenName(std::string_view name) {
    return !name.empty() && name.front() == '.';
}

// Returns nullopt when the name is safe as one folder level of the library, else a message for
// the technician saying why it is refused. A name is refused when it is empty, begins with "."
// (a hidden folder, which the scan passes over), longer than 32 characters, holds \ / : * ? " < > |
// or a control character, or ends in a space or a full stop: such a name would make a folder
// outside the library, a folder the file system refuses or renames, or an entry whose folder a
// later Delete could not find.
std::optional<std::string> CheckSiteName(std::string_view name);

// The number of characters of a UTF-8 name: every byte that does not continue a character counts
// (a byte of a name that is not UTF-8 counts as one character).
std::size_t SiteNameLength(std::string_view name);
