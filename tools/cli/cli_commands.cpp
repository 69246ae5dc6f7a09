#include "cli_commands.h"

#include "cli_backup.h"
#include "cli_history.h"
#include "cli_site.h"
#include "cli_team.h"

#include "image/file_error.h"
#include "image/portable.h"
#include "image/report.h"
#include "image/settings_compare.h"
#include "image/settings_image.h"
#include "library/conflict_resolve.h"
#include "library/library_folder.h"
#include "library/screen_port.h"
#include "library/screen_store.h"
#include "library/site_add.h"
#include "library/site_delete.h"
#include "library/site_library.h"
#include "library/site_name.h"
#include "library/site_storage.h"
#include "library/stored_settings.h"
#include "library_listing.h"
#include "link/cable_test.h"
#include "link/device_link.h"
#include "link/find_processor.h"
#include "link/line_trace.h"
#include "link/port_choice.h"
#include "link/port_mapping.h"
#include "link/profile.h"
#include "link/serial_devices.h"
#include "link/serial_port.h"
#include "link/trace_file.h"
#include "link/transfer_sequence.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A name the request gave that the library does not hold, or refuses.
struct NameProblem {
    std::string m_strMessage;
};

// A library path ("./Odeon/Main") as the technician reaches it from the folder the tool was
// started in: below the --dir folder as it was given, else as it is (the library is the
// current folder then).
std::string UserPath(const CliRequest& request, const std::string& strSitePath) {
    if (request.m_strDir.empty() || strSitePath.size() < 2)
        return strSitePath;
    return (fs::path(request.m_strDir) / strSitePath.substr(2)).string();
}

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
    void OnReason(const std::string& strReason) override {
        EndBarLine();
        m_io.m_err << strReason << "\n";
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

// The level of the entry named by the first n names of a request.
constexpr SiteLevel kLevelOfNames[] = {SiteLevel::Circuit, SiteLevel::Theater, SiteLevel::Screen};
constexpr const char* kLevelWords[] = {"circuit", "theater", "screen"};

// The named entry resolved, level by level; throws NameProblem for the first name the library
// does not hold.
SiteSelection Select(SiteLibrary& library, const std::vector<std::string>& names) {
    std::string strWhere;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const bool bFound = i == 0   ? library.FindCircuit(names[i])
                            : i == 1 ? library.FindTheater(names[i])
                                     : library.FindScreen(names[i]);
        if (!bFound)
            throw NameProblem{"no " + std::string(kLevelWords[i]) + " \"" + names[i] + "\"" +
                              strWhere + " in the library"};
        strWhere = " in " + std::string(kLevelWords[i]) + " \"" + names[i] + "\"";
    }
    return names.empty() ? SiteSelection{}
                         : library.CurrentSelection(kLevelOfNames[names.size() - 1]);
}

// The screen's own port could not be used: the command stops before anything is sent.
struct PortChoiceProblem {
    std::string m_strMessage;
};

// Opens the port of a command: --port for this run, else the screen's own port (its Port.txt,
// said in a line of its own), else the checked port of the profile.
void OpenPort(const CliRequest& request, CliObjects& objects, CliStreams& io,
              const ScreenTarget* screen) {
    PortSettings& settings = objects.m_portSettings;
    InitProfile(settings);
    const ScreenPort own = screen ? ReadScreenPort(ScreenFolderPath(".", *screen)) : ScreenPort{};
    const bool bGiven = !request.m_strPortDevice.empty() || request.m_nPortIndex.has_value();
    if (bGiven && own.m_bPresent)
        io.m_err << "The screen's own port " << own.m_strName
                 << " (its Port.txt) is not used: --port was given for this run.\n";
    if (!request.m_strPortDevice.empty()) {
        objects.m_port.OpenDevice(request.m_strPortDevice);
        return;
    }
    if (request.m_nPortIndex)
        settings.PortIndex = *request.m_nPortIndex;
    const PortChoice choice = bGiven
                                  ? ChoosePort({}, {}, settings.PortIndex)
                                  : ChoosePort(own.m_strName, own.m_strProblem, settings.PortIndex);
    if (!choice.m_strProblem.empty())
        throw PortChoiceProblem{choice.m_strProblem};
    if (const std::string line = choice.Explanation(); !line.empty())
        io.m_err << line << "\n";
    OpenNamedPort(objects.m_port, choice.m_strPort, settings.ProfilePath);
}

