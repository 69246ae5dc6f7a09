#include "image/settings_image.h"
#include "library/site_delete.h"
#include "library/site_log.h"
#include "library/site_storage.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class StorageTest : public testing::Test {
protected:
    TempFolder m_temp;
    SiteLibrary m_library;
    SettingsImage m_image;
    CSiteStorage m_storage{m_library, m_temp.Path(), m_image};

    fs::path Root() const { return m_temp.Path(); }

    // Makes the folders of C/T/S on disk and returns the screen.
    SiteSelection MakeScreen(const std::string& c, const std::string& t, const std::string& s) {
        fs::create_directories(Root() / c / t / s);
        return {SiteLevel::Screen, c, t, s};
    }

    std::vector<std::string> Dump() {
        std::vector<std::string> out;
        for (m_library.FirstCircuit(); m_library.HasCircuit(); m_library.NextCircuit()) {
            out.push_back(m_library.GetCircuitName());
            for (m_library.FirstTheater(); m_library.HasTheater(); m_library.NextTheater()) {
                out.push_back(m_library.GetCircuitName() + "/" + m_library.GetTheaterName());
                for (m_library.FirstScreen(); m_library.HasScreen(); m_library.NextScreen())
                    out.push_back(m_library.GetCircuitName() + "/" + m_library.GetTheaterName() +
                                  "/" + m_library.GetScreenName());
            }
        }
        return out;
    }
};

TEST_F(StorageTest, BuildsEveryPathKindFromTheSelection) {
    const SiteSelection site{SiteLevel::Screen, "Main", "Plaza", "2"};
    const std::pair<PathKind, const char*> rows[] = {
        {PathKind::CircuitFolder, "./Main"},
        {PathKind::TheaterFolder, "./Main/Plaza"},
        {PathKind::ScreenFolder, "./Main/Plaza/2"},
        {PathKind::SettingsFile, "./Main/Plaza/2/Vrx.cfg"},
        {PathKind::ReportFile, "./Main/Plaza/2/Vrx.txt"},
        {PathKind::NotesFile, "./Main/Plaza/2/Notes.txt"},
    };
    for (const auto& [kind, expected] : rows) {
        // The rows are written with "/"; the path uses the platform's separator ("\\" on Windows).
        std::string path = expected;
        std::replace(path.begin(), path.end(), '/',
                     static_cast<char>(fs::path::preferred_separator));
        EXPECT_EQ(m_storage.SitePath(site, kind), path);
        EXPECT_EQ(m_storage.DiskPath(site, kind), Root() / std::string(expected).substr(2));
    }
    std::string untouched = "keep";
    EXPECT_EQ(m_storage.SitePath(site, PathKind::NoPath), "");
    m_storage.BuildSitePath(site, untouched);
    EXPECT_EQ(untouched, "keep");
}

TEST_F(StorageTest, CreatesOneFolderLevelAndReportsFailure) {
    const SiteSelection circuit{SiteLevel::Circuit, "C", {}, {}};
    EXPECT_TRUE(m_storage.CreateSiteFolder(circuit, PathKind::CircuitFolder));
    EXPECT_TRUE(fs::is_directory(Root() / "C"));
    WriteBytes(Root() / "C" / "stray", "x");
    EXPECT_TRUE(m_storage.CreateSiteFolder(circuit, PathKind::CircuitFolder))
        << "an existing folder is kept";
    EXPECT_TRUE(fs::exists(Root() / "C" / "stray"));

    // A name taken by a file.
    EXPECT_FALSE(m_storage.CreateSiteFolder({SiteLevel::Theater, "C", "stray", {}},
                                            PathKind::TheaterFolder));
    EXPECT_TRUE(m_storage.LastFolderError());
    // A missing parent is not made.
    const SiteSelection orphan{SiteLevel::Theater, "Missing", "T", {}};
    EXPECT_FALSE(m_storage.CreateSiteFolder(orphan, PathKind::TheaterFolder));
    EXPECT_FALSE(fs::exists(Root() / "Missing"));
    EXPECT_FALSE(m_storage.CreateSiteFolder(orphan, PathKind::SettingsFile));
}

