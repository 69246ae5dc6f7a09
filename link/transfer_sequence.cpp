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

TransferResult RunLoad(TransferObserver& observer, SettingsStore& store, TransferLink& link) {
    if (!link.IsPortOpen()) {
        observer.OnStatus(transfer_text::kPortError);
        observer.OnProgress(0);
        return TransferResult::PortNotOpen;
    }
    observer.OnStatus(transfer_text::kDownloadWait);
    observer.OnProgress(0);

    const StageRun run = RunStages(observer, 1, [&link](int nStage) {
        switch (nStage) {
        case 1:
            return link.CheckLink();
        case 2:
            return link.ReadSystemSetup();
        default:
            return link.ReadAudioSetup(nStage - 3);
        }
    });

    TransferResult result = run.bAllOk ? TransferResult::Success : TransferResult::StageFailed;
    if (run.bAllOk) {
        // A partial image never reaches the disk: the save happens only after every read.
        try {
            store.SaveSettings();
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

TransferResult RunSend(TransferObserver& observer, SettingsStore& store, TransferLink& link) {
    observer.OnStatus(transfer_text::kSendWait);
    observer.OnProgress(BarBeforeStage(1));
    const int nCheck = link.CheckLink();

    // The stored settings replace whatever the link check read into the system block, so what
    // goes to the processor is the screen's file and nothing else.
    TransferResult result = TransferResult::Success;
    try {
        store.LoadSettings();
    } catch (const FileError& e) {
        observer.OnFileError(e.Message());
        result = TransferResult::FileError;
    }

    int nLastStarted = 1;
    if (result == TransferResult::Success && nCheck != 0) {
        result = TransferResult::StageFailed;
    }
    if (result == TransferResult::Success && !link.ImagePassesChecks()) {
        result = TransferResult::SettingsInvalid;
    }
    if (result == TransferResult::Success) {
        const StageRun run = RunStages(observer, 2, [&link](int nStage) {
            return nStage == 2 ? link.WriteSystemSetup() : link.WriteAudioSetup(nStage - 3);
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
