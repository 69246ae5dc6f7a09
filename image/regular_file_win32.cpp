// Win32 half of reading a regular file: the entry's type before the open, then CreateFileW and
// the type of what was opened (a named pipe or a device is no disk file).
#include "image/regular_file.h"

#include <windows.h>

namespace fs = std::filesystem;

namespace {

RegularFileRead SystemFailure(DWORD error) {
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return RegularFileRead{.m_nStatus = RegularFileStatus::Missing};
    RegularFileRead read{.m_nStatus = RegularFileStatus::Failed};
    read.m_error = std::error_code(static_cast<int>(error), std::system_category());
    return read;
}

RegularFileRead NotAFile(fs::file_type type) {
    RegularFileRead read{.m_nStatus = RegularFileStatus::NotAFile};
    read.m_nType = type;
    return read;
}

} // namespace

RegularFileRead ReadRegularFile(const fs::path& file, std::size_t nLimit) {
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (status.type() == fs::file_type::not_found)
        return RegularFileRead{.m_nStatus = RegularFileStatus::Missing};
    if (ec) {
        RegularFileRead read{.m_nStatus = RegularFileStatus::Failed};
        read.m_error = ec;
        return read;
    }
    if (!fs::is_regular_file(status))
        return NotAFile(status.type());
    const HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return SystemFailure(::GetLastError());
    RegularFileRead read{.m_nStatus = RegularFileStatus::Read};
    LARGE_INTEGER size{};
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        read = NotAFile(fs::file_type::unknown);
    } else if (!::GetFileSizeEx(handle, &size)) {
        read = SystemFailure(::GetLastError());
    } else if (static_cast<std::uintmax_t>(size.QuadPart) > nLimit) {
        read.m_nStatus = RegularFileStatus::TooLarge;
        read.m_nSize = static_cast<std::uintmax_t>(size.QuadPart);
    } else {
        // At most one byte past the limit, in case the file grows while it is read.
        read.m_bytes.resize(nLimit + 1);
        std::size_t done = 0;
        while (done < read.m_bytes.size()) {
            DWORD n = 0;
            if (!::ReadFile(handle, read.m_bytes.data() + done,
                            static_cast<DWORD>(read.m_bytes.size() - done), &n, nullptr)) {
                read = SystemFailure(::GetLastError());
                break;
            }
            if (n == 0)
                break;
            done += n;
        }
        if (read.m_nStatus == RegularFileStatus::Read)
            regular_file::SettleRead(read, done, nLimit);
    }
    ::CloseHandle(handle);
    return read;
}
