// Reading the files the program keeps (Vrx.cfg, Vrx.txt, Notes.txt, kept versions) only when
// they are files: a pipe, a device, a folder or a link to one in a file's place is refused
// before a byte is read, and no read takes more than the caller's limit, so a Vrx.cfg that is a
// FIFO never blocks a command and a link to /dev/zero or a 2 GB file never fills the memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

// The longest Notes.txt or Vrx.txt the program shows or edits: far above any the program writes
// or a technician types, far below what would stall the window.
inline constexpr std::size_t kMaxTextFileBytes = std::size_t{1} << 20;

struct RegularFileContent {
    std::string m_bytes;        // the file's first bytes, at most the limit asked for
    std::uintmax_t m_nSize = 0; // the file's whole length (at least m_bytes.size())
};

// Reads at most nMaxBytes of file. The file is opened without blocking and read only when it is
// a regular file (a symbolic link is followed to one). Throws FileError naming the file by its
// full path when it is missing or cannot be read, and, with a message saying what stands there,
// when it is a folder, a pipe, a device or another kind of entry.
RegularFileContent ReadRegularFile(const std::filesystem::path& file, std::size_t nMaxBytes);

// The full path of file for a message, as the technician can find it.
std::string FullPathText(const std::filesystem::path& file);
