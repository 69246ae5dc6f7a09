// The stored settings of one screen folder: Vrx.cfg and its report Vrx.txt.
//
// The functions here are the one implementation of saving, loading and probing a screen's
// settings; CSiteStorage (for the current selection) and ScreenStore (for a target fixed by its
// names) both call them.
#pragma once

#include "image/settings_store.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

struct SettingsImage;

// The folder of the target's screen below root, built as the library builds its paths:
// root/circuit/theater/screen with the platform's separator ("./Main/Plaza/2" for root ".").
std::filesystem::path ScreenFolderPath(const std::filesystem::path& root,
                                       const ScreenTarget& target);

// The screen as messages name it: "Odeon - Main - 1".
std::string ScreenText(const ScreenTarget& target);

// True only for a regular file of exactly 800 or 938 bytes.
bool IsValidSettingsFile(const std::filesystem::path& file);

// Stores settings bytes as folder/Vrx.cfg and report as folder/Vrx.txt, the one way every command
// replaces them: both files are written whole to temporary files before either replaces its old
// file, so a failure (a full disk, a read-only Vrx.txt) leaves both old files as they were. A
// Vrx.cfg of valid length that holds other bytes is first kept in the folder's History (named
// after `now`); one that cannot be kept stops the store before anything is replaced. Vrx.cfg
// takes settingsTime as its last-write time when one is given (the time its settings were read
// from a processor), else the time of the store. Temporary files that an earlier, crashed save
// left in the folder are removed. Returns the name the replaced Vrx.cfg was kept under in
// History, if any. Throws FileError naming the file that failed.
std::optional<std::string>
StoreScreenFiles(const std::filesystem::path& folder, std::string_view settings,
                 std::string_view report,
                 std::optional<std::filesystem::file_time_type> settingsTime = std::nullopt,
                 std::time_t now = std::time(nullptr));

// Stores the image as folder/Vrx.cfg and its report, headed by the three names, as
// folder/Vrx.txt (StoreScreenFiles).
void SaveScreenSettings(const std::filesystem::path& folder, const SettingsImage& image,
                        std::string_view circuit, std::string_view theater,
                        std::string_view screen);

// The bytes of a stored settings file, 800 or 938 of them. Throws FileError naming the file by its
// full path when it is missing, not a regular file, cannot be read, or does not have 800 or 938
// bytes at the moment it is read (the message then tells the length it has).
std::string ReadSettingsBytes(const std::filesystem::path& settingsFile);

// Reads the first 800 bytes of the settings file into the image (ReadSettingsBytes); the image is
// untouched when it throws.
void LoadScreenSettings(const std::filesystem::path& settingsFile, SettingsImage& image);

// The settings store over a library folder. It finds a screen's folder from the target's names
// alone, never from a SiteLibrary's selection, so a transfer on a worker thread may use it while
// the window's selection moves. It holds no state besides the root: calls for different screens
// may run on different threads.
class ScreenStore : public SettingsStore {
public:
    // root is the library folder ("." for the working directory).
    explicit ScreenStore(std::filesystem::path root = ".");

    // Takes the screen's folder for the command (ClaimScreenFolder).
    ScreenClaimResult ClaimScreen(const ScreenTarget& target,
                                  const std::string& strCommand) override;
    // True when the screen's Vrx.cfg is a regular file of 800 or 938 bytes.
    bool HasSettings(const ScreenTarget& target) override;
    // SaveScreenSettings into the target's folder; throws FileError.
    void SaveSettings(const ScreenTarget& target, const SettingsImage& image) override;
    // LoadScreenSettings of the target's Vrx.cfg; throws FileError.
    void LoadSettings(const ScreenTarget& target, SettingsImage& image) override;

    const std::filesystem::path& Root() const { return m_root; }

private:
    std::filesystem::path m_root;
};
