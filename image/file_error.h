// A failed read or write of a stored file. It carries why the file system refused and the
// file's full path, so the command level can show the standard text in a stop box.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

class FileError : public std::runtime_error {
public:
    enum class Cause {
        NotFound,     // the file or a folder on its path does not exist
        AccessDenied, // permissions, a read-only file system, or a folder in the file's place
        DiskFull,     // no space or quota left
        BadPath,      // the path is not one the file system accepts (too long, bad name)
        Sharing,      // the file is busy
        Generic       // any other failure
    };

    // An empty path stands for "an unnamed file" in the message.
    FileError(Cause cause, std::string path);
    // A failure that no standard text describes (a settings file of the wrong length, a pipe in a
    // file's place): the message is the explanation, which names the file itself.
    FileError(Cause cause, std::string path, std::string explanation);

    Cause GetCause() const { return m_nCause; }
    const std::string& GetPath() const { return m_strPath; }

    // The standard text for the cause with %1 replaced by the path, e.g. "%1 was not found.", or
    // the explanation when one was given.
    std::string Message() const;

    // Maps an errno value: ENOENT/ENOTDIR to NotFound, EACCES/EPERM/EROFS/EISDIR to
    // AccessDenied, ENOSPC/EDQUOT to DiskFull, ENAMETOOLONG/EINVAL/ELOOP to BadPath,
    // EBUSY/ETXTBSY to Sharing, anything else to Generic.
    static FileError FromErrno(int err, std::string path);
    // The same for an error the system reported in its own terms (a Windows error code too).
    static FileError FromSystem(const std::error_code& error, std::string path);

private:
    Cause m_nCause;
    std::string m_strPath;
    std::string m_strExplanation;
};

// The full path of file as a message names it, as the technician can find it.
std::string FullPathText(const std::filesystem::path& file);
