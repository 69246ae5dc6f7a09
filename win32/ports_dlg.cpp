#include "win32/ports_dlg.h"

#include "control/ports_control.h"
#include "link/find_processor.h"
#include "link/port_mapping.h"
#include "link/profile.h"
#include "win32/dialog_proc.h"
#include "win32/dialogs.h"
#include "win32/message_box.h"
#include "win32/resource.h"

#include <memory>

namespace {

// What the dialog's thread posts to it; the text or list (lParam) is the handler's to free.
enum PortsMessage : UINT {
    WM_APP_PORTS_PROBED = WM_APP + 40, // lParam: std::array<std::string, 4>*, each port's state
    WM_APP_FIND_PROGRESS,              // lParam: std::string*, the device tried now
    WM_APP_FIND_END,                   // lParam: std::vector<std::string>*, where it answered
    // wParam: how many devices were tried
};

constexpr int kCombos[] = {IDC_PORT_DEVICE1, IDC_PORT_DEVICE2, IDC_PORT_DEVICE3, IDC_PORT_DEVICE4};
constexpr int kDetails[] = {IDC_PORT_DETAIL1, IDC_PORT_DETAIL2, IDC_PORT_DETAIL3, IDC_PORT_DETAIL4};

std::size_t At(int index) {
    return static_cast<std::size_t>(index);
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

CPortsDlg::CPortsDlg(std::string profilePath, Finder finder, int heldIndex, std::string heldState)
    : m_strProfilePath(std::move(profilePath)), m_finder(std::move(finder)),
      m_nHeldIndex(heldIndex), m_strHeldState(std::move(heldState)) {}

CPortsDlg::~CPortsDlg() {
    if (m_thread.joinable())
        m_thread.join();
}

int CPortsDlg::DoModal(HWND owner) {
    return RunDialog(IDD_PORTS, owner, *this);
}

BOOL CPortsDlg::OnInitDialog(HWND dialog) {
    m_hDialog = dialog;
    m_devicesList.Attach(GetDlgItem(m_hDialog, IDC_PORT_LIST));
    m_devicesList.SetColumns({"Device", "Description", "Maker", "Product", "Serial number"});
    for (int i = 0; i < 4; ++i)
        m_loaded[At(i)] = PortMapping(PortName(i), m_strProfilePath);
    RefreshDevices();
    for (int i = 0; i < 4; ++i) {
        SetWindowTextUtf8(GetDlgItem(m_hDialog, kCombos[i]), m_loaded[At(i)]);
        DescribeChoice(i);
    }
    StartProbes();
    return TRUE;
}

INT_PTR CPortsDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_APP_PORTS_PROBED: {
        std::unique_ptr<std::array<std::string, 4>> states(
            reinterpret_cast<std::array<std::string, 4>*>(lParam));
        m_openStates = *states;
        JobEnded();
        for (int i = 0; i < 4; ++i)
            DescribeChoice(i);
        return TRUE;
    }
    case WM_APP_FIND_PROGRESS: {
        std::unique_ptr<std::string> device(reinterpret_cast<std::string*>(lParam));
        SetWindowTextUtf8(GetDlgItem(m_hDialog, IDC_PORT_FIND_RESULT), "Trying " + *device + "...");
        return TRUE;
    }
    case WM_APP_FIND_END: {
        std::unique_ptr<std::vector<std::string>> answered(
            reinterpret_cast<std::vector<std::string>*>(lParam));
        std::array<std::string, 4> typed;
        for (int i = 0; i < 4; ++i)
            typed[At(i)] = Mapping(i);
        SetWindowTextUtf8(GetDlgItem(m_hDialog, IDC_PORT_FIND_RESULT),
                          FindResultText(*answered, static_cast<std::size_t>(wParam), typed));
        m_bFinding = false;
        m_inputDrop.reset();
        JobEnded();
        return TRUE;
    }
    case WM_COMMAND: {
        const int nId = LOWORD(wParam);
        const int nCode = HIWORD(wParam);
        for (int i = 0; i < 4; ++i) {
            if (nId == kCombos[i]) {
                if (nCode == CBN_EDITCHANGE)
                    DescribeChoice(i);
                else if (nCode == CBN_SELCHANGE)
                    // The edit field takes the chosen item's text only after this notification.
                    PostMessageW(m_hDialog, WM_COMMAND, MAKEWPARAM(nId, CBN_EDITCHANGE),
                                 reinterpret_cast<LPARAM>(GetDlgItem(m_hDialog, nId)));
                return TRUE;
            }
        }
        switch (nId) {
        case IDC_PORT_REFRESH:
            RefreshDevices();
            return TRUE;
        case IDC_PORT_FIND:
            OnFind();
            return TRUE;
        case IDOK:
            OnOK();
            return TRUE;
        case IDCANCEL:
            Close(IDCANCEL);
            return TRUE;
        default:
            return FALSE;
        }
    }
    case WM_SETCURSOR:
        return BusyCursor(m_hDialog, m_bFinding);
    default:
        return FALSE;
    }
}

