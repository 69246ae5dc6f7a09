#include "library/screen_lock.h"

#include "library/screen_store.h"
#include "library/site_delete.h"
#include "library/site_history.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <string>

#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// One command at a time on a screen, in this program or another: the second is refused, named
// what holds the screen, and Delete and Restore touch nothing meanwhile. The screen is free
// again once the holder gives it back or dies.
TEST(ScreenClaim, OneCommandAtATimeOnAScreen) {
    TempFolder root;
    SiteLibrary library;
    SettingsImage image;
    CSiteStorage storage(library, root.Path(), image);
    const fs::path screen = root.Path() / "C/T/S";
    fs::create_directories(screen / "History");
    WriteBytes(screen / "Vrx.cfg", std::string(800, 'a'));
    WriteBytes(screen / "History/Vrx-20260105-143000.cfg", std::string(800, 'b'));

    auto load = ClaimScreenFolder(screen, "C - T - S", "Load");
    ASSERT_TRUE(load.IsClaimed());
    const auto second =
        ClaimScreenFolder(screen, "C - T - S", "Send", std::chrono::milliseconds(0));
    ASSERT_FALSE(second.IsClaimed());
    for (const std::string part : {"C - T - S", "(process ", ") for a Load"})
        EXPECT_NE(second.m_strRefusal.find(part), std::string::npos) << second.m_strRefusal;

    const DeleteOutcome deleted = DeleteSiteFiles(storage, {SiteLevel::Screen, "C", "T", "S"});
    EXPECT_EQ(deleted.m_reason, DeleteKeptReason::InUse);
    EXPECT_NE(DeleteOutcomeMessage(deleted, "./C/T/S").find("for a Load"), std::string::npos);
    EXPECT_THROW(RestoreFromHistory(screen, "Vrx-20260105-143000.cfg", "C", "T", "S"), ScreenInUse);
    EXPECT_EQ(ReadBytes(screen / "Vrx.cfg"), std::string(800, 'a'));

    load.m_pClaim.reset();
    EXPECT_FALSE(fs::exists(screen / std::string(kScreenLockFileName)));
    EXPECT_TRUE(ClaimScreenFolder(screen, "C - T - S", "Send").IsClaimed());
    // A folder that is not there is no one's: the command's own file error tells.
    EXPECT_TRUE(ClaimScreenFolder(root.Path() / "C/T/X", "C - T - X", "Load").IsClaimed());

#ifndef _WIN32
    // A holder that is killed gives the screen back with its death.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const auto held = ClaimScreenFolder(screen, "C - T - S", "Load");
        const char c = held.IsClaimed() ? 'y' : 'n';
        (void)!::write(ready[1], &c, 1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    struct Reaper {
        pid_t pid;
        ~Reaper() {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    };
    {
        const Reaper reaper{child};
        char c = 0;
        ASSERT_EQ(::read(ready[0], &c, 1), 1);
        ::close(ready[0]);
        ASSERT_EQ(c, 'y');
        EXPECT_FALSE(ClaimScreenFolder(screen, "C - T - S", "Load", std::chrono::milliseconds(0))
                         .IsClaimed());
    }
    EXPECT_TRUE(
        ClaimScreenFolder(screen, "C - T - S", "Delete", std::chrono::milliseconds(0)).IsClaimed());
#endif
}

} // namespace
