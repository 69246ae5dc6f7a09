#include "cli_commands.h"

#include "cli_history.h"

#include "image/file_error.h"
#include "image/portable.h"
#include "image/report.h"
#include "image/settings_image.h"
#include "library/site_delete.h"
#include "library/site_library.h"
#include "library/site_name.h"
#include "library/site_storage.h"
#include "library/stored_settings.h"
#include "library_listing.h"
#include "link/profile.h"
#include "link/serial_port.h"
#include "link/transfer_sequence.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A name the request gave that the library does not hold, or refuses.
struct NameProblem {
    std::string m_strMessage;
};

// Asks on stderr and reads one line of stdin; --yes answers for the technician.
bool Ask(CliStreams& io, bool bYes, const std::string& strQuestion) {
    io.m_err << strQuestion << "\n";
    if (bYes) {
        io.m_err << "[y/N] yes (--yes)\n";
        return true;
    }
    io.m_err << "[y/N] " << std::flush;
    std::string answer;
    if (!std::getline(io.m_in, answer)) {
        io.m_err << "\n";
        return false;
    }
    return IsConsent(answer);
}

// Status texts as lines; progress as a redrawn bar on a terminal, else as plain lines.
class StreamObserver : public TransferObserver {
public:
    StreamObserver(CliStreams& io, bool bYes) : m_io(io), m_bYes(bYes) {}
    ~StreamObserver() override { EndBarLine(); }

    void OnProgress(int nPos) override {
        if (!m_io.m_bErrIsTerminal) {
            m_io.m_err << "Progress: " << nPos << "%\n";
            return;
        }
        const int nFilled = nPos / 5;
        m_io.m_err << "\r[" << std::string(static_cast<std::size_t>(nFilled), '#')
                   << std::string(static_cast<std::size_t>(20 - nFilled), ' ') << "] " << nPos
                   << "%" << std::flush;
        m_bBarOpen = true;
    }
    void OnStatus(const std::string& strText) override {
        EndBarLine();
        m_io.m_err << strText << "\n";
    }
    void OnFileError(const std::string& strMessage) override {
        EndBarLine();
        m_io.m_err << "vrx3km-cli: " << strMessage << "\n";
    }
    bool ConfirmOverwrite(const std::string& strQuestion) override {
        EndBarLine();
        return Ask(m_io, m_bYes, strQuestion);
    }
    bool ConfirmSend(const std::string& strWarning) override {
        EndBarLine();
        return Ask(m_io, m_bYes, strWarning);
    }

private:
    void EndBarLine() {
        if (m_bBarOpen)
            m_io.m_err << "\n";
        m_bBarOpen = false;
    }
    CliStreams& m_io;
    bool m_bYes;
    bool m_bBarOpen = false;
};

class StorageSettingsStore : public SettingsStore {
public:
    explicit StorageSettingsStore(CSiteStorage& storage) : m_storage(storage) {}
    bool HasSettings(const ScreenTarget& target) override {
        Locate(target);
        return m_storage.IsSettingsFileValid(PathKind::SettingsFile);
    }
    void SaveSettings(const ScreenTarget& target, const SettingsImage& image) override {
        Locate(target);
        g_SettingsImage = image;
        m_storage.SaveSite(PathKind::SettingsFile);
    }
    void LoadSettings(const ScreenTarget& target, SettingsImage& image) override {
        Locate(target);
        m_storage.LoadSite();
        image = g_SettingsImage;
    }

private:
    void Locate(const ScreenTarget& target) {
        SiteLibrary& library = m_storage.Library();
        library.FindCircuit(target.m_strCircuit);
        library.FindTheater(target.m_strTheater);
        library.FindScreen(target.m_strScreen);
    }
    CSiteStorage& m_storage;
};

ScreenTarget TargetOf(const CliRequest& request) {
    return {request.m_names[0], request.m_names[1], request.m_names[2]};
}

