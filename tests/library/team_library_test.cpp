// A library shared by several laptops through a sync engine: the names of what each machine
// writes, the logs merged by time, and the conflicting copies an engine leaves, recognised and
// settled without losing either version.
#include "image/stored_files.h"
#include "image/this_machine.h"
#include "library/conflict_resolve.h"
#include "library/screen_store.h"
#include "library/site_history.h"
#include "library/site_log.h"
#include "library/site_status.h"
#include "library/sync_conflict.h"
#include "library/user_settings.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace fs = std::filesystem;

namespace {

void SetVariable(const char* name, const std::string& value) {
#ifdef _WIN32
    ::_putenv_s(name, value.c_str());
#else
    ::setenv(name, value.c_str(), 1);
#endif
}

TEST(SyncConflictNames, EachEnginesNamingIsRecognised) {
    struct Row {
        const char* name;
        const char* original; // nullptr: not a conflicting copy
        SyncEngine engine;
    };
    constexpr auto S = SyncEngine::Syncthing;
    constexpr auto N = SyncEngine::Nextcloud;
    constexpr auto D = SyncEngine::Dropbox;
    const Row rows[] = {
        {"Notes.sync-conflict-20261208-101112-ABCDEFG.txt", "Notes.txt", S},
        {"Vrx.sync-conflict-20261208-101112-ABCDEFG.cfg", "Vrx.cfg", S},
        {"Port.sync-conflict-20261208-101112-7Q3XK2M", "Port", S},
        {"log-a.sync-conflict-20261208-101112-AAAAAAA.sync-conflict-20261209-080000-BBBBBBB.txt",
         "log-a.txt", S},
        {"Notes (conflicted copy 2026-12-08 101112).txt", "Notes.txt", N},
        {"Notes (conflicted copy A. Tech 2026-12-08 101112).txt", "Notes.txt", N},
        {"Screen 2 (conflicted copy 2026-12-08 101112)", "Screen 2", N},
        {"Notes (Laptop's conflicted copy 2026-12-08).txt", "Notes.txt", D},
        {"Notes (Laptop\xE2\x80\x99s conflicted copy 2026-12-08 (1)).txt", "Notes.txt", D},
        {"Plaza (Booth PC's conflicted copy 2026-12-08)", "Plaza", D},
        // Names that only look alike.
        {"Notes.txt", nullptr, S},
        {"Notes.sync-conflict-2026120-101112-ABCDEFG.txt", nullptr, S},
        {"Notes.sync-conflict-20261208-101112-.txt", nullptr, S},
        {".sync-conflict-20261208-101112-ABCDEFG.txt", nullptr, S},
        {"Screen (conflicted copy)", nullptr, S},
        {"Screen (my conflicted copy 2026-12-08)", nullptr, S},
        {"conflicted copy 2026-12-08", nullptr, S},
        {"Vrx-20261208-101112-laptop-a.cfg", nullptr, S},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<ConflictCopyName> copy = ParseConflictCopyName(row.name);
        ASSERT_EQ(copy.has_value(), row.original != nullptr);
        if (copy) {
            EXPECT_EQ(copy->m_strOriginal, row.original);
            EXPECT_EQ(copy->m_nEngine, row.engine);
        }
    }
}

TEST(MachineNames, AreSafeForFileNamesAndNeverEmpty) {
    const std::pair<const char*, const char*> rows[] = {
        {"laptop-a", "laptop-a"},
        {"LAPTOP-7Q3XK2M", "LAPTOP-7Q3XK2M"},
        {"booth.cinema.example", "booth"},
        {"Tech's Laptop", "Tech-s-Laptop"},
        {"--x__y--", "x-y"},
        {"Écran", "cran"},
        {"", "machine"},
        {"...", "machine"},
    };
    for (const auto& [given, safe] : rows)
        EXPECT_EQ(SafeMachineName(given), safe) << given;
    EXPECT_EQ(SafeMachineName(std::string(60, 'a')).size(), 40u);
}

// A field never breaks its line or its columns, whatever it holds, and comes back as it was.
TEST(LogLines, FieldsSurviveControlCharactersAndSeparators) {
    const LogEntry entry{"2026-12-08 10:11:12 +0100",
                         0,
                         "A.\tTech\\",
                         "laptop-a",
                         "Load",
                         "error\r\nin | the \x01read",
                         "new \xC2\x85speaker\x7F"};
    const std::string line = FormatLogLine(entry);
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 5);
    EXPECT_EQ(line.find_first_of("\r\n\x01\x7F"), std::string::npos);
    EXPECT_EQ(line.find("\xC2\x85"), std::string::npos);
    const std::optional<LogEntry> back = ParseLogLine(line);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->m_strWho, entry.m_strWho);
    EXPECT_EQ(back->m_strResult, entry.m_strResult);
    EXPECT_EQ(back->m_strWhy, entry.m_strWhy);
    EXPECT_EQ(back->m_nInstant, 1796721072); // 09:11:12 UTC
    // A field that a later version adds is passed over.
    EXPECT_TRUE(ParseLogLine(line + "\tlater field"));
    for (const char* broken :
         {"", "2026-12-08 10:11:12 +0100\ta\tb\tc\td", "2026-13-08 10:11:12 +0100\ta\tb\tc\td\te",
          "2026-12-08 10:11:12 +0100\ta\\q\tb\tc\td\te"})
        EXPECT_FALSE(ParseLogLine(broken)) << broken;
}

