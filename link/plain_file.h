// Files that must be plain files: the profile that the program reads and the line trace that it
// appends to. A FIFO without a writer or reader would block the program, a device such as
// /dev/zero never ends, and a symbolic link may lead anywhere, into the library's own files
// too; none of them is taken for a plain file.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

// What reading a small plain file found.
struct PlainFileRead {
    bool m_bFound = false;   // false when there is no file at the path (not a problem)
    std::string m_strBytes;  // the whole file when it was read
    std::string m_strReason; // why it could not be read, e.g. "it is not a regular file"; "" when
                             // it was read or is missing
};

// Reads the file at path (a symbolic link to a regular file is followed) whole,
// only when it is a regular file of at most `limit` bytes. Never waits for a writer of a FIFO
// and never reads a device.
PlainFileRead ReadPlainFile(const std::filesystem::path& path, std::size_t limit);

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
