// The lock file on Windows: opened for writing without sharing the write, so a second opener is
// refused, and removed by the system when the last handle closes, also when the program dies.
#include "library/screen_lock.h"

#include "image/windows_api.h"

#include <string>

namespace fs = std::filesystem;

namespace screen_lock {

namespace {

HANDLE ToHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// What the holder wrote: the file is opened for reading only, sharing everything with it.
std::string ReadHolder(const fs::path& file) {
    HANDLE h = ::CreateFileW(file.c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return {};
    char text[256] = {};
    DWORD nRead = 0;
    const BOOL bRead = ::ReadFile(h, text, sizeof text - 1, &nRead, nullptr);
    ::CloseHandle(h);
    return bRead ? std::string(text, nRead) : std::string();
}

} // namespace

Attempt TryLock(const fs::path& file, const std::string& holderText) {
    Attempt attempt;
    HANDLE h = ::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                             FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        if (err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION) {
            attempt.m_outcome = Outcome::Busy;
            attempt.m_strHolder = ReadHolder(file);
        } else if (err == ERROR_ACCESS_DENIED &&
                   ::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) {
            // A file being removed by its last holder refuses every open for a moment.
            attempt.m_outcome = Outcome::Busy;
        } else if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND ||
                   err == ERROR_ACCESS_DENIED || err == ERROR_WRITE_PROTECT) {
            attempt.m_outcome = Outcome::NoLock;
        } else {
            attempt.m_strError = "system error " + std::to_string(err);
        }
        return attempt;
    }
    DWORD nWritten = 0;
    ::WriteFile(h, holderText.data(), static_cast<DWORD>(holderText.size()), &nWritten, nullptr);
    ::SetEndOfFile(h);
    ::FlushFileBuffers(h);
    attempt.m_outcome = Outcome::Taken;
    attempt.m_handle = reinterpret_cast<std::intptr_t>(h);
    return attempt;
}

void Unlock(const fs::path&, std::intptr_t handle) noexcept {
    ::CloseHandle(ToHandle(handle));
}

std::string ProgramName() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return "a program";
    return fs::path(path).stem().string();
}

unsigned long ProcessNumber() {
    return static_cast<unsigned long>(::GetCurrentProcessId());
}

} // namespace screen_lock
