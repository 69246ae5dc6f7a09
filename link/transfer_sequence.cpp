#include "link/transfer_sequence.h"

#include "image/file_error.h"
#include "image/settings_image.h"

#include <algorithm>
#include <vector>

std::string OverwriteQuestion(const std::string& strCircuit, const std::string& strTheater,
                              const std::string& strScreen) {
    return "Do you want to overwrite the previously stored settings for " + strCircuit + " - " +
           strTheater + " - " + strScreen;
}

std::string SendWarning() {
    return "Warning: You are about to change the settings on the VRX-3KM.";
}

namespace {

// Runs stages first..5 in order, each only while all before it succeeded, and reports the bar
// before each. Returns the number of the last stage started and whether all succeeded.
struct StageRun {
    int nLastStarted = 0;
    bool bAllOk = true;
};

template <typename StageFn>
StageRun RunStages(TransferObserver& observer, int nFirst, StageFn&& stage) {
    StageRun run;
    for (int nStage = nFirst; nStage <= kStageCount; ++nStage) {
        observer.OnProgress(BarBeforeStage(nStage));
        run.nLastStarted = nStage;
        if (stage(nStage) != LinkOk) {
            run.bAllOk = false;
            break;
        }
    }
    return run;
}

// A block as the reasons name it.
const char* BlockName(SettingsBlock block) {
    switch (block) {
    case SettingsBlock::System:
        break;
    case SettingsBlock::Current:
        return "current audio block";
    case SettingsBlock::Alternate1:
        return "alternate audio block #1";
    case SettingsBlock::Alternate2:
        return "alternate audio block #2";
    }
    return "system block";
}

// The block that stage nStage (2 to 5) reads or writes.
SettingsBlock BlockOfStage(int nStage) {
    return nStage <= 2 ? SettingsBlock::System : kAudioBlocks[static_cast<std::size_t>(nStage - 3)];
}

const char* const kCheckCable = " Check the cable, the port and that the VRX-3KM is switched on.";

// Reports the reason for a port that is not open: the device and the system's reason.
void ReportPortProblem(TransferLink& link, TransferObserver& observer) {
    const std::string problem = link.LineProblem();
    observer.OnReason(problem.empty() ? std::string("The serial port could not be opened.") +
                                            " Choose the adapter's device with Ports..."
                                      : problem);
}

// The stage as a reason and the screen's log name it: "the link check", "the read of the system
// block", "the write of alternate audio block #1".
std::string StageText(int nStage, bool bWrite) {
    if (nStage <= 1)
        return "the link check";
    return std::string(bWrite ? "the write of the " : "the read of the ") +
           BlockName(BlockOfStage(nStage));
}

// The stage that failed and why, and that another program on the line may be the cause; then
// the port with its device and adapter.
void ReportStageFailure(TransferLink& link, TransferObserver& observer, int nStage, bool bWrite) {
    const bool bSilent = link.HeardNothing();
    std::string reason;
    if (link.LineLost()) {
        // Not a silent processor: the device itself went away.
        reason = std::string(transfer_text::kAdapterLost) + ", at " + StageText(nStage, bWrite) +
                 ". Plug it in again and check its cable, then repeat the command: the port is "
                 "opened anew.";
    } else if (nStage == 1) {
        reason = bSilent
                     ? std::string("No answer to the link check.") + kCheckCable
                     : std::string("The answer to the link check was not understood: check that "
                                   "the device on this port is the VRX-3KM.");
    } else {
        const std::string block = BlockName(BlockOfStage(nStage));
        if (bWrite)
            reason = bSilent ? "The VRX-3KM did not confirm the write of the " + block + "." +
                                   kCheckCable
                             : "The VRX-3KM did not accept the write of the " + block +
                                   ". Try the Send again.";
        else
            reason = bSilent ? "No answer to the read of the " + block + "." + kCheckCable
                             : "The " + block +
                                   " from the VRX-3KM failed its checks. Try again; if it fails "
                                   "again, the processor's settings may be damaged.";
    }
    const std::string line = link.LineProblem();
    if (!line.empty())
        reason += "\n" + line;
    if (const std::string port = link.LineName(); !port.empty())
        reason += "\nPort: " + port + ".";
    observer.OnReason(reason);
}

// One audio write of a Send: the block announced and the block the processor's go-ahead named,
// which was sent.
struct AudioWrite {
    int nAnnounced;
    int nTaken;
};

// For each write whose go-ahead named another block: which block the processor took, and that
// the announced one was not written when no other write of the Send wrote it either.
std::vector<std::string> OtherBlockReasons(const std::vector<AudioWrite>& writes) {
    static const char* const kNames[] = {"the current setup", "alternate #1", "alternate #2"};
    const auto name = [](int nBlock) { return std::string(kNames[nBlock]); };
    std::vector<std::string> reasons;
    for (const AudioWrite& write : writes) {
        if (write.nTaken == write.nAnnounced)
            continue;
        const bool bWritten = std::any_of(writes.begin(), writes.end(), [&](const AudioWrite& w) {
            return w.nTaken == write.nAnnounced;
        });
        reasons.push_back("The VRX-3KM took " + name(write.nTaken) + " where " +
                          name(write.nAnnounced) + " was sent" +
                          (bWritten ? "." : "; " + name(write.nAnnounced) + " was not written."));
    }
    return reasons;
}

// Names the first stored block that fails its checks.
std::string InvalidSettingsReason(const SettingsImage& image) {
    if (const std::optional<SettingsBlock> failing = FirstFailingBlock(image))
        return std::string(transfer_text::kSettingsInvalid) + " The stored " + BlockName(*failing) +
               " fails its checks: load the settings again from the processor or restore a kept "
               "version.";
    return transfer_text::kSettingsInvalid;
}

// Another command holds the screen: nothing was sent or stored.
TransferResult RefuseBusyScreen(const ScreenClaimResult& claim, const char* strError,
                                TransferObserver& observer) {
    observer.OnStatus(strError);
    observer.OnProgress(0);
    observer.OnReason(claim.m_strRefusal);
    return TransferResult::ScreenInUse;
}

// The command's end in the screen's log; a line that could not be written is one more reason.
void LogEnd(SettingsStore& store, const ScreenTarget& target, const char* strCommand,
            const std::string& strResult, TransferObserver& observer) {
    const std::string problem = store.LogCommand(target, strCommand, strResult);
    if (!problem.empty())
        observer.OnReason(problem);
}

constexpr const char* kRefusedBusy = "refused: another command held the screen";

} // namespace

