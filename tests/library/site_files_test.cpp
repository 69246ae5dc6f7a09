#include "library/site_storage.h"

#include "finishes_within.h"
#include "image/file_error.h"
#include "image/report.h"
#include "image/settings_image.h"
#include "library/screen_store.h"
#include "library/site_delete.h"
#include "library/site_history.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <csignal>
#include <functional>
#include <iterator>
#include <string>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

std::string Pattern(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + seed) & 0xFF);
    return bytes;
}

std::string StoredBytes(const SettingsImage& image) {
    const auto stored = ToStoredForm(image);
    return std::string(reinterpret_cast<const char*>(stored.data()), stored.size());
}

void FillImage(SettingsImage& image, unsigned seed) {
    const std::string bytes = Pattern(kSettingsFileSize, seed);
    std::array<std::uint8_t, kSettingsFileSize> stored{};
    std::copy(bytes.begin(), bytes.end(), stored.begin());
    FromStoredForm(stored, image);
}

class SiteFilesTest : public testing::Test {
protected:
    TempFolder m_temp;
    SiteLibrary m_library;
    SettingsImage m_image{};
    CSiteStorage m_storage{m_library, m_temp.Path(), m_image};

    fs::path Root() const { return m_temp.Path(); }

    // Makes the folders of C/T/S as the Add commands do, and returns the screen.
    SiteSelection AddScreen(const std::string& c, const std::string& t, const std::string& s) {
        const SiteSelection screen{SiteLevel::Screen, c, t, s};
        EXPECT_TRUE(m_storage.SaveSite(screen, PathKind::CircuitFolder));
        EXPECT_TRUE(m_storage.SaveSite(screen, PathKind::TheaterFolder));
        EXPECT_TRUE(m_storage.SaveSite(screen, PathKind::ScreenFolder));
        return screen;
    }
    // Stores the image as the screen's settings, as a Load does.
    void Save(const SiteSelection& screen) {
        ScreenStore(Root()).SaveSettings(ScreenOf(screen), m_image);
    }
};

TEST_F(SiteFilesTest, NewScreenGetsTheSixLineNotesTemplate) {
    AddScreen("C", "T", "S");
    const std::string notes = ReadBytes(Root() / "C/T/S/Notes.txt");
    const std::string expected = "Theater Setup Notes\r\n"
                                 "\r\n"
                                 "Circuit Name:  C\r\n"
                                 "Theater Name:  T\r\n"
                                 "Screen:        S\r\n" +
                                 std::string(80, '=') + "\r\n";
    EXPECT_EQ(notes, expected);
    EXPECT_EQ(notes.size(), 159u);
    EXPECT_FALSE(fs::exists(Root() / "C/T/S/Vrx.cfg"));
}

TEST_F(SiteFilesTest, ExistingScreenFolderKeepsNotesAndSettings) {
    fs::create_directories(Root() / "C/T/S");
    WriteBytes(Root() / "C/T/S/Notes.txt", "amplifier 3 hums");
    WriteBytes(Root() / "C/T/S/Vrx.cfg", Pattern(800, 1));
    const SiteSelection screen = AddScreen("C", "T", "S");
    EXPECT_EQ(ReadBytes(Root() / "C/T/S/Notes.txt"), "amplifier 3 hums");
    EXPECT_TRUE(m_storage.IsSettingsFileValid(screen, PathKind::SettingsFile));
}

TEST_F(SiteFilesTest, ScreenFolderThatCannotBeMadeWritesNothing) {
    // No folders of C and T on disk.
    EXPECT_FALSE(m_storage.SaveSite({SiteLevel::Screen, "C", "T", "S"}, PathKind::ScreenFolder));
    EXPECT_TRUE(m_storage.LastFolderError());
    EXPECT_TRUE(fs::is_empty(Root()));
}

