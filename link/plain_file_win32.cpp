// Win32 half of the appended plain file: CreateFileW, then the type and attributes of what was
// opened; FILE_FLAG_OPEN_REPARSE_POINT opens a symbolic link itself instead of what it leads to.
#include "link/plain_file.h"

#include <windows.h>

#include <system_error>

namespace {

std::string LastSystemReason(DWORD error = ::GetLastError()) {
    return SystemReason(std::error_code(static_cast<int>(error), std::system_category()));
}

} // namespace

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
        reason = LastSystemReason();
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        reason = kNotRegularReason;
    } else if (!::GetFileInformationByHandle(file, &info)) {
        reason = LastSystemReason();
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        reason = "it is a symbolic link";
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        reason = kFolderReason;
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
            m_strError = LastSystemReason(error != 0 ? error : ERROR_WRITE_FAULT);
            return false;
        }
        data += n;
        length -= n;
    }
    return true;
}
