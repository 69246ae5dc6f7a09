#include "library/site_history.h"

#include "image/file_error.h"
#include "image/report.h"
#include "library/screen_store.h"
#include "library/site_log.h"
#include "library/site_storage.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <string>

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace fs = std::filesystem;

namespace {

// 2026-01-05 14:30:00 in UTC, the zone the tests run the names in.
constexpr std::time_t kMonday = 1767623400;

// Settings whose four blocks pass their checks; seed tells two of them apart by the reader delay.
std::string ValidSettings(std::uint8_t seed) {
    SettingsImage image;
    image.system[kCheckedByte8] = 1;
    image.system[kReaderDelayLow] = seed;
    for (AudioSetup* block : {&image.current, &image.alternate1, &image.alternate2}) {
        (*block)[kDateStamp] = 1;     // 1 o'clock, January
        (*block)[kDateStamp + 1] = 1; // Friday the 1st
    }
    const auto stored = ToStoredForm(image);
    return std::string(stored.begin(), stored.end());
}

// Sets the zone local time is taken in (TZ), or removes it for nullptr.
void SetTimeZone(const char* zone) {
#ifdef _WIN32
    ::_putenv_s("TZ", zone != nullptr ? zone : ""); // an empty value removes it
    ::_tzset();
#else
    if (zone != nullptr)
        ::setenv("TZ", zone, 1);
    else
        ::unsetenv("TZ");
    ::tzset();
#endif
}

class SiteHistory : public testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        m_strOldTz = tz != nullptr ? tz : "";
        m_bHadTz = tz != nullptr;
        SetTimeZone("UTC0");
        m_screen = m_root.Path() / "C" / "T" / "S";
        fs::create_directories(m_screen);
    }
    void TearDown() override { SetTimeZone(m_bHadTz ? m_strOldTz.c_str() : nullptr); }
    fs::path Settings() const { return m_screen / "Vrx.cfg"; }
    fs::path Kept(const std::string& name) const { return m_screen / "History" / name; }

    TempFolder m_root;
    fs::path m_screen;
    std::string m_strOldTz;
    bool m_bHadTz = false;
};