// Names are UTF-8; the folders on disk carry the same names on every system (on Windows the
// names must reach the wide file calls, not pass through the ANSI code page), and a scan reads
// them back as they were given.
TEST_F(SiteFilesTest, NonAsciiNamesMakeFoldersOfTheSameName) {
    const std::string circuit = "Z\xC3\xBCrich"; // Zürich
    const std::string theater = "Kino \xCE\xA9"; // Kino Ω
    const std::string screen = "\xC3\x89"
                               "cran 1"; // Écran 1
    FillImage(m_image, 1);
    Save(AddScreen(circuit, theater, screen));

    const fs::path folder =
        Root() / fs::path(u8"Z\u00FCrich") / fs::path(u8"Kino \u03A9") / fs::path(u8"\u00C9cran 1");
    for (const char* file : {"Vrx.cfg", "Vrx.txt", "Notes.txt"})
        EXPECT_TRUE(fs::is_regular_file(folder / file)) << file;

    SiteLibrary scanned;
    CSiteStorage(scanned, Root(), m_image).ScanLibrary();
    scanned.FirstCircuit();
    ASSERT_TRUE(scanned.HasCircuit());
    scanned.FirstTheater();
    ASSERT_TRUE(scanned.HasTheater());
    scanned.FirstScreen();
    ASSERT_TRUE(scanned.HasScreen());
    EXPECT_EQ(scanned.GetCircuitName(), circuit);
    EXPECT_EQ(scanned.GetTheaterName(), theater);
    EXPECT_EQ(scanned.GetScreenName(), screen);
}

TEST_F(SiteFilesTest, LoadTakesTheFirst800BytesOfValidFiles) {
    const SiteSelection screen = AddScreen("C", "T", "S");
    for (std::size_t size : {800u, 938u}) {
        const std::string bytes = Pattern(size, static_cast<unsigned>(size));
        WriteBytes(Root() / "C/T/S/Vrx.cfg", bytes);
        m_image = SettingsImage{};
        m_storage.LoadSite(screen);
        EXPECT_EQ(StoredBytes(m_image), bytes.substr(0, 800)) << size;
    }
}

TEST_F(SiteFilesTest, LoadOfInvalidFileFailsAndLeavesImage) {
    const SiteSelection screen = AddScreen("C", "T", "S");
    const fs::path cfg = Root() / "C/T/S/Vrx.cfg";
    FillImage(m_image, 9);
    const std::string before = StoredBytes(m_image);

    try {
        m_storage.LoadSite(screen);
        ADD_FAILURE() << "a missing file must fail";
    } catch (const FileError& e) {
        EXPECT_EQ(e.GetCause(), FileError::Cause::NotFound);
        EXPECT_EQ(e.GetPath(), fs::absolute(cfg).lexically_normal().string());
        EXPECT_EQ(e.Message(), e.GetPath() + " was not found.");
    }
    for (std::size_t size : {0u, 1u, 128u, 799u, 801u, 937u, 939u, 2000u}) {
        WriteBytes(cfg, Pattern(size, 5));
        EXPECT_THROW(m_storage.LoadSite(screen), FileError) << size;
        EXPECT_EQ(StoredBytes(m_image), before) << size;
    }
}

TEST_F(SiteFilesTest, UnwritableScreenFolderGivesFileError) {
    const SiteSelection screen{SiteLevel::Screen, "C", "T", "S"};
    if (!WhyFolderPermissionsDoNotBind().empty()) {
        // Where folder permissions do not bind, a file in the theater folder's place makes the
        // path unusable instead (ENOTDIR).
        WriteBytes(Root() / "C", "not a folder");
    } else {
        fs::create_directories(Root() / "C/T/S");
        fs::permissions(Root() / "C/T/S", fs::perms::owner_read | fs::perms::owner_exec);
    }
    EXPECT_THROW(Save(screen), FileError);
    EXPECT_THROW(m_storage.WriteNotesTemplate(screen), FileError);
    EXPECT_FALSE(fs::exists(Root() / "C/T/S/Vrx.txt"));
}

