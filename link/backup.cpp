#include "link/backup.h"

#include "image/file_error.h"
#include "image/settings_compare.h"
#include "image/settings_image.h"
#include "link/device_link.h"
#include "link/frame_codec.h"
#include "link/network_line.h"
#include "link/port_mapping.h"
#include "link/serial_devices.h"
#include "link/serial_port.h"
#include "link/transfer_sequence.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

namespace {

// The link of one screen's read, which refuses every stage once a stop is requested: the read
// then ends at a stage boundary, and a failed read stores nothing.
class StoppableLink : public TransferLink {
public:
    StoppableLink(TransferLink& link, const std::atomic<bool>& stop) : m_link(link), m_stop(stop) {}

    bool IsPortOpen() override { return m_link.IsPortOpen(); }
    LinkResult CheckLink(SettingsImage& image) override {
        return Stage([&] { return m_link.CheckLink(image); });
    }
    LinkResult ReadSystemSetup(SettingsImage& image) override {
        return Stage([&] { return m_link.ReadSystemSetup(image); });
    }
    LinkResult ReadAudioSetup(int nBlock, SettingsImage& image) override {
        return Stage([&] { return m_link.ReadAudioSetup(nBlock, image); });
    }
    LinkResult WriteSystemSetup(const SettingsImage&) override { return LinkFailed; }
    LinkResult WriteAudioSetup(int, const SettingsImage&) override { return LinkFailed; }
    std::string LineProblem() const override { return m_link.LineProblem(); }
    bool HeardNothing() const override { return m_link.HeardNothing(); }
    bool LineLost() const override { return m_link.LineLost(); }
    std::string LineName() const override { return m_link.LineName(); }

    bool Stopped() const { return m_bStopped; }

private:
    template <typename Fn> LinkResult Stage(Fn&& stage) {
        if (m_stop.load()) {
            m_bStopped = true;
            return LinkFailed;
        }
        return stage();
    }
    TransferLink& m_link;
    const std::atomic<bool>& m_stop;
    bool m_bStopped = false;
};

// Keeps the reasons of a read, asks nothing: a backup runs without questions.
class QuietObserver : public TransferObserver {
public:
    void OnProgress(int) override {}
    void OnStatus(const std::string& strStatus) override { m_strStatus = strStatus; }
    void OnFileError(const std::string&) override {}
    bool ConfirmOverwrite(const std::string&) override { return true; }
    bool ConfirmSend(const std::string&) override { return false; }
    void OnReason(const std::string& strReason) override {
        m_strReasons += (m_strReasons.empty() ? "" : " ") + strReason;
    }
    // The reasons on one line; the last status text when no reason was given.
    std::string OneLine() const {
        std::string line = m_strReasons.empty() ? m_strStatus : m_strReasons;
        std::replace(line.begin(), line.end(), '\n', ' ');
        return line;
    }

private:
    std::string m_strReasons;
    std::string m_strStatus;
};

BackupResult Ended(const ScreenTarget& target, BackupOutcome outcome, std::string reason = {}) {
    BackupResult result;
    result.m_target = target;
    result.m_nOutcome = outcome;
    result.m_strReason = std::move(reason);
    return result;
}

// The port as the line knows it, so that two names of one port are never read at once: a COM
// name is the device it is mapped to, a device its path with links resolved.
std::string PortKey(const std::string& strPort, const std::string& profilePath) {
    std::string name = strPort;
    if (name.size() == 4 && std::toupper(static_cast<unsigned char>(name[0])) == 'C' &&
        std::toupper(static_cast<unsigned char>(name[1])) == 'O' &&
        std::toupper(static_cast<unsigned char>(name[2])) == 'M' && name[3] >= '1' &&
        name[3] <= '4')
        name = ResolvePortDevice("COM" + name.substr(3), profilePath);
    if (IsNetworkPortName(name)) {
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return name;
    }
#ifdef _WIN32
    // \\.\COM7 and COM7 are one port, whatever the letter case.
    return ComparableDeviceName(name);
#else
    std::error_code ec;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(name, ec);
    return ec ? name : resolved.string();
#endif
}

// One screen's read, comparison and store.
BackupResult BackupOne(const BackupScreen& screen, SettingsStore& store,
                       const BackupOptions& options, const std::atomic<bool>& stop) {
    const ScreenTarget& target = screen.m_target;
    if (stop.load())
        return Ended(target, BackupOutcome::Stopped, "not begun");
    // The screen is the backup's until it is stored: no Load, Send or Restore meanwhile.
    const ScreenClaimResult claim = store.ClaimScreen(target, "Backup");
    if (!claim.IsClaimed())
        return Ended(target, BackupOutcome::Failed, claim.m_strRefusal);

    CSerialPort port;
    OpenNamedPort(port, screen.m_strPort, options.m_strProfilePath);
    FrameCodec codec;
    SerialDeviceLink device(port, codec);
    StoppableLink link(device, stop);
    QuietObserver observer;
    SettingsImage image;
    const TransferResult read = RunRead(link, image, observer);
    if (link.Stopped())
        return Ended(target, BackupOutcome::Stopped, "stopped during the read");
    if (read != TransferResult::Success)
        return Ended(target, BackupOutcome::Failed, observer.OneLine());

    BackupResult result = Ended(target, BackupOutcome::Changed);
    result.m_bFirstRead = true;
    if (store.HasSettings(target)) {
        try {
            SettingsImage stored;
            store.LoadSettings(target, stored);
            result.m_nDifferences = static_cast<int>(CompareSettings(stored, image).size());
            result.m_bFirstRead = false;
        } catch (const FileError&) {
            // Stored settings that cannot be read are replaced, and kept in History.
        }
        if (!result.m_bFirstRead && result.m_nDifferences == 0)
            return Ended(target, BackupOutcome::Unchanged);
    }
    try {
        store.SaveSettings(target, image);
    } catch (const FileError& error) {
        return Ended(target, BackupOutcome::Failed, error.Message() + " Nothing was stored.");
    }
    return result;
}

} // namespace

