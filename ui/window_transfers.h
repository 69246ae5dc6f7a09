// The window's transfers from their start to what follows them: the port a transfer goes
// through (the screen's own port, else the checked COM button's), the runner's job on its worker
// thread with the window locked meanwhile, and after the end the offer to verify a Send and the
// differences a comparison found.
#pragma once

#include "control/transfer_runner.h"
#include "ui/transfer_binding.h"

#include <filesystem>
#include <functional>
#include <string>

class CCompareWindows;
class CMainView;
class CPortButtons;
class CPortLine;
class CSerialPort;
class FrameCodec;
class Prompt;
class QWidget;

class CWindowTransfers {
public:
    // Runs on the window's thread when a job has ended (after Finish is due).
    using Ended = std::function<void(TransferResult)>;

    // The program's port with its codec and the settings image a Load or Send uses; the library
    // lies in root. The window's parts outlive this object.
    CWindowTransfers(QWidget* window, Prompt& prompt, CMainView& view, CPortLine& portLine,
                     CPortButtons& portButtons, CCompareWindows& compare, CSerialPort& port,
                     FrameCodec& codec, SettingsImage& image, std::filesystem::path root,
                     Ended ended);

    // Starts the job of this kind for the target screen and locks the window's transfer
    // controls. False, with nothing started, while a job runs or when the port cannot be used
    // (the port line then says why). strSendLine follows the Send warning.
    bool Start(TransferKind kind, const ScreenTarget& target, std::string strSendLine);
    // On the window's thread after the job's end: the worker is gone, the window takes input,
    // the port line knows the result.
    void Finish(TransferResult result);
    void GiveFocusBack(QWidget* fallback) { m_binding.GiveFocusBack(fallback); }
    // What follows the end (CTransferRunner::FollowUp): a verify's read of the same screen is
    // started, or the differences a comparison found are shown.
    void FollowUp();

    bool IsRunning() const { return m_runner.IsRunning(); }
    TransferResult LastResult() const { return m_runner.LastResult(); }

private:
    Prompt& m_prompt;
    CMainView& m_view;
    CPortLine& m_portLine;
    CPortButtons& m_portButtons;
    CCompareWindows& m_compare;
    std::filesystem::path m_root;
    CTransferRunner m_runner;
    CTransferBinding m_binding;
    Ended m_ended;
};
