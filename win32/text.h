// The window keeps its texts in UTF-8, as the rest of the program does, and speaks UTF-16 to
// Windows: these are the two crossings.
#pragma once

#include <string>
#include <string_view>

#include <windows.h>

// UTF-8 to UTF-16; invalid sequences become U+FFFD.
std::wstring Wide(std::string_view text);
// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf8(std::wstring_view text);

// A window's text, in UTF-8.
std::string WindowText(HWND window);
void SetWindowTextUtf8(HWND window, std::string_view text);