// The screen that the first three names of a command name, when it names one.
std::optional<ScreenTarget> NamedScreen(const CliRequest& request) {
    if (request.m_names.size() < 3)
        return std::nullopt;
    return ScreenTarget{request.m_names[0], request.m_names[1], request.m_names[2]};
}

// A line trace that could not be opened: the command stops before anything is sent.
struct TraceProblem {
    std::string m_strMessage;
};

// The command as a trace names it: "load Odeon Main 1", a name with spaces in quotes.
std::string CommandText(const CliRequest& request) {
    std::string text = request.m_strCommand;
    for (const std::string& name : request.m_names)
        text += " " + (name.find(' ') == std::string::npos ? name : "\"" + name + "\"");
    return text;
}

// The device link of one command: the tool's port, opened as the request says, with the line
// trace between when --trace asked for one, framed by the port's codec.
class CliLink {
public:
    CliLink(const CliRequest& request, CliObjects& objects, CliStreams& io) {
        const std::optional<ScreenTarget> screen = NamedScreen(request);
        OpenPort(request, objects, io, screen ? &*screen : nullptr);
        if (!request.m_strTrace.empty()) {
            // The tool works in the library folder, so its screen folders are found from here.
            std::string problem;
            m_pTrace = TraceFile::Open(request.m_strTrace, fs::current_path(), problem);
            if (!m_pTrace)
                throw TraceProblem{problem};
            m_pTracing = std::make_unique<TracingLine>(
                objects.m_port, *m_pTrace, TraceRun{"vrx3km-cli", CommandText(request)});
        }
        m_pLink = std::make_unique<SerialDeviceLink>(
            m_pTracing ? static_cast<SerialLine&>(*m_pTracing) : objects.m_port, objects.m_codec);
    }
    TransferLink& Link() { return *m_pLink; }

    // Completes the trace. A trace that could not be written whole is reported; it turns the
    // exit status of a command that otherwise succeeded into a file error, and leaves a failed
    // transfer's status as it is.
    ExitStatus Finish(CliStreams& io, ExitStatus nStatus) {
        m_pLink.reset();
        m_pTracing.reset();
        if (!m_pTrace)
            return nStatus;
        const std::string problem = m_pTrace->Problem();
        m_pTrace.reset();
        if (problem.empty())
            return nStatus;
        io.m_err << "vrx3km-cli: " << problem << "\n";
        return nStatus == kExitSuccess ? kExitFileError : nStatus;
    }

private:
    std::unique_ptr<TraceFile> m_pTrace;
    std::unique_ptr<TracingLine> m_pTracing;
    std::unique_ptr<SerialDeviceLink> m_pLink;
};

