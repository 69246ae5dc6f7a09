// Running a Load, a Send or a comparison's read of the processor on one worker thread, so the
// window keeps painting, with the line trace and the store of the library; and what follows the
// end. Each window implements TransferReport by posting every report to its own thread.
//
// The road of a Load: the window's Load button → CMainDlg::OnLoadSettings → the selected screen
// resolved into a ScreenTarget → CTransferRunner::Start → (worker thread) RunLoad on a
// SerialDeviceLink over the port and the ScreenStore over the library folder →
// ScreenStore::SaveSettings → the screen's Vrx.cfg and Vrx.txt.
#pragma once

#include "control/prompt.h"
#include "image/settings_image.h"
#include "image/settings_store.h"
#include "link/transfer_sequence.h"

#include <filesystem>
#include <string>
#include <thread>

class CSerialPort;
class FrameCodec;
class ScreenStore;

// What a transfer of the window does: Load and Send, and the read-only comparison
// of the processor with the stored settings.
enum class TransferKind { Load, Send, Compare };

// A window's side of a running transfer. Every call comes on the worker thread, in the order of
// the job's steps: the window shows the bar, the status text and the reasons in that order, and
// answers the questions on its own thread while the worker waits.
class TransferReport : public TransferObserver {
public:
    // The job has ended; the last call. The window calls CTransferRunner::Finish on its thread.
    virtual void OnJobEnded(TransferResult result) = 0;
};

// What the window does after a transfer ended.
enum class TransferFollowUp {
    None,
    ShowDifferences, // a comparison read the processor: show how it differs from the stored
                     // settings
    CompareNow,      // the technician took the offer to compare the processor with the stored
                     // settings: start a comparison of the same screen
};

class CTransferRunner {
public:
    // The program's port with the codec that frames its messages, the settings image a Load or
    // Send uses, and the library folder. They outlive the runner.
    CTransferRunner(CSerialPort& port, FrameCodec& codec, SettingsImage& image,
                    std::filesystem::path root);
    // Waits for a job that still runs.
    ~CTransferRunner();
    CTransferRunner(const CTransferRunner&) = delete;
    CTransferRunner& operator=(const CTransferRunner&) = delete;

    // Starts the job of this kind for the target screen on the worker thread, reporting to
    // report. strSendLine, when not empty, follows the Send warning on a line of its own;
    // strTraceFile, when not empty, receives a trace of the line. False, with nothing started,
    // while a job runs.
    bool Start(TransferKind kind, const ScreenTarget& target, std::string strSendLine,
               std::string strTraceFile, TransferReport& report);
    bool IsRunning() const { return m_bRunning; }
    // On the window's thread, after OnJobEnded: the worker is gone, the result kept.
    void Finish(TransferResult result);
    // After Finish, what follows: a Send whose go-ahead named another block offers a comparison
    // at once, a Send that succeeded offers to verify (the answers asked through prompt), a
    // comparison that read the processor shows its differences. The comparison taken up after a
    // Send, when started next for the Send's screen, is a verify: what it finds goes into the
    // screen's log as "vrx3km-cli send --verify" logs it.
    TransferFollowUp FollowUp(Prompt& prompt);

    TransferKind Kind() const { return m_kind; }
    TransferResult LastResult() const { return m_result; }
    // The screen of the last transfer started, and the processor's settings the last comparison
    // read (never the image a Load or Send uses).
    const ScreenTarget& Target() const { return m_target; }
    const SettingsImage& ProcessorImage() const { return m_processorImage; }

    // The line below the Send warning: the screen the settings go from and their date, so that a
    // Send to the wrong screen is caught before it happens.
    static std::string SendLine(const ScreenTarget& target, const std::string& strDate,
                                const std::string& strTime);

private:
    TransferResult Run(TransferKind kind, const ScreenTarget& target,
                       const std::string& strTraceFile, TransferObserver& observer);
    // Logs the verify's finding in the target's log; a line that cannot be written is reported.
    void LogVerify(TransferResult result, ScreenStore& store, const ScreenTarget& target,
                   TransferObserver& observer);

    CSerialPort& m_port;
    FrameCodec& m_codec;
    SettingsImage& m_image;
    std::filesystem::path m_root;
    SettingsImage m_processorImage;
    std::thread m_thread;
    bool m_bRunning = false;
    bool m_bVerifyOffered = false; // the comparison taken up after a Send is yet to start
    bool m_bVerify = false;        // the job running (or last run) is that comparison
    TransferKind m_kind = TransferKind::Load;
    TransferResult m_result = TransferResult::Success;
    ScreenTarget m_target;
};
