// The line trace and the profile against every kind of file their path may name: neither ever
// writes into the library's own files, follows a link into them, waits on a FIFO or reads a
// device without end, and a write that fails is told, not lost.
#include "file_size_limit.h"
#include "link/profile.h"
#include "link/trace_file.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

const std::string kProfile = "[Setup]\r\nPORT=COM3\r\n";

// What the profile reader is to make of the file.
enum class AsProfile { Read, Missing, Refused, NotAProfile };

struct KindRow {
    const char* name;
    // Puts the file in place below the library folder; returns its path and the regular file
    // whose bytes must survive (empty when none).
    std::function<std::pair<fs::path, fs::path>(const fs::path& library)> make;
    bool bTraceOpens;
    AsProfile profile;
    bool bFileSizeLimit = false; // writes fail as on a full disk
};

void PrintTo(const KindRow& row, std::ostream* os) {
    *os << row.name;
}

fs::path Screen(const fs::path& library) {
    fs::create_directories(library / "Odeon" / "Main" / "1" / "History");
    WriteBytes(library / "Odeon" / "Main" / "1" / "Vrx.cfg", std::string(800, '\x01'));
    return library / "Odeon" / "Main" / "1";
}

const KindRow kRows[] = {
    {"RegularFile",
     [](const fs::path& lib) {
         WriteBytes(lib / "trace.txt", kProfile);
         return std::pair{lib / "trace.txt", fs::path()};
     },
     true, AsProfile::Read},
    {"NewFile",
     [](const fs::path& lib) {
         return std::pair{lib / "new.txt", fs::path()};
     },
     true, AsProfile::Missing},
    {"SymbolicLink",
     [](const fs::path& lib) {
         WriteBytes(lib / "target.txt", kProfile);
         fs::create_symlink(lib / "target.txt", lib / "link.txt");
         return std::pair{lib / "link.txt", lib / "target.txt"};
     },
     false, AsProfile::Read},
    {"FifoWithoutReader",
     [](const fs::path& lib) {
         ::mkfifo((lib / "fifo").c_str(), 0600);
         return std::pair{lib / "fifo", fs::path()};
     },
     false, AsProfile::Refused},
    {"LinkToDevZero",
     [](const fs::path& lib) {
         fs::create_symlink("/dev/zero", lib / "zero");
         return std::pair{lib / "zero", fs::path()};
     },
     false, AsProfile::Refused},
    {"ProfileAboveItsSize",
     [](const fs::path& lib) {
         WriteBytes(lib / "big.cfg", kProfile + std::string(kProfileSizeLimit, ';'));
         return std::pair{lib / "big.cfg", lib / "big.cfg"};
     },
     true, AsProfile::Refused},
    {"LibraryFile",
     [](const fs::path& lib) {
         const fs::path cfg = Screen(lib) / "Vrx.cfg";
         return std::pair{cfg, cfg};
     },
     false, AsProfile::NotAProfile},
    {"LibraryFileThroughAFolderLink",
     [](const fs::path& lib) {
         fs::create_directory_symlink(Screen(lib), lib / "shortcut");
         return std::pair{lib / "shortcut" / "trace.txt", fs::path()};
     },
     false, AsProfile::NotAProfile},
    {"FileInAScreenFolder",
     [](const fs::path& lib) {
         return std::pair{Screen(lib) / "History" / "t.txt", fs::path()};
     },
     false, AsProfile::NotAProfile},
    {"FullDisk",
     [](const fs::path& lib) {
         WriteBytes(lib / "full.txt", kProfile);
         return std::pair{lib / "full.txt", lib / "full.txt"};
     },
     true, AsProfile::Read, true},
};

class FileKind : public testing::TestWithParam<KindRow> {};

TEST_P(FileKind, TraceAndProfileKeepToPlainFilesOutsideTheLibrary) {
    const KindRow& row = GetParam();
    TempFolder folder;
    const fs::path library = folder.Path();
    const auto [path, guarded] = row.make(library);
    const std::string strPath = path.string();
    const std::string guardedBytes = guarded.empty() ? std::string() : ReadBytes(guarded);
    const bool bExisted = fs::exists(fs::symlink_status(path));
    const std::string atPath = fs::is_regular_file(fs::symlink_status(path)) ? ReadBytes(path) : "";

    if (row.profile != AsProfile::NotAProfile) {
        EXPECT_EQ(GetPrivateProfileString("Setup", "PORT", "?", strPath),
                  row.profile == AsProfile::Read ? "COM3" : "?");
        EXPECT_EQ(ProfileProblem(strPath).empty(), row.profile != AsProfile::Refused);
        // A profile that cannot be read is never replaced; a full disk fails the write.
        if (row.profile == AsProfile::Refused || row.bFileSizeLimit) {
            std::optional<NoRoomForFiles> noRoom;
            if (row.bFileSizeLimit)
                noRoom.emplace();
            EXPECT_FALSE(WritePrivateProfileString("Setup", "PORT", "COM2", strPath));
        }
        if (!guarded.empty()) {
            EXPECT_EQ(ReadBytes(guarded), guardedBytes);
        }
    }

    const std::string line = "    1000 ms  silence\n";
    {
        std::optional<NoRoomForFiles> noRoom;
        if (row.bFileSizeLimit)
            noRoom.emplace();
        std::string problem;
        std::unique_ptr<TraceFile> trace = TraceFile::Open(strPath, library, problem);
        ASSERT_EQ(trace != nullptr, row.bTraceOpens) << problem;
        // The ports dialog's check, which opens nothing, agrees.
        EXPECT_EQ(TracePathProblem(strPath, library).empty(), row.bTraceOpens);
        if (trace) {
            *trace << line;
            EXPECT_EQ(trace->Problem().empty(), !row.bFileSizeLimit);
        } else {
            EXPECT_NE(problem.find(strPath), std::string::npos) << problem;
        }
    }
    if (row.bTraceOpens) {
        EXPECT_EQ(ReadBytes(path), row.bFileSizeLimit ? atPath : atPath + line);
    } else {
        if (!bExisted) {
            EXPECT_FALSE(fs::exists(fs::symlink_status(path)));
        }
        if (!guarded.empty()) {
            EXPECT_EQ(ReadBytes(guarded), guardedBytes);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Link, FileKind, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<KindRow>& row) {
                             return std::string(row.param.name);
                         });

} // namespace