// Each laptop names what it keeps after itself, so two that replace the screen's settings in the
// same second never write one name; versions kept before names carried the machine are listed
// with them, all by time.
TEST_F(SiteHistory, KeepsEveryReplacedFileUnderItsOwnNameNewestFirst) {
    EXPECT_EQ(KeepSettingsInHistory(m_screen, kMonday, "laptop-a"), std::nullopt);
    EXPECT_FALSE(fs::exists(m_screen / "History")) << "nothing to keep, nothing made";

    // What the previous version of the program kept.
    fs::create_directory(m_screen / "History");
    const std::string old = ValidSettings(3);
    WriteBytes(Kept("Vrx-20260105-143000.cfg"), old);
    WriteBytes(Kept("Vrx-20260105-143000-2.cfg"), old);
    WriteBytes(Kept("Vrx-20260104-090000.cfg"), old);

    const std::string first = ValidSettings(1);
    WriteBytes(Settings(), first);
    EXPECT_EQ(KeepSettingsInHistory(m_screen, kMonday, "laptop-a"),
              "Vrx-20260105-143000-laptop-a.cfg");
    // The same second on another laptop, and twice on the first: no name is taken twice.
    const std::string failing(800, '\xFF');
    WriteBytes(Settings(), failing);
    EXPECT_EQ(KeepSettingsInHistory(m_screen, kMonday, "laptop-b"),
              "Vrx-20260105-143000-laptop-b.cfg");
    EXPECT_EQ(KeepSettingsInHistory(m_screen, kMonday, "laptop-a"),
              "Vrx-20260105-143000-laptop-a.2.cfg");
    const std::string longer = ValidSettings(2) + std::string(138, 'x');
    WriteBytes(Settings(), longer);
    EXPECT_EQ(KeepSettingsInHistory(m_screen, kMonday + 3600, "Laptop 7.example.com"),
              "Vrx-20260105-153000-Laptop-7.cfg");
    WriteBytes(Kept("Notes.txt"), "not a version");
    WriteBytes(Kept("log-laptop-a.txt"), "not a version either");

    EXPECT_EQ(ReadBytes(Kept("Vrx-20260105-143000-laptop-a.cfg")), first);
    EXPECT_EQ(ReadBytes(Kept("Vrx-20260105-143000-laptop-b.cfg")), failing);
    EXPECT_EQ(ReadBytes(Kept("Vrx-20260105-153000-Laptop-7.cfg")), longer);
    EXPECT_EQ(ReadBytes(Settings()), longer) << "keeping never touches Vrx.cfg";

    struct Expected {
        const char* name;
        const char* machine;
        StoredSettingsState state;
    };
    const Expected expected[] = {
        {"Vrx-20260105-153000-Laptop-7.cfg", "Laptop-7", StoredSettingsState::Valid},
        {"Vrx-20260105-143000-2.cfg", "", StoredSettingsState::Valid},
        {"Vrx-20260105-143000.cfg", "", StoredSettingsState::Valid},
        {"Vrx-20260105-143000-laptop-a.2.cfg", "laptop-a", StoredSettingsState::FailsChecks},
        {"Vrx-20260105-143000-laptop-a.cfg", "laptop-a", StoredSettingsState::Valid},
        {"Vrx-20260105-143000-laptop-b.cfg", "laptop-b", StoredSettingsState::FailsChecks},
        {"Vrx-20260104-090000.cfg", "", StoredSettingsState::Valid},
    };
    const auto versions = ListHistory(m_screen);
    ASSERT_EQ(versions.size(), std::size(expected));
    for (std::size_t i = 0; i < versions.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(versions[i].m_strName, expected[i].name);
        EXPECT_EQ(versions[i].m_strMachine, expected[i].machine);
        EXPECT_EQ(versions[i].m_nState, expected[i].state);
    }
    EXPECT_EQ(versions[0].m_strTime, "2026-01-05 15:30:00");
    EXPECT_EQ(versions[6].m_strTime, "2026-01-04 09:00:00");
}