class TeamLibrary : public testing::Test {
protected:
    void SetUp() override { fs::create_directories(m_screen / "History"); }
    fs::path History() const { return m_screen / "History"; }

    TempFolder m_root;
    fs::path m_screen = m_root.Path() / "C" / "T" / "S";
    ScreenTarget m_target{"C", "T", "S"};
    LogAuthor m_author{"A. Tech", "laptop-a", ""};
};

// Each machine writes its own file; shown, the lines of all of them and of the copies a sync
// engine made come in the order of their moments, whatever zone each machine was in.
TEST_F(TeamLibrary, LogsOfTwoMachinesMergeByTime) {
    const std::time_t t = 1796721072;
    AppendLog(History(), m_author, "Load", "success", t);
    AppendLog(History(), {"B. Tech", "laptop-b", "speaker"}, "Send", "success", t + 60);
    // Written in a zone an hour ahead of UTC, 30 seconds after the first line.
    const LogEntry between{
        "2026-12-08 10:11:42 +0100", 0, "C. Tech", "laptop-c", "Restore", "done", ""};
    WriteBytes(History() / "log-laptop-c.txt", FormatLogLine(between) + "\r\n");
    // A copy of laptop-a's log that another machine changed meanwhile.
    const std::string own = ReadBytes(History() / "log-laptop-a.txt");
    const LogEntry later{LogTimeText(t + 90), 0, "A. Tech", "laptop-a", "Load", "again", ""};
    const fs::path copy = History() / "log-laptop-a.sync-conflict-20261208-101112-ABCDEFG.txt";
    WriteBytes(copy, own + FormatLogLine(later) + "\r\nnot a log line\r\n");

    const LogRead read = ReadLog(History());
    ASSERT_EQ(read.m_entries.size(), 4u);
    EXPECT_EQ(read.m_nUnreadable, 1u);
    const char* machines[] = {"laptop-a", "laptop-c", "laptop-b", "laptop-a"};
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(read.m_entries[i].m_strMachine, machines[i]) << i;
    EXPECT_EQ(read.m_entries[2].m_strWhy, "speaker");

    // The owner's next line takes the copy in; nothing of it is lost.
    AppendLog(History(), m_author, "Send", "success", t + 120);
    EXPECT_FALSE(fs::exists(copy));
    const LogRead after = ReadLog(History());
    EXPECT_EQ(after.m_entries.size(), 5u);
    EXPECT_EQ(after.m_entries.back().m_strAction, "Send");
    EXPECT_EQ(after.m_nUnreadable, 1u);
}

