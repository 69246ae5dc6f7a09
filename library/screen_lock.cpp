#include "library/screen_lock.h"

#include "image/stored_files.h"

#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

// Between attempts: short beside a command's run, long beside an attempt.
constexpr std::chrono::milliseconds kPollInterval{50};

// The holder's text: program, process number and command, one per line.
std::string HolderText(const std::string& strCommand) {
    return screen_lock::ProgramName() + "\n" + std::to_string(screen_lock::ProcessNumber()) + "\n" +
           strCommand + "\n";
}

// "vrx3km-cli (process 4711) for a Load", or "another command" when the text is not the
// holder's own (it had not written it yet, or the file could not be read).
std::string DescribeHolder(const std::string& text) {
    std::istringstream lines(text);
    std::string program, pid, command;
    if (!std::getline(lines, program) || !std::getline(lines, pid) ||
        !std::getline(lines, command) || program.empty() || pid.empty() || command.empty() ||
        pid.find_first_not_of("0123456789") != std::string::npos)
        return "another command";
    return program + " (process " + pid + ") for a " + command;
}

} // namespace

ScreenLock::ScreenLock(fs::path file, std::intptr_t handle)
    : m_file(std::move(file)), m_handle(handle) {}

ScreenLock::~ScreenLock() {
    Release();
}

void ScreenLock::Release() noexcept {
    if (m_handle == screen_lock::kNoHandle)
        return;
    screen_lock::Unlock(m_file, m_handle);
    m_handle = screen_lock::kNoHandle;
}

ScreenClaimResult ClaimScreenFolder(const fs::path& folder, const std::string& screenText,
                                    const std::string& strCommand, std::chrono::milliseconds wait) {
    const fs::path file = folder / fs::path(kScreenLockFileName);
    const std::string holder = HolderText(strCommand);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    ScreenClaimResult result;
    for (;;) {
        const screen_lock::Attempt attempt = screen_lock::TryLock(file, holder);
        switch (attempt.m_outcome) {
        case screen_lock::Outcome::Taken:
        case screen_lock::Outcome::NoLock:
            result.m_pClaim = std::make_unique<ScreenLock>(file, attempt.m_handle);
            return result;
        case screen_lock::Outcome::Failed:
            result.m_strRefusal = "The screen " + screenText + " cannot be taken for the " +
                                  strCommand + ": " + file.string() + " is in the way (" +
                                  attempt.m_strError +
                                  "). Remove it (it is the program's own lock file), then try "
                                  "again.";
            return result;
        case screen_lock::Outcome::Retry:
            if (std::chrono::steady_clock::now() < deadline)
                continue;
            break;
        case screen_lock::Outcome::Busy:
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            result.m_strRefusal = "The screen " + screenText + " is in use by " +
                                  DescribeHolder(attempt.m_strHolder) +
                                  ". Nothing was done; try "
                                  "the " +
                                  strCommand + " again when that has finished.";
            return result;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}