ExitStatus PortsCommand(const CliRequest& request, CliStreams& io, PortSettings& settings) {
    InitProfile(settings);
    const std::string& profile = settings.ProfilePath;
    // Without a readable profile the ports' devices are unknown, and a mapping could not be
    // added without losing the file's other lines.
    const std::string strProfileProblem = ProfileProblem(profile);
    if (!strProfileProblem.empty())
        io.m_err << "vrx3km-cli: " << strProfileProblem << "\n";
    if (request.m_mapping) {
        const auto& [port, device] = *request.m_mapping;
        if (const std::string problem = PortNameProblem(device); !problem.empty()) {
            io.m_err << "vrx3km-cli: the device given for " << port
                     << " cannot be used; nothing was written. " << problem << "\n";
            return kExitUsage;
        }
        if (!strProfileProblem.empty())
            return kExitFileError;
        if (!SetPortMapping(port, device, profile)) {
            io.m_err << "vrx3km-cli: the port mapping could not be written to "
                     << MachineProfilePath(profile)
                     << "; check that the library folder may be written\n";
            return kExitFileError;
        }
        const ResolvedPort now = ResolvePort(port, profile, SystemAdapters());
        io.m_err << port << " now stands for " << now.m_strDevice
                 << (device.empty() ? " (its default device)" : "")
                 << (now.m_adapter.IsKnown()
                         ? ", the " + now.m_adapter.Name() + ", wherever it is plugged in"
                         : std::string())
                 << " on this computer\n";
        return kExitSuccess;
    }
    if (request.m_cableTest) {
        // The port in use unless one is named: --port, else the profile's choice.
        std::string target = *request.m_cableTest;
        if (target.empty() && !request.m_strPortDevice.empty())
            target = request.m_strPortDevice;
        if (target.empty())
            target = PortName(request.m_nPortIndex.value_or(settings.PortIndex));
        if (!strProfileProblem.empty())
            return kExitFileError;
        io.m_err << "Testing the cable on " << target
                 << ": pins 2 and 3 of its far end must be joined (a jumper or a paperclip), with "
                    "no processor on it.\n";
        const CableTestResult result = TestCableOn(target, profile);
        if (!result.m_strPort.empty() && result.m_strPort != target)
            io.m_err << "Port: " << result.m_strPort << "\n";
        (result.m_nOutcome == CableTestOutcome::AllReturned ? io.m_out : io.m_err)
            << result.Message() << "\n";
        return result.m_nOutcome == CableTestOutcome::AllReturned ? kExitSuccess : kExitFailed;
    }
    const std::vector<SerialDevice> devices = ListSerialDevices();
    std::vector<std::string> portDevices;
    for (int i = 0; i < 4; ++i)
        portDevices.push_back(ResolvePortDevice(PortName(i), profile));
    const std::vector<std::string> candidates = FindCandidates(portDevices, devices);

    if (request.m_bFind) {
        const auto answered = FindProcessor(candidates, [&io](const std::string& device) {
            io.m_err << "Trying " << device << "...\n";
        });
        if (answered.empty()) {
            io.m_err << "No processor answered on " << candidates.size()
                     << " device(s). Check the cable, the adapter and that the VRX-3KM is "
                        "switched on.\n";
            return kExitFailed;
        }
        for (const std::string& device : answered) {
            io.m_out << "A processor answered on " << device;
            for (int i = 0; i < 4; ++i)
                if (ResolvePortDevice(PortName(i), profile) == device)
                    io.m_out << " (" << PortName(i) << ")";
            io.m_out << "\n";
        }
        return kExitSuccess;
    }

    for (int i = 0; i < 4 && strProfileProblem.empty(); ++i) {
        const std::string port = PortName(i);
        CSerialPort probe;
        probe.Open(port, profile);
        const ResolvedPort resolved = ResolvePort(port, profile, SystemAdapters());
        io.m_out << port << (i == settings.PortIndex ? " * " : "   ") << resolved.m_strDevice
                 << (PortMapping(port, profile).empty() ? " (default)" : "")
                 << (resolved.m_adapter.IsKnown() ? ", " + resolved.m_adapter.Name()
                                                  : std::string())
                 << ": "
                 << (probe.IsOpen() ? std::string("opens") : probe.LastOpenFailure().Reason())
                 << "\n";
    }
    if (devices.empty())
        io.m_out << "No serial devices found.\n";
    else
        io.m_out << "Serial devices found:\n";
    for (const SerialDevice& device : devices)
        io.m_out << "  " << device.Describe() << "\n";
    return strProfileProblem.empty() ? kExitSuccess : kExitFileError;
}

ExitStatus ListCommand(CSiteStorage& storage, CliStreams& io) {
    bool bAnyFails = false;
    bool bAnyConflict = false;
    io.m_out << RenderListing(
        storage.Library(),
        [&storage, &bAnyFails](const SiteSelection& screen) {
            const StoredSettingsState state =
                StoredSettingsStateOf(storage.DiskPath(screen, PathKind::SettingsFile));
            bAnyFails |= state == StoredSettingsState::FailsChecks;
            return state;
        },
        [&storage, &bAnyConflict](const SiteSelection& screen) {
            const bool bConflict =
                !ScreenConflicts(storage.DiskPath(screen, PathKind::ScreenFolder)).empty();
            bAnyConflict |= bConflict;
            return bConflict;
        });
    if (bAnyFails)
        io.m_err << kFailsChecksLegend << "\n";
    if (bAnyConflict)
        io.m_err << kConflictLegend << "\n";
    return kExitSuccess;
}