namespace {

// Stages 1 to 5 of a Load: the link check, then the system block and the three audio blocks.
StageRun ReadStages(TransferLink& link, SettingsImage& image, TransferObserver& observer) {
    return RunStages(observer, 1, [&link, &image](int nStage) {
        switch (nStage) {
        case 1:
            return link.CheckLink(image);
        case 2:
            return link.ReadSystemSetup(image);
        default:
            return link.ReadAudioSetup(nStage - 3, image);
        }
    });
}

} // namespace

TransferResult RunRead(TransferLink& link, SettingsImage& image, TransferObserver& observer) {
    if (!link.IsPortOpen()) {
        observer.OnStatus(transfer_text::kPortError);
        observer.OnProgress(0);
        ReportPortProblem(link, observer);
        return TransferResult::PortNotOpen;
    }
    observer.OnStatus(transfer_text::kReadWait);
    const StageRun run = ReadStages(link, image, observer);
    observer.OnProgress(BarAfterLastStage(run.nLastStarted));
    observer.OnStatus(run.bAllOk ? transfer_text::kReadDone : transfer_text::kReadError);
    if (!run.bAllOk)
        ReportStageFailure(link, observer, run.nLastStarted, false);
    return run.bAllOk ? TransferResult::Success : TransferResult::StageFailed;
}

TransferResult RunLoad(TransferLink& link, SettingsImage& image, const ScreenTarget& target,
                       SettingsStore& store, TransferObserver& observer) {
    if (!link.IsPortOpen()) {
        observer.OnStatus(transfer_text::kPortError);
        observer.OnProgress(0);
        ReportPortProblem(link, observer);
        LogEnd(store, target, "Load", "error: the serial port did not open", observer);
        return TransferResult::PortNotOpen;
    }
    // The screen is this Load's until it ends: no other command writes it meanwhile.
    const ScreenClaimResult claim = store.ClaimScreen(target, "Load");
    if (!claim.IsClaimed()) {
        const TransferResult busy =
            RefuseBusyScreen(claim, transfer_text::kDownloadError, observer);
        LogEnd(store, target, "Load", kRefusedBusy, observer);
        return busy;
    }
    if (store.HasSettings(target) &&
        !observer.ConfirmOverwrite(
            OverwriteQuestion(target.m_strCircuit, target.m_strTheater, target.m_strScreen))) {
        observer.OnStatus(transfer_text::kDownloadCancelled);
        observer.OnProgress(0);
        return TransferResult::Cancelled;
    }
    // The bar's 0 is reported with the first stage.
    observer.OnStatus(transfer_text::kDownloadWait);

    const StageRun run = ReadStages(link, image, observer);

    TransferResult result = run.bAllOk ? TransferResult::Success : TransferResult::StageFailed;
    std::string strFileError;
    if (run.bAllOk) {
        // A partial image never reaches the disk: the save happens only after every read.
        try {
            store.SaveSettings(target, image);
        } catch (const FileError& e) {
            strFileError = e.Message();
            observer.OnFileError(strFileError);
            result = TransferResult::FileError;
        }
    }
    observer.OnProgress(BarAfterLastStage(run.nLastStarted));
    observer.OnStatus(result == TransferResult::Success ? transfer_text::kDownloadSuccess
                                                        : transfer_text::kDownloadError);
    if (!run.bAllOk)
        ReportStageFailure(link, observer, run.nLastStarted, false);
    else if (result == TransferResult::FileError)
        observer.OnReason(strFileError + " Nothing was stored.");
    LogEnd(store, target, "Load",
           result == TransferResult::Success ? std::string("success")
           : run.bAllOk                      ? "error: " + strFileError + " Nothing was stored."
                                             : "error in " + StageText(run.nLastStarted, false),
           observer);
    return result;
}

