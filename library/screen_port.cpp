#include "library/screen_port.h"

#include "image/atomic_file.h"
#include "image/file_error.h"
#include "image/regular_file.h"

#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

} // namespace

ScreenPort ReadScreenPort(const fs::path& screenFolder) {
    ScreenPort port;
    const fs::path file = screenFolder / std::string(kScreenPortFileName);
    const RegularFileRead read = ReadRegularFile(file, kScreenPortSizeLimit);
    const std::string where = FullPathText(file);
    switch (read.m_nStatus) {
    case RegularFileStatus::Missing:
        return port;
    case RegularFileStatus::Read:
        break;
    case RegularFileStatus::NotAFile:
        port.m_bPresent = true;
        port.m_strProblem = where + " is " + FileTypeText(read.m_nType) +
                            ", not the screen's port file. Remove it, then give the screen its "
                            "port again.";
        return port;
    case RegularFileStatus::TooLarge:
        port.m_bPresent = true;
        port.m_strProblem = where + " is larger than a port name can be. Give the screen its "
                                    "port again.";
        return port;
    case RegularFileStatus::Failed:
        port.m_bPresent = true;
        port.m_strProblem =
            where + " cannot be read (" + read.m_error.message() + "). Check its permissions.";
        return port;
    }
    port.m_bPresent = true;
    const std::string_view bytes = read.m_bytes;
    std::string_view line = bytes.substr(0, bytes.find('\n'));
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    port.m_strName = Trimmed(line);
    if (port.m_strName.empty())
        port.m_strProblem = where + " names no port: its first line is empty. Give the screen "
                                    "its port again, or remove the file.";
    return port;
}

void WriteScreenPort(const fs::path& screenFolder, std::string_view strName) {
    WriteFileAtomically(screenFolder / std::string(kScreenPortFileName),
                        std::string(strName) + "\r\n");
}

bool ClearScreenPort(const fs::path& screenFolder) {
    const fs::path file = screenFolder / std::string(kScreenPortFileName);
    std::error_code ec;
    const bool bRemoved = fs::remove(file, ec);
    if (ec)
        throw FileError::FromSystem(ec, FullPathText(file));
    return bRemoved;
}