ExitStatus AddCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io) {
    // Every name is checked before anything is added, so a refused screen name adds no circuit.
    // Names are taken composed, as they are stored, so an existing level is found however its
    // accents were typed.
    std::vector<std::string> names;
    for (std::size_t i = 0; i < request.m_names.size(); ++i) {
        const std::string& given = request.m_names[i];
        std::optional<std::string> problem = CheckSiteName(given);
        if (!problem)
            names.push_back(NormalizeSiteName(given).value_or(given));
        else
            throw NameProblem{"the " + std::string(kLevelWords[i]) + " name \"" + given +
                              "\" is refused: " + *problem};
    }
    SiteLibrary& library = storage.Library();
    SiteSelection parent;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        const SiteLevel level = kLevelOfNames[i];
        // Levels that exist are the way down to the new entry.
        const bool bExists = i == 0   ? library.FindCircuit(name)
                             : i == 1 ? library.FindTheater(name)
                                      : library.FindScreen(name);
        if (bExists) {
            parent = library.CurrentSelection(level);
            continue;
        }
        const AddOutcome outcome = AddSite(storage, level, parent, name);
        if (!outcome.IsAdded()) {
            io.m_err << "vrx3km-cli: " << outcome.m_strMessage << "\n";
            return outcome.m_nResult == AddResult::FolderNotCreated ||
                           outcome.m_nResult == AddResult::NotesNotWritten
                       ? kExitFileError
                       : kExitUsage;
        }
        io.m_err << "Added " << kLevelWords[i] << " "
                 << UserPath(request, storage.SitePath(outcome.m_site, FolderKind(level))) << "\n";
        parent = outcome.m_site;
    }
    return kExitSuccess;
}

ExitStatus ReportCommand(const CliRequest& request, CSiteStorage& storage,
                         const SettingsImage& image, CliStreams& io) {
    const SiteSelection screen = Select(storage.Library(), request.m_names);
    storage.LoadSite(screen);
    const std::string strReport = UserPath(request, storage.SitePath(screen, PathKind::ReportFile));
    WriteConfigurationReport(storage.DiskPath(screen, PathKind::ReportFile), image,
                             screen.m_strCircuit, screen.m_strTheater, screen.m_strScreen);
    std::ifstream file(storage.DiskPath(screen, PathKind::ReportFile), std::ios::binary);
    if (!file) {
        io.m_err << "vrx3km-cli: " << strReport << " was not found.\n";
        return kExitFileError;
    }
    io.m_out << std::string(std::istreambuf_iterator<char>(file), {});
    return kExitSuccess;
}

ExitStatus TransferResultStatus(TransferResult result) {
    switch (result) {
    case TransferResult::Success:
        return kExitSuccess;
    case TransferResult::FileError:
        return kExitFileError;
    case TransferResult::SettingsInvalid:
    case TransferResult::OtherBlockTaken:
    case TransferResult::PortNotOpen:
    case TransferResult::Cancelled:
    case TransferResult::StageFailed:
    case TransferResult::ScreenInUse:
        break;
    }
    return kExitFailed;
}

ExitStatus LoadCommand(const CliRequest& request, CSiteStorage& storage, CliObjects& objects,
                       CliStreams& io) {
    const ScreenTarget target = ScreenOf(Select(storage.Library(), request.m_names));
    CliLink line(request, objects, io);
    StreamObserver observer(io, request.m_bYes);
    ScreenStore store(storage.Root(), AuthorOf(request));
    const TransferResult result = RunLoad(line.Link(), objects.m_image, target, store, observer);
    return line.Finish(io, TransferResultStatus(result));
}

// Reads the processor's settings into an image of the caller's own: nothing is written to the
// processor or to disk.
ExitStatus ReadProcessor(const CliRequest& request, CliObjects& objects, CliStreams& io,
                         SettingsImage& image) {
    CliLink line(request, objects, io);
    StreamObserver observer(io, request.m_bYes);
    const TransferResult result = RunRead(line.Link(), image, observer);
    return line.Finish(io, TransferResultStatus(result));
}

