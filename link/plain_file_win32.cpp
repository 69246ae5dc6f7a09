// Win32 half of the plain files: CreateFileW, then the type and attributes of what was opened;
// FILE_FLAG_OPEN_REPARSE_POINT opens a symbolic link itself instead of what it leads to.
#include "link/plain_file.h"

#include <windows.h>

#include <system_error>

namespace {

constexpr const char* kNotRegular = "it is not a regular file (a pipe or a device)";

std::string SystemReason(DWORD error) {
    std::string text = std::system_category().message(static_cast<int>(error));
    while (!text.empty() &&
           (text.back() == '\r' || text.back() == '\n' || text.back() == '.' || text.back() == ' '))
        text.pop_back();
    return text;
}

} // namespace

PlainFileRead ReadPlainFile(const std::filesystem::path& path, std::size_t limit) {
    PlainFileRead result;
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            result.m_bFound = true;
            result.m_strReason = SystemReason(error);
        }
        return result;
    }
    result.m_bFound = true;
    LARGE_INTEGER size{};
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        result.m_strReason = kNotRegular;
    } else if (!::GetFileSizeEx(file, &size)) {
        result.m_strReason = SystemReason(::GetLastError());
    } else if (static_cast<unsigned long long>(size.QuadPart) > limit) {
        result.m_strReason = "it is larger than " + std::to_string(limit / 1024) + " KiB";
    } else {
        std::string bytes(limit + 1, '\0');
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD n = 0;
            if (!::ReadFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n,
                            nullptr)) {
                result.m_strReason = SystemReason(::GetLastError());
                break;
            }
            if (n == 0)
                break;
            done += n;
        }
        if (result.m_strReason.empty() && done > limit)
            result.m_strReason = "it is larger than " + std::to_string(limit / 1024) + " KiB";
        if (result.m_strReason.empty()) {
            bytes.resize(done);
            result.m_strBytes = std::move(bytes);
        }
    }
    ::CloseHandle(file);
    return result;
}

AppendFile::~AppendFile() {
    Close();
}

void AppendFile::Close() {
    if (m_hFile != INVALID_HANDLE_VALUE) {
        ::CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
    }
}

bool AppendFile::Open(const std::filesystem::path& path, std::string& reason) {
    Close();
    m_strError.clear();
    const HANDLE file =
        ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        reason = SystemReason(::GetLastError());
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        reason = kNotRegular;
    } else if (!::GetFileInformationByHandle(file, &info)) {
        reason = SystemReason(::GetLastError());
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        reason = "it is a symbolic link";
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        reason = "it is a folder";
    } else if (info.nNumberOfLinks > 1) {
        reason = "it has other names (hard links), one of which may be a library file";
    } else {
        m_hFile = file;
        return true;
    }
    ::CloseHandle(file);
    return false;
}

bool AppendFile::Write(const char* data, std::size_t length) {
    if (m_hFile == INVALID_HANDLE_VALUE || Failed())
        return false;
    while (length > 0) {
        DWORD n = 0;
        if (!::WriteFile(m_hFile, data, static_cast<DWORD>(length), &n, nullptr) || n == 0) {
            const DWORD error = ::GetLastError();
            m_strError = SystemReason(error != 0 ? error : ERROR_WRITE_FAULT);
            return false;
        }
        data += n;
        length -= n;
    }
    return true;
}
