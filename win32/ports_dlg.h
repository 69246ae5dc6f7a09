// The serial ports dialog of the Windows window: which of this machine's COM ports each of COM1 to
// COM4 stands for (a combo box per port, the devices the system lists, or typed), what is known of
// each choice and whether the port opens now, the serial devices found, and the search for the
// processor. Port probes and the search run on a thread of their own, so the dialog never hangs;
// during the search its input is dropped.
#pragma once

#include "link/serial_devices.h"
#include "win32/list_view.h"
#include "win32/text.h"
#include "win32/transfer_worker.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class CPortsDlg {
public:
    // The link check on each candidate in turn (CPortLine::FindProcessor); progress names the
    // device tried. Runs on the dialog's thread of its own.
    using Finder = std::function<std::vector<std::string>(
        const std::vector<std::string>& candidates,
        const std::function<void(const std::string&)>& progress)>;

    // The mappings are read from and written to this machine's own profile beside the library's
    // profile at profilePath. heldIndex is the port the window holds, heldState whether it opens
    // (PortOpenText of its problem): that port is not opened a second time to be probed.
    CPortsDlg(std::string profilePath, Finder finder, int heldIndex, std::string heldState);
    ~CPortsDlg();
    CPortsDlg(const CPortsDlg&) = delete;
    CPortsDlg& operator=(const CPortsDlg&) = delete;

    // IDOK once the mappings were kept (the window opens its port again), IDCANCEL when given up.
    int DoModal(HWND owner);

    // The dialog's messages (ObjectDialogProc).
    BOOL OnInitDialog(HWND dialog);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    void RefreshDevices();
    void DescribeChoice(int index);
    std::string Mapping(int index) const;
    void StartProbes();
    void OnFind();
    void OnOK();
    void Close(int result);
    // The thread's end: joined, and a close asked for meanwhile carried out.
    void JobEnded();
    void EnableButtons();

    std::string m_strProfilePath;
    Finder m_finder;
    int m_nHeldIndex;
    std::string m_strHeldState;
    HWND m_hDialog = nullptr;
    CListView m_devicesList;
    std::vector<SerialDevice> m_devices;
    std::array<std::string, 4> m_loaded;
    // Whether each port opens now on its loaded mapping; "" until the probe has told.
    std::array<std::string, 4> m_openStates;
    std::thread m_thread;
    bool m_bFinding = false;
    std::optional<CInputDrop> m_inputDrop;
    std::optional<int> m_pendingClose;
};
