#include "image/atomic_file.h"
#include "image/file_error.h"
#include "image/report_file.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> FolderNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The texts themselves are in tests/cli/golden/program_texts.txt.
TEST(FileError, StandardTextsNameThePath) {
    for (const auto cause : {FileError::Cause::NotFound, FileError::Cause::Sharing}) {
        const FileError error(cause, "/lib/A/B/C/Vrx.txt");
        EXPECT_NE(error.Message().find("/lib/A/B/C/Vrx.txt"), std::string::npos);
        EXPECT_EQ(error.what(), error.Message());
        EXPECT_EQ(error.GetCause(), cause);
        EXPECT_EQ(error.GetPath(), "/lib/A/B/C/Vrx.txt");
    }
}

TEST(FileError, EmptyPathIsAnUnnamedFile) {
    EXPECT_EQ(FileError(FileError::Cause::NotFound, "").Message(),
              "an unnamed file was not found.");
}

TEST(FileError, PathWithPercentSignsIsInsertedOnce) {
    EXPECT_EQ(FileError(FileError::Cause::NotFound, "/x/%1/y").Message(), "/x/%1/y was not found.");
}

TEST(FileError, ErrnoMapsToCause) {
    struct Case {
        int err;
        FileError::Cause cause;
    };
    const std::vector<Case> cases = {
        {ENOENT, FileError::Cause::NotFound},
        {ENOTDIR, FileError::Cause::NotFound},
        {EACCES, FileError::Cause::AccessDenied},
        {EPERM, FileError::Cause::AccessDenied},
        {EROFS, FileError::Cause::AccessDenied},
        {ENOSPC, FileError::Cause::DiskFull},
        {ENAMETOOLONG, FileError::Cause::BadPath},
        {EIO, FileError::Cause::Generic},
#if defined(EDQUOT) // the C library of Windows has no disk quotas
        {EDQUOT, FileError::Cause::DiskFull},
#endif
    };
    for (const auto& c : cases) {
        const FileError error = FileError::FromErrno(c.err, "/f");
        EXPECT_EQ(error.GetCause(), c.cause) << c.err;
        EXPECT_EQ(error.GetPath(), "/f");
    }
}

TEST(WriteFileAtomically, CreatesTheFile) {
    TempFolder dir;
    const auto path = dir.Path() / "Vrx.cfg";
    WriteFileAtomically(path, std::string("a\0b", 3));
    EXPECT_EQ(ReadAll(path), std::string("a\0b", 3));
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"Vrx.cfg"});
}

TEST(WriteFileAtomically, LongerOldFileIsReplacedByShorterNewOne) {
    TempFolder dir;
    const auto path = dir.Path() / "Vrx.txt";
    WriteAll(path, std::string(5000, 'x'));
    WriteFileAtomically(path, "new\r\n");
    EXPECT_EQ(ReadAll(path), "new\r\n");
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"Vrx.txt"});
}

TEST(WriteFileAtomically, MissingFolderIsNotFoundWithTheFullPath) {
    TempFolder dir;
    const auto path = dir.Path() / "gone" / "Vrx.txt";
    try {
        WriteFileAtomically(path, "x");
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.GetCause(), FileError::Cause::NotFound);
        EXPECT_EQ(error.GetPath(), path.string());
        EXPECT_EQ(error.Message(), path.string() + " was not found.");
    }
    EXPECT_TRUE(FolderNames(dir.Path()).empty());
}

TEST(WriteFileAtomically, RelativePathIsReportedInFull) {
    TempFolder dir;
    const auto old = fs::current_path();
    fs::current_path(dir.Path());
    try {
        WriteFileAtomically(fs::path("gone") / "Vrx.txt", "x");
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.GetPath(), (fs::current_path() / "gone" / "Vrx.txt").string());
    }
    fs::current_path(old);
}

TEST(WriteFileAtomically, ReadOnlyFolderIsDeniedAndLeavesNoTemporaryFile) {
    if (const std::string why = WhyFolderPermissionsDoNotBind(); !why.empty()) {
        GTEST_SKIP() << why;
    }
    TempFolder dir;
    const auto folder = dir.Path() / "ro";
    fs::create_directory(folder);
    WriteAll(folder / "Vrx.txt", "old");
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    try {
        WriteFileAtomically(folder / "Vrx.txt", "new");
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.GetCause(), FileError::Cause::AccessDenied);
        EXPECT_EQ(error.GetPath(), (folder / "Vrx.txt").string());
    }
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"Vrx.txt"});
    EXPECT_EQ(ReadAll(folder / "Vrx.txt"), "old");
}

