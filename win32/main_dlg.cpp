#include "win32/main_dlg.h"

#include "win32/config_app.h"
#include "win32/dialogs.h"
#include "win32/resource.h"
#include "win32/shell_launcher.h"

#include <iterator>

namespace {

// The push buttons of the window, in its tab order.
constexpr int kPushButtons[] = {
    IDC_ADD_CIRCUIT, IDC_ADD_THEATER,        IDC_ADD_SCREEN, IDC_LOAD, IDC_SEND,  IDOK,
    IDC_DELETE,      IDC_VIEW_CONFIGURATION, IDC_EDIT_NOTES, ID_HELP,  IDC_PORTS, IDC_HISTORY};

bool IsBoundCommand(int nId) {
    return (nId >= IDC_ADD_CIRCUIT && nId <= IDC_EDIT_NOTES) ||
           (nId >= IDC_COM1 && nId <= IDC_COM4) || nId == IDC_PORTS || nId == IDC_HISTORY;
}

} // namespace

CMainDlg::CMainDlg(MainDlgBinding& binding, Launcher& launcher)
    : m_binding(binding), m_launcher(launcher) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    m_hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                            GetSystemMetrics(SM_CXICON),
                                            GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    m_hSmallIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME),
                                                 IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

CMainDlg::~CMainDlg() {
    if (m_hIcon)
        DestroyIcon(m_hIcon);
    if (m_hSmallIcon)
        DestroyIcon(m_hSmallIcon);
}

int CMainDlg::DoModal() {
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN),
                                           nullptr, DialogProc, reinterpret_cast<LPARAM>(this));
    SetMainWindow(nullptr);
    m_hDialog = nullptr;
    return static_cast<int>(result);
}

INT_PTR CALLBACK CMainDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        auto* self = reinterpret_cast<CMainDlg*>(lParam);
        self->m_hDialog = dialog;
        return self->OnInitDialog();
    }
    auto* self = reinterpret_cast<CMainDlg*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return self ? self->OnMessage(message, wParam, lParam) : FALSE;
}

BOOL CMainDlg::OnInitDialog() {
    SetMainWindow(m_hDialog);
    // The About item at the end of the system menu.
    if (HMENU menu = GetSystemMenu(m_hDialog, FALSE)) {
        wchar_t text[64] = {};
        if (LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, text,
                        static_cast<int>(std::size(text))) > 0) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, text);
        }
    }
    SendMessageW(m_hDialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hDialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));
    SetWindowTextW(m_hDialog, L"VRX-3KM Download/Upload");

    m_tree.Attach(Control(IDC_TREE));
    m_statusArea.Attach(Control(IDC_STATUS), Control(IDC_STATUS_DETAILS));
    SendMessageW(Control(IDC_PROGRESS), PBM_SETPOS, 0, 0);
    // Enter presses the push button that has the focus and nothing else: while the tree or a
    // port button has it, no button is the default, so Enter never ends the program by surprise.
    for (int nId : kPushButtons)
        SendMessageW(Control(nId), BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    SendMessageW(m_hDialog, DM_SETDEFID, IDC_NO_DEFAULT, 0);

    m_binding.OnInitDialog(*this);
    // The keyboard focus on the first tab stop, the tree.
    SendMessageW(m_hDialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(IDC_TREE)), TRUE);
    return FALSE;
}

INT_PTR CMainDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (m_worker.HandleMessage(message, wParam, lParam, *this, result)) {
        SetWindowLongPtrW(m_hDialog, DWLP_MSGRESULT, result);
        return TRUE;
    }
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
            OnAbout();
            return TRUE;
        }
        return FALSE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(m_hIcon);
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_NOTIFY:
        SetWindowLongPtrW(m_hDialog, DWLP_MSGRESULT,
                          OnNotify(*reinterpret_cast<const NMHDR*>(lParam)));
        return TRUE;
    case WM_HELP:
        SendHelpFromF1(reinterpret_cast<const HELPINFO*>(lParam));
        return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !IsTransferRunning())
            m_binding.OnActivate(*this);
        return FALSE;
    case WM_SETCURSOR:
        // The window looks busy while a transfer runs.
        return BusyCursor(m_hDialog, IsTransferRunning());
    default:
        return FALSE;
    }
}

