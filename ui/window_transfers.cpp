#include "ui/window_transfers.h"

#include "control/port_line.h"
#include "library/screen_port.h"
#include "library/screen_store.h"
#include "ui/compare_windows.h"
#include "ui/main_view.h"
#include "ui/port_buttons.h"

CWindowTransfers::CWindowTransfers(QWidget* window, Prompt& prompt, CMainView& view,
                                   CPortLine& portLine, CPortButtons& portButtons,
                                   CCompareWindows& compare, CSerialPort& port, FrameCodec& codec,
                                   SettingsImage& image, std::filesystem::path root, Ended ended)
    : m_prompt(prompt), m_view(view), m_portLine(portLine), m_portButtons(portButtons),
      m_compare(compare), m_root(std::move(root)), m_runner(port, codec, image, m_root),
      m_binding(window, prompt, view.Progress(), view.StatusArea(), m_runner),
      m_ended(std::move(ended)) {}

bool CWindowTransfers::Start(TransferKind kind, const ScreenTarget& target,
                             std::string strSendLine) {
    if (IsRunning())
        return false;
    // A port whose device went away and came back is opened anew here, so the first Load after
    // it already reaches the device. A screen with a port of its own is reached through it, and
    // the status says so.
    const PortChoice port =
        m_portLine.PrepareTransferFor(ReadScreenPort(ScreenFolderPath(m_root, target)));
    if (!port.m_strProblem.empty()) {
        m_view.ShowPortProblem(port.m_strProblem);
        return false;
    }
    m_portButtons.Show();
    m_binding.Start(kind, target, std::move(strSendLine), m_portLine.TraceFileInUse(), m_ended,
                    port.Explanation());
    // The job's first report is shown once the handler that started it has returned: the
    // controls are locked by then.
    m_view.LockForTransfer();
    return true;
}

void CWindowTransfers::Finish(TransferResult result) {
    m_binding.Finish(result);
    m_portLine.TransferEnded(result);
}

void CWindowTransfers::FollowUp() {
    switch (m_runner.FollowUp(m_prompt)) {
    case TransferFollowUp::CompareNow:
        // The Send's screen, whatever the tree shows by now.
        Start(TransferKind::Compare, m_runner.Target(), {});
        break;
    case TransferFollowUp::ShowDifferences:
        m_compare.ShowProcessorDifferences(m_runner.Target(), m_runner.ProcessorImage());
        break;
    case TransferFollowUp::None:
        break;
    }
}
