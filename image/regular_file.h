// Reading a small file only when it is a file: the profile, the stored settings, the report and
// the notes. A pipe would block the program, a device such as /dev/zero never ends (and opening
// a serial device changes its lines), a folder or a 2 GB file in a file's place would fill the
// memory: none of them is opened or read. Each platform has its half (regular_file_posix.cpp,
// regular_file_win32.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// What a read found.
enum class RegularFileStatus {
    Read,     // a regular file of at most the limit: m_bytes holds it whole
    Missing,  // nothing of that name (not a problem in itself)
    NotAFile, // a folder, a pipe, a device or a socket stands there (m_nType); it was not opened
    TooLarge, // a regular file of more than the limit (m_nSize, at least the limit + 1)
    Failed,   // the system refused to look at or read it (m_error)
};

struct RegularFileRead {
    RegularFileStatus m_nStatus = RegularFileStatus::Missing;
    std::string m_bytes{};      // Read: the whole file
    std::uintmax_t m_nSize = 0; // Read and TooLarge: the file's length as far as it was seen
    std::filesystem::file_type m_nType = std::filesystem::file_type::none; // NotAFile: what
    std::error_code m_error{};                                             // Failed: why
};

// Reads the file at path (a symbolic link is followed) whole when it is a regular file of at
// most nLimit bytes. What stands there is looked at before it is opened, and again on what was
// opened, so nothing swapped in between is read either. Never waits for a writer of a FIFO.
RegularFileRead ReadRegularFile(const std::filesystem::path& file, std::size_t nLimit);

// What stands in a file's place, for a message: "a folder", "a pipe (FIFO)", "a device",
// "a socket", or "no regular file".
const char* FileTypeText(std::filesystem::file_type type);

// For a read that found no file to read (Missing, NotAFile or Failed), throws the FileError that
// names the file by its full path and says why; does nothing after Read and TooLarge.
void ThrowUnlessFileFound(const RegularFileRead& read, const std::filesystem::path& file);

// The lines of a text read whole, without their line ends ("\n" or "\r\n"); empty lines are
// kept only when bKeepEmpty is set.
std::vector<std::string> TextLines(std::string_view text, bool bKeepEmpty);

// The part both platforms' halves share.
namespace regular_file {

// After nRead bytes (at most nLimit + 1) were read into read.m_bytes: the file was read whole, or
// it grew past the limit while it was read.
void SettleRead(RegularFileRead& read, std::size_t nRead, std::size_t nLimit);

} // namespace regular_file