// Only a regular file of a valid length holds settings: anything else in Vrx.cfg's place is
// never read whole (a pipe would block, a link to /dev/zero never ends, a 2 GB file fills the
// memory), never kept in History, and named for what it is. A Load replaces it, except a folder.
TEST_F(SiteFilesTest, WhatIsNoSettingsFileIsNeitherReadNorKept) {
    const std::string sparseSize = std::to_string(std::uintmax_t{1} << 31);
    struct Row {
        const char* name;
        std::function<void(const fs::path&)> make;
        bool bPosixOnly;
        std::string strLoadError; // part of the message; empty: the file loads
    };
    const Row rows[] = {
        {"Valid", [](const fs::path& f) { WriteBytes(f, Pattern(800, 1)); }, false, ""},
        {"WrongLength", [](const fs::path& f) { WriteBytes(f, Pattern(1234, 1)); }, false,
         "has 1234 bytes; stored settings have 800 or 938"},
        {"Folder", [](const fs::path& f) { fs::create_directory(f); }, false, "is a folder"},
        {"Sparse2GB",
         [](const fs::path& f) {
             WriteBytes(f, "");
             fs::resize_file(f, std::uintmax_t{1} << 31);
         },
         false, "has " + sparseSize + " bytes"},
#ifndef _WIN32
        {"Pipe", [](const fs::path& f) { ::mkfifo(f.c_str(), 0600); }, true, "is a pipe"},
        {"LinkToDevZero", [](const fs::path& f) { fs::create_symlink("/dev/zero", f); }, true,
         "is a device"},
#endif
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const SiteSelection site = AddScreen("C", "T", row.name);
        const fs::path screen = Root() / "C/T" / row.name;
        const fs::path cfg = screen / "Vrx.cfg";
        FillImage(m_image, 7);
        auto loadAndSave = [this, &site] {
            try {
                m_storage.LoadSite(site);
            } catch (const FileError&) {
            }
            FillImage(m_image, 7);
            Save(site);
        };
        row.make(cfg);
        ASSERT_TRUE(FinishesWithin(10, loadAndSave)) << "a Load hangs or runs away";
        fs::remove_all(screen / "History");
        fs::remove_all(cfg);
        row.make(cfg);

        const std::string before = StoredBytes(m_image);
        try {
            m_storage.LoadSite(site);
            EXPECT_TRUE(row.strLoadError.empty());
        } catch (const FileError& error) {
            EXPECT_NE(error.Message().find(row.strLoadError), std::string::npos) << error.Message();
            EXPECT_NE(error.Message().find(cfg.filename().string()), std::string::npos);
            EXPECT_EQ(StoredBytes(m_image), before);
        }
        FillImage(m_image, 8);
        if (std::string(row.name) == "Folder") {
            EXPECT_THROW(Save(site), FileError);
            continue;
        }
        Save(site);
        EXPECT_EQ(ReadBytes(cfg), StoredBytes(m_image));
        EXPECT_EQ(ListHistory(screen).size(), row.strLoadError.empty() ? 1u : 0u);
    }
}

// Stored settings the technician marked read-only stay as they are, and no report is made of
// settings that were not stored.
TEST_F(SiteFilesTest, ReadOnlySettingsFileIsKeptAndNoReportWritten) {
    const SiteSelection screen = AddScreen("C", "T", "S");
    const fs::path cfg = Root() / "C/T/S/Vrx.cfg";
    const std::string old = Pattern(kSettingsFileSize, 1);
    WriteBytes(cfg, old);
    fs::permissions(cfg, fs::perms::owner_read);
    FillImage(m_image, 2);
    EXPECT_THROW(Save(screen), FileError);
    EXPECT_EQ(ReadBytes(cfg), old);
    EXPECT_FALSE(fs::exists(Root() / "C/T/S/Vrx.txt"));
}