TEST_F(StorageTest, SettingsFileIsValidOnlyAtTwoLengths) {
    const SiteSelection screen = MakeScreen("C", "T", "S");
    const fs::path cfg = Root() / "C/T/S/Vrx.cfg";
    EXPECT_FALSE(m_storage.IsSettingsFileValid(screen, PathKind::SettingsFile)) << "missing";
    EXPECT_FALSE(m_storage.SettingsFileTime(screen).has_value());
    for (std::size_t size : {0u, 1u, 799u, 800u, 801u, 937u, 938u, 939u, 1600u}) {
        WriteBytes(cfg, std::string(size, '\x5a'));
        EXPECT_EQ(m_storage.IsSettingsFileValid(screen, PathKind::SettingsFile),
                  size == 800 || size == 938)
            << size;
        EXPECT_TRUE(m_storage.SettingsFileTime(screen).has_value())
            << "no length check for the time";
    }
    fs::remove(cfg);
    fs::create_directory(cfg);
    EXPECT_FALSE(m_storage.IsSettingsFileValid(screen, PathKind::SettingsFile))
        << "a folder named Vrx.cfg";
}

TEST_F(StorageTest, FolderNotEmptyCountsAnyEntryAndMissingIsEmpty) {
    const SiteSelection circuit{SiteLevel::Circuit, "C", {}, {}};
    const SiteSelection theater{SiteLevel::Theater, "C", "T", {}};
    EXPECT_FALSE(m_storage.IsFolderNotEmpty(circuit, PathKind::CircuitFolder)) << "missing";
    fs::create_directory(Root() / "C");
    EXPECT_FALSE(m_storage.IsFolderNotEmpty(circuit, PathKind::CircuitFolder));
    fs::create_directory(Root() / "C" / "T");
    EXPECT_TRUE(m_storage.IsFolderNotEmpty(circuit, PathKind::CircuitFolder));
    EXPECT_FALSE(m_storage.IsFolderNotEmpty(theater, PathKind::TheaterFolder));
    WriteBytes(Root() / "C/T/.hidden", "");
    EXPECT_TRUE(m_storage.IsFolderNotEmpty(theater, PathKind::TheaterFolder));
}

TEST_F(StorageTest, ScanOfFolderWithOnlyFilesIsEmpty) {
    WriteBytes(Root() / "VRX3KM.CFG", "[Setup]\r\nPORT=COM1\r\n");
    WriteBytes(Root() / "Help.doc", "");
    m_storage.ScanLibrary();
    EXPECT_TRUE(Dump().empty());
}

TEST_F(StorageTest, ScanTakesVisibleFoldersOnlyInNaturalOrder) {
    for (const char* p :
         {"Main/Plaza/10", "Main/Plaza/2/Sub/Deep", "Main/Plaza/1", "Main/.hidden",
          "Main/Plaza/.stfolder", "cinema/X", "Cinema", "Files", ".git/objects", ".Trash-1000/C/T"})
        fs::create_directories(Root() / p);
    WriteBytes(Root() / "Main/notes.txt", "");
    WriteBytes(Root() / "Main/Plaza/readme", "");
    WriteBytes(Root() / "Main/Plaza/1/Vrx.cfg", std::string(800, '\0'));
    WriteBytes(Root() / "Files/a", "");

    m_storage.ScanLibrary();
    // Spelling kept; letter case ignored, then byte order; numbers by value; hidden folders,
    // files and anything below screens skipped.
#ifdef _WIN32
    // Windows compares names ignoring letter case: there "Cinema" is the folder "cinema".
    EXPECT_EQ(Dump(), (std::vector<std::string>{"cinema", "cinema/X", "Files", "Main", "Main/Plaza",
                                                "Main/Plaza/1", "Main/Plaza/2", "Main/Plaza/10"}));
#else
    EXPECT_EQ(Dump(), (std::vector<std::string>{"Cinema", "cinema", "cinema/X", "Files", "Main",
                                                "Main/Plaza", "Main/Plaza/1", "Main/Plaza/2",
                                                "Main/Plaza/10"}));
#endif
}

TEST_F(StorageTest, ScanMergesIntoEntriesAlreadyPresent) {
    fs::create_directories(Root() / "C/T/S");
    m_library.AddCircuit("C");
    m_library.AddTheater("T");
    m_storage.ScanLibrary();
    EXPECT_EQ(Dump(), (std::vector<std::string>{"C", "C/T", "C/T/S"}));
}

TEST_F(StorageTest, RootThatCannotBeListedGivesEmptyLibrary) {
    // A regular file in the root's place cannot be listed (ENOTDIR), whoever runs the test.
    WriteBytes(Root() / "plain", "");
    SiteLibrary library;
    CSiteStorage storage(library, Root() / "plain", m_image);
    storage.ScanLibrary();
    library.FirstCircuit();
    EXPECT_FALSE(library.HasCircuit());
    CSiteStorage missing(library, Root() / "absent", m_image);
    missing.ScanLibrary();
    library.FirstCircuit();
    EXPECT_FALSE(library.HasCircuit());
}

