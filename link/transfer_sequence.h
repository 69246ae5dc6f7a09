// The Load and Send jobs: everything behind "Load Settings" and "Send Settings", from the port
// test and the question to the last status text.
//
// A job acts only on what it is given: the device link, the settings image, the target screen
// (fixed by its names when the command starts), the settings store and the observer. The window
// and the command-line tool bind their controls or output lines and their answers to the
// observer and run the same job.
#pragma once

#include "image/settings_store.h"
#include "link/frame_codec.h"

#include <optional>
#include <string>

// What a job reports while it runs, and the technician's answers to its questions. Every call
// is made on the thread that runs the job, in the order of the command's steps, and each status
// text and bar position is reported once.
class TransferObserver {
public:
    virtual ~TransferObserver() = default;
    // The bar position, 0 to 100.
    virtual void OnProgress(int nPos) = 0;
    // The status text, exactly as the technician is to read it.
    virtual void OnStatus(const std::string& strText) = 0;
    // A stored file could not be read or written: the standard file-error text. The job still
    // reaches its normal end (the "..Error." status follows).
    virtual void OnFileError(const std::string& strMessage) = 0;
    // The overwrite question of a Load (OK is the default answer) and the warning of a Send
    // (Cancel is the default answer). True lets the job go on.
    virtual bool ConfirmOverwrite(const std::string& strQuestion) = 0;
    virtual bool ConfirmSend(const std::string& strWarning) = 0;
    // Why the command failed, worded for the technician with what to do next; reported after the
    // final status text, which stays exactly as it is. May come more than once.
    virtual void OnReason(const std::string& strReason) = 0;
};

struct SettingsImage;

// The device operations a job uses, each on the image the job was given. Each returns a link
// result (link/frame_codec.h): LinkOk, or anything else for a failed stage. SerialDeviceLink
// (link/device_link.h) binds them to a line and its codec; tests replace them with a scripted
// processor.
class TransferLink {
public:
    virtual ~TransferLink() = default;
    virtual bool IsPortOpen() = 0;
    virtual LinkResult CheckLink(SettingsImage& image) = 0;
    virtual LinkResult ReadSystemSetup(SettingsImage& image) = 0;
    virtual LinkResult ReadAudioSetup(int nBlock, SettingsImage& image) = 0;
    virtual LinkResult WriteSystemSetup(const SettingsImage& image) = 0;
    virtual LinkResult WriteAudioSetup(int nBlock, const SettingsImage& image) = 0;
    // The audio block (0 to 2) that the processor's go-ahead named in the last WriteAudioSetup:
    // the block that was then sent, which the processor chooses; nullopt when none was sent.
    virtual std::optional<int> AudioBlockTaken() const { return std::nullopt; }
    // Why the port is not open, or that another program uses the line; "" when nothing is known.
    virtual std::string LineProblem() const = 0;
    // True when nothing was received since the last request went out: a failed stage met
    // silence, not a reply that failed its checks.
    virtual bool HeardNothing() const = 0;
    // True when the line's device went away during the command: the adapter was unplugged or
    // reset, which is not a silent processor.
    virtual bool LineLost() const { return false; }
    // The port, its device and its adapter, for the reasons; "" when unknown.
    virtual std::string LineName() const { return {}; }
};

enum class TransferResult {
    Success,
    PortNotOpen,     // Load only: nothing was asked or sent
    Cancelled,       // the technician refused the question: nothing was sent or stored
    StageFailed,     // a stage failed; for Load nothing was saved
    FileError,       // a stored file could not be read or written; OnFileError had its text
    SettingsInvalid, // Send only: the stored blocks failed their checks, nothing was written
    ScreenInUse,     // another command held the screen: nothing was sent or stored
    OtherBlockTaken, // Send only: every write was confirmed, but a go-ahead named another audio
                     // block than the one announced, which was sent instead; the status text is
                     // the success text, a reason names the blocks
};

// Stage positions: the bar before stage n (1..5) is 20 * (n - 1); at the end it is 20 times the
// number of the last stage started.
constexpr int kStageCount = 5;
constexpr int BarBeforeStage(int nStage) {
    return 20 * (nStage - 1);
}
constexpr int BarAfterLastStage(int nStage) {
    return 20 * nStage;
}

namespace transfer_text {
inline constexpr const char* kPortError = "COM Port Error.";
inline constexpr const char* kDownloadCancelled = "Download Cancelled";
inline constexpr const char* kDownloadWait = "Downloading settings from VRX-3KM..Please wait.";
inline constexpr const char* kDownloadSuccess = "Downloading settings from VRX-3KM..Success.";
inline constexpr const char* kDownloadError = "Downloading settings from VRX-3KM..Error.";
inline constexpr const char* kSendCancelled = "Send Cancelled";
inline constexpr const char* kSendWait = "Upload settings to the VRX-3KM..Please wait.";
inline constexpr const char* kSendSuccess = "Upload settings from VRX-3KM..Success.";
inline constexpr const char* kSendError = "Upload settings from VRX-3KM..Error.";
inline constexpr const char* kReadWait = "Reading settings from VRX-3KM..Please wait.";
inline constexpr const char* kReadDone = "Reading settings from VRX-3KM..Done.";
inline constexpr const char* kReadError = "Reading settings from VRX-3KM..Error.";
inline constexpr const char* kPartialSend =
    "The processor may now hold part of the new settings. Send them again before the next show.";
inline constexpr const char* kSettingsInvalid =
    "The stored settings failed their checks; nothing was sent to the VRX-3KM.";
inline constexpr const char* kAdapterLost =
    "The adapter was unplugged or reset during the transfer";
} // namespace transfer_text

// The question asked before a Load overwrites stored settings (only when the screen has them).
std::string OverwriteQuestion(const std::string& strCircuit, const std::string& strTheater,
                              const std::string& strScreen);
// The warning shown before every Send; Cancel is its default answer.
std::string SendWarning();

// Load: port test, the claim on the target screen (held until the Load ends), the overwrite
// question when the screen has stored settings, then the link check and the four reads into
// image; saves image to the target only when all five succeeded.
TransferResult RunLoad(TransferLink& link, SettingsImage& image, const ScreenTarget& target,
                       SettingsStore& store, TransferObserver& observer);
// Read for a comparison: port test, then the link check and the four reads into image, which is
// the caller's own (never the image a Load or Send uses). Nothing is written to the processor
// or to disk, and nothing is asked.
TransferResult RunRead(TransferLink& link, SettingsImage& image, TransferObserver& observer);
// Send: the warning, the claim on the target screen (held until the Send ends), the link check,
// the target's stored settings read into image whatever the check returned, their checks, then
// the four writes.
TransferResult RunSend(TransferLink& link, SettingsImage& image, const ScreenTarget& target,
                       SettingsStore& store, TransferObserver& observer);
