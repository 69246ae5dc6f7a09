// Replacing a stored file whole.
#pragma once

#include <filesystem>
#include <string_view>

// A new content for a file, waiting in a temporary file of the same folder. Preparing writes the
// bytes and flushes them to disk (fsync); Commit renames the temporary file over the target, so a
// crash, a full disk or a power cut leaves the old file or the new one, whole. Two files that
// belong together (Vrx.cfg and its report) are both prepared before either is committed, so a
// failure of either leaves both old files as they were.
//
// A prepared file that is neither committed nor kept is abandoned when it goes out of scope: its
// temporary file is removed. The temporary file's name follows a fixed pattern
// (IsTemporaryFileName), so one left behind by a crash is recognised and removed later.
class PreparedFile {
public:
    // Throws FileError with the full (absolute) path of `path` and leaves no temporary file when
    // the bytes cannot be written whole. An existing file that may not be written (read-only) or a
    // folder in the file's place is refused here, before any bytes are written: AccessDenied.
    PreparedFile(const std::filesystem::path& path, std::string_view bytes);
    PreparedFile(PreparedFile&& other) noexcept;
    PreparedFile& operator=(PreparedFile&&) = delete;
    PreparedFile(const PreparedFile&) = delete;
    PreparedFile& operator=(const PreparedFile&) = delete;
    ~PreparedFile(); // abandons an uncommitted file

    // Renames the temporary file over the target. Throws FileError (and removes the temporary
    // file) when the rename fails; a second Commit, or one after Abandon, does nothing.
    void Commit();
    // Removes the temporary file; the target stays as it was. Never throws.
    void Abandon() noexcept;

    const std::filesystem::path& Path() const { return m_path; }
    // The temporary file while it waits; empty after Commit or Abandon.
    const std::filesystem::path& TemporaryPath() const { return m_temp; }

private:
    std::filesystem::path m_path;
    std::filesystem::path m_temp;
    std::string m_strFullPath; // for the messages
};

// Prepares and commits in one step. Throws FileError with the full (absolute) path of `path` on
// failure and removes the temporary file. An existing file that may not be written (read-only) is
// left as it is: AccessDenied.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// True for an existing regular file that this program may not write: one marked read-only
// (no write permission for anyone) or one the program's user may not write. Such a file is
// neither replaced nor deleted.
bool IsReadOnlyFile(const std::filesystem::path& path);

// True for a name of the form the temporary files take: "." + the target's name + ".vrx-tmp-" +
// the writer's process number + "-" + a counter, e.g. ".Vrx.cfg.vrx-tmp-4711-3". Only such a
// file is ever taken for the program's own and removed unasked.
bool IsTemporaryFileName(std::string_view fileName);

// Removes from folder (not below it) the temporary files whose writer no longer runs: left by a
// crash, a kill or a power cut. Files of a writer that still runs (this process or another one on
// this computer) are in the middle of a save and stay. Errors are ignored; returns how many
// files were removed.
int RemoveStaleTemporaryFiles(const std::filesystem::path& folder);

// Removes every temporary file from folder whatever its writer, for a Delete that the technician
// confirmed. Errors are ignored.
void RemoveAllTemporaryFiles(const std::filesystem::path& folder);