// The store finds the screen by the names it is given, whatever the library's selection.
TEST_F(SiteFilesTest, ScreenStoreFindsTheScreenByItsNamesAlone) {
    AddScreen("Main", "Plaza", "2");
    AddScreen("Main", "Plaza", "3");
    ScreenStore store(Root());
    const ScreenTarget two{"Main", "Plaza", "2"};
    FillImage(m_image, 4);
    store.SaveSettings(two, m_image);
    EXPECT_EQ(ReadBytes(Root() / "Main/Plaza/2/Vrx.cfg"), StoredBytes(m_image));
    EXPECT_EQ(ReadBytes(Root() / "Main/Plaza/2/Vrx.txt"),
              RenderConfigurationReport(m_image, "Main", "Plaza", "2"));
    EXPECT_TRUE(store.HasSettings(two));
    EXPECT_FALSE(store.HasSettings({"Main", "Plaza", "3"}));
    SettingsImage loaded{};
    store.LoadSettings(two, loaded);
    EXPECT_EQ(StoredBytes(loaded), StoredBytes(m_image));
    // The same file error as the storage gives for its selection.
    try {
        store.LoadSettings({"Main", "Plaza", "3"}, loaded);
        ADD_FAILURE() << "no settings to load";
    } catch (const FileError& error) {
        EXPECT_EQ(error.GetPath(),
                  fs::absolute(Root() / "Main/Plaza/3/Vrx.cfg").lexically_normal().string());
    }
}