ExitStatus SendCommand(const CliRequest& request, CSiteStorage& storage, CliObjects& objects,
                       CliStreams& io) {
    const ScreenTarget target = ScreenOf(Select(storage.Library(), request.m_names));
    std::optional<CliLink> line(std::in_place, request, objects, io);
    StreamObserver observer(io, request.m_bYes);
    ScreenStore store(storage.Root(), AuthorOf(request));
    const TransferResult result = RunSend(line->Link(), objects.m_image, target, store, observer);
    // The trace is complete before a verify reads the processor back.
    const ExitStatus nStatus = line->Finish(io, TransferResultStatus(result));
    line.reset();
    // The processor took another block than the one sent: what it holds now is worth a look,
    // and the Send did not do what was asked whatever the comparison finds.
    const bool bOtherBlock = result == TransferResult::OtherBlockTaken;
    if (bOtherBlock && !request.m_bVerify)
        io.m_err << "Compare the processor with the stored settings: vrx3km-cli compare \""
                 << request.m_names[0] << "\" \"" << request.m_names[1] << "\" \""
                 << request.m_names[2] << "\"\n";
    if ((nStatus != kExitSuccess && !bOtherBlock) || !request.m_bVerify)
        return nStatus;

    // Verify: the processor read back into an image of its own, against the stored file.
    SettingsImage stored;
    store.LoadSettings(target, stored);
    SettingsImage processor;
    // What the verify found goes into the screen's log, so the visit record can show it.
    const auto logVerify = [&](const std::string& strResult) {
        const std::string problem = store.LogCommand(target, std::string(kVerifyAction), strResult);
        if (!problem.empty())
            io.m_err << "vrx3km-cli: " << problem << "\n";
    };
    if (const ExitStatus status = ReadProcessor(request, objects, io, processor);
        status != kExitSuccess) {
        logVerify(std::string(kVerifyReadFailed));
        return status;
    }
    const auto differences = CompareSettings(stored, processor);
    logVerify(VerifyResultText(differences.size()));
    if (differences.empty()) {
        io.m_out << kVerifiedText << "\n";
        return bOtherBlock ? kExitFailed : kExitSuccess;
    }
    io.m_err << "The processor does not hold the stored settings:\n";
    io.m_out << FormatDifferences(differences);
    return bOtherBlock ? kExitFailed : kExitDiffers;
}

ExitStatus DeleteCommand(const CliRequest& request, CSiteStorage& storage, CliStreams& io) {
    SiteLibrary& library = storage.Library();
    const SiteSelection site = Select(library, request.m_names);
    const SiteLevel level = site.m_nLevel;
    const PathKind folderKind = FolderKind(level);
    const std::string strFolder = UserPath(request, storage.SitePath(site, folderKind));
    if (level != SiteLevel::Screen && storage.IsFolderNotEmpty(site, folderKind)) {
        io.m_err << "vrx3km-cli: the folder " << strFolder
                 << " is not empty; delete what it holds first\n";
        // Copies a sync engine made are named: they are easy to take for entries of the folder.
        for (const ConflictCopy& copy : FolderConflicts(storage.DiskPath(site, folderKind)))
            io.m_err << "It holds " << copy.m_strPath << ", " << SyncEngineText(copy.m_nEngine)
                     << "'s copy of " << copy.m_strOriginal
                     << " after a conflict; move what you need from it, then delete it.\n";
        return kExitFolderKept;
    }
    if (!Ask(io, request.m_bYes, ConfirmDeleteText(site) + DeleteQuestionNote(storage, site))) {
        io.m_err << "Nothing was deleted.\n";
        return kExitFailed;
    }
    const DeleteOutcome outcome = DeleteSiteFiles(storage, site, AuthorOf(request));
    if (!outcome.m_strLogProblem.empty())
        io.m_err << "vrx3km-cli: " << outcome.m_strLogProblem << "\n";
    switch (outcome.m_result) {
    case DeleteResult::FolderKept:
        io.m_err << "vrx3km-cli: " << DeleteOutcomeMessage(outcome, strFolder) << "\n";
        return kExitFolderKept;
    case DeleteResult::FolderMissing:
        io.m_err << "Deleted " << strFolder << " (its folder was gone already)\n";
        break;
    case DeleteResult::Removed:
        io.m_err << "Deleted " << strFolder << "\n";
        break;
    }
    library.RemoveCurrent(level);
    return kExitSuccess;
}

