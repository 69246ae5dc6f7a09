// POSIX half of the appended plain file: open() with O_NONBLOCK and O_NOFOLLOW, then fstat() of
// what was opened, so nothing can be swapped in between the test and the use.
#include "link/plain_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

std::string ErrnoReason(int error) {
    return SystemReason(std::error_code(error, std::generic_category()));
}

} // namespace

AppendFile::~AppendFile() {
    Close();
}

void AppendFile::Close() {
    if (m_nFd >= 0) {
        ::close(m_nFd);
        m_nFd = -1;
    }
}

bool AppendFile::Open(const std::filesystem::path& path, std::string& reason) {
    Close();
    m_strError.clear();
    // O_NOFOLLOW refuses a symbolic link as the last part of the path; O_NONBLOCK makes a FIFO
    // without a reader fail at once (ENXIO) instead of waiting for one.
    const int fd = ::open(
        path.c_str(),
        O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        reason = error == ELOOP    ? "it is a symbolic link"
                 : error == ENXIO  ? kNotRegularReason
                 : error == EISDIR ? kFolderReason
                                   : ErrnoReason(error);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        reason = ErrnoReason(errno);
    } else if (!S_ISREG(st.st_mode)) {
        reason = kNotRegularReason;
    } else if (st.st_nlink > 1) {
        reason = "it has other names (hard links), one of which may be a library file";
    } else {
        m_nFd = fd;
        return true;
    }
    ::close(fd);
    return false;
}

bool AppendFile::Write(const char* data, std::size_t length) {
    if (m_nFd < 0 || Failed())
        return false;
    while (length > 0) {
        const ssize_t n = ::write(m_nFd, data, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A full disk (ENOSPC), a quota or a file size limit (EFBIG).
            m_strError = ErrnoReason(n < 0 ? errno : EIO);
            return false;
        }
        data += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}