// Restore puts a version back with the time its settings were read from the processor, and the
// settings it replaces keep theirs in History; the list marks the version the screen holds now.
TEST_F(SiteHistory, RestorePutsAVersionBackAndKeepsTheReplacedOne) {
    const std::string first = ValidSettings(1);
    const std::string second = ValidSettings(2);
    // Whole seconds, which every file system keeps.
    const auto firstRead =
        std::chrono::floor<std::chrono::seconds>(fs::file_time_type::clock::now()) -
        std::chrono::hours(48);
    const auto secondRead = firstRead + std::chrono::hours(24);
    WriteBytes(Settings(), first);
    fs::last_write_time(Settings(), firstRead);
    ASSERT_TRUE(KeepSettingsInHistory(m_screen, kMonday, "here"));
    WriteBytes(Settings(), second);
    fs::last_write_time(Settings(), secondRead);

    // An unknown or unsafe name changes nothing.
    for (const char* name : {"Vrx-20260105-143001.cfg", "../S/Vrx.cfg", "Vrx.cfg"}) {
        SCOPED_TRACE(name);
        EXPECT_THROW(RestoreFromHistory(m_screen, name, "C", "T", "S", kMonday + 60,
                                        LogAuthor{"A. Tech", "laptop-a", ""}),
                     FileError);
        EXPECT_EQ(ReadBytes(Settings()), second);
        EXPECT_EQ(ListHistory(m_screen).size(), 1u);
    }

    // A version kept by the previous version of the program is put back like any other.
    fs::rename(Kept("Vrx-20260105-143000-here.cfg"), Kept("Vrx-20260105-143000.cfg"));
    const LogAuthor author{"A. Tech", "laptop-a", "speaker replaced"};
    EXPECT_EQ(RestoreFromHistory(m_screen, "Vrx-20260105-143000.cfg", "C", "T", "S", kMonday + 60,
                                 author),
              "Vrx-20260105-143100-laptop-a.cfg");
    EXPECT_EQ(ReadBytes(Settings()), first);
    EXPECT_EQ(ReadBytes(Kept("Vrx-20260105-143100-laptop-a.cfg")), second);
    EXPECT_EQ(ReadBytes(Kept("Vrx-20260105-143000.cfg")), first) << "a version stays kept";
    EXPECT_EQ(fs::last_write_time(Settings()), firstRead);
    EXPECT_EQ(fs::last_write_time(Kept("Vrx-20260105-143100-laptop-a.cfg")), secondRead);
    const LogRead log = ReadLog(m_screen / "History");
    ASSERT_EQ(log.m_entries.size(), 1u);
    EXPECT_EQ(log.m_entries[0].m_strAction, "Restore");
    EXPECT_EQ(log.m_entries[0].m_strWho, "A. Tech");
    EXPECT_EQ(log.m_entries[0].m_strWhy, "speaker replaced");
    EXPECT_EQ(log.m_entries[0].m_strResult,
              "restored Vrx-20260105-143000.cfg; the replaced settings are kept as "
              "Vrx-20260105-143100-laptop-a.cfg");
    const auto versions = ListHistory(m_screen);
    ASSERT_EQ(versions.size(), 2u);
    EXPECT_FALSE(versions[0].m_bSameAsStored);
    EXPECT_TRUE(versions[1].m_bSameAsStored);
    SettingsImage image;
    std::array<std::uint8_t, kSettingsFileSize> stored{};
    std::copy(first.begin(), first.end(), stored.begin());
    FromStoredForm(stored, image);
    EXPECT_EQ(ReadBytes(m_screen / "Vrx.txt"), RenderConfigurationReport(image, "C", "T", "S"));
}

// A Restore that fails on a full disk stores neither file: Vrx.cfg stays as it was.
TEST_F(SiteHistory, RestoreOnAFullDiskChangesNothing) {
#ifdef _WIN32
    GTEST_SKIP() << "a full disk is made with a file-size limit, which Windows does not have";
#else
    const std::string first = ValidSettings(1);
    const std::string second = ValidSettings(2);
    WriteBytes(Settings(), first);
    ASSERT_TRUE(KeepSettingsInHistory(m_screen, kMonday, "here"));
    WriteBytes(Settings(), second);
    WriteBytes(m_screen / "Vrx.txt", "old report");
    // Room for the settings and their copy, not for the report.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit limited = old;
    limited.rlim_cur = 2 * kSettingsFileSize;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    EXPECT_THROW(
        RestoreFromHistory(m_screen, "Vrx-20260105-143000-here.cfg", "C", "T", "S", kMonday),
        FileError);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(ReadBytes(Settings()), second);
    EXPECT_EQ(ReadBytes(m_screen / "Vrx.txt"), "old report");
#endif
}

// Neither History nor the copy of a screen folder that a sync engine made after a conflict is
// an entry.
TEST_F(SiteHistory, IsNoLibraryEntry) {
    WriteBytes(Settings(), ValidSettings(1));
    ASSERT_TRUE(KeepSettingsInHistory(m_screen, kMonday));
    fs::create_directory(m_root.Path() / "C" / "T" / "S (Laptop's conflicted copy 2026-12-08)");
    SiteLibrary library;
    SettingsImage image;
    CSiteStorage storage(library, m_root.Path(), image);
    storage.ScanLibrary();
    ASSERT_TRUE(library.FindCircuit("C"));
    ASSERT_TRUE(library.FindTheater("T"));
    library.FirstScreen();
    ASSERT_TRUE(library.HasScreen());
    EXPECT_EQ(library.GetScreenName(), "S");
    library.NextScreen();
    EXPECT_FALSE(library.HasScreen()) << "History became an entry";
}

} // namespace
