#include "image/file_error.h"

#include <cerrno>
#include <utility>

namespace {

const char* TemplateFor(FileError::Cause cause) {
    switch (cause) {
    case FileError::Cause::NotFound:
        return "%1 was not found.";
    case FileError::Cause::AccessDenied:
        return "Access to %1 was denied.";
    case FileError::Cause::DiskFull:
        return "Disk full while accessing %1.";
    case FileError::Cause::BadPath:
        return "%1 contains an invalid path.";
    case FileError::Cause::Sharing:
        return "Sharing violation while accessing %1.";
    case FileError::Cause::Generic:
        break;
    }
    return "An unknown error occurred while accessing %1.";
}

std::string Fill(FileError::Cause cause, const std::string& path) {
    std::string text = TemplateFor(cause);
    const std::string name = path.empty() ? std::string("an unnamed file") : path;
    const auto at = text.find("%1");
    text.replace(at, 2, name);
    return text;
}

} // namespace

FileError::FileError(Cause cause, std::string path)
    : std::runtime_error(Fill(cause, path)), m_nCause(cause), m_strPath(std::move(path)) {}

FileError::FileError(Cause cause, std::string path, std::string explanation)
    : std::runtime_error(explanation), m_nCause(cause), m_strPath(std::move(path)),
      m_strExplanation(std::move(explanation)) {}

std::string FileError::Message() const {
    return m_strExplanation.empty() ? Fill(m_nCause, m_strPath) : m_strExplanation;
}

FileError FileError::FromErrno(int err, std::string path) {
    Cause cause = Cause::Generic;
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        cause = Cause::NotFound;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        cause = Cause::AccessDenied;
        break;
    case ENOSPC:
#if defined(EDQUOT)
    case EDQUOT:
#endif
        cause = Cause::DiskFull;
        break;
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
        cause = Cause::BadPath;
        break;
    case EBUSY:
    case ETXTBSY:
        cause = Cause::Sharing;
        break;
    default:
        break;
    }
    return FileError(cause, std::move(path));
}

FileError FileError::FromSystem(const std::error_code& error, std::string path) {
    const std::error_condition condition = error.default_error_condition();
    return FromErrno(condition.category() == std::generic_category() ? condition.value() : 0,
                     std::move(path));
}

std::string FullPathText(const std::filesystem::path& file) {
    std::error_code ec;
    const auto full = std::filesystem::absolute(file, ec);
    return (ec ? file : full).lexically_normal().string();
}