void CMainDlg::OnCommand(int nId, int nCode, HWND control) {
    switch (nId) {
    case IDOK:
        // Exit only when its own button was pressed: clicked, its mnemonic, or Enter or Space
        // while it has the focus.
        if (control && GetFocus() == control)
            Close();
        return;
    case IDC_NO_DEFAULT:
        // Enter in the tree opens or closes the selected item.
        if (GetFocus() == m_tree.Handle())
            m_tree.ToggleExpanded(m_tree.Selected());
        return;
    case IDCANCEL:
        Close();
        return;
    case ID_HELP:
        OnHelp();
        return;
    case IDC_STATUS_DETAILS:
        if (nCode == BN_CLICKED)
            m_statusArea.ShowDetails();
        return;
    default:
        if (IsBoundCommand(nId) && nCode == BN_CLICKED)
            m_binding.OnCommand(*this, nId);
        return;
    }
}

LRESULT CMainDlg::OnNotify(const NMHDR& header) {
    if (header.idFrom != IDC_TREE)
        return 0;
    switch (header.code) {
    case TVN_SELCHANGEDW:
        m_binding.OnSelChangedTree(*this);
        return 0;
    case NM_DBLCLK:
        m_binding.OnDblClkTree(*this);
        return 0;
    default:
        return 0;
    }
}

void CMainDlg::Close() {
    if (IsTransferRunning()) {
        m_bCloseAfterTransfer = true;
        return;
    }
    m_bCloseAfterTransfer = false;
    if (!m_binding.CanClose(*this))
        return;
    EndDialog(m_hDialog, IDCANCEL);
}

HWND CMainDlg::Control(int nId) const {
    return GetDlgItem(m_hDialog, nId);
}

void CMainDlg::SetText(int nId, const std::string& text) {
    SetWindowTextUtf8(Control(nId), text);
}

void CMainDlg::SetProgress(int nPos) {
    SendMessageW(Control(IDC_PROGRESS), PBM_SETPOS, static_cast<WPARAM>(nPos), 0);
}

void CMainDlg::Enable(int nId, bool bEnable) {
    const HWND control = Control(nId);
    if (!control)
        return;
    if (!bEnable && GetFocus() == control)
        SendMessageW(m_hDialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_tree.Handle()), TRUE);
    EnableWindow(control, bEnable);
}

bool CMainDlg::IsEnabled(int nId) const {
    const HWND control = Control(nId);
    return control && IsWindowEnabled(control);
}

void CMainDlg::CheckPortButton(int nId) {
    for (int id = IDC_COM1; id <= IDC_COM4; ++id)
        CheckDlgButton(m_hDialog, id, id == nId ? BST_CHECKED : BST_UNCHECKED);
}

std::optional<std::string> CMainDlg::AskName(const std::string& caption,
                                             const std::function<bool(const std::string&)>& check) {
    CNameDlg name;
    name.SetCaption(caption);
    name.SetCheck(check);
    const int result = name.DoModal(m_hDialog);
    SetActiveWindow(m_hDialog);
    if (result != IDOK)
        return std::nullopt;
    return name.Name();
}

bool CMainDlg::StartTransfer(CTransferWorker::Job job, std::string sendTargetLine) {
    return m_worker.Start(m_hDialog, std::move(job), std::move(sendTargetLine));
}

bool CMainDlg::StartTransfer(const CTransferWorker::ReportedStart& start) {
    return m_worker.Start(m_hDialog, start);
}

void CMainDlg::TransferEnded(TransferResult result) {
    m_binding.OnTransferEnded(*this, result);
    if (m_bCloseAfterTransfer)
        Close();
}

void CMainDlg::OnHelp() {
    OpenHelp(m_hDialog, m_launcher);
}

void CMainDlg::OnAbout() {
    CAboutDlg about;
    about.DoModal(m_hDialog);
}