TransferResult RunSend(TransferLink& link, SettingsImage& image, const ScreenTarget& target,
                       SettingsStore& store, TransferObserver& observer) {
    if (!observer.ConfirmSend(SendWarning())) {
        observer.OnStatus(transfer_text::kSendCancelled);
        observer.OnProgress(0);
        return TransferResult::Cancelled;
    }
    const ScreenClaimResult claim = store.ClaimScreen(target, "Send");
    if (!claim.IsClaimed()) {
        const TransferResult busy = RefuseBusyScreen(claim, transfer_text::kSendError, observer);
        LogEnd(store, target, "Send", kRefusedBusy, observer);
        return busy;
    }
    observer.OnStatus(transfer_text::kSendWait);
    observer.OnProgress(BarBeforeStage(1));
    const LinkResult nCheck = link.CheckLink(image);

    // The stored settings replace whatever the link check read into the system block, so what
    // goes to the processor is the screen's file and nothing else.
    TransferResult result = TransferResult::Success;
    std::string strFileError;
    try {
        store.LoadSettings(target, image);
    } catch (const FileError& e) {
        strFileError = e.Message();
        observer.OnFileError(strFileError);
        result = TransferResult::FileError;
    }

    int nLastStarted = 1;
    if (result == TransferResult::Success && nCheck != LinkOk) {
        result = TransferResult::StageFailed;
    }
    if (result == TransferResult::Success && !SettingsImagePassesChecks(image)) {
        result = TransferResult::SettingsInvalid;
    }
    // The processor decides which audio block it takes: the go-ahead's block is the one sent.
    std::vector<AudioWrite> writes;
    if (result == TransferResult::Success) {
        const StageRun run = RunStages(observer, 2, [&link, &image, &writes](int nStage) {
            if (nStage == 2)
                return link.WriteSystemSetup(image);
            const int nBlock = nStage - 3;
            const LinkResult nResult = link.WriteAudioSetup(nBlock, image);
            if (const std::optional<int> nTaken = link.AudioBlockTaken();
                nTaken && *nTaken >= 0 && *nTaken < 3)
                writes.push_back({nBlock, *nTaken});
            return nResult;
        });
        nLastStarted = run.nLastStarted;
        if (!run.bAllOk) {
            result = TransferResult::StageFailed;
        }
    }
    const std::vector<std::string> otherBlocks = OtherBlockReasons(writes);
    // Every write was confirmed, so the status stays the success text; the reasons that follow
    // it, and the result, tell that the processor does not hold what was announced.
    if (result == TransferResult::Success && !otherBlocks.empty())
        result = TransferResult::OtherBlockTaken;
    observer.OnProgress(BarAfterLastStage(nLastStarted));
    observer.OnStatus(result == TransferResult::Success || result == TransferResult::OtherBlockTaken
                          ? transfer_text::kSendSuccess
                          : transfer_text::kSendError);
    std::string strLogged = "success";
    switch (result) {
    case TransferResult::StageFailed:
        ReportStageFailure(link, observer, nLastStarted, true);
        strLogged = "error in " + StageText(nLastStarted, true);
        // Blocks go one at a time and nothing is undone: once a write has started, the
        // processor may hold some blocks of the new settings and some of the old.
        if (nLastStarted >= 2) {
            observer.OnReason(transfer_text::kPartialSend);
            strLogged += "; the processor may hold part of the new settings";
        }
        break;
    case TransferResult::SettingsInvalid:
        observer.OnReason(InvalidSettingsReason(image));
        strLogged = "refused: the stored settings fail their checks; nothing was sent";
        break;
    case TransferResult::FileError:
        observer.OnReason(strFileError + " Nothing was sent.");
        strLogged = "error: " + strFileError + " Nothing was sent.";
        break;
    case TransferResult::OtherBlockTaken:
        strLogged = "every write confirmed, but not as announced.";
        break;
    default:
        break;
    }
    for (const std::string& reason : otherBlocks) {
        observer.OnReason(reason);
        strLogged += " " + reason;
    }
    LogEnd(store, target, "Send", strLogged, observer);
    return result;
}