// A report that cannot be stored (read-only, a folder in its place, a full disk) leaves the old
// Vrx.cfg and Vrx.txt as they were, and no temporary file behind.
TEST_F(SiteFilesTest, ASaveWhoseReportFailsStoresNeitherFile) {
    AddScreen("C", "T", "S");
    const fs::path folder = Root() / "C/T/S";
    const std::string oldSettings = Pattern(kSettingsFileSize, 1);
    FillImage(m_image, 2);
    const std::string report = RenderConfigurationReport(m_image, "C", "T", "S");
    ASSERT_GT(report.size(), 2 * kSettingsFileSize);
    enum class Fault { ReadOnlyReport, FolderInItsPlace, DiskFull };
    for (const Fault fault : {Fault::ReadOnlyReport, Fault::FolderInItsPlace, Fault::DiskFull}) {
        SCOPED_TRACE(static_cast<int>(fault));
        WriteBytes(folder / "Vrx.cfg", oldSettings);
        fs::remove_all(folder / "Vrx.txt");
        if (fault == Fault::FolderInItsPlace) {
            fs::create_directory(folder / "Vrx.txt");
        } else {
            WriteBytes(folder / "Vrx.txt", "old report");
            if (fault == Fault::ReadOnlyReport)
                fs::permissions(folder / "Vrx.txt", fs::perms::owner_read);
        }
#ifdef _WIN32
        // A full disk is made with a file-size limit, which Windows does not have.
        if (fault == Fault::DiskFull)
            continue;
        EXPECT_THROW(ScreenStore(Root()).SaveSettings({"C", "T", "S"}, m_image), FileError);
#else
        rlimit old{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        if (fault == Fault::DiskFull) {
            // Room for the settings, not for the report.
            rlimit limited = old;
            limited.rlim_cur = 2 * kSettingsFileSize;
            ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
        }
        EXPECT_THROW(ScreenStore(Root()).SaveSettings({"C", "T", "S"}, m_image), FileError);
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
#endif
        EXPECT_EQ(ReadBytes(folder / "Vrx.cfg"), oldSettings);
        if (fault != Fault::FolderInItsPlace) {
            EXPECT_EQ(ReadBytes(folder / "Vrx.txt"), "old report");
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 3) << "a file was left";
        fs::permissions(folder / "Vrx.txt", fs::perms::owner_all);
    }
}

// Temporary files that a crashed save left behind: the next save removes those of a writer that
// no longer runs, keeps those of one that does; they never keep Delete disabled nor a folder.
TEST_F(SiteFilesTest, StaleTemporaryFilesAreRemovedAndNeverKeepAFolder) {
#ifdef _WIN32
    GTEST_SKIP() << "needs fork to make the number of a process that no longer runs";
#else
    const SiteSelection site = AddScreen("C", "T", "S");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const std::string dead = std::to_string(child);
    const std::string self = std::to_string(::getpid());
    const std::string parent = std::to_string(::getppid());
    const fs::path screen = Root() / "C/T/S";
    const struct {
        std::string name;
        bool bKept;
    } rows[] = {
        {".Vrx.cfg.vrx-tmp-" + dead + "-3", false},  {".Vrx.txt.vrx-tmp-" + dead + "-4", false},
        {".Vrx.cfg.vrx-tmp-" + self + "-5", true},   // a save of this program, under way
        {".Vrx.cfg.vrx-tmp-" + parent + "-6", true}, // one of another program that runs
        {".Vrx.cfg.tmp-" + dead + "-7", true},       // not the program's own
    };
    for (const auto& row : rows)
        WriteBytes(screen / row.name, "x");
    Save(site);
    for (const auto& row : rows)
        EXPECT_EQ(fs::exists(screen / row.name), row.bKept) << row.name;
    fs::remove(screen / rows[4].name);

    // A scan removes a stale one from the theater folder, which then counts as empty.
    const SiteSelection theater{SiteLevel::Theater, "C", "T", {}};
    WriteBytes(Root() / "C/T" / rows[0].name, "x");
    WriteBytes(Root() / "C/T" / rows[2].name, "x");
    m_storage.ScanLibrary();
    EXPECT_FALSE(fs::exists(Root() / "C/T" / rows[0].name));
    EXPECT_TRUE(m_storage.IsFolderNotEmpty(theater, PathKind::TheaterFolder));
    // Delete takes the screen folder with every temporary file in it, then the theater's.
    EXPECT_EQ(DeleteSiteFiles(m_storage, site).m_result, DeleteResult::Removed);
    EXPECT_FALSE(m_storage.IsFolderNotEmpty(theater, PathKind::TheaterFolder));
    EXPECT_EQ(DeleteSiteFiles(m_storage, theater).m_result, DeleteResult::Removed);
#endif
}

// A process killed at any moment while it replaces Vrx.cfg leaves the old file or the new one,
// whole, never a mixture or a short file.
#ifdef _WIN32
TEST_F(SiteFilesTest, KilledWriterLeavesOldOrNewFileWhole) {
    GTEST_SKIP() << "needs fork, which Windows does not have";
}
#else
TEST_F(SiteFilesTest, KilledWriterLeavesOldOrNewFileWhole) {
    const SiteSelection screen = AddScreen("C", "T", "S");
    const fs::path cfg = Root() / "C/T/S/Vrx.cfg";
    FillImage(m_image, 1);
    Save(screen);
    const std::string oldBytes = StoredBytes(m_image);
    FillImage(m_image, 2);
    const std::string newBytes = StoredBytes(m_image);

    for (int round = 0; round < 5; ++round) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(ready[0]);
            bool signalled = false;
            for (unsigned i = 0;; ++i) {
                FillImage(m_image, (i % 2) + 1);
                try {
                    Save(screen);
                } catch (...) {
                    ::_exit(1); // the parent sees an exit instead of the kill and fails
                }
                if (!signalled) {
                    // Tell the parent the writing has started, then keep writing until killed.
                    const char c = 'x';
                    (void)!::write(ready[1], &c, 1);
                    signalled = true;
                }
            }
        }
        ::close(ready[1]);
        char c = 0;
        ASSERT_EQ(::read(ready[0], &c, 1), 1);
        ::close(ready[0]);
        // Let it get into further writes before the kill, varying the moment per round.
        for (int spin = 0; spin < round * 2000; ++spin)
            (void)fs::exists(cfg);
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));

        const std::string now = ReadBytes(cfg);
        ASSERT_EQ(now.size(), 800u) << "round " << round;
        EXPECT_TRUE(now == oldBytes || now == newBytes) << "round " << round;
    }
}
#endif

} // namespace
