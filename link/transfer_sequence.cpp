#include "transfer_sequence.h"

#include "image/file_error.h"
#include "image/settings_image.h"

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
        if (stage(nStage) != 0) {
            run.bAllOk = false;
            break;
        }
    }
    return run;
}

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
        return TransferResult::PortNotOpen;
    }
    observer.OnStatus(transfer_text::kReadWait);
    const StageRun run = ReadStages(link, image, observer);
    observer.OnProgress(BarAfterLastStage(run.nLastStarted));
    observer.OnStatus(run.bAllOk ? transfer_text::kReadDone : transfer_text::kReadError);
    return run.bAllOk ? TransferResult::Success : TransferResult::StageFailed;
}

TransferResult RunLoad(TransferLink& link, SettingsImage& image, const ScreenTarget& target,
                       SettingsStore& store, TransferObserver& observer) {
    if (!link.IsPortOpen()) {
        observer.OnStatus(transfer_text::kPortError);
        observer.OnProgress(0);
        return TransferResult::PortNotOpen;
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
    if (run.bAllOk) {
        // A partial image never reaches the disk: the save happens only after every read.
        try {
            store.SaveSettings(target, image);
        } catch (const FileError& e) {
            observer.OnFileError(e.Message());
            result = TransferResult::FileError;
        }
    }
    observer.OnProgress(BarAfterLastStage(run.nLastStarted));
    observer.OnStatus(result == TransferResult::Success ? transfer_text::kDownloadSuccess
                                                        : transfer_text::kDownloadError);
    return result;
}

TransferResult RunSend(TransferLink& link, SettingsImage& image, const ScreenTarget& target,
                       SettingsStore& store, TransferObserver& observer) {
    if (!observer.ConfirmSend(SendWarning())) {
        observer.OnStatus(transfer_text::kSendCancelled);
        observer.OnProgress(0);
        return TransferResult::Cancelled;
    }
    observer.OnStatus(transfer_text::kSendWait);
    observer.OnProgress(BarBeforeStage(1));
    const int nCheck = link.CheckLink(image);

    // The stored settings replace whatever the link check read into the system block, so what
    // goes to the processor is the screen's file and nothing else.
    TransferResult result = TransferResult::Success;
    try {
        store.LoadSettings(target, image);
    } catch (const FileError& e) {
        observer.OnFileError(e.Message());
        result = TransferResult::FileError;
    }

    int nLastStarted = 1;
    if (result == TransferResult::Success && nCheck != 0) {
        result = TransferResult::StageFailed;
    }
    if (result == TransferResult::Success && !ImagePassesChecks(image)) {
        result = TransferResult::SettingsInvalid;
    }
    if (result == TransferResult::Success) {
        const StageRun run = RunStages(observer, 2, [&link, &image](int nStage) {
            return nStage == 2 ? link.WriteSystemSetup(image)
                               : link.WriteAudioSetup(nStage - 3, image);
        });
        nLastStarted = run.nLastStarted;
        if (!run.bAllOk) {
            result = TransferResult::StageFailed;
        }
    }
    observer.OnProgress(BarAfterLastStage(nLastStarted));
    observer.OnStatus(result == TransferResult::Success ? transfer_text::kSendSuccess
                                                        : transfer_text::kSendError);
    return result;
}

bool ImagePassesChecks(const SettingsImage& image) {
    return CheckSystemSetup(image.system) && CheckAudioSetup(image.current) &&
           CheckAudioSetup(image.alternate1) && CheckAudioSetup(image.alternate2);
}
