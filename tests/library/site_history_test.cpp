#include "library/site_history.h"

#include "image/file_error.h"
#include "image/report.h"
#include "library/screen_store.h"
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

TEST_F(SiteHistory, KeepsEveryReplacedFileUnderItsOwnNameNewestFirst) {
    EXPECT_EQ(KeepSettingsInHistory(m_screen, kMonday), std::nullopt);
    EXPECT_FALSE(fs::exists(m_screen / "History")) << "nothing to keep, nothing made";

    const std::string first = ValidSettings(1);
    WriteBytes(Settings(), first);
    EXPECT_EQ(KeepSettingsInHistory(m_screen, kMonday), "Vrx-20260105-143000.cfg");
    // The same second: the name is taken and the kept file stays as it was.
    const std::string failing(800, '\xFF');
    WriteBytes(Settings(), failing);
    EXPECT_EQ(KeepSettingsInHistory(m_screen, kMonday), "Vrx-20260105-143000-2.cfg");
    const std::string longer = ValidSettings(2) + std::string(138, 'x');
    WriteBytes(Settings(), longer);
    EXPECT_EQ(KeepSettingsInHistory(m_screen, kMonday + 3600), "Vrx-20260105-153000.cfg");
    WriteBytes(Kept("Notes.txt"), "not a version");

    EXPECT_EQ(ReadBytes(Kept("Vrx-20260105-143000.cfg")), first);
    EXPECT_EQ(ReadBytes(Kept("Vrx-20260105-143000-2.cfg")), failing);
    EXPECT_EQ(ReadBytes(Kept("Vrx-20260105-153000.cfg")), longer);
    EXPECT_EQ(ReadBytes(Settings()), longer) << "keeping never touches Vrx.cfg";

    const auto versions = ListHistory(m_screen);
    ASSERT_EQ(versions.size(), 3u);
    EXPECT_EQ(versions[0].m_strName, "Vrx-20260105-153000.cfg");
    EXPECT_EQ(versions[0].m_strTime, "2026-01-05 15:30:00");
    EXPECT_EQ(versions[0].m_nState, StoredSettingsState::Valid);
    EXPECT_EQ(versions[1].m_strName, "Vrx-20260105-143000-2.cfg");
    EXPECT_EQ(versions[1].m_nState, StoredSettingsState::FailsChecks);
    EXPECT_EQ(versions[2].m_strName, "Vrx-20260105-143000.cfg");
    EXPECT_EQ(versions[2].m_nState, StoredSettingsState::Valid);
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
    ASSERT_TRUE(KeepSettingsInHistory(m_screen, kMonday));
    WriteBytes(Settings(), second);
    fs::last_write_time(Settings(), secondRead);

    // An unknown or unsafe name changes nothing.
    for (const char* name : {"Vrx-20260105-143001.cfg", "../S/Vrx.cfg", "Vrx.cfg"}) {
        SCOPED_TRACE(name);
        EXPECT_THROW(RestoreFromHistory(m_screen, name, "C", "T", "S", kMonday + 60), FileError);
        EXPECT_EQ(ReadBytes(Settings()), second);
        EXPECT_EQ(ListHistory(m_screen).size(), 1u);
    }

    EXPECT_EQ(RestoreFromHistory(m_screen, "Vrx-20260105-143000.cfg", "C", "T", "S", kMonday + 60),
              "Vrx-20260105-143100.cfg");
    EXPECT_EQ(ReadBytes(Settings()), first);
    EXPECT_EQ(ReadBytes(Kept("Vrx-20260105-143100.cfg")), second);
    EXPECT_EQ(ReadBytes(Kept("Vrx-20260105-143000.cfg")), first) << "a version stays kept";
    EXPECT_EQ(fs::last_write_time(Settings()), firstRead);
    EXPECT_EQ(fs::last_write_time(Kept("Vrx-20260105-143100.cfg")), secondRead);
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
    ASSERT_TRUE(KeepSettingsInHistory(m_screen, kMonday));
    WriteBytes(Settings(), second);
    WriteBytes(m_screen / "Vrx.txt", "old report");
    // Room for the settings and their copy, not for the report.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit limited = old;
    limited.rlim_cur = 2 * kSettingsFileSize;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    EXPECT_THROW(RestoreFromHistory(m_screen, "Vrx-20260105-143000.cfg", "C", "T", "S", kMonday),
                 FileError);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(ReadBytes(Settings()), second);
    EXPECT_EQ(ReadBytes(m_screen / "Vrx.txt"), "old report");
#endif
}

TEST_F(SiteHistory, IsNoLibraryEntry) {
    WriteBytes(Settings(), ValidSettings(1));
    ASSERT_TRUE(KeepSettingsInHistory(m_screen, kMonday));
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
