#include "image/atomic_file.h"

#include "image/file_error.h"

#include <atomic>
#include <cerrno>
#include <string>

#if defined(_WIN32)
#include <cstdio>
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::string FullPath(const std::filesystem::path& path) {
    std::error_code ec;
    auto full = std::filesystem::absolute(path, ec);
    return (ec ? path : full).lexically_normal().string();
}

// A name no other writer in this folder uses: the process id and a counter, opened exclusively.
std::filesystem::path TemporaryNameFor(const std::filesystem::path& path, unsigned attempt) {
    static std::atomic<unsigned> s_nCounter{0};
#if defined(_WIN32)
    const unsigned long pid = 0;
#else
    const auto pid = static_cast<unsigned long>(::getpid());
#endif
    auto name = "." + path.filename().string() + ".tmp-" + std::to_string(pid) + "-" +
                std::to_string(s_nCounter++) + "-" + std::to_string(attempt);
    return path.parent_path() / name;
}

} // namespace

#if defined(_WIN32)

bool IsReadOnlyFile(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    return !ec && std::filesystem::is_regular_file(status) &&
           (status.permissions() & std::filesystem::perms::owner_write) ==
               std::filesystem::perms::none;
}

void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    const std::string full = FullPath(path);
    // The rename does not look at the read-only attribute everywhere (Wine replaces such a
    // file), so a file marked read-only is refused here.
    if (IsReadOnlyFile(path)) {
        throw FileError(FileError::Cause::AccessDenied, full);
    }
    const auto temp = TemporaryNameFor(path, 0);
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            throw FileError(FileError::Cause::NotFound, full);
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            std::filesystem::remove(temp, ignored);
            throw FileError(FileError::Cause::DiskFull, full);
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        throw FileError(FileError::Cause::AccessDenied, full);
    }
}

#else

bool IsReadOnlyFile(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    // No write bit at all binds the superuser too, like the read-only attribute on Windows.
    return (st.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
}

void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    const std::string full = FullPath(path);

    // The rename below needs only the folder's permission, so a file marked read-only is
    // refused here, as creating it anew would be.
    if (IsReadOnlyFile(path)) {
        throw FileError(FileError::Cause::AccessDenied, full);
    }

    std::filesystem::path temp;
    int fd = -1;
    for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = TemporaryNameFor(path, attempt);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            throw FileError::FromErrno(errno, full);
        }
    }
    if (fd < 0) {
        throw FileError(FileError::Cause::Generic, full);
    }

    auto fail = [&](int err) {
        if (fd >= 0) {
            ::close(fd);
        }
        ::unlink(temp.c_str());
        throw FileError::FromErrno(err, full);
    };

    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail(errno);
        }
        if (n == 0) {
            fail(ENOSPC);
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    // The data must be on disk before the rename makes it the file.
    if (::fsync(fd) != 0) {
        fail(errno);
    }
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0) {
        fail(errno);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        fail(errno);
    }

    // Make the rename itself durable; a folder that cannot be synced still holds a whole file.
    const auto folder =
        path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

#endif