TEST_F(StorageTest, UnreadableFolderYieldsNoEntries) {
    if (const std::string why = WhyFolderPermissionsDoNotBind(); !why.empty())
        GTEST_SKIP() << why << "; see RootThatCannotBeListed";
    fs::create_directories(Root() / "C/T/S");
    fs::create_directories(Root() / "D/U");
    fs::permissions(Root() / "C", fs::perms::none);
    m_storage.ScanLibrary();
    fs::permissions(Root() / "C", fs::perms::owner_all);
    const std::vector<std::string> got = Dump();
    EXPECT_NE(std::find(got.begin(), got.end(), "D/U"), got.end());
    EXPECT_EQ(std::find(got.begin(), got.end(), "C/T"), got.end());
}

TEST_F(StorageTest, DeletesFromTheBottomUp) {
    const SiteSelection screen = MakeScreen("Main", "Plaza", "2");
    const SiteSelection theater{SiteLevel::Theater, "Main", "Plaza", {}};
    const SiteSelection circuit{SiteLevel::Circuit, "Main", {}, {}};
    const fs::path folder = Root() / "Main/Plaza/2";
    WriteBytes(folder / "Vrx.cfg", std::string(800, '\1'));
    WriteBytes(folder / "Notes.txt", "notes"); // Vrx.txt missing: passed over
    EXPECT_EQ(DeleteSiteFiles(m_storage, circuit).m_result, DeleteResult::FolderKept);
    EXPECT_EQ(DeleteSiteFiles(m_storage, theater).m_result, DeleteResult::FolderKept);
    EXPECT_TRUE(fs::exists(folder / "Vrx.cfg")) << "nothing below a theater is touched";
    EXPECT_EQ(DeleteSiteFiles(m_storage, screen).m_result, DeleteResult::Removed);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(DeleteSiteFiles(m_storage, theater).m_result, DeleteResult::Removed);
    EXPECT_EQ(DeleteSiteFiles(m_storage, circuit).m_result, DeleteResult::Removed);
    EXPECT_EQ(DeleteSiteFiles(m_storage, circuit).m_result, DeleteResult::FolderMissing);
    EXPECT_EQ(DeleteSiteFiles(m_storage, {}).m_result, DeleteResult::FolderKept);
    // The library keeps one line for each Delete, as the screen's History went with its folder.
    ASSERT_EQ(std::distance(fs::directory_iterator(Root()), {}), 1);
    const LogRead log = ReadLog(LibraryLogFolder(Root()));
    ASSERT_EQ(log.m_entries.size(), 6u);
    EXPECT_EQ(log.m_entries[0].m_strResult, "kept circuit Main: it holds \"Plaza\"");
    EXPECT_EQ(log.m_entries[2].m_strResult, "deleted screen Main/Plaza/2");
    EXPECT_EQ(log.m_entries[5].m_strResult, "deleted circuit Main (its folder was gone already)");
}

