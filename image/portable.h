// What differs between Windows and POSIX systems in local time and in file names.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

// The local time of a calendar time; false when the system cannot express it.
bool ToLocalTime(std::time_t when, std::tm& local);

// Names and paths are kept as UTF-8 byte strings. On Windows a std::filesystem::path made from
// a char string is read in the ANSI code page, which garbles every name outside it; these two
// convert as UTF-8 there, so the wide file calls get the right name. On POSIX systems the bytes
// pass unchanged.
std::filesystem::path PathFromUtf8(std::string_view text);
std::string PathToUtf8(const std::filesystem::path& path);
