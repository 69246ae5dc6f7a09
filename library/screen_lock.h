// One writer per screen: a command that changes a screen's files (Load, Restore, Delete) or sends
// them (Send) takes the screen folder first through a lock file in it, so that two commands on
// the same screen, in one program or in two, never interleave and no download is lost between
// them. The system releases the lock when the program dies.
//
// POSIX systems: an advisory lock (flock) on the file; the holder writes its program, process
// number and command into it and removes it when it gives the screen back. Windows: the file is
// opened exclusively and removed by the system when it is closed.
#pragma once

#include "image/settings_store.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

// How long a command waits for another to give the screen back before it refuses.
inline constexpr std::chrono::milliseconds kScreenClaimWait{3000};

// A screen folder held through its lock file. A folder that does not exist or in which no file
// may be created is held without one: the command's own first write then fails with its file
// error, and nothing else may write there either.
class ScreenLock final : public ScreenClaim {
public:
    ScreenLock(std::filesystem::path file, std::intptr_t handle);
    ~ScreenLock() override;
    ScreenLock(const ScreenLock&) = delete;
    ScreenLock& operator=(const ScreenLock&) = delete;

    // Gives the screen back now and removes the lock file (Delete does so before it removes the
    // folder); a second call does nothing.
    void Release() noexcept;

private:
    std::filesystem::path m_file;
    std::intptr_t m_handle; // the platform's open lock file; kNoHandle when none is held
};

// Takes the screen folder for strCommand ("Load", "Send", "Restore", "Delete"). While another
// command holds it, tries again until `wait` has passed, then refuses with a message naming the
// screen (screenText, such as "Odeon - Main - 1") and what holds it.
ScreenClaimResult ClaimScreenFolder(const std::filesystem::path& folder,
                                    const std::string& screenText, const std::string& strCommand,
                                    std::chrono::milliseconds wait = kScreenClaimWait);

// A refused claim, for the commands that report failures by throwing (Restore); what() is the
// refusal's text.
class ScreenInUse : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The platform's half of the lock (screen_lock_posix.cpp, screen_lock_win32.cpp).
namespace screen_lock {

inline constexpr std::intptr_t kNoHandle = -1;

enum class Outcome {
    Taken,  // the lock is held: handle
    Busy,   // another holds it: holder tells who, when it could be read
    Retry,  // the file changed under the attempt: try again at once
    NoLock, // no lock file can be made here (missing folder, no permission): go on without
    Failed, // something else stands in the lock file's place: error
};

struct Attempt {
    Outcome m_outcome = Outcome::Failed;
    std::intptr_t m_handle = kNoHandle;
    std::string m_strHolder; // Busy: what the holder wrote into the file
    std::string m_strError;  // Failed: the system's reason
};

// One attempt to take the lock file, writing holderText into it when taken.
Attempt TryLock(const std::filesystem::path& file, const std::string& holderText);
// Removes the lock file (only the one this handle holds) and closes the handle.
void Unlock(const std::filesystem::path& file, std::intptr_t handle) noexcept;
// This program's file name without folder and extension, and its process number.
std::string ProgramName();
unsigned long ProcessNumber();

} // namespace screen_lock
