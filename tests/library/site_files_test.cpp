#include "library/site_storage.h"

#include "image/file_error.h"
#include "image/settings_image.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <csignal>
#include <future>
#include <string>

#ifndef _WIN32
#include <fcntl.h>
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
    CSiteStorage m_storage{m_library, m_temp.Path(), &m_image};

    fs::path Root() const { return m_temp.Path(); }

    void AddScreen(const std::string& c, const std::string& t, const std::string& s) {
        m_library.AddCircuit(c);
        ASSERT_TRUE(m_storage.SaveSite(PathKind::CircuitFolder));
        m_library.AddTheater(t);
        ASSERT_TRUE(m_storage.SaveSite(PathKind::TheaterFolder));
        m_library.AddScreen(s);
        ASSERT_TRUE(m_storage.SaveSite(PathKind::ScreenFolder));
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
    AddScreen("C", "T", "S");
    EXPECT_EQ(ReadBytes(Root() / "C/T/S/Notes.txt"), "amplifier 3 hums");
    EXPECT_TRUE(m_storage.IsSettingsFileValid(PathKind::SettingsFile));
}

TEST_F(SiteFilesTest, ScreenFolderThatCannotBeMadeWritesNothing) {
    m_library.AddCircuit("C");
    m_library.AddTheater("T"); // no folders on disk
    m_library.AddScreen("S");
    EXPECT_FALSE(m_storage.SaveSite(PathKind::ScreenFolder));
    EXPECT_TRUE(m_storage.LastFolderError());
    EXPECT_TRUE(fs::is_empty(Root()));
}

TEST_F(SiteFilesTest, SaveWritesSettingsAndReport) {
    AddScreen("Main", "Plaza", "2");
    FillImage(m_image, 3);
    EXPECT_TRUE(m_storage.SaveSite(PathKind::SettingsFile));
    EXPECT_EQ(ReadBytes(Root() / "Main/Plaza/2/Vrx.cfg"), StoredBytes(m_image));
    EXPECT_EQ(fs::file_size(Root() / "Main/Plaza/2/Vrx.cfg"), 800u);
    EXPECT_GT(fs::file_size(Root() / "Main/Plaza/2/Vrx.txt"), 0u);
    EXPECT_TRUE(m_storage.IsSettingsFileValid(PathKind::SettingsFile));
}

// Names are UTF-8; the folders on disk carry the same names on every system (on Windows the
// names must reach the wide file calls, not pass through the ANSI code page), and a scan reads
// them back as they were given.
TEST_F(SiteFilesTest, NonAsciiNamesMakeFoldersOfTheSameName) {
    const std::string circuit = "Z\xC3\xBCrich"; // Zürich
    const std::string theater = "Kino \xCE\xA9"; // Kino Ω
    const std::string screen = "\xC3\x89"
                               "cran 1"; // Écran 1
    AddScreen(circuit, theater, screen);
    FillImage(m_image, 1);
    ASSERT_TRUE(m_storage.SaveSite(PathKind::SettingsFile));

    const fs::path folder =
        Root() / fs::path(u8"Z\u00FCrich") / fs::path(u8"Kino \u03A9") / fs::path(u8"\u00C9cran 1");
    for (const char* file : {"Vrx.cfg", "Vrx.txt", "Notes.txt"})
        EXPECT_TRUE(fs::is_regular_file(folder / file)) << file;

    SiteLibrary scanned;
    CSiteStorage(scanned, Root()).ScanLibrary();
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
    AddScreen("C", "T", "S");
    for (std::size_t size : {800u, 938u}) {
        const std::string bytes = Pattern(size, static_cast<unsigned>(size));
        WriteBytes(Root() / "C/T/S/Vrx.cfg", bytes);
        m_image = SettingsImage{};
        m_storage.LoadSite();
        EXPECT_EQ(StoredBytes(m_image), bytes.substr(0, 800)) << size;
    }
}