// Makes the library folder the working directory, so that every library path keeps its
// meaning. Without --dir the current folder must be a library: the tool never takes another
// folder silently. Returns the exit status of a failure, or nullopt.
std::optional<ExitStatus> EnterLibraryFolder(const CliRequest& request, CliStreams& io) {
    std::error_code ec;
    LibraryFolderFacts facts;
    facts.m_workingDirectory = fs::current_path(ec);
    if (!request.m_strDir.empty())
        facts.m_given = PathFromUtf8(request.m_strDir);
    else
        facts.m_bWorkingDirectoryIsLibrary = IsLibraryFolder(facts.m_workingDirectory) &&
                                             !IsHomeFolder(facts.m_workingDirectory, HomeFolder());
    const LibraryChoice choice = ChooseLibraryFolder(facts);
    if (choice.m_source == LibrarySource::None) {
        io.m_err << "vrx3km-cli: the current folder " << facts.m_workingDirectory.string();
        if (IsHomeFolder(facts.m_workingDirectory, HomeFolder()))
            io.m_err << " is your home folder, which is taken for the library only when named.\n";
        else
            io.m_err << " is not a VRX-3KM library: it holds no " << kProfileFileName
                     << " and no screen folders with notes or settings, and it is not empty.\n";
        io.m_err << "Name the library with --dir FOLDER, or change to the library folder "
                    "first.\n";
        return kExitUsage;
    }
    const fs::file_status status = fs::status(choice.m_folder, ec);
    if (!fs::exists(status)) {
        io.m_err << "vrx3km-cli: the library folder " << request.m_strDir
                 << " was not found. Check the name given with --dir.\n";
        return kExitFileError;
    }
    if (!fs::is_directory(status)) {
        io.m_err << "vrx3km-cli: " << request.m_strDir
                 << " is a file, not a folder. Name the library folder with --dir.\n";
        return kExitFileError;
    }
    fs::current_path(choice.m_folder, ec);
    if (ec) {
        io.m_err << "vrx3km-cli: cannot use the library folder " << choice.m_folder.string() << ": "
                 << ec.message() << ". Check its permissions.\n";
        return kExitFileError;
    }
    return std::nullopt;
}

} // namespace

ExitStatus RunCommand(const CliRequest& request, CliStreams& io, CliObjects& objects) {
    if (request.m_bHelp) {
        io.m_out << (request.m_strCommand.empty() ? ToolHelp()
                                                  : CommandHelp(request.m_strCommand).value());
        return kExitSuccess;
    }
    if (request.m_bVersion) {
        io.m_out << VersionText();
        return kExitSuccess;
    }
    // The library, the profile and the port mapping all live in the library folder.
    if (const std::optional<ExitStatus> failure = EnterLibraryFolder(request, io))
        return *failure;
    SiteLibrary& library = objects.m_library;
    CSiteStorage storage(library, ".", objects.m_image);
    storage.ScanLibrary();
    try {
        const std::string& command = request.m_strCommand;
        if (IsSiteCommand(request))
            return RunSiteCommand(request, storage, io, [&](const std::vector<std::string>& names) {
                Select(library, names);
            });
        if (command == "list")
            return ListCommand(storage, io);
        if (command == "add")
            return AddCommand(request, storage, io);
        if (command == "report")
            return ReportCommand(request, storage, objects.m_image, io);
        if (command == "load")
            return LoadCommand(request, storage, objects, io);
        if (command == "send")
            return SendCommand(request, storage, objects, io);
        if (command == "delete")
            return DeleteCommand(request, storage, io);
        if (command == "ports")
            return PortsCommand(request, io, objects.m_portSettings);
        if (IsScreenPortCommand(command))
            return RunScreenPortCommand(
                request, storage, io, objects.m_portSettings,
                [&](const std::vector<std::string>& names) { Select(library, names); });
        if (IsHistoryCommand(command)) {
            HistoryServices services;
            services.m_select = [&](const std::vector<std::string>& names) {
                return Select(library, names);
            };
            services.m_ask = [&](const std::string& q) { return Ask(io, request.m_bYes, q); };
            services.m_readProcessor = [&](SettingsImage& image) {
                return ReadProcessor(request, objects, io, image);
            };
            services.m_author = AuthorOf(request);
            return RunHistoryCommand(request, storage, io, services);
        }
        if (IsTeamCommand(command)) {
            TeamServices services;
            services.m_select = [&](const std::vector<std::string>& names) {
                return Select(library, names);
            };
            services.m_ask = [&](const std::string& q) { return Ask(io, request.m_bYes, q); };
            return RunTeamCommand(request, storage, io, services);
        }
        io.m_err << "vrx3km-cli: unknown command \"" << command << "\"\n";
        return kExitUsage;
    } catch (const NameProblem& problem) {
        io.m_err << "vrx3km-cli: " << problem.m_strMessage << "\n";
        return kExitUsage;
    } catch (const FileError& error) {
        io.m_err << "vrx3km-cli: " << error.Message() << "\n";
        return kExitFileError;
    } catch (const TraceProblem& problem) {
        io.m_err << "vrx3km-cli: " << problem.m_strMessage << "\n";
        return kExitFileError;
    } catch (const PortChoiceProblem& problem) {
        io.m_err
            << "vrx3km-cli: " << problem.m_strMessage
            << " Nothing was sent. Set the screen's port again with \"vrx3km-cli screen-port\", "
               "or remove it with --clear.\n";
        return kExitFailed;
    }
}
