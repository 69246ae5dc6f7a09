#include "cli_backup.h"

#include "library/screen_port.h"
#include "library/screen_store.h"
#include "library/site_status.h"
#include "library/site_storage.h"
#include "link/backup.h"
#include "link/port_mapping.h"
#include "link/profile.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <ostream>

namespace {

// Set by SIGINT or SIGTERM while a backup runs: the reads that run end at a stage boundary.
std::atomic<bool> g_bStopBackup{false};
static_assert(std::atomic<bool>::is_always_lock_free,
              "a signal handler may only set a lock-free flag");

extern "C" void OnStopSignal(int) {
    g_bStopBackup.store(true);
}

// Ctrl+C and a service manager's stop end the backup in order while the object lives.
class StopOnSignals {
public:
    StopOnSignals()
        : m_interrupt(std::signal(SIGINT, OnStopSignal)),
          m_terminate(std::signal(SIGTERM, OnStopSignal)) {}
    ~StopOnSignals() {
        std::signal(SIGINT, m_interrupt);
        std::signal(SIGTERM, m_terminate);
    }
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

private:
    void (*m_interrupt)(int);
    void (*m_terminate)(int);
};

std::string ScreenPath(const ScreenTarget& target) {
    return target.m_strCircuit + "/" + target.m_strTheater + "/" + target.m_strScreen;
}

ExitStatus ScreenPortCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io,
                             const ScreenSelect& select) {
    const std::vector<std::string> names(request.m_names.begin(), request.m_names.begin() + 3);
    select(names);
    const ScreenTarget target{names[0], names[1], names[2]};
    const std::filesystem::path folder = ScreenFolderPath(storage.Root(), target);
    if (request.m_names.size() == 4) {
        const std::string& port = request.m_names[3];
        if (const std::string problem = PortNameProblem(port); !problem.empty()) {
            io.m_err << "vrx3km-cli: the port given for " << ScreenPath(target)
                     << " cannot be used; nothing was written. " << problem << "\n";
            return kExitUsage;
        }
        WriteScreenPort(folder, port);
        io.m_err << ScreenPath(target) << " now uses its own port " << port
                 << " for Load, Send, compare and backup.\n";
        return kExitSuccess;
    }
    if (request.m_bClear) {
        const bool bRemoved = ClearScreenPort(folder);
        io.m_err << ScreenPath(target)
                 << (bRemoved ? " has no port of its own now" : " had no port of its own")
                 << "; it uses the port chosen with the COM buttons.\n";
        return kExitSuccess;
    }
    const ScreenPort own = ReadScreenPort(folder);
    if (!own.m_strProblem.empty()) {
        io.m_err << "vrx3km-cli: " << own.m_strProblem << "\n";
        return kExitFileError;
    }
    if (own.m_strName.empty()) {
        io.m_err << ScreenPath(target)
                 << " has no port of its own; it uses the port chosen with the COM buttons.\n";
        return kExitSuccess;
    }
    io.m_out << own.m_strName << "\n";
    return kExitSuccess;
}

// The screens the names reach, each with its own port as its Port.txt names it.
std::vector<BackupScreen> ScreensToBackUp(const CliRequest& request, CSiteStorage& storage) {
    const std::vector<std::string>& names = request.m_names;
    std::vector<ScreenTarget> targets;
    if (names.size() == 3)
        targets.push_back({names[0], names[1], names[2]});
    else
        targets = LibraryScreens(storage.Library(), names);
    std::vector<BackupScreen> screens;
    for (const ScreenTarget& target : targets) {
        const ScreenPort own = ReadScreenPort(ScreenFolderPath(storage.Root(), target));
        screens.push_back({target, own.m_strName, own.m_strProblem});
    }
    return screens;
}

ExitStatus BackupCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io,
                         PortSettings& portSettings, const ScreenSelect& select) {
    select(request.m_names);
    InitProfile(portSettings);
    const std::vector<BackupScreen> screens = ScreensToBackUp(request, storage);
    const auto nWithPort = std::count_if(screens.begin(), screens.end(), [](const auto& screen) {
        return !screen.m_strPort.empty() || !screen.m_strProblem.empty();
    });
    BackupOptions options;
    options.m_nJobs = request.m_nJobs.value_or(options.m_nJobs);
    options.m_strProfilePath = portSettings.ProfilePath;
    io.m_err << "Backing up " << nWithPort << " of " << screens.size()
             << (screens.size() == 1 ? " screen" : " screens")
             << " (those with a port of their own), up to " << options.m_nJobs
             << " at once. Ctrl+C stops it without storing anything partial.\n";
    ScreenStore store(storage.Root());
    g_bStopBackup = false;
    std::vector<BackupResult> results;
    {
        StopOnSignals signals;
        results = RunBackup(screens, store, options, g_bStopBackup, [&io](const BackupResult& r) {
            io.m_out << BackupLine(r) << "\n" << std::flush;
        });
    }
    const BackupCounts counts = CountBackup(results);
    if (g_bStopBackup)
        io.m_err << "Stopped: the reads that ran ended at a stage boundary; nothing partial was "
                    "stored.\n";
    io.m_out << counts.Summary() << "\n";
    if (nWithPort == 0 && !screens.empty())
        io.m_err << "No screen there has a port of its own: give one with \"vrx3km-cli "
                    "screen-port CIRCUIT THEATER SCREEN PORT\".\n";
    return counts.AllRead() ? kExitSuccess : kExitFailed;
}

} // namespace

bool IsScreenPortCommand(const std::string& strCommand) {
    return strCommand == "screen-port" || strCommand == "backup";
}

ExitStatus RunScreenPortCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io,
                                PortSettings& portSettings, const ScreenSelect& select) {
    if (request.m_strCommand == "screen-port")
        return ScreenPortCommand(request, storage, io, select);
    return BackupCommand(request, storage, io, portSettings, select);
}
