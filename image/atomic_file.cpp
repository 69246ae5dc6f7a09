#include "image/atomic_file.h"

#include "image/file_error.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <system_error>

#if defined(_WIN32)
#include "image/windows_api.h"

#include <fstream>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// The mark between the target's name and the writer's process number and counter.
constexpr std::string_view kTemporaryMark = ".vrx-tmp-";

bool AllDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The process number of the writer of a temporary file, or nullopt for any other name.
std::optional<unsigned long> TemporaryFileWriter(std::string_view name) {
    const auto mark = name.rfind(kTemporaryMark);
    // "." and at least one character of the target's name come before the mark.
    if (name.size() < 2 || name[0] != '.' || mark == std::string_view::npos || mark < 2)
        return std::nullopt;
    const std::string_view tail = name.substr(mark + kTemporaryMark.size());
    const auto dash = tail.find('-');
    if (dash == std::string_view::npos || !AllDigits(tail.substr(0, dash)) ||
        !AllDigits(tail.substr(dash + 1)))
        return std::nullopt;
    unsigned long pid = 0;
    const auto [end, error] = std::from_chars(tail.data(), tail.data() + dash, pid);
    if (error != std::errc() || end != tail.data() + dash)
        return std::nullopt;
    return pid;
}

#if defined(_WIN32)

unsigned long CurrentProcessNumber() {
    return static_cast<unsigned long>(::GetCurrentProcessId());
}

bool IsProcessRunning(unsigned long pid) {
    HANDLE process =
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr)
        return ::GetLastError() == ERROR_ACCESS_DENIED; // it exists, but belongs to another user
    DWORD code = 0;
    const bool bRunning = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    ::CloseHandle(process);
    return bRunning;
}

#else

unsigned long CurrentProcessNumber() {
    return static_cast<unsigned long>(::getpid());
}

bool IsProcessRunning(unsigned long pid) {
    if (pid == 0 || pid > static_cast<unsigned long>(INT32_MAX))
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

#endif

// A name no other writer in this folder uses: the process number and a counter that every
// attempt advances.
fs::path TemporaryNameFor(const fs::path& path) {
    static std::atomic<unsigned long> s_nCounter{0};
    const std::string name = "." + path.filename().string() + std::string(kTemporaryMark) +
                             std::to_string(CurrentProcessNumber()) + "-" +
                             std::to_string(s_nCounter++);
    return path.parent_path() / name;
}

#if defined(_WIN32)

// Writes the whole content to a new temporary file and returns its path.
fs::path WriteTemporaryFile(const fs::path& path, std::string_view bytes, const std::string& full) {
    const fs::path temp = TemporaryNameFor(path);
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out)
        throw FileError(FileError::Cause::NotFound, full);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
        out.close();
        std::error_code ignored;
        fs::remove(temp, ignored);
        throw FileError(FileError::Cause::DiskFull, full);
    }
    return temp;
}

void RenameOver(const fs::path& temp, const fs::path& path, const std::string& full) {
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec)
        throw FileError(FileError::Cause::AccessDenied, full);
}

#else

fs::path WriteTemporaryFile(const fs::path& path, std::string_view bytes, const std::string& full) {
    fs::path temp;
    int fd = -1;
    for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = TemporaryNameFor(path);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            throw FileError::FromErrno(errno, full);
    }
    if (fd < 0)
        throw FileError(FileError::Cause::Generic, full);

    auto fail = [&](int err) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(temp.c_str());
        throw FileError::FromErrno(err, full);
    };
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        if (n == 0)
            fail(ENOSPC);
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    // The data must be on disk before the rename makes it the file.
    if (::fsync(fd) != 0)
        fail(errno);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0)
        fail(errno);
    return temp;
}

void RenameOver(const fs::path& temp, const fs::path& path, const std::string& full) {
    if (::rename(temp.c_str(), path.c_str()) != 0)
        throw FileError::FromErrno(errno, full);
    // Make the rename itself durable; a folder that cannot be synced still holds a whole file.
    const auto folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

#endif

// Calls remove for every temporary file of folder (not below it) whose writer passes the test.
template <typename Test> int RemoveTemporaryFiles(const fs::path& folder, Test test) {
    int nRemoved = 0;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const auto writer = TemporaryFileWriter(it->path().filename().string());
        std::error_code typeError;
        if (!writer || !it->is_regular_file(typeError) || it->is_symlink(typeError) ||
            !test(*writer))
            continue;
        std::error_code removeError;
        if (fs::remove(it->path(), removeError))
            ++nRemoved;
    }
    return nRemoved;
}

} // namespace

#if defined(_WIN32)

bool IsReadOnlyFile(const fs::path& path) {
    std::error_code ec;
    const auto status = fs::status(path, ec);
    return !ec && fs::is_regular_file(status) &&
           (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

#else

bool IsReadOnlyFile(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    // No write bit at all binds the superuser too, like the read-only attribute on Windows.
    return (st.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
}

#endif

PreparedFile::PreparedFile(const fs::path& path, std::string_view bytes)
    : m_path(path), m_strFullPath(FullPathText(path)) {
    // Everything that would make the rename fail is refused before the first byte is written,
    // so that a file prepared together with this one is not committed alone. The rename needs
    // only the folder's permission, so a file marked read-only is refused here, as creating it
    // anew would be.
    std::error_code ec;
    if (IsReadOnlyFile(path) || fs::is_directory(fs::symlink_status(path, ec)))
        throw FileError(FileError::Cause::AccessDenied, m_strFullPath);
    m_temp = WriteTemporaryFile(path, bytes, m_strFullPath);
}

PreparedFile::PreparedFile(PreparedFile&& other) noexcept
    : m_path(std::move(other.m_path)), m_temp(std::move(other.m_temp)),
      m_strFullPath(std::move(other.m_strFullPath)) {
    other.m_temp.clear();
}

PreparedFile::~PreparedFile() {
    Abandon();
}

void PreparedFile::Commit() {
    if (m_temp.empty())
        return;
    try {
        RenameOver(m_temp, m_path, m_strFullPath);
    } catch (const FileError&) {
        Abandon();
        throw;
    }
    m_temp.clear();
}

void PreparedFile::Abandon() noexcept {
    if (m_temp.empty())
        return;
    std::error_code ignored;
    fs::remove(m_temp, ignored);
    m_temp.clear();
}

void WriteFileAtomically(const fs::path& path, std::string_view bytes) {
    PreparedFile(path, bytes).Commit();
}

bool IsTemporaryFileName(std::string_view fileName) {
    return TemporaryFileWriter(fileName).has_value();
}

int RemoveStaleTemporaryFiles(const fs::path& folder) {
    const unsigned long self = CurrentProcessNumber();
    return RemoveTemporaryFiles(folder, [self](unsigned long writer) {
        return writer != self && !IsProcessRunning(writer);
    });
}

void RemoveAllTemporaryFiles(const fs::path& folder) {
    RemoveTemporaryFiles(folder, [](unsigned long) { return true; });
}