std::string CPortsDlg::Mapping(int index) const {
    return Trimmed(WindowText(GetDlgItem(m_hDialog, kCombos[index])));
}

void CPortsDlg::RefreshDevices() {
    m_devices = ListSerialDevices();
    m_devicesList.Clear();
    for (const SerialDevice& device : m_devices)
        m_devicesList.AddRow({device.m_strPath, device.m_strDescription, device.m_strManufacturer,
                              device.m_strProduct, device.m_strSerial});
    if (m_devices.empty())
        m_devicesList.AddRow({"(none found)"});
    m_devicesList.FitColumns();
    for (int i = 0; i < 4; ++i) {
        const HWND combo = GetDlgItem(m_hDialog, kCombos[i]);
        const std::string text = WindowText(combo);
        SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        for (const SerialDevice& device : m_devices)
            SendMessageW(combo, CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(Wide(device.m_strPath).c_str()));
        SetWindowTextUtf8(combo, text);
        DescribeChoice(i);
    }
}

void CPortsDlg::DescribeChoice(int index) {
    const std::string device = Mapping(index);
    std::string text = DescribePortChoice(index, device, m_devices);
    // Whether the port opens is known for the mapping it has now, not for one typed since.
    if (device == m_loaded[At(index)] && !m_openStates[At(index)].empty())
        text += "\n" + m_openStates[At(index)];
    SetWindowTextUtf8(GetDlgItem(m_hDialog, kDetails[index]), text);
}

void CPortsDlg::StartProbes() {
    const HWND dialog = m_hDialog;
    m_thread = std::thread([dialog, profile = m_strProfilePath, held = m_nHeldIndex,
                            heldState = m_strHeldState] {
        auto states = std::make_unique<std::array<std::string, 4>>();
        for (int i = 0; i < 4; ++i)
            (*states)[At(i)] = i == held ? heldState : PortOpenText(PortName(i), profile);
        PostMessageW(dialog, WM_APP_PORTS_PROBED, 0, reinterpret_cast<LPARAM>(states.release()));
    });
    EnableButtons();
}

void CPortsDlg::OnFind() {
    if (m_thread.joinable() || !m_finder)
        return;
    // The ports as typed here, then every listed device, each tried once.
    std::vector<std::string> portDevices;
    for (int i = 0; i < 4; ++i)
        portDevices.push_back(Mapping(i).empty() ? DefaultPortDevice(PortName(i)) : Mapping(i));
    std::vector<std::string> candidates = FindCandidates(portDevices, m_devices);
    m_bFinding = true;
    // Until its end: bounded, about two seconds a device.
    m_inputDrop.emplace(m_hDialog);
    const HWND dialog = m_hDialog;
    m_thread = std::thread([dialog, finder = m_finder, candidates = std::move(candidates)] {
        auto answered = std::make_unique<std::vector<std::string>>(
            finder(candidates, [dialog](const std::string& device) {
                PostMessageW(dialog, WM_APP_FIND_PROGRESS, 0,
                             reinterpret_cast<LPARAM>(new std::string(device)));
            }));
        PostMessageW(dialog, WM_APP_FIND_END, static_cast<WPARAM>(candidates.size()),
                     reinterpret_cast<LPARAM>(answered.release()));
    });
    EnableButtons();
}

void CPortsDlg::JobEnded() {
    if (m_thread.joinable())
        m_thread.join();
    EnableButtons();
    if (m_pendingClose) {
        const int result = *m_pendingClose;
        m_pendingClose.reset();
        Close(result);
    }
}

void CPortsDlg::EnableButtons() {
    const bool bIdle = !m_thread.joinable();
    EnableWindow(GetDlgItem(m_hDialog, IDC_PORT_FIND), bIdle && m_finder);
    EnableWindow(GetDlgItem(m_hDialog, IDC_PORT_REFRESH), bIdle);
}

void CPortsDlg::OnOK() {
    // Everything is checked before anything is written: a refused choice changes nothing.
    std::array<std::string, 4> typed;
    for (int i = 0; i < 4; ++i)
        typed[At(i)] = Mapping(i);
    PromptRequest refusal;
    refusal.m_strCaption = kApplicationName;
    refusal.m_nIcon = PromptIcon::Stop;
    if (const std::optional<PortChoiceRefusal> refused = RefusedPortChoice(typed)) {
        refusal.m_strText = refused->m_strText;
        AskBox(m_hDialog, refusal);
        SendMessageW(m_hDialog, WM_NEXTDLGCTL,
                     reinterpret_cast<WPARAM>(GetDlgItem(m_hDialog, kCombos[refused->m_nIndex])),
                     TRUE);
        return;
    }
    if (const std::string problem = WritePortChoices(typed, m_loaded, m_devices, m_strProfilePath);
        !problem.empty()) {
        refusal.m_strText = problem;
        AskBox(m_hDialog, refusal);
        return;
    }
    Close(IDOK);
}

void CPortsDlg::Close(int result) {
    // A probe or a search still running ends first; its end closes the dialog.
    if (m_thread.joinable()) {
        m_pendingClose = result;
        return;
    }
    EndDialog(m_hDialog, result);
}
