// The Load and Send sequences: the job behind "Load Settings" and "Send Settings".
//
// The window and the command-line tool run the same sequences; each binds its own controls or
// output lines to the observer, and its own library storage to the settings store. The
// confirmation questions stay with the caller, which asks them before it starts a sequence.
#pragma once

#include <string>

// What a sequence reports while it runs. Every call is made on the caller's thread, before the
// next stage starts, so a window can repaint its bar and status text in the handler.
class TransferObserver {
public:
    virtual ~TransferObserver() = default;
    // The bar position, 0 to 100.
    virtual void OnProgress(int nPos) = 0;
    // The status text, exactly as the technician is to read it.
    virtual void OnStatus(const std::string& strText) = 0;
    // A stored file could not be read or written: the standard file-error text. The sequence
    // still reaches its normal end (the "..Error." status follows).
    virtual void OnFileError(const std::string& strMessage) = 0;
};

// The selected screen's stored settings. Both calls may throw FileError; the sequence catches
// it, hands its Message() to the observer and ends normally.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // Writes the settings image to the screen's Vrx.cfg, then its report Vrx.txt.
    virtual void SaveSettings() = 0;
    // Reads the screen's Vrx.cfg into the settings image; only a file of valid length is read.
    virtual void LoadSettings() = 0;
};

// The device operations a sequence uses. Results are link results: 0 success, anything else a
// failed stage. SerialDeviceLink (link/device_link.h) binds them to a line and a settings
// image; DeviceLink() is the one over the global port and image; tests replace them with a
// scripted processor.
class TransferLink {
public:
    virtual ~TransferLink() = default;
    virtual bool IsPortOpen() = 0;
    virtual int CheckLink() = 0;
    virtual int ReadSystemSetup() = 0;
    virtual int ReadAudioSetup(int nBlock) = 0;
    virtual int WriteSystemSetup() = 0;
    virtual int WriteAudioSetup(int nBlock) = 0;
    // True when the image's system block and all three audio blocks pass their checks.
    virtual bool ImagePassesChecks() = 0;
};

// The global device link: the global port, the transactions and g_SettingsImage (defined in
// link/device_link.cpp).
TransferLink& DeviceLink();

struct SettingsImage;
// True when the system block and all three audio blocks pass their checks.
bool ImagePassesChecks(const SettingsImage& image);

enum class TransferResult {
    Success,
    PortNotOpen,     // Load only: nothing was asked or sent
    StageFailed,     // a stage failed; for Load nothing was saved
    FileError,       // a stored file could not be read or written; OnFileError had its text
    SettingsInvalid, // Send only: the stored blocks failed their checks, nothing was written
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
inline constexpr const char* kSettingsInvalid =
    "The stored settings failed their checks; nothing was sent to the VRX-3KM.";
} // namespace transfer_text

// The question asked before a Load overwrites stored settings (only when the screen has them).
std::string OverwriteQuestion(const std::string& strCircuit, const std::string& strTheater,
                              const std::string& strScreen);
// The warning shown before every Send; Cancel is its default answer.
std::string SendWarning();

// Load: port test, then link check and the four reads; saves only when all five succeeded.
TransferResult RunLoad(TransferObserver& observer, SettingsStore& store,
                       TransferLink& link = DeviceLink());
// Send: link check, the stored settings read whatever the check returned, their checks, then the
// four writes.
TransferResult RunSend(TransferObserver& observer, SettingsStore& store,
                       TransferLink& link = DeviceLink());
