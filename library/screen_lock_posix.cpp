// The lock file on POSIX systems: an advisory lock (flock) that the system drops with the last
// descriptor, so a killed program never leaves a screen taken.
#include "library/screen_lock.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace screen_lock {

namespace {

std::string ReadHolder(int fd) {
    char text[256] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    return n > 0 ? std::string(text, static_cast<std::size_t>(n)) : std::string();
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

Attempt TryLock(const fs::path& file, const std::string& holderText) {
    Attempt attempt;
    constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | kFlags, 0666);
    // Another user's lock file may be locked through a descriptor that only reads it.
    if (fd < 0 && errno == EACCES)
        fd = ::open(file.c_str(), O_RDONLY | kFlags);
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR || err == EACCES || err == EPERM || err == EROFS) {
            attempt.m_outcome = Outcome::NoLock;
            return attempt;
        }
        attempt.m_strError = std::strerror(err);
        return attempt;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        attempt.m_strError = "not a file";
        return attempt;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        if (err == EWOULDBLOCK || err == EINTR) {
            attempt.m_outcome = Outcome::Busy;
            attempt.m_strHolder = ReadHolder(fd);
        } else {
            // A file system that keeps no locks: the command goes on as before there were any.
            attempt.m_outcome = Outcome::NoLock;
        }
        ::close(fd);
        return attempt;
    }
    // The holder before removed the file when it gave the screen back: a lock on a file that is
    // no longer in the folder holds nothing.
    struct stat named {};
    if (::stat(file.c_str(), &named) != 0 || !SameFile(named, opened)) {
        ::close(fd);
        attempt.m_outcome = Outcome::Retry;
        return attempt;
    }
    if (::ftruncate(fd, 0) == 0) {
        const ssize_t written = ::pwrite(fd, holderText.data(), holderText.size(), 0);
        (void)written; // the name of the holder only serves the messages of others
    }
    attempt.m_outcome = Outcome::Taken;
    attempt.m_handle = fd;
    return attempt;
}

void Unlock(const fs::path& file, std::intptr_t handle) noexcept {
    const int fd = static_cast<int>(handle);
    struct stat opened {
    }, named{};
    // Only the file this lock holds is removed, never one that a later command made after a
    // Delete removed this one with its folder.
    if (::fstat(fd, &opened) == 0 && ::stat(file.c_str(), &named) == 0 && SameFile(opened, named))
        ::unlink(file.c_str());
    ::close(fd);
}

std::string ProgramName() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec || exe.stem().empty() ? std::string("a program") : exe.stem().string();
}

unsigned long ProcessNumber() {
    return static_cast<unsigned long>(::getpid());
}

} // namespace screen_lock
