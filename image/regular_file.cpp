#include "image/regular_file.h"

#include "image/file_error.h"

#include <cerrno>

namespace fs = std::filesystem;

const char* FileTypeText(fs::file_type type) {
    switch (type) {
    case fs::file_type::directory:
        return "a folder";
    case fs::file_type::fifo:
        return "a pipe (FIFO)";
    case fs::file_type::character:
    case fs::file_type::block:
        return "a device";
    case fs::file_type::socket:
        return "a socket";
    default:
        return "no regular file";
    }
}

void ThrowUnlessFileFound(const RegularFileRead& read, const fs::path& file) {
    switch (read.m_nStatus) {
    case RegularFileStatus::Read:
    case RegularFileStatus::TooLarge:
        return;
    case RegularFileStatus::Missing:
        throw FileError::FromErrno(ENOENT, FullPathText(file));
    case RegularFileStatus::NotAFile: {
        const std::string full = FullPathText(file);
        throw FileError(FileError::Cause::AccessDenied, full,
                        full + " is " + FileTypeText(read.m_nType) +
                            ", not a file. Move it out of the way, then try again.");
    }
    case RegularFileStatus::Failed:
        throw FileError::FromSystem(read.m_error, FullPathText(file));
    }
}

void regular_file::SettleRead(RegularFileRead& read, std::size_t nRead, std::size_t nLimit) {
    read.m_bytes.resize(nRead);
    read.m_nSize = nRead;
    if (nRead > nLimit) {
        read.m_nStatus = RegularFileStatus::TooLarge;
        read.m_bytes.clear();
    }
}

std::vector<std::string> TextLines(std::string_view text, bool bKeepEmpty) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (bKeepEmpty || !line.empty())
            lines.emplace_back(line);
    }
    return lines;
}
