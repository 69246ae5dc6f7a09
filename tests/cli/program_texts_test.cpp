// The program's fixed texts, as the program's own functions make them, against the one golden file
// that holds them (golden/program_texts.txt).
#include "image/file_error.h"
#include "library/site_delete.h"
#include "link/transfer_sequence.h"

#include "program_texts.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

std::string FileText(FileError::Cause cause) {
    return FileError(cause, "/lib/A/B/C/Vrx.txt").Message();
}

TEST(ProgramTexts, AreMadeWordForWord) {
    const std::map<std::string, std::string> made = {
        {"delete.circuit", ConfirmDeleteText({SiteLevel::Circuit, "Main", {}, {}})},
        {"delete.theater", ConfirmDeleteText({SiteLevel::Theater, "Main", "Plaza", {}})},
        {"delete.screen", ConfirmDeleteText({SiteLevel::Screen, "Main", "Plaza", "2"})},
        {"delete.none", ConfirmDeleteText({SiteLevel::None, "Main", "Plaza", "2"})},
        {"load.overwrite", OverwriteQuestion("Odeon", "Main", "Screen 1")},
        {"send.warning", SendWarning()},
        {"status.port", transfer_text::kPortError},
        {"status.load.cancelled", transfer_text::kDownloadCancelled},
        {"status.load.wait", transfer_text::kDownloadWait},
        {"status.load.success", transfer_text::kDownloadSuccess},
        {"status.load.error", transfer_text::kDownloadError},
        {"status.send.cancelled", transfer_text::kSendCancelled},
        {"status.send.wait", transfer_text::kSendWait},
        {"status.send.success", transfer_text::kSendSuccess},
        {"status.send.error", transfer_text::kSendError},
        {"file.not-found", FileText(FileError::Cause::NotFound)},
        {"file.access-denied", FileText(FileError::Cause::AccessDenied)},
        {"file.disk-full", FileText(FileError::Cause::DiskFull)},
        {"file.bad-path", FileText(FileError::Cause::BadPath)},
        {"file.generic", FileText(FileError::Cause::Generic)},
    };
    const std::map<std::string, std::string> golden = ProgramTexts(VRX_PROGRAM_TEXTS);
    ASSERT_EQ(golden.size(), made.size()) << "golden file " << VRX_PROGRAM_TEXTS;
    for (const auto& [name, text] : made) {
        const auto it = golden.find(name);
        ASSERT_NE(it, golden.end()) << name;
        EXPECT_EQ(text, it->second) << name;
    }
}

} // namespace
