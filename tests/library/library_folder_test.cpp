#include "library/library_folder.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

TEST(LibraryFolder, TellsALibraryFromAnyOtherFolder) {
    struct Row {
        const char* name;
        std::vector<std::string> folders;
        std::vector<std::string> files;
        bool bLibrary;
    };
    const Row rows[] = {
        {"Empty", {}, {}, true},
        {"OnlyHiddenEntries", {".git/objects", ".Trash-1000"}, {".directory"}, false},
        {"Profile", {"Documents"}, {"VRX3KM.CFG"}, true},
        {"ScreenWithNotes", {".git", "Odeon"}, {"Odeon/Main/1/Notes.txt"}, true},
        {"ScreenWithSettings", {}, {"readme.txt", "Odeon/Main/1/Vrx.cfg"}, true},
        {"HomeFolder",
         {".cache", ".config", "Music"},
         {"Documents/Invoices/2024/report.pdf"},
         false},
        {"NotesTooHigh", {}, {"Odeon/Main/Notes.txt"}, false},
        {"NotesTooDeep", {}, {"Odeon/Main/1/x/Notes.txt"}, false},
        {"ScreenOnlyInHiddenFolder", {}, {".old/Main/1/Notes.txt", "readme.txt"}, false},
        {"NotesIsAFolder", {"Odeon/Main/1/Notes.txt"}, {}, false},
    };
    for (const Row& row : rows) {
        TempFolder temp;
        for (const std::string& folder : row.folders)
            fs::create_directories(temp.Path() / folder);
        for (const std::string& file : row.files) {
            fs::create_directories((temp.Path() / file).parent_path());
            WriteBytes(temp.Path() / file, "x");
        }
        EXPECT_EQ(IsLibraryFolder(temp.Path()), row.bLibrary) << row.name;
    }
    TempFolder temp;
    EXPECT_FALSE(IsLibraryFolder(temp.Path() / "missing"));
    WriteBytes(temp.Path() / "file", "");
    EXPECT_FALSE(IsLibraryFolder(temp.Path() / "file"));
}

TEST(LibraryFolder, GivenThenWorkingDirectoryThenLastUsedThenDefault) {
    const fs::path given = "/media/stick/Library", work = "/home/tech", last = "/srv/library",
                   fallback = "/home/tech/Documents/VRX-3KM";
    struct Row {
        std::optional<fs::path> given;
        bool bWorkIsLibrary;
        std::optional<fs::path> last;
        std::optional<fs::path> fallback;
        fs::path folder;
        LibrarySource source;
    };
    const Row rows[] = {
        {given, true, last, fallback, given, LibrarySource::Given},
        {std::nullopt, true, last, fallback, work, LibrarySource::WorkingDirectory},
        {std::nullopt, false, last, fallback, last, LibrarySource::LastUsed},
        {std::nullopt, false, std::nullopt, fallback, fallback, LibrarySource::Default},
        // vrx3km-cli offers no fallback: a working directory that is no library gives none.
        {std::nullopt, false, std::nullopt, std::nullopt, fs::path(), LibrarySource::None},
    };
    for (const Row& row : rows) {
        const LibraryChoice choice =
            ChooseLibraryFolder({row.given, work, row.bWorkIsLibrary, row.last, row.fallback});
        EXPECT_EQ(choice.m_folder, row.folder);
        EXPECT_EQ(choice.m_source, row.source);
    }
    EXPECT_EQ(DefaultLibraryFolder(fs::path("/home/tech/Documents"), "/home/tech"),
              fs::path("/home/tech/Documents/VRX-3KM"));
    EXPECT_EQ(DefaultLibraryFolder(std::nullopt, "/home/tech"), fs::path("/home/tech/VRX-3KM"));
}

} // namespace
