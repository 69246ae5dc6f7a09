// Files that must be plain files: the profile that the program reads (through ReadRegularFile)
// and the line trace that it appends to. A FIFO without a writer or reader would block the
// program, a device such as /dev/zero never ends, and a symbolic link may lead anywhere, into the
// library's own files too; none of them is taken for a plain file.
#pragma once

#include "image/regular_file.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <system_error>

// Why a plain file cannot be taken, in the words the profile's and the trace's messages use.
inline constexpr const char* kFolderReason = "it is a folder";
inline constexpr const char* kNotRegularReason =
    "it is not a regular file (a FIFO, a device or a socket)";

// Why a read of a file of at most `limit` bytes found nothing to take: "it is a folder", "it is
// larger than 64 KiB", the system's words; "" when the file was read or is missing (not a
// problem).
std::string UnreadReason(const RegularFileRead& read, std::size_t limit);

// The system's words for an error, without the full stop and line end Windows puts after them.
std::string SystemReason(const std::error_code& error);

// A regular file opened for appending, never through a symbolic link, never blocking. Bytes are
// written as they are given; the first failure is kept and later writes do nothing.
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens or creates the file at path. Refused, with the reason in `reason`: a
    // symbolic link, a FIFO or device or folder, a file that has other names (hard links), or
    // one the system does not open. False when refused.
    bool Open(const std::filesystem::path& path, std::string& reason);
    // False when this or an earlier write failed (a full disk, a file size limit).
    bool Write(const char* data, std::size_t length);
    bool Failed() const { return !m_strError.empty(); }
    // Why the first write failed, in the system's words; "" while none failed.
    const std::string& Error() const { return m_strError; }

private:
    void Close();
#ifdef _WIN32
    void* m_hFile = reinterpret_cast<void*>(-1); // INVALID_HANDLE_VALUE
#else
    int m_nFd = -1;
#endif
    std::string m_strError;
};
