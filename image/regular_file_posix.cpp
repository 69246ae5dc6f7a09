// POSIX half of reading a regular file: stat() before the open, so that no device is opened at
// all, then open() without blocking and fstat() of what was opened.
#include "image/regular_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::file_type TypeOf(mode_t mode) {
    if (S_ISDIR(mode))
        return fs::file_type::directory;
    if (S_ISFIFO(mode))
        return fs::file_type::fifo;
    if (S_ISCHR(mode))
        return fs::file_type::character;
    if (S_ISBLK(mode))
        return fs::file_type::block;
    if (S_ISSOCK(mode))
        return fs::file_type::socket;
    return S_ISREG(mode) ? fs::file_type::regular : fs::file_type::unknown;
}

RegularFileRead SystemFailure(int error) {
    if (error == ENOENT)
        return RegularFileRead{.m_nStatus = RegularFileStatus::Missing};
    RegularFileRead read{.m_nStatus = RegularFileStatus::Failed};
    read.m_error = std::error_code(error, std::generic_category());
    return read;
}

RegularFileRead NotAFile(mode_t mode) {
    RegularFileRead read{.m_nStatus = RegularFileStatus::NotAFile};
    read.m_nType = TypeOf(mode);
    return read;
}

} // namespace

RegularFileRead ReadRegularFile(const fs::path& file, std::size_t nLimit) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return SystemFailure(errno);
    if (!S_ISREG(st.st_mode))
        return NotAFile(st.st_mode);
    // Non-blocking: opening a FIFO for reading otherwise waits for a writer.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return SystemFailure(errno);
    RegularFileRead read{.m_nStatus = RegularFileStatus::Read};
    if (::fstat(fd, &st) != 0) {
        read = SystemFailure(errno);
    } else if (!S_ISREG(st.st_mode)) {
        read = NotAFile(st.st_mode);
    } else if (static_cast<std::uintmax_t>(st.st_size) > nLimit) {
        read.m_nStatus = RegularFileStatus::TooLarge;
        read.m_nSize = static_cast<std::uintmax_t>(st.st_size);
    } else {
        // At most one byte past the limit, in case the file grows while it is read.
        read.m_bytes.resize(nLimit + 1);
        std::size_t done = 0;
        while (done < read.m_bytes.size()) {
            const ssize_t n = ::read(fd, read.m_bytes.data() + done, read.m_bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                if (n < 0)
                    read = SystemFailure(errno);
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        if (read.m_nStatus == RegularFileStatus::Read)
            regular_file::SettleRead(read, done, nLimit);
    }
    ::close(fd);
    return read;
}
