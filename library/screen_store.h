// The stored settings of one screen folder: Vrx.cfg and its report Vrx.txt, replaced together.
//
// The functions here are the one implementation of storing a screen's settings; CSiteStorage
// (for a resolved selection) and ScreenStore (for a transfer's target) both call them.
//
// Layer: above the settings files (stored_settings.h), the history (site_history.h), the paths
// (site_paths.h) and the screen lock; below the storage and the commands.

#include "image/settings_store.h"
#include "image/this_machine.h"
#include "library/site_library.h"
#include "library/site_log.h"

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

// The screen a resolved selection names, as a transfer's target.
ScreenTarget ScreenOf(const SiteSelection& site);

// Stores settings bytes as folder/Vrx.cfg and report as folder/Vrx.txt, the one way every command
// replaces them: both files are written whole to temporary files before either replaces its old
// file, so a failure (a full disk, a read-only Vrx.txt) leaves both old files as they were. A
// Vrx.cfg of valid length that holds other bytes is first kept in the folder's History (named
// after `now` and the machine); one that cannot be kept stops the store before anything is
// replaced. Vrx.cfg takes settingsTime as its last-write time when one is given (the time its
// settings were read from a processor), else the time of the store. Temporary files that an
// earlier, crashed save left in the folder are removed. Returns the name the replaced Vrx.cfg was
// kept under in History, if any. Throws FileError naming the file that failed.
std::optional<std::string>
StoreScreenFiles(const std::filesystem::path& folder, std::string_view settings,
                 std::string_view report,
                 std::optional<std::filesystem::file_time_type> settingsTime = std::nullopt,
                 std::time_t now = std::time(nullptr), const std::string& machine = MachineName());

// Stores the image as folder/Vrx.cfg and its report, headed by the three names, as
// folder/Vrx.txt (StoreScreenFiles).
void SaveScreenSettings(const std::filesystem::path& folder, const SettingsImage& image,
                        std::string_view circuit, std::string_view theater,
                        std::string_view screen);

// Puts the kept version `name` of the screen folder's History back: takes the screen
// (ClaimScreenFolder), then stores the version's bytes as Vrx.cfg, with the version's last-write
// time, and Vrx.txt rewritten for the three names, both files or neither (StoreScreenFiles); the
// replaced Vrx.cfg is kept in History first unless it holds the same bytes. Throws ScreenInUse
// when another command holds the screen, and FileError when the version is missing or has no
// valid length, or when a file cannot be written; nothing is changed then. Returns the name the
// replaced Vrx.cfg was kept under, if any. The outcome, success or not, is logged for the author
// in the screen's log; a log line that cannot be written does not undo or fail the Restore.
std::optional<std::string> RestoreFromHistory(const std::filesystem::path& screenFolder,
                                              std::string_view name, std::string_view circuit,
                                              std::string_view theater, std::string_view screen,
                                              std::time_t now = std::time(nullptr),
                                              const LogAuthor& author = CurrentAuthor());

// The settings store over a library folder. It finds a screen's folder from the target's names
// alone, never from a SiteLibrary's selection, so a transfer on a worker thread may use it while
// the window's selection moves. It holds no state besides the root and the author of its log
// lines, which are set before it is used: calls for different screens may run on different
// threads.
class ScreenStore : public SettingsStore {
public:
    // root is the library folder ("." for the working directory); author is who the screen's log
    // names for each command (this account's technician on this machine unless given).
    explicit ScreenStore(std::filesystem::path root = ".", LogAuthor author = CurrentAuthor());

    // Takes the screen's folder for the command (ClaimScreenFolder).
    ScreenClaimResult ClaimScreen(const ScreenTarget& target,
                                  const std::string& strCommand) override;
    // True when the screen's Vrx.cfg is a regular file of 800 or 938 bytes.
    bool HasSettings(const ScreenTarget& target) override;
    // SaveScreenSettings into the target's folder; throws FileError.
    void SaveSettings(const ScreenTarget& target, const SettingsImage& image) override;
    // Reads the target's Vrx.cfg into the image (ReadSettingsFile); throws FileError and leaves
    // the image untouched when it cannot.
    void LoadSettings(const ScreenTarget& target, SettingsImage& image) override;
    // Appends the command's line to the screen's log (AppendLog); a Load is logged under the
    // name LogLoadsAs gave.
    std::string LogCommand(const ScreenTarget& target, const std::string& strCommand,
                           const std::string& strResult) override;

    // The action a Load is logged as: "Load" unless set; a backup's reads set "Backup".
    void LogLoadsAs(std::string strAction) { m_strLoadAction = std::move(strAction); }

    const std::filesystem::path& Root() const { return m_root; }
    const LogAuthor& Author() const { return m_author; }

private:
    std::filesystem::path m_root;
    LogAuthor m_author;
    std::string m_strLoadAction = "Load";
};

// Appends a line to the screen's log without failing the command it records: returns "" when it
// was written, else why not (the file error's text), for the technician.
std::string LogScreenCommand(const std::filesystem::path& screenFolder, const LogAuthor& author,
                             std::string_view action, std::string_view result,
                             std::time_t now = std::time(nullptr));
