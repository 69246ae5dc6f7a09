// What the library needs to know of Unicode to tell names apart as a reader and a file system
// do: the composed form, the characters a reader sees, and letter case. The platform supplies
// it: utf8proc on POSIX systems (name_text_utf8proc.cpp), the system's own calls on Windows
// (name_text_win32.cpp). Names are UTF-8 throughout.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The text in Unicode normalisation form C ("e" followed by a combining acute accent becomes
// "é"); nullopt when it is not valid UTF-8.
std::optional<std::string> ComposeNfc(std::string_view utf8);

// The number of characters a reader sees: a letter with its combining marks is one. POSIX
// systems count extended grapheme clusters; Windows counts code points that are not combining
// (non-spacing) marks. Text that is not valid UTF-8 counts one per byte that starts a character.
std::size_t CountVisibleCharacters(std::string_view utf8);

// The text composed and with letter case folded: two names that fold alike name one folder on
// Windows and macOS. Text that is not valid UTF-8 is returned as it is.
std::string FoldNameForComparison(std::string_view utf8);