// Makes the named entries current, level by level; throws NameProblem for the first missing.
void Select(SiteLibrary& library, const std::vector<std::string>& names) {
    static const char* const kLevels[] = {"circuit", "theater", "screen"};
    std::string strWhere;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const bool bFound = i == 0   ? library.FindCircuit(names[i])
                            : i == 1 ? library.FindTheater(names[i])
                                     : library.FindScreen(names[i]);
        if (!bFound)
            throw NameProblem{"no " + std::string(kLevels[i]) + " \"" + names[i] + "\"" + strWhere +
                              " in the library"};
        strWhere = " in " + std::string(kLevels[i]) + " \"" + names[i] + "\"";
    }
}

void OpenPort(const CliRequest& request) {
    InitProfile();
    if (request.m_nPortIndex)
        g_PortSettings.PortIndex = *request.m_nPortIndex;
    g_SerialPort.Open(PortName(g_PortSettings.PortIndex));
}

int ListCommand(CSiteStorage& storage, CliStreams& io) {
    bool bAnyFails = false;
    io.m_out << RenderListing(storage.Library(), [&storage, &bAnyFails] {
        const StoredSettingsState state =
            StoredSettingsStateOf(storage.DiskPath(PathKind::SettingsFile));
        bAnyFails |= state == StoredSettingsState::FailsChecks;
        return state;
    });
    if (bAnyFails)
        io.m_err << kFailsChecksLegend << "\n";
    return kExitSuccess;
}

int AddCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io) {
    static const char* const kLevels[] = {"circuit", "theater", "screen"};
    for (std::size_t i = 0; i < request.m_names.size(); ++i) {
        if (const auto problem = CheckSiteName(request.m_names[i]))
            throw NameProblem{"the " + std::string(kLevels[i]) + " name \"" + request.m_names[i] +
                              "\" is refused: " + *problem};
    }
    SiteLibrary& library = storage.Library();
    for (std::size_t i = 0; i < request.m_names.size(); ++i) {
        const std::string& name = request.m_names[i];
        const PathKind kind = static_cast<PathKind>(static_cast<int>(i) + 1);
        const bool bExists = i == 0   ? library.FindCircuit(name)
                             : i == 1 ? library.FindTheater(name)
                                      : library.FindScreen(name);
        if (bExists)
            continue;
        // The new entry is made current so that its folder path can be built; when the folder
        // cannot be made the tool ends here, and the disk is all that lasts.
        if (i == 0)
            library.AddCircuit(name);
        else if (i == 1)
            library.AddTheater(name);
        else
            library.AddScreen(name);
        if (!storage.SaveSite(kind)) {
            io.m_err << "vrx3km-cli: the folder " << storage.SitePath(kind)
                     << " could not be created: " << storage.LastFolderError().message() << "\n";
            return kExitFileError;
        }
        io.m_err << "Added " << kLevels[i] << " " << storage.SitePath(kind) << "\n";
    }
    return kExitSuccess;
}

int ReportCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io) {
    Select(storage.Library(), request.m_names);
    storage.LoadSite();
    const std::string strReport = storage.SitePath(PathKind::ReportFile);
    SiteLibrary& library = storage.Library();
    WriteConfigurationReport(storage.DiskPath(PathKind::ReportFile), g_SettingsImage,
                             library.GetCircuitName(), library.GetTheaterName(),
                             library.GetScreenName());
    std::ifstream file(storage.DiskPath(PathKind::ReportFile), std::ios::binary);
    if (!file) {
        io.m_err << "vrx3km-cli: " << strReport << " was not found.\n";
        return kExitFileError;
    }
    io.m_out << std::string(std::istreambuf_iterator<char>(file), {});
    return kExitSuccess;
}

int TransferResultStatus(TransferResult result) {
    switch (result) {
    case TransferResult::Success:
        return kExitSuccess;
    case TransferResult::FileError:
        return kExitFileError;
    case TransferResult::SettingsInvalid:
    case TransferResult::PortNotOpen:
    case TransferResult::Cancelled:
    case TransferResult::StageFailed:
        break;
    }
    return kExitFailed;
}

int LoadCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io) {
    Select(storage.Library(), request.m_names);
    OpenPort(request);
    StreamObserver observer(io, request.m_bYes);
    StorageSettingsStore store(storage);
    return TransferResultStatus(
        RunLoad(DeviceLink(), g_SettingsImage, TargetOf(request), store, observer));
}

int SendCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io) {
    Select(storage.Library(), request.m_names);
    OpenPort(request);
    StreamObserver observer(io, request.m_bYes);
    StorageSettingsStore store(storage);
    const TransferResult result =
        RunSend(DeviceLink(), g_SettingsImage, TargetOf(request), store, observer);
    if (result == TransferResult::SettingsInvalid)
        io.m_err << transfer_text::kSettingsInvalid << "\n";
    return TransferResultStatus(result);
}

int DeleteCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io) {
    SiteLibrary& library = storage.Library();
    Select(library, request.m_names);
    const std::size_t nLevel = request.m_names.size();
    const SiteLevel level = static_cast<SiteLevel>(nLevel);
    const PathKind folderKind = FolderKind(level);
    if (nLevel < 3 && storage.IsFolderNotEmpty(folderKind)) {
        io.m_err << "vrx3km-cli: the folder " << storage.SitePath(folderKind)
                 << " is not empty; delete what it holds first\n";
        return kExitFailed;
    }
    if (!Ask(io, request.m_bYes, ConfirmDeleteText(library, level))) {
        io.m_err << "Nothing was deleted.\n";
        return kExitFailed;
    }
    switch (DeleteSiteFiles(storage, level)) {
    case DeleteOutcome::Removed:
        break;
    case DeleteOutcome::FolderKept:
        io.m_err << "vrx3km-cli: the folder " << storage.SitePath(folderKind)
                 << " still holds files or folders of its own, or could not be removed; the "
                    "folder and its entry were kept\n";
        return kExitFailed;
    case DeleteOutcome::FolderMissing:
        io.m_err << "vrx3km-cli: there is no folder " << storage.SitePath(folderKind)
                 << " to remove; nothing was deleted\n";
        return kExitFailed;
    }
    io.m_err << "Deleted " << storage.SitePath(folderKind) << "\n";
    if (nLevel == 1)
        library.RemoveCurrentCircuit();
    else if (nLevel == 2)
        library.RemoveCurrentTheater();
    else
        library.RemoveCurrentScreen();
    return kExitSuccess;
}

} // namespace

int RunCommand(const CliRequest& request, CliStreams& io) {
    if (request.m_bHelp) {
        io.m_out << (request.m_strCommand.empty() ? ToolHelp()
                                                  : CommandHelp(request.m_strCommand).value());
        return kExitSuccess;
    }
    // The library, the profile and the port mapping all live in the library folder.
    std::error_code ec;
    fs::current_path(PathFromUtf8(request.m_strDir), ec);
    if (ec) {
        io.m_err << "vrx3km-cli: cannot use the library folder " << request.m_strDir << ": "
                 << ec.message() << "\n";
        return kExitUsage;
    }
    SiteLibrary library;
    CSiteStorage storage(library, ".", &g_SettingsImage);
    storage.ScanLibrary();
    try {
        const std::string& command = request.m_strCommand;
        if (command == "list")
            return ListCommand(storage, io);
        if (command == "add")
            return AddCommand(request, storage, io);
        if (command == "report")
            return ReportCommand(request, storage, io);
        if (command == "load")
            return LoadCommand(request, storage, io);
        if (command == "send")
            return SendCommand(request, storage, io);
        if (command == "delete")
            return DeleteCommand(request, storage, io);
        if (IsHistoryCommand(command)) {
            HistoryServices services;
            services.m_select = [&](const std::vector<std::string>& names) {
                Select(library, names);
            };
            services.m_ask = [&](const std::string& q) { return Ask(io, request.m_bYes, q); };
            // Compare with the processor: bind m_readProcessor here.
            return RunHistoryCommand(request, storage, io, services);
        }
        io.m_err << "vrx3km-cli: unknown command \"" << command << "\"\n";
        return kExitUsage;
    } catch (const NameProblem& problem) {
        io.m_err << "vrx3km-cli: " << problem.m_strMessage << "\n";
        return kExitUsage;
    } catch (const FileError& error) {
        io.m_err << "vrx3km-cli: " << error.Message() << "\n";
        return kExitFileError;
    }
}
