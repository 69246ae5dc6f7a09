// POSIX half of the plain files: open() with O_NONBLOCK, and O_NOFOLLOW for appending, then
// fstat() of what was opened, so nothing can be swapped in between the test and the use.
#include "link/plain_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

constexpr const char* kNotRegular = "it is not a regular file (a FIFO, a device or a socket)";

std::string SystemReason(int error) {
    return std::generic_category().message(error);
}

} // namespace

PlainFileRead ReadPlainFile(const std::filesystem::path& path, std::size_t limit) {
    PlainFileRead result;
    // Non-blocking: opening a FIFO for reading otherwise waits for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error != ENOENT) {
            result.m_bFound = true;
            result.m_strReason = SystemReason(error);
        }
        return result;
    }
    result.m_bFound = true;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        result.m_strReason = SystemReason(errno);
    } else if (!S_ISREG(st.st_mode)) {
        result.m_strReason = S_ISDIR(st.st_mode) ? "it is a folder" : kNotRegular;
    } else if (static_cast<unsigned long long>(st.st_size) > limit) {
        result.m_strReason = "it is larger than " + std::to_string(limit / 1024) + " KiB";
    } else {
        // At most one byte past the limit, in case the file grows while it is read.
        std::string bytes(limit + 1, '\0');
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                result.m_strReason = SystemReason(errno);
                break;
            }
            if (n == 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        if (result.m_strReason.empty() && done > limit)
            result.m_strReason = "it is larger than " + std::to_string(limit / 1024) + " KiB";
        if (result.m_strReason.empty()) {
            bytes.resize(done);
            result.m_strBytes = std::move(bytes);
        }
    }
    ::close(fd);
    return result;
}

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
                 : error == ENXIO  ? kNotRegular
                 : error == EISDIR ? "it is a folder"
                                   : SystemReason(error);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        reason = SystemReason(errno);
    } else if (!S_ISREG(st.st_mode)) {
        reason = kNotRegular;
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
            m_strError = SystemReason(n < 0 ? errno : EIO);
            return false;
        }
        data += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}