// Replacing by rename needs only the folder's permission, so a file marked read-only must be
// refused by its own mode: creating it anew would be denied. No write bit at all binds the
// superuser too, as the read-only attribute does on Windows.
TEST(WriteFileAtomically, ReadOnlyFileIsDeniedAndKept) {
    TempFolder dir;
    const auto path = dir.Path() / "Vrx.cfg";
    WriteAll(path, "old");
    const auto readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(path, readOnly);
    try {
        WriteFileAtomically(path, "new");
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.GetCause(), FileError::Cause::AccessDenied);
        EXPECT_EQ(error.Message(), "Access to " + path.string() + " was denied.");
    }
    EXPECT_EQ(fs::status(path).permissions(), readOnly);
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"Vrx.cfg"});
    fs::permissions(path, fs::perms::owner_all);
    EXPECT_EQ(ReadAll(path), "old");
}

// A folder in the file's place cannot be replaced, whoever runs the test; it is refused before
// a file prepared together with this one could be committed alone.
TEST(WriteFileAtomically, FolderInTheFilesPlaceIsDeniedAndLeavesNoTemporaryFile) {
    TempFolder dir;
    const auto path = dir.Path() / "Vrx.txt";
    fs::create_directory(path);
    WriteAll(path / "keep", "k");
    try {
        WriteFileAtomically(path, "new");
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.GetCause(), FileError::Cause::AccessDenied);
        EXPECT_EQ(error.GetPath(), path.string());
    }
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"Vrx.txt"});
    EXPECT_EQ(ReadAll(path / "keep"), "k");
}

// Nothing reaches the file before Commit; a file that is abandoned, or goes out of scope
// uncommitted, leaves the old file and no temporary file.
TEST(PreparedFile, ReplacesTheFileOnlyOnCommit) {
    TempFolder dir;
    const auto path = dir.Path() / "Vrx.cfg";
    WriteAll(path, "old");
    {
        PreparedFile prepared(path, "new");
        EXPECT_TRUE(IsTemporaryFileName(prepared.TemporaryPath().filename().string()));
        EXPECT_EQ(ReadAll(prepared.TemporaryPath()), "new");
        EXPECT_EQ(ReadAll(path), "old");
    }
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"Vrx.cfg"});
    PreparedFile abandoned(path, "new");
    abandoned.Abandon();
    abandoned.Commit();
    EXPECT_EQ(ReadAll(path), "old");
    PreparedFile prepared(path, "new");
    prepared.Commit();
    EXPECT_EQ(ReadAll(path), "new");
    EXPECT_TRUE(prepared.TemporaryPath().empty());
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"Vrx.cfg"});
}

TEST(PreparedFile, TemporaryNamesAreRecognised) {
    const struct {
        const char* name;
        bool bTemporary;
    } rows[] = {
        {".Vrx.cfg.vrx-tmp-4711-0", true},
        {".VRX3KM.CFG.vrx-tmp-1-12345", true},
        {"..vrx-tmp-1-1", false},          // no target name
        {"Vrx.cfg.vrx-tmp-4711-0", false}, // not hidden
        {".Vrx.cfg.vrx-tmp-4711", false},
        {".Vrx.cfg.vrx-tmp-47x1-0", false},
        {".Vrx.cfg.vrx-tmp-4711-0-1", false},
        {".Vrx.cfg.tmp-4711-0-0", false},
        {"Vrx.cfg", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(IsTemporaryFileName(row.name), row.bTemporary) << row.name;
}

TEST(CReportFile, WritesLinesEndedByCrLfOnClose) {
    TempFolder dir;
    const auto path = dir.Path() / "Notes.txt";
    WriteAll(path, std::string(300, 'o'));
    CReportFile file;
    file.Create(path);
    file.WriteText("a");
    file.WriteText("b");
    file.WriteNewLine();
    file.WriteLine("line");
    file.WriteLine("");
    file.WriteRule();
    EXPECT_EQ(ReadAll(path), std::string(300, 'o')) << "nothing reaches the disk before Close";
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(ReadAll(path), "ab\r\nline\r\n\r\n" + std::string(80, '=') + "\r\n");
}

TEST(CReportFile, FileNeverClosedLeavesTheOldFile) {
    TempFolder dir;
    const auto path = dir.Path() / "Vrx.txt";
    WriteAll(path, "old report");
    try {
        CReportFile file;
        file.Create(path);
        file.WriteLine("half");
        throw std::runtime_error("interrupted");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(ReadAll(path), "old report");
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"Vrx.txt"});
}

TEST(CReportFile, CloseIntoMissingFolderThrowsNotFound) {
    TempFolder dir;
    CReportFile file;
    file.Create(dir.Path() / "none" / "Notes.txt");
    file.WriteLine("Theater Setup Notes");
    EXPECT_THROW(file.Close(), FileError);
    EXPECT_NO_THROW(file.Close()) << "a second Close has nothing left to write";
}

} // namespace
