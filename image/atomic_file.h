// Replacing a stored file whole.
#pragma once

#include <filesystem>
#include <string_view>

// Writes bytes to a temporary file in the same folder, flushes it to disk (fsync), then renames
// it over path, so a crash or a full disk leaves the old file or the new one, whole. Throws
// FileError with the full (absolute) path of `path` on failure and removes the temporary file.
// An existing file that may not be written (read-only) is left as it is: AccessDenied.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// True for an existing regular file that this program may not write: one marked read-only
// (no write permission for anyone) or one the program's user may not write. Such a file is
// neither replaced nor deleted.
bool IsReadOnlyFile(const std::filesystem::path& path);