std::string BackupLine(const BackupResult& result) {
    const ScreenTarget& target = result.m_target;
    std::string line =
        target.m_strCircuit + "/" + target.m_strTheater + "/" + target.m_strScreen + ": ";
    switch (result.m_nOutcome) {
    case BackupOutcome::Unchanged:
        return line + "unchanged";
    case BackupOutcome::Changed:
        if (result.m_bFirstRead)
            return line + "changed (first read)";
        return line + "changed (" + std::to_string(result.m_nDifferences) +
               (result.m_nDifferences == 1 ? " difference)" : " differences)");
    case BackupOutcome::NoPort:
        return line + "no port";
    case BackupOutcome::Stopped:
        return line + "stopped (" + result.m_strReason + "), nothing stored";
    case BackupOutcome::Failed:
        break;
    }
    return line + "failed: " + result.m_strReason;
}

std::string BackupCounts::Summary() const {
    const int nScreens = m_nUnchanged + m_nChanged + m_nFailed + m_nNoPort + m_nStopped;
    std::string text = std::to_string(nScreens) + (nScreens == 1 ? " screen: " : " screens: ") +
                       std::to_string(m_nUnchanged) + " unchanged, " + std::to_string(m_nChanged) +
                       " changed, " + std::to_string(m_nFailed) + " failed, " +
                       std::to_string(m_nNoPort) + " without a port";
    if (m_nStopped > 0)
        text += ", " + std::to_string(m_nStopped) + " not read (stopped)";
    return text;
}

BackupCounts CountBackup(const std::vector<BackupResult>& results) {
    BackupCounts counts;
    for (const BackupResult& result : results) {
        switch (result.m_nOutcome) {
        case BackupOutcome::Unchanged:
            ++counts.m_nUnchanged;
            break;
        case BackupOutcome::Changed:
            ++counts.m_nChanged;
            break;
        case BackupOutcome::Failed:
            ++counts.m_nFailed;
            break;
        case BackupOutcome::NoPort:
            ++counts.m_nNoPort;
            break;
        case BackupOutcome::Stopped:
            ++counts.m_nStopped;
            break;
        }
    }
    return counts;
}

std::vector<BackupResult> RunBackup(const std::vector<BackupScreen>& screens, SettingsStore& store,
                                    const BackupOptions& options, const std::atomic<bool>& stop,
                                    const std::function<void(const BackupResult&)>& onEnd) {
    std::vector<BackupResult> results(screens.size());
    std::mutex mutex;
    std::condition_variable ended;
    std::vector<std::size_t> pending;
    std::vector<std::string> keys(screens.size());
    std::set<std::string> busyPorts;
    // Under the lock: one report at a time, in the order the screens end.
    const auto report = [&](std::size_t i, BackupResult result) {
        results[i] = std::move(result);
        if (onEnd)
            onEnd(results[i]);
    };
    for (std::size_t i = 0; i < screens.size(); ++i) {
        const BackupScreen& screen = screens[i];
        // A port name is checked as a mapping's is, before anything opens it.
        const std::string problem = !screen.m_strProblem.empty() ? screen.m_strProblem
                                    : screen.m_strPort.empty()   ? std::string()
                                                               : PortNameProblem(screen.m_strPort);
        if (!problem.empty())
            report(i, Ended(screen.m_target, BackupOutcome::Failed, problem));
        else if (screen.m_strPort.empty())
            report(i, Ended(screen.m_target, BackupOutcome::NoPort));
        else
            pending.push_back(i);
    }
    for (const std::size_t i : pending)
        keys[i] = PortKey(screens[i].m_strPort, options.m_strProfilePath);

    const auto worker = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            if (stop.load()) {
                for (const std::size_t i : pending)
                    report(i, Ended(screens[i].m_target, BackupOutcome::Stopped, "not begun"));
                pending.clear();
            }
            if (pending.empty())
                return;
            const auto next = std::find_if(pending.begin(), pending.end(), [&](std::size_t i) {
                return busyPorts.count(keys[i]) == 0;
            });
            if (next == pending.end()) {
                // Every screen left waits for a port in use; a stop is seen within the wait.
                ended.wait_for(lock, std::chrono::milliseconds(200));
                continue;
            }
            const std::size_t i = *next;
            pending.erase(next);
            busyPorts.insert(keys[i]);
            lock.unlock();
            BackupResult result;
            try {
                result = BackupOne(screens[i], store, options, stop);
            } catch (const std::exception& error) {
                result = Ended(screens[i].m_target, BackupOutcome::Failed, error.what());
            }
            lock.lock();
            busyPorts.erase(keys[i]);
            report(i, std::move(result));
            ended.notify_all();
        }
    };
    const std::size_t nWorkers =
        std::min(pending.size(), static_cast<std::size_t>(std::max(1, options.m_nJobs)));
    std::vector<std::thread> workers;
    for (std::size_t n = 0; n < nWorkers; ++n)
        workers.emplace_back(worker);
    for (std::thread& thread : workers)
        thread.join();
    return results;
}