// Anything in a screen folder besides the program's own files keeps the screen whole and is
// named; the program's files, History of kept versions and logs, stale temporary files, a lock
// file left behind and the copies a sync engine made of those files go with the folder.
TEST_F(StorageTest, ScreenDeleteIsAllOrNothing) {
    struct Row {
        const char* name;
        std::vector<std::string> extraFiles;
        std::vector<std::string> extraFolders;
        bool bReadOnlySettings;
        DeleteResult result;
        DeleteKeptReason reason;
        std::vector<std::string> inTheWay;
    };
    const Row rows[] = {
        {"Clean",
         {".Vrx.cfg.vrx-tmp-12-0", ".vrx3km-lock",
          "Notes.sync-conflict-20261208-101112-ABCDEFG.txt", "History/log-laptop-a.txt",
          "History/log-laptop-a (conflicted copy 2026-12-08 101112).txt"},
         {"History"},
         false,
         DeleteResult::Removed,
         DeleteKeptReason::None,
         {}},
        {"StrayFileAndFolder",
         {"photo.jpg"},
         {"Sub", "History"},
         false,
         DeleteResult::FolderKept,
         DeleteKeptReason::OtherContents,
         {"Sub", "photo.jpg"}},
        {"ForeignFileInHistory",
         {"History/notes.txt"},
         {"History"},
         false,
         DeleteResult::FolderKept,
         DeleteKeptReason::OtherContents,
         {"History/notes.txt"}},
        {"ConflictingCopyOfAFolder",
         {},
         {"History (Laptop's conflicted copy 2026-12-08)"},
         false,
         DeleteResult::FolderKept,
         DeleteKeptReason::OtherContents,
         {"History (Laptop's conflicted copy 2026-12-08)"}},
        {"ForeignHiddenFile",
         {".DS_Store"},
         {},
         false,
         DeleteResult::FolderKept,
         DeleteKeptReason::OtherContents,
         {".DS_Store"}},
        {"ReadOnlySettings",
         {},
         {},
         true,
         DeleteResult::FolderKept,
         DeleteKeptReason::ReadOnlyFiles,
         {"Vrx.cfg"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const SiteSelection site = MakeScreen("C", "T", row.name);
        const fs::path screen = Root() / "C/T" / row.name;
        for (const std::string& d : row.extraFolders) {
            fs::create_directories(screen / d);
            WriteBytes(screen / d / (d == "History" ? "Vrx-20260105-143000.cfg" : "kept"), "");
        }
        for (const char* f : {"Vrx.cfg", "Vrx.txt", "Notes.txt"})
            WriteBytes(screen / f, "x");
        for (const std::string& f : row.extraFiles)
            WriteBytes(screen / f, "x");
        if (row.bReadOnlySettings)
            fs::permissions(screen / "Vrx.cfg", fs::perms::owner_read | fs::perms::group_read);

        const DeleteOutcome outcome = DeleteSiteFiles(m_storage, site);
        EXPECT_EQ(outcome.m_result, row.result);
        EXPECT_EQ(outcome.m_reason, row.reason);
        EXPECT_EQ(outcome.m_inTheWay, row.inTheWay);
        if (row.result == DeleteResult::Removed) {
            EXPECT_FALSE(fs::exists(screen));
            EXPECT_TRUE(DeleteOutcomeMessage(outcome, "S").empty());
            continue;
        }
        for (const char* f : {"Vrx.cfg", "Vrx.txt", "Notes.txt"})
            EXPECT_TRUE(fs::exists(screen / f)) << f;
        const std::string message = DeleteOutcomeMessage(outcome, "./C/T/S");
        EXPECT_NE(message.find("./C/T/S"), std::string::npos) << message;
        for (const std::string& name : row.inTheWay)
            EXPECT_NE(message.find("\"" + name + "\""), std::string::npos) << message;
    }
}

// An entry reached through a symbolic link loses at most the link, never the files it leads to;
// one whose folder is already gone is deleted without ado.
TEST_F(StorageTest, DeleteNeverReachesThroughALink) {
    TempFolder elsewhere;
    for (const char* s : {"T/S", "Screen"}) {
        fs::create_directories(elsewhere.Path() / s);
        WriteBytes(elsewhere.Path() / s / "Notes.txt", "notes");
    }
    std::error_code linkError;
    fs::create_directory_symlink(elsewhere.Path(), Root() / "Ext", linkError);
    if (linkError)
        GTEST_SKIP() << "this system cannot make a symbolic link: " << linkError.message();
    const DeleteOutcome through = DeleteSiteFiles(m_storage, MakeScreen("Ext", "T", "S"));
    EXPECT_EQ(through.m_result, DeleteResult::FolderKept);
    EXPECT_EQ(through.m_reason, DeleteKeptReason::ThroughLink);
    EXPECT_EQ(DeleteSiteFiles(m_storage, {SiteLevel::Theater, "Ext", "T", {}}).m_reason,
              DeleteKeptReason::ThroughLink);
    EXPECT_TRUE(fs::exists(elsewhere.Path() / "T/S/Notes.txt"));

    const SiteSelection linked = MakeScreen("C", "T", "Linked");
    fs::remove(Root() / "C/T/Linked");
    fs::create_directory_symlink(elsewhere.Path() / "Screen", Root() / "C/T/Linked");
    EXPECT_EQ(DeleteSiteFiles(m_storage, linked).m_result, DeleteResult::Removed);
    EXPECT_FALSE(fs::exists(fs::symlink_status(Root() / "C/T/Linked")));
    EXPECT_EQ(ReadBytes(elsewhere.Path() / "Screen/Notes.txt"), "notes");

    const SiteSelection gone = MakeScreen("C", "T", "Gone");
    fs::remove(Root() / "C/T/Gone");
    EXPECT_EQ(DeleteSiteFiles(m_storage, gone).m_result, DeleteResult::FolderMissing);
}

TEST_F(StorageTest, FolderNamedLikeAScreenFileIsNotDeleted) {
    const SiteSelection screen = MakeScreen("C", "T", "S");
    fs::create_directory(Root() / "C/T/S/Vrx.cfg");
    EXPECT_EQ(DeleteSiteFiles(m_storage, screen).m_result, DeleteResult::FolderKept);
    EXPECT_TRUE(fs::is_directory(Root() / "C/T/S/Vrx.cfg"));
}

} // namespace