TEST_F(SiteFilesTest, LoadOfInvalidFileFailsAndLeavesImage) {
    AddScreen("C", "T", "S");
    const fs::path cfg = Root() / "C/T/S/Vrx.cfg";
    FillImage(m_image, 9);
    const std::string before = StoredBytes(m_image);

    try {
        m_storage.LoadSite();
        ADD_FAILURE() << "a missing file must fail";
    } catch (const FileError& e) {
        EXPECT_EQ(e.GetCause(), FileError::Cause::NotFound);
        EXPECT_EQ(e.GetPath(), fs::absolute(cfg).lexically_normal().string());
        EXPECT_EQ(e.Message(), e.GetPath() + " was not found.");
    }
    for (std::size_t size : {0u, 1u, 128u, 799u, 801u, 937u, 939u, 2000u}) {
        WriteBytes(cfg, Pattern(size, 5));
        EXPECT_THROW(m_storage.LoadSite(), FileError) << size;
        EXPECT_EQ(StoredBytes(m_image), before) << size;
    }
    fs::remove(cfg);
    fs::create_directory(cfg);
    EXPECT_THROW(m_storage.LoadSite(), FileError);
    EXPECT_EQ(StoredBytes(m_image), before);
}

TEST_F(SiteFilesTest, UnwritableScreenFolderGivesFileError) {
    m_library.AddCircuit("C");
    m_library.AddTheater("T");
    m_library.AddScreen("S");
    if (!WhyFolderPermissionsDoNotBind().empty()) {
        // Where folder permissions do not bind, a file in the theater folder's place makes the
        // path unusable instead (ENOTDIR).
        WriteBytes(Root() / "C", "not a folder");
    } else {
        fs::create_directories(Root() / "C/T/S");
        fs::permissions(Root() / "C/T/S", fs::perms::owner_read | fs::perms::owner_exec);
    }
    EXPECT_THROW(m_storage.SaveSite(PathKind::SettingsFile), FileError);
    EXPECT_THROW(m_storage.WriteNotesTemplate(), FileError);
    EXPECT_FALSE(fs::exists(Root() / "C/T/S/Vrx.txt"));
}

// Only a regular file is read: a pipe named Vrx.cfg would block the window until some other
// program wrote to it.
#ifdef _WIN32
TEST_F(SiteFilesTest, LoadOfAPipeFailsAtOnce) {
    GTEST_SKIP() << "Windows cannot make a named pipe in a folder";
}
#else
TEST_F(SiteFilesTest, LoadOfAPipeFailsAtOnce) {
    AddScreen("C", "T", "S");
    const fs::path cfg = Root() / "C/T/S/Vrx.cfg";
    ASSERT_EQ(::mkfifo(cfg.c_str(), 0600), 0);
    auto load = std::async(std::launch::async, [this] {
        try {
            m_storage.LoadSite();
        } catch (const FileError&) {
            return true;
        }
        return false;
    });
    if (load.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "LoadSite waits on the pipe";
        // Open and close the writing end, so the blocked reader sees the end of the file.
        const int fd = ::open(cfg.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    EXPECT_TRUE(load.get());
}
#endif

// Stored settings the technician marked read-only stay as they are, and no report is made of
// settings that were not stored.
TEST_F(SiteFilesTest, ReadOnlySettingsFileIsKeptAndNoReportWritten) {
    AddScreen("C", "T", "S");
    const fs::path cfg = Root() / "C/T/S/Vrx.cfg";
    const std::string old = Pattern(kSettingsFileSize, 1);
    WriteBytes(cfg, old);
    fs::permissions(cfg, fs::perms::owner_read);
    FillImage(m_image, 2);
    EXPECT_THROW(m_storage.SaveSite(PathKind::SettingsFile), FileError);
    EXPECT_EQ(ReadBytes(cfg), old);
    EXPECT_FALSE(fs::exists(Root() / "C/T/S/Vrx.txt"));
}

// A process killed at any moment while it replaces Vrx.cfg leaves the old file or the new one,
// whole, never a mixture or a short file.
#ifdef _WIN32
TEST_F(SiteFilesTest, KilledWriterLeavesOldOrNewFileWhole) {
    GTEST_SKIP() << "needs fork, which Windows does not have";
}
#else
TEST_F(SiteFilesTest, KilledWriterLeavesOldOrNewFileWhole) {
    AddScreen("C", "T", "S");
    const fs::path cfg = Root() / "C/T/S/Vrx.cfg";
    FillImage(m_image, 1);
    ASSERT_TRUE(m_storage.SaveSite(PathKind::SettingsFile));
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
                    m_storage.SaveSite(PathKind::SettingsFile);
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
