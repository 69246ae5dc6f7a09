#include "link/plain_file.h"

std::string UnreadReason(const RegularFileRead& read, std::size_t limit) {
    switch (read.m_nStatus) {
    case RegularFileStatus::Read:
    case RegularFileStatus::Missing:
        break;
    case RegularFileStatus::NotAFile:
        return read.m_nType == std::filesystem::file_type::directory ? kFolderReason
                                                                     : kNotRegularReason;
    case RegularFileStatus::TooLarge:
        return "it is larger than " + std::to_string(limit / 1024) + " KiB";
    case RegularFileStatus::Failed:
        return SystemReason(read.m_error);
    }
    return {};
}

std::string SystemReason(const std::error_code& error) {
    std::string text = error.message();
    while (!text.empty() &&
           (text.back() == '\r' || text.back() == '\n' || text.back() == '.' || text.back() == ' '))
        text.pop_back();
    return text;
}
