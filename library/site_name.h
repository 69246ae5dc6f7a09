// The check that every Add command (window and command-line tool) applies to a new circuit,
// theater or screen name before it touches the library.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Longest name the Add commands accept, in characters as a reader sees them (not bytes: 28
// Cyrillic letters are 56 bytes of UTF-8 and a name all the same; "é" written as "e" and a
// combining accent is one character).
inline constexpr std::size_t kMaxSiteNameLength = 32;

// True for a name beginning with ".": such folders (".git", ".Trash-1000") belong to other
// programs and are never library entries.
inline bool IsHiddenName(std::string_view name) {
    return !name.empty() && name.front() == '.';
}

// Returns nullopt when the name is safe as one folder level of the library, else a message for
// the technician saying why it is refused. A name is refused when it is empty, begins with "."
// (a hidden folder, which the scan passes over), is not valid UTF-8, is longer than 32
// characters as a reader sees them, holds \ / : * ? " < > | or a control character (C0 or C1),
// or ends in a space or a full stop: such a name would make a folder outside the library, a
// folder the file system refuses or renames, or an entry whose folder a later Delete could not
// find. A name that a sync engine gives a conflicting copy (sync_conflict.h) is refused too: the
// scan would pass its folder over.
std::optional<std::string> CheckSiteName(std::string_view name);

// The number of characters of a UTF-8 name as a reader sees them: a letter with a combining
// mark is one (CountVisibleCharacters).
std::size_t SiteNameLength(std::string_view name);

// The form a new name is stored in: Unicode normalisation form C, so that a name typed with a
// combining accent and one typed with the composed letter are one name. nullopt when the name
// is not valid UTF-8.
std::optional<std::string> NormalizeSiteName(std::string_view name);

// True when two names would be one folder on Windows or macOS: equal after composing them and
// folding their letter case. A new name that is the same as a sibling's is a duplicate.
bool IsSameSiteName(std::string_view a, std::string_view b);