// Vrx.cfg: the version not chosen goes to History; Notes.txt: the chosen text stays whole and
// the other's own lines follow a marked line. The screen is marked until all are settled.
TEST_F(TeamLibrary, ConflictsAreSettledWithoutLosingEitherVersion) {
    const std::string mine(800, '\1');
    const std::string theirs(800, '\2');
    const std::string third(800, '\3');
    WriteBytes(m_screen / "Vrx.cfg", mine);
    const std::string settingsCopy = "Vrx.sync-conflict-20261208-101112-ABCDEFG.cfg";
    WriteBytes(m_screen / settingsCopy, theirs);
    WriteBytes(m_screen / "Vrx.sync-conflict-20261208-101112-ABCDEFG.txt", "their report");
    WriteBytes(m_screen / "Notes.txt", "Theater Setup Notes\r\nAmp 2 replaced\r\n");
    const std::string notesCopy = "Notes (Laptop's conflicted copy 2026-12-08).txt";
    WriteBytes(m_screen / notesCopy, "Theater Setup Notes\r\nSpeaker 3 rewired\r\n");
    EXPECT_EQ(ScreenConflicts(m_screen).size(), 3u);
    EXPECT_EQ(ReadScreenStatus(m_root.Path(), m_target, std::time(nullptr), 365).m_nState,
              ScreenState::Conflict);

    EXPECT_THROW(ResolveConflict(m_screen, m_target, settingsCopy, std::nullopt, m_author),
                 ConflictNotSettled);
    ResolveConflict(m_screen, m_target, settingsCopy, KeepVersion::Current, m_author);
    EXPECT_EQ(ReadBytes(m_screen / "Vrx.cfg"), mine);
    auto kept = ListHistory(m_screen);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(ReadBytes(History() / kept[0].m_strName), theirs);
    EXPECT_NE(ReadBytes(m_screen / "Vrx.txt"), "") << "the report made from the kept settings";

    // The other way round: the copy's settings take the name, the current ones are kept.
    WriteBytes(m_screen / settingsCopy, third);
    ResolveConflict(m_screen, m_target, settingsCopy, KeepVersion::Other, m_author);
    EXPECT_EQ(ReadBytes(m_screen / "Vrx.cfg"), third);
    kept = ListHistory(m_screen);
    ASSERT_EQ(kept.size(), 2u);

    ResolveConflict(m_screen, m_target, notesCopy, KeepVersion::Other, m_author, 1796721072);
    EXPECT_EQ(ReadBytes(m_screen / "Notes.txt"), "Theater Setup Notes\r\nSpeaker 3 rewired\r\n" +
                                                     NotesMergeMark(notesCopy, 1796721072) +
                                                     "\r\nAmp 2 replaced\r\n");
    EXPECT_TRUE(ScreenConflicts(m_screen).empty());
    EXPECT_NE(ReadScreenStatus(m_root.Path(), m_target, std::time(nullptr), 365).m_nState,
              ScreenState::Conflict);
    const LogRead log = ReadLog(History());
    ASSERT_EQ(log.m_entries.size(), 3u);
    EXPECT_EQ(log.m_entries[0].m_strAction, "Resolve");

    // A copy of a file the program does not settle is left for the technician.
    WriteBytes(m_screen / "Port.sync-conflict-20261208-101112-ABCDEFG.txt", "COM2");
    EXPECT_THROW(ResolveConflict(m_screen, m_target,
                                 "Port.sync-conflict-20261208-101112-ABCDEFG.txt",
                                 KeepVersion::Current, m_author),
                 ConflictNotSettled);
}

TEST_F(TeamLibrary, TheTechniciansNameIsKeptPerUserWithTheFilesOtherLines) {
    const fs::path config = m_root.Path() / "config";
#ifdef _WIN32
    SetVariable("APPDATA", config.string());
#else
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string oldValue = old != nullptr ? old : "";
    SetVariable("XDG_CONFIG_HOME", config.string());
#endif
    ASSERT_EQ(UserSettingsFile(), config / "vrx3km" / "user.cfg");
    EXPECT_FALSE(StoredTechnicianName());
    EXPECT_FALSE(TechnicianName().empty()) << "the account's name stands in";
    fs::create_directories(config / "vrx3km");
    WriteBytes(config / "vrx3km" / "user.cfg", "window=big\r\n");
    StoreTechnicianName("A. Tech\nsecond line");
    EXPECT_EQ(StoredTechnicianName(), "A. Techsecond line");
    EXPECT_EQ(TechnicianName(), "A. Techsecond line");
    EXPECT_EQ(ReadBytes(config / "vrx3km" / "user.cfg"),
              "window=big\ntechnician=A. Techsecond line\n");
#ifndef _WIN32
    if (old != nullptr)
        SetVariable("XDG_CONFIG_HOME", oldValue);
    else
        ::unsetenv("XDG_CONFIG_HOME");
#endif
}

} // namespace
