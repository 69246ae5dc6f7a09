#include "library/regular_file.h"

#include "image/file_error.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#if defined(_WIN32)
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

FileError NotAFile(const std::string& full, const char* what) {
    return FileError(FileError::Cause::AccessDenied, full,
                     full + " is " + what +
                         ", not a file. Move it out of the way, then try again.");
}

const char* KindText(fs::file_type type) {
    switch (type) {
    case fs::file_type::directory:
        return "a folder";
    case fs::file_type::fifo:
        return "a pipe (FIFO)";
    case fs::file_type::character:
    case fs::file_type::block:
        return "a device";
    case fs::file_type::socket:
        return "a socket";
    default:
        return "no regular file";
    }
}

// The entry at file, links followed: refused unless it is a regular file.
void RequireRegularFile(const fs::path& file, const std::string& full) {
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (status.type() == fs::file_type::not_found)
        throw FileError::FromErrno(ENOENT, full);
    if (ec)
        throw FileError::FromErrno(ec.value(), full);
    if (!fs::is_regular_file(status))
        throw NotAFile(full, KindText(status.type()));
}

} // namespace

std::string FullPathText(const fs::path& file) {
    std::error_code ec;
    const fs::path full = fs::absolute(file, ec);
    return ec ? file.string() : full.lexically_normal().string();
}

#if defined(_WIN32)

// Windows keeps no pipes or devices among a folder's files; a folder in the file's place is
// refused before the open.
RegularFileContent ReadRegularFile(const fs::path& file, std::size_t nMaxBytes) {
    const std::string full = FullPathText(file);
    RequireRegularFile(file, full);
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw FileError::FromErrno(errno != 0 ? errno : EACCES, full);
    RegularFileContent content;
    content.m_bytes.resize(nMaxBytes);
    in.read(content.m_bytes.data(), static_cast<std::streamsize>(nMaxBytes));
    if (in.bad())
        throw FileError::FromErrno(EIO, full);
    content.m_bytes.resize(static_cast<std::size_t>(in.gcount()));
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(file, ec);
    content.m_nSize = std::max<std::uintmax_t>(ec ? 0 : size, content.m_bytes.size());
    return content;
}

#else

RegularFileContent ReadRegularFile(const fs::path& file, std::size_t nMaxBytes) {
    const std::string full = FullPathText(file);
    // Looked at before the open, so that no device is opened at all; and after it, on what was
    // opened, in case another program put something else there in between.
    RequireRegularFile(file, full);
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throw FileError::FromErrno(errno, full);
    auto fail = [fd](FileError error) {
        ::close(fd);
        throw error;
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        fail(FileError::FromErrno(errno, full));
    if (!S_ISREG(st.st_mode))
        fail(NotAFile(full, S_ISDIR(st.st_mode)                          ? "a folder"
                            : S_ISFIFO(st.st_mode)                       ? "a pipe (FIFO)"
                            : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) ? "a device"
                                                                         : "no regular file"));
    RegularFileContent content;
    content.m_bytes.resize(nMaxBytes);
    std::size_t nRead = 0;
    while (nRead < nMaxBytes) {
        const ssize_t n = ::read(fd, content.m_bytes.data() + nRead, nMaxBytes - nRead);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail(FileError::FromErrno(errno, full));
        if (n == 0)
            break;
        nRead += static_cast<std::size_t>(n);
    }
    ::close(fd);
    content.m_bytes.resize(nRead);
    content.m_nSize = std::max<std::uintmax_t>(static_cast<std::uintmax_t>(st.st_size), nRead);
    return content;
}

#endif
