#include "ui/main_dlg.h"

#include "image/file_error.h"
#include "image/portable.h"
#include "image/report.h"
#include "image/settings_compare.h"
#include "image/settings_image.h"
#include "image/stored_files.h"
#include "library/screen_store.h"
#include "library/site_add.h"
#include "library/site_delete.h"
#include "library/site_history.h"
#include "library/site_name.h"
#include "library/site_order.h"
#include "library/stored_settings.h"
#include "link/device_link.h"
#include "link/find_processor.h"
#include "link/line_trace.h"
#include "link/profile.h"
#include "link/serial_port.h"
#include "link/trace_file.h"
#include "link/transfer_sequence.h"
#include "ui/about_dlg.h"
#include "ui/dialog_keys.h"
#include "ui/dialog_units.h"
#include "ui/diff_dlg.h"
#include "ui/help.h"
#include "ui/history_dlg.h"
#include "ui/launcher.h"
#include "ui/library_place.h"
#include "ui/name_dlg.h"
#include "ui/port_dlg.h"
#include "ui/prompt.h"
#include "ui/system_menu.h"
#include "ui/text_viewer.h"
#include "ui/transfer_binding.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QInputDialog>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QWindow>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <locale>
#include <memory>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The About item of the window menu.
const char* const kAboutText = "&About 3km...";

const char* const kFailsChecksText =
    "The stored settings of this screen fail their checks: a Send would refuse them. Load them "
    "again from the VRX-3KM, or restore a kept version (History).";

QString FromName(const std::string& name) {
    return QString::fromUtf8(name);
}

SitePos ItemPos(const QTreeWidgetItem* item) {
    return reinterpret_cast<SitePos>(item->data(0, Qt::UserRole).value<quintptr>());
}

void SetItemPos(QTreeWidgetItem* item, SitePos pos) {
    item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(pos)));
}

// strftime conventions in the "C" locale, whatever locale the desktop set for the process.
std::string FormatTime(const std::tm& tm, const char* format) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::put_time(&tm, format);
    return out.str();
}

} // namespace

CMainDlg::CMainDlg(CSerialPort& port, FrameCodec& codec, SettingsImage& image,
                   PortSettings& portSettings, SiteLibrary& library, QWidget* parent)
    : QDialog(parent), m_port(port), m_codec(codec), m_image(image), m_portSettings(portSettings),
      m_library(library), m_storage(library, ".", image) {
    m_nameSource = [this](const std::string& caption, const NameCheck& check) {
        return AskName(caption, check);
    };
    m_portOpener = [this](const std::string& name) {
        m_port.Open(name, m_portSettings.ProfilePath);
        return m_port.LastOpenFailure().Reason();
    };
    m_portState = [this] { return m_port.Probe(); };
    CreateControls();
    // The port is probed whenever the window becomes the active one: an adapter may have been
    // unplugged, or plugged in again, while the technician was elsewhere.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
        if (window && window == windowHandle())
            ProbePort();
    });
}

CMainDlg::~CMainDlg() {
    // The job reports to this window until its end: it is never cut off half-way.
    WaitForTransferEnd();
}

QPushButton* CMainDlg::AddButton(int id, const char* text, int x, int y, int w, int h) {
    auto* button = new QPushButton(text, this);
    DialogUnits(fontMetrics()).Place(button, x, y, w, h);
    // The template's push buttons have the default-button style: Enter presses the focused one.
    button->setAutoDefault(true);
    m_controls[id] = button;
    return button;
}

QLabel* CMainDlg::AddStatic(int id, const char* text, int x, int y, int w, int h) {
    auto* label = new QLabel(text, this);
    DialogUnits(fontMetrics()).Place(label, x, y, w, h);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (id != 0)
        m_controls[id] = label;
    return label;
}

QRadioButton* CMainDlg::AddRadio(int id, const char* text, int x, int y, int w, int h) {
    auto* radio = new QRadioButton(text, this);
    DialogUnits(fontMetrics()).Place(radio, x, y, w, h);
    // Each button is a group of its own: the program keeps exactly one checked.
    radio->setAutoExclusive(false);
    m_controls[id] = radio;
    return radio;
}

void CMainDlg::CreateControls() {
    const DialogUnits du(fontMetrics());
    setWindowTitle("3km");
    setFixedSize(du.X(343), du.Y(237));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    // Group boxes first, so the controls they frame are drawn above them; the focus chain is
    // set below in the template's order.
    auto* transfer = new QGroupBox("Download/Upload", this);
    du.Place(transfer, 192, 7, 144, 121);
    auto* port = new QGroupBox("Serial Port", this);
    du.Place(port, 192, 134, 144, 48);
    auto* selection = new QGroupBox("Current Selection", this);
    du.Place(selection, 7, 120, 169, 60);
    m_controls[IDC_SELECTION_BOX] = selection;

    m_pTree = new QTreeWidget(this);
    du.Place(m_pTree, 7, 7, 169, 102);
    m_pTree->setHeaderHidden(true);
    m_pTree->setColumnCount(1);
    m_pTree->setRootIsDecorated(true);
    m_pTree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pTree->setExpandsOnDoubleClick(true);
    m_controls[IDC_TREE] = m_pTree;

    QWidget* chain[] = {
        m_pTree,
        AddButton(IDC_ADD_CIRCUIT, "Add &Circuit", 7, 216, 50, 14),
        AddButton(IDC_ADD_THEATER, "Add &Theater", 67, 216, 50, 14),
        AddButton(IDC_ADD_SCREEN, "Add Scree&n", 127, 216, 50, 14),
        AddButton(IDC_LOAD, "&Load Settings from VRX-3KM", 208, 77, 116, 14),
        AddButton(IDC_SEND, "&Send Settings to VRX-3KM", 209, 99, 115, 14),
        AddButton(IDC_EXIT, "E&xit", 286, 216, 50, 14),
        AddRadio(IDC_COM1, "COM&1", 224, 150, 50, 10),
        AddRadio(IDC_COM2, "COM&2", 224, 163, 50, 13),
        AddRadio(IDC_COM3, "COM&3", 274, 150, 50, 10),
        AddRadio(IDC_COM4, "COM&4", 274, 163, 50, 13),
        AddButton(IDC_DELETE, "&Delete", 192, 216, 82, 14),
        AddButton(IDC_VIEW_CONFIGURATION, "&View Configuration", 7, 191, 74, 14),
        AddButton(IDC_EDIT_NOTES, "&Edit Notes", 102, 191, 74, 14),
        AddButton(IDC_HELP, "&Help", 286, 191, 50, 14),
        AddButton(IDC_PORTS, "P&orts...", 195, 144, 28, 13),
        AddButton(IDC_HISTORY, "Histor&y && Compare", 192, 191, 82, 14),
    };
    for (std::size_t i = 1; i < std::size(chain); ++i)
        setTabOrder(chain[i - 1], chain[i]);

    m_pProgress = new QProgressBar(this);
    du.Place(m_pProgress, 208, 20, 116, 8);
    m_pProgress->setRange(0, 100);
    m_pProgress->setValue(0);
    m_pProgress->setTextVisible(false);
    m_controls[IDC_PROGRESS] = m_pProgress;
    QLabel* status = AddStatic(IDC_STATUS, "", 209, 34, 115, 33);
    // Details... stands right below the status text, in the free band above the Load button.
    auto* details = new QPushButton("Deta&ils...", this);
    details->setAutoDefault(true);
    details->setFlat(true);
    const QFontMetrics metrics = fontMetrics();
    const int detailsWidth =
        metrics.horizontalAdvance("Details...") + 2 * metrics.averageCharWidth();
    details->setGeometry(du.X(324) - detailsWidth, du.Y(67), detailsWidth, du.Y(10));
    details->setToolTip("The whole reason (Alt+I)");
    // Drawn as a link, so that it reads as something to open rather than as more status text.
    QPalette link = details->palette();
    link.setColor(QPalette::ButtonText, link.color(QPalette::Link));
    details->setPalette(link);
    details->setCursor(Qt::PointingHandCursor);
    m_controls[IDC_STATUS_DETAILS] = details;
    setTabOrder(m_controls[IDC_HISTORY], details);
    m_pStatusArea = new CStatusArea(status, details);
    AddStatic(IDC_DATE, "(Date)", 13, 167, 103, 8);
    AddStatic(IDC_TIME, "(Time)", 119, 167, 49, 8);
    AddStatic(IDC_CIRCUIT, "(Circuit)", 52, 134, 114, 8);
    AddStatic(IDC_SCREEN, "(Screen)", 51, 156, 114, 8);
    AddStatic(IDC_THEATER, "(Theater)", 52, 145, 114, 8);
    AddStatic(0, "Circuit:", 13, 134, 35, 8);
    AddStatic(0, "Theater:", 13, 145, 35, 8);
    AddStatic(0, "Screen:", 13, 156, 35, 8);
    // The open library folder, on the free line between the two rows of buttons.
    AddStatic(IDC_LIBRARY, "", 7, 206, 329, 8)->setTextFormat(Qt::PlainText);
    QLabel* portState = AddStatic(IDC_PORT_STATE, "", 194, 159, 30, 19);
    portState->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    portState->setTextFormat(Qt::PlainText);

    auto button = [this](int id) { return static_cast<QPushButton*>(m_controls[id]); };
    connect(button(IDC_EXIT), &QPushButton::clicked, this, &QDialog::reject);
    connect(button(IDC_ADD_CIRCUIT), &QPushButton::clicked, this, &CMainDlg::OnAddCircuit);
    connect(button(IDC_ADD_THEATER), &QPushButton::clicked, this, &CMainDlg::OnAddTheater);
    connect(button(IDC_ADD_SCREEN), &QPushButton::clicked, this, &CMainDlg::OnAddScreen);
    connect(button(IDC_DELETE), &QPushButton::clicked, this, &CMainDlg::OnDelete);
    connect(button(IDC_EDIT_NOTES), &QPushButton::clicked, this, &CMainDlg::OnEditNotes);
    connect(button(IDC_VIEW_CONFIGURATION), &QPushButton::clicked, this,
            &CMainDlg::OnViewConfiguration);
    connect(button(IDC_HELP), &QPushButton::clicked, this, &CMainDlg::OnHelp);
    connect(button(IDC_LOAD), &QPushButton::clicked, this, &CMainDlg::OnLoadSettings);
    connect(button(IDC_SEND), &QPushButton::clicked, this, &CMainDlg::OnSendSettings);
    connect(button(IDC_PORTS), &QPushButton::clicked, this, &CMainDlg::OnPorts);

    // History and Compare: a menu on its button and on the tree's items.
    m_pHistoryMenu = new QMenu(this);
    m_pHistoryMenu->addAction("Compare with the &VRX-3KM", this, &CMainDlg::OnCompareWithProcessor);
    m_pHistoryMenu->addAction("&History of this screen...", this, &CMainDlg::OnHistory);
    m_pHistoryMenu->addAction("Compare with &another screen...", this,
                              &CMainDlg::OnCompareWithScreen);
    m_pHistoryMenu->addAction("Compare with a &file...", this, &CMainDlg::OnCompareWithFile);
    connect(m_pHistoryMenu, &QMenu::aboutToShow, this, &CMainDlg::UpdateHistoryMenu);
    button(IDC_HISTORY)->setMenu(m_pHistoryMenu);
    button(IDC_HISTORY)
        ->setToolTip("The settings kept each time this screen's settings were "
                     "replaced, and comparisons with the VRX-3KM, another screen "
                     "or a file (Alt+Y)");
    m_pTree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pTree, &QWidget::customContextMenuRequested, this, [this](const QPoint& point) {
        if (QTreeWidgetItem* item = m_pTree->itemAt(point))
            m_pTree->setCurrentItem(item);
        if (m_pTree->currentItem() && !m_bTransferRunning)
            m_pHistoryMenu->popup(m_pTree->viewport()->mapToGlobal(
                m_pTree->itemAt(point) ? point
                                       : m_pTree->visualItemRect(m_pTree->currentItem()).center()));
    });
    button(IDC_PORTS)->setToolTip("Choose the device each port stands for, find the VRX-3KM, "
                                  "trace the line (Alt+O)");
    for (int index = 0; index < 4; ++index) {
        auto* radio = static_cast<QRadioButton*>(m_controls[IDC_COM1 + index]);
        connect(radio, &QRadioButton::clicked, this, [this, index] { SelectPort(index); });
    }
    connect(m_pTree, &QTreeWidget::currentItemChanged, this, [this] { OnSelChangedTree(); });
    // A double click anywhere in the tree, empty space included, acts on the selected item;
    // the tree's own expanding and collapsing goes on as usual.
    m_pTree->viewport()->installEventFilter(this);

    InstallEnterHandling(this);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, &CMainDlg::OnHelp);

    // Opening another library folder and rescanning this one, in the dialog's context menu.
    m_pOpenLibrary = new QAction("&Open Library Folder...", this);
    m_pOpenLibrary->setShortcut(QKeySequence::Open);
    connect(m_pOpenLibrary, &QAction::triggered, this, &CMainDlg::OnOpenLibrary);
    addAction(m_pOpenLibrary);
    m_pRefresh = new QAction("&Refresh", this);
    m_pRefresh->setShortcut(QKeySequence(Qt::Key_F5));
    connect(m_pRefresh, &QAction::triggered, this, &CMainDlg::Refresh);
    addAction(m_pRefresh);

    // The window menu's About item. Windows has a system menu and gets the item there too
    // (AppendAboutItem); everywhere the dialog's context menu holds it.
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    addAction(separator);
    m_pAbout = new QAction(kAboutText, this);
    addAction(m_pAbout);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(m_pAbout, &QAction::triggered, this, &CMainDlg::OnAbout);
}

namespace {

bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

} // namespace

bool CMainDlg::eventFilter(QObject* watched, QEvent* event) {
    // While a transfer runs, the window takes no input; the boxes it asks in do.
    if (m_bTransferRunning && IsUserInput(event->type())) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this)
            return true;
    }
    if (watched == m_pTree->viewport() && event->type() == QEvent::MouseButtonDblClick)
        OnDblClkTree();
    return QDialog::eventFilter(watched, event);
}

QWidget* CMainDlg::Control(int id) const {
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void CMainDlg::InitDialog() {
    AppendAboutItem(this, kAboutText);
    setWindowIcon(ApplicationIcon());
    setWindowTitle("VRX-3KM Download/Upload");
    InitProfile(m_portSettings);
    m_storage.ScanLibrary();
    FillTree();
    UpdateSelectionPanel(true);
    OpenSavedPort();
    UpdateLibraryLabel();
    NoteLibraryState();
    m_pTree->setFocus();
}

int CMainDlg::exec() {
    InitDialog();
    return QDialog::exec();
}

#ifdef Q_OS_WIN
bool CMainDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    if (IsAboutCommand(message)) {
        OnAbout();
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}
#endif

void CMainDlg::OnAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CMainDlg::Enable(int id, bool bEnable) {
    QWidget* control = Control(id);
    if (!control)
        return;
    if (!bEnable && focusWidget() == control)
        m_pTree->setFocus();
    control->setEnabled(bEnable);
}

void CMainDlg::SetText(int id, const std::string& text) {
    if (auto* label = qobject_cast<QLabel*>(Control(id)))
        label->setText(FromName(text));
}

// ---------------------------------------------------------------------------------------------
// The tree

QTreeWidgetItem* CMainDlg::InsertCircuitItem(const std::string& name, SitePos pos) {
    // Circuits stand in natural order, the one the command-line listing uses; each top-level
    // item keeps its name's bytes beside the shown text, which may not decode them exactly.
    constexpr int kNameRole = Qt::UserRole + 1;
    int index = 0;
    while (index < m_pTree->topLevelItemCount()) {
        const QByteArray other = m_pTree->topLevelItem(index)->data(0, kNameRole).toByteArray();
        if (CompareSiteNames(std::string_view(other.constData(), other.size()), name) > 0)
            break;
        ++index;
    }
    auto* item = new QTreeWidgetItem(QStringList(FromName(name)));
    SetItemPos(item, pos);
    item->setData(0, kNameRole, QByteArray(name.data(), static_cast<qsizetype>(name.size())));
    m_pTree->insertTopLevelItem(index, item);
    return item;
}

QTreeWidgetItem* CMainDlg::AppendChildItem(QTreeWidgetItem* parent, const std::string& name,
                                           SitePos pos) {
    auto* item = new QTreeWidgetItem(parent, QStringList(FromName(name)));
    SetItemPos(item, pos);
    return item;
}

void CMainDlg::FillTree() {
    for (m_library.FirstCircuit(); m_library.HasCircuit(); m_library.NextCircuit()) {
        QTreeWidgetItem* circuit =
            InsertCircuitItem(m_library.GetCircuitName(), m_library.GetCircuitPos());
        for (m_library.FirstTheater(); m_library.HasTheater(); m_library.NextTheater()) {
            QTreeWidgetItem* theater =
                AppendChildItem(circuit, m_library.GetTheaterName(), m_library.GetTheaterPos());
            for (m_library.FirstScreen(); m_library.HasScreen(); m_library.NextScreen())
                AppendChildItem(theater, m_library.GetScreenName(), m_library.GetScreenPos());
        }
    }
}

void CMainDlg::SelectItem(QTreeWidgetItem* item) {
    if (item && item->parent())
        item->parent()->setExpanded(true);
    m_pTree->setCurrentItem(item);
}

// ---------------------------------------------------------------------------------------------
// Selection panel

SiteLevel CMainDlg::GetSelectedLevel() {
    if (!m_pTree->currentItem()) {
        for (int i = 0; i < m_pTree->topLevelItemCount(); ++i) {
            QTreeWidgetItem* first = m_pTree->topLevelItem(i);
            if (first != m_pDyingItem) {
                m_pTree->setCurrentItem(first);
                break;
            }
        }
    }
    QTreeWidgetItem* selected = m_pTree->currentItem();
    if (!selected)
        return SiteLevel::None;
    return m_library.Locate(ItemPos(selected));
}

SiteSelection CMainDlg::SelectedSite() const {
    const QTreeWidgetItem* selected = m_pTree->currentItem();
    return selected ? m_library.SelectionOf(ItemPos(selected)) : SiteSelection{};
}

void CMainDlg::UpdateSelectionFlags() {
    const SiteLevel level = GetSelectedLevel();
    const SiteSelection site = SelectedSite();
    m_bCircuitSelected = m_bTheaterSelected = m_bScreenSelected = false;
    m_bHasSettings = m_bFolderNotEmpty = false;
    switch (level) {
    case SiteLevel::Screen:
        m_bCircuitSelected = m_bTheaterSelected = m_bScreenSelected = true;
        m_nPathKind = PathKind::SettingsFile;
        m_bHasSettings = m_storage.IsSettingsFileValid(site, m_nPathKind);
        return;
    case SiteLevel::None:
        m_bFolderNotEmpty = true;
        return;
    case SiteLevel::Theater:
        m_bTheaterSelected = true;
        [[fallthrough]];
    case SiteLevel::Circuit:
        m_bCircuitSelected = true;
        m_nPathKind = FolderKind(level);
        m_bFolderNotEmpty = m_storage.IsFolderNotEmpty(site, m_nPathKind);
        return;
    }
}

bool CMainDlg::GetSettingsTime(std::string& strDate, std::string& strTime) {
    strDate.clear();
    strTime.clear();
    if (GetSelectedLevel() != SiteLevel::Screen)
        return false;
    m_nPathKind = PathKind::SettingsFile;
    const auto written = m_storage.SettingsFileTime(SelectedSite());
    if (!written)
        return false;
    const std::time_t when = ToCalendarTime(*written);
    std::tm local{};
    if (!ToLocalTime(when, local))
        return false;
    strDate = FormatTime(local, "%A, %B %d, %Y");
    strTime = FormatTime(local, "%I:%M:%S %p");
    return true;
}

void CMainDlg::UpdateSelectionPanel(bool bReset) {
    UpdateSelectionFlags();
    std::string strDate, strTime;
    GetSettingsTime(strDate, strTime);
    const std::string strScreen = m_bScreenSelected ? m_library.GetScreenName() : "---";
    const std::string strTheater = m_bTheaterSelected ? m_library.GetTheaterName() : "---";
    const std::string strCircuit = m_bCircuitSelected ? m_library.GetCircuitName() : "---";
    Enable(IDC_LOAD, m_bScreenSelected);
    Enable(IDC_SEND, m_bHasSettings);
    Enable(IDC_ADD_SCREEN, m_bTheaterSelected);
    Enable(IDC_ADD_THEATER, m_bCircuitSelected);
    SetNameText(IDC_CIRCUIT, strCircuit);
    SetNameText(IDC_THEATER, strTheater);
    SetNameText(IDC_SCREEN, strScreen);
    MarkFailingSettings();
    SetText(IDC_DATE, strDate);
    SetText(IDC_TIME, strTime);
    if (bReset)
        ResetProgress();
    Enable(IDC_DELETE, !m_bFolderNotEmpty);
    Enable(IDC_EDIT_NOTES, m_bScreenSelected);
    Enable(IDC_VIEW_CONFIGURATION, m_bHasSettings);
}

void CMainDlg::MarkFailingSettings() {
    // Stored settings of a valid length whose blocks fail their checks would be refused by a
    // Send: the panel says so before the technician tries.
    const bool bFails =
        m_bHasSettings &&
        StoredSettingsStateOf(m_storage.DiskPath(SelectedSite(), PathKind::SettingsFile)) ==
            StoredSettingsState::FailsChecks;
    for (const int id : {IDC_SCREEN, IDC_DATE, IDC_TIME}) {
        auto* label = qobject_cast<QLabel*>(Control(id));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText,
                         bFails ? QColor(170, 0, 0) : this->palette().color(QPalette::WindowText));
        label->setPalette(palette);
        // The screen's name keeps its own tooltip when it is elided.
        if (id != IDC_SCREEN || bFails)
            label->setToolTip(bFails ? kFailsChecksText : QString());
    }
    if (bFails) {
        SetNameText(IDC_SCREEN, m_library.GetScreenName() + "  (settings fail checks)");
        Control(IDC_SCREEN)
            ->setToolTip(FromName(m_library.GetScreenName()) + "\n" + kFailsChecksText);
    }
}

void CMainDlg::ResetProgress() {
    m_pStatusArea->Clear();
    m_pProgress->setValue(0);
}

void CMainDlg::OnSelChangedTree() {
    UpdateSelectionFlags();
    UpdateSelectionPanel(true);
}

void CMainDlg::OnDblClkTree() {
    if (GetSelectedLevel() == SiteLevel::Screen)
        OnEditNotes();
}

// ---------------------------------------------------------------------------------------------
// Port selection

void CMainDlg::SelectPort(int index) {
    m_portSettings.PortIndex = index;
    m_strPortProblem = m_portOpener(PortName(index));
    SavePortSetting(m_portSettings);
    for (int i = 0; i < 4; ++i)
        static_cast<QRadioButton*>(Control(IDC_COM1 + i))->setChecked(i == index);
    UpdatePortState();
    ShowPortProblem();
}

void CMainDlg::ShowPortProblem() {
    if (!m_strPortProblem.empty()) {
        m_pStatusArea->SetStatus(transfer_text::kPortError);
        m_pStatusArea->AddReason(FromName(m_strPortProblem));
        m_pProgress->setValue(0);
    } else if (m_pStatusArea->Status() == transfer_text::kPortError) {
        m_pStatusArea->Clear();
    }
}

void CMainDlg::ProbePort() {
    if (m_bTransferRunning)
        return;
    if (m_bPortShownOpen && !(m_portState && m_portState()))
        m_strPortProblem = m_portOpener(PortName(m_portSettings.PortIndex));
    UpdatePortState();
}

void CMainDlg::OpenSavedPort() {
    const int index = m_portSettings.PortIndex;
    m_strPortProblem = m_portOpener(PortName(index));
    for (int i = 0; i < 4; ++i)
        static_cast<QRadioButton*>(Control(IDC_COM1 + i))->setChecked(i == index);
    UpdatePortState();
}

void CMainDlg::UpdatePortState() {
    for (int i = 0; i < 4; ++i) {
        const std::string device = ResolvePortDevice(PortName(i), m_portSettings.ProfilePath);
        Control(IDC_COM1 + i)->setToolTip(FromName(PortName(i) + " is " + device));
    }
    const std::string port = PortName(m_portSettings.PortIndex);
    const std::string device = ResolvePortDevice(port, m_portSettings.ProfilePath);
    const bool bOpen = m_portState && m_portState();
    m_bPortShownOpen = bOpen;
    // The device's own name, shortened in the middle so that it never runs under the port
    // buttons (/dev/serial/by-id names are long); the whole path and the state in the tooltip.
    auto* label = static_cast<QLabel*>(Control(IDC_PORT_STATE));
    const QString name = label->fontMetrics().elidedText(
        FromName(fs::path(device).filename().string()), Qt::ElideMiddle, label->width());
    label->setText(name + (bOpen ? "\nopen" : "\nclosed"));
    std::string tip = port + " is " + device + (bOpen ? ": open" : ": not open");
    if (!bOpen && !m_strPortProblem.empty())
        tip += "\n" + m_strPortProblem;
    label->setToolTip(FromName(tip));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, bOpen ? QColor(0, 110, 0) : QColor(170, 0, 0));
    label->setPalette(palette);
}

void CMainDlg::OnPorts() {
    CPortDlg dialog(this, m_portSettings.ProfilePath);
    dialog.Load();
    dialog.SetTrace(m_bTrace, m_strTracePath);
    // The search tries the checked port on the port the window holds, so it is not refused as
    // in use by the window itself.
    dialog.SetFinder([this](const std::vector<std::string>& candidates,
                            const std::function<void(const std::string&)>& progress) {
        const HeldPort held{m_port, m_codec};
        return FindProcessor(candidates, progress, &held);
    });
    if (dialog.exec() == QDialog::Accepted) {
        m_bTrace = dialog.TraceEnabled();
        m_strTracePath = dialog.TracePath();
        m_strPortProblem = m_portOpener(PortName(m_portSettings.PortIndex));
        UpdatePortState();
        ShowPortProblem();
        return;
    }
    UpdatePortState();
}

// ---------------------------------------------------------------------------------------------
// Site commands

std::optional<std::string> CMainDlg::AskName(const std::string& caption, const NameCheck& check) {
    CNameDlg dialog;
    dialog.m_strCaption = FromName(caption);
    dialog.m_check = check;
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.m_strName.toStdString();
}

void CMainDlg::ShowMessage(const std::string& text, const std::string& caption, int icon) {
    PromptRequest request;
    request.m_strText = text;
    request.m_strCaption = caption;
    request.m_nIcon = static_cast<PromptIcon>(icon);
    AskPrompt(this, request);
}

void CMainDlg::ShowAddRefusal(int result, const std::string& message) {
    PromptRequest request;
    request.m_strText = message;
    request.m_strCaption = QApplication::applicationName().toStdString();
    request.m_nIcon = PromptIcon::Exclamation;
    switch (static_cast<AddResult>(result)) {
    case AddResult::Duplicate:
        // The level's own text, as a sentence, with its empty caption.
        request.m_strText = message + ".";
        request.m_strCaption.clear();
        break;
    case AddResult::RefusedName:
    case AddResult::NoParent:
        break;
    default:
        request.m_nIcon = PromptIcon::Stop;
        break;
    }
    QWidget* modal = QApplication::activeModalWidget();
    AskPrompt(modal ? modal : this, request);
}

void CMainDlg::AddEntry(SiteLevel level, const std::string& caption, QTreeWidgetItem* parent) {
    m_bAdding = true;
    // The entry the new one goes below, fixed before the name is asked for.
    const SiteSelection parentSite =
        parent ? m_library.SelectionOf(ItemPos(parent)) : SiteSelection{};
    AddOutcome added;
    added.m_nResult = AddResult::NoParent;
    const NameCheck check = [&](const std::string& name) {
        added = AddSite(m_storage, level, parentSite, name);
        if (added.IsAdded())
            return true;
        // The parents stay current for the next try; the panel's entry is current again.
        GetSelectedLevel();
        ShowAddRefusal(static_cast<int>(added.m_nResult), added.m_strMessage);
        return false;
    };
    const auto name = m_nameSource(caption, check);
    if (name && added.IsAdded()) {
        // The name as stored: composed, as the scan will read it back.
        SelectItem(parent ? AppendChildItem(parent, added.m_strName, added.m_pos)
                          : InsertCircuitItem(added.m_strName, added.m_pos));
        NoteLibraryState();
    } else {
        GetSelectedLevel();
    }
    m_bAdding = false;
    activateWindow();
}

void CMainDlg::OnAddCircuit() {
    AddEntry(SiteLevel::Circuit, "Add Theater Circuit Name", nullptr);
}

void CMainDlg::OnAddTheater() {
    QTreeWidgetItem* selected = m_pTree->currentItem();
    const SiteLevel level = selected ? m_library.Locate(ItemPos(selected)) : SiteLevel::None;
    if (level == SiteLevel::None) {
        activateWindow();
        return;
    }
    QTreeWidgetItem* circuit = selected;
    while (circuit->parent())
        circuit = circuit->parent();
    AddEntry(SiteLevel::Theater, "Add Theater to " + m_library.GetCircuitName(), circuit);
}

void CMainDlg::OnAddScreen() {
    QTreeWidgetItem* selected = m_pTree->currentItem();
    const SiteLevel level = selected ? m_library.Locate(ItemPos(selected)) : SiteLevel::None;
    if (level != SiteLevel::Theater && level != SiteLevel::Screen) {
        activateWindow();
        return;
    }
    QTreeWidgetItem* theater = level == SiteLevel::Theater ? selected : selected->parent();
    AddEntry(SiteLevel::Screen, "Add Screen to " + m_library.GetTheaterName(), theater);
}

void CMainDlg::OnEditNotes() {
    OpenNotesFile(this, m_storage.SitePath(SelectedSite(), PathKind::NotesFile));
}

void CMainDlg::OnViewConfiguration() {
    try {
        const SiteSelection screen = SelectedSite();
        m_storage.LoadSite(screen);
        WriteConfigurationReport(m_storage.DiskPath(screen, PathKind::ReportFile), m_image,
                                 screen.m_strCircuit, screen.m_strTheater, screen.m_strScreen);
        OpenReportFile(this, m_storage.SitePath(screen, PathKind::ReportFile));
    } catch (const FileError& error) {
        ShowFileError(this, error.Message());
    }
}

void CMainDlg::OnHelp() {
    OpenHelp(this);
}

// ---------------------------------------------------------------------------------------------
// Deleting

bool CMainDlg::ConfirmDelete(SiteLevel level) {
    PromptRequest request;
    // The question as it always was, then what else goes with the entry (its kept versions).
    SiteSelection site = SelectedSite();
    site.m_nLevel = level;
    request.m_strText = ConfirmDeleteText(site) + DeleteQuestionNote(m_storage, site);
    request.m_strCaption = QApplication::applicationName().toStdString();
    request.m_nButtons = PromptButtons::OkCancel;
    request.m_bCancelDefault = true;
    request.m_nIcon = PromptIcon::Exclamation;
    return AskPrompt(this, request) == kAnswerOk;
}

void CMainDlg::OnDelete() {
    const SiteLevel level = GetSelectedLevel();
    if (level == SiteLevel::None || !ConfirmDelete(level))
        return;
    const SiteSelection site = SelectedSite();
    const std::string folder = m_storage.SitePath(site, FolderKind(level));
    const DeleteOutcome outcome = DeleteSiteFiles(m_storage, site);
    if (outcome.m_result == DeleteResult::FolderKept) {
        // Nothing of the entry is gone (or only its empty folder stayed): say what is in the way
        // and what to do. The status text and the bar stay as they were.
        ShowMessage(DeleteOutcomeMessage(outcome, folder),
                    QApplication::applicationName().toStdString(),
                    static_cast<int>(PromptIcon::Exclamation));
        UpdateSelectionPanel(false);
        return;
    }
    // Removed now, or by another program before: either way the entry goes.
    m_library.RemoveCurrent(level);
    DeleteCurrentItem();
    NoteLibraryState();
}

void CMainDlg::DeleteCurrentItem() {
    QTreeWidgetItem* item = m_pTree->currentItem();
    if (!item)
        return;
    m_pDyingItem = item;
    // The parent is selected before the item goes, so the deleted item is never the selection
    // while it is removed; for a circuit this clears the selection and the refresh picks the
    // first other circuit.
    m_pTree->setCurrentItem(item->parent());
    delete item;
    m_pDyingItem = nullptr;
    if (!m_pTree->currentItem())
        UpdateSelectionPanel(true);
}

// ---------------------------------------------------------------------------------------------
// Transfer commands

void CMainDlg::LockControls() {
    for (const int id : {IDC_LOAD, IDC_SEND, IDC_ADD_CIRCUIT, IDC_ADD_THEATER, IDC_ADD_SCREEN,
                         IDC_COM1, IDC_COM2, IDC_COM3, IDC_COM4})
        Enable(id, false);
}

void CMainDlg::UnlockControls() {
    for (const int id : {IDC_ADD_CIRCUIT, IDC_COM1, IDC_COM2, IDC_COM3, IDC_COM4})
        Enable(id, true);
}

void CMainDlg::OnLoadSettings() {
    StartTransfer(TransferKind::Load);
}

void CMainDlg::OnSendSettings() {
    StartTransfer(TransferKind::Send);
}

void CMainDlg::OnCompareWithProcessor() {
    StartTransfer(TransferKind::Compare);
}

void CMainDlg::StartTransfer(TransferKind kind) {
    if (m_bTransferRunning)
        return;
    // The screen is fixed here for the whole transfer: its names, not the tree's selection,
    // say where the settings are stored or read.
    QTreeWidgetItem* selected = m_pTree->currentItem();
    if (!selected || !m_library.LocateScreen(ItemPos(selected)))
        return;
    const ScreenTarget target{m_library.GetCircuitName(), m_library.GetTheaterName(),
                              m_library.GetScreenName()};
    // The Send warning's second line names the screen and the date of its stored settings, so
    // that a Send to the wrong screen is caught before it happens.
    std::string strDate, strTime;
    GetSettingsTime(strDate, strTime);
    const std::string strTargetLine = "To: " + target.m_strCircuit + " - " + target.m_strTheater +
                                      " - " + target.m_strScreen + ", settings stored " + strDate +
                                      " " + strTime;
    m_transferKind = kind;
    m_transferTarget = target;
    // A port whose device went away and came back is opened anew here, so the first Load after
    // it already reaches the device.
    if (!(m_portState && m_portState()) || m_bLastTransferFailed) {
        m_strPortProblem = m_portOpener(PortName(m_portSettings.PortIndex));
        UpdatePortState();
    }
    const std::string strTrace = m_bTrace ? m_strTracePath : std::string();
    m_pFocusBeforeTransfer = focusWidget();
    LockControls();
    Enable(IDC_HISTORY, false);
    m_bTransferRunning = true;
    // The window looks busy: Exit, Delete and Ports... take no input until the end.
    setCursor(Qt::WaitCursor);
    // Input given to the window while the job runs is dropped, never replayed after it.
    qApp->installEventFilter(this);
    auto* status = qobject_cast<QLabel*>(Control(IDC_STATUS));
    const std::filesystem::path root = m_storage.Root();
    m_transfer = std::thread([this, kind, target, status, root, strTargetLine, strTrace] {
        WindowTransferObserver observer(this, m_pProgress, status);
        // The line, with the trace between when the ports dialog switched it on. A trace that
        // cannot be opened or written is reported after the transfer, which it never fails.
        std::string strTraceProblem;
        std::unique_ptr<TraceFile> trace;
        std::unique_ptr<TracingLine> tracing;
        if (!strTrace.empty())
            trace = TraceFile::Open(strTrace, root, strTraceProblem);
        if (trace)
            tracing = std::make_unique<TracingLine>(m_port, *trace);
        SerialDeviceLink device(tracing ? static_cast<SerialLine&>(*tracing) : m_port, m_codec);
        TransferLink& link = device;
        observer.SetSendTargetLine(strTargetLine);
        ScreenStore store(root);
        TransferResult result = TransferResult::Success;
        switch (kind) {
        case TransferKind::Load:
            result = RunLoad(link, m_image, target, store, observer);
            break;
        case TransferKind::Send:
            result = RunSend(link, m_image, target, store, observer);
            break;
        case TransferKind::Compare:
            result = RunRead(link, m_processorImage, observer);
            break;
        }
        tracing.reset();
        if (trace)
            strTraceProblem = trace->Problem();
        if (!strTraceProblem.empty())
            observer.OnReason(strTraceProblem);
        QMetaObject::invokeMethod(
            this,
            [this, result] {
                m_transferResult = result;
                EndTransfer();
            },
            Qt::QueuedConnection);
    });
}

void CMainDlg::EndTransfer() {
    if (m_transfer.joinable())
        m_transfer.join();
    qApp->removeEventFilter(this);
    m_bTransferRunning = false;
    unsetCursor();
    m_bLastTransferFailed = m_transferResult == TransferResult::StageFailed ||
                            m_transferResult == TransferResult::PortNotOpen;
    UpdateSelectionPanel(false);
    UnlockControls();
    Enable(IDC_HISTORY, true);
    // The lock handed the focus to the tree: the command's own button takes it back.
    if (m_pFocusBeforeTransfer && focusWidget() != m_pFocusBeforeTransfer)
        (m_pFocusBeforeTransfer->isEnabled() ? m_pFocusBeforeTransfer.data() : m_pTree)->setFocus();
    m_pFocusBeforeTransfer = nullptr;
    emit TransferEnded();
    if (m_bCloseAfterTransfer) {
        reject();
        return;
    }
    // The processor took another audio block than the one sent: what it holds is worth a look
    // at once.
    if (m_transferKind == TransferKind::Send &&
        m_transferResult == TransferResult::OtherBlockTaken) {
        PromptRequest offer;
        offer.m_strText = "The VRX-3KM did not take every block as it was sent. Compare the "
                          "processor with the stored settings now?";
        offer.m_strCaption = QApplication::applicationName().toStdString();
        offer.m_nButtons = PromptButtons::OkCancel;
        offer.m_nIcon = PromptIcon::Exclamation;
        if (AskPrompt(this, offer) == kAnswerOk)
            StartTransfer(TransferKind::Compare);
        return;
    }
    if (m_transferResult != TransferResult::Success)
        return;
    if (m_transferKind == TransferKind::Compare) {
        ShowProcessorDifferences();
    } else if (m_transferKind == TransferKind::Send) {
        // Verify: the processor read back and compared with what was sent.
        PromptRequest offer;
        offer.m_strText = "Compare the processor with the stored settings now?";
        offer.m_strCaption = QApplication::applicationName().toStdString();
        offer.m_nButtons = PromptButtons::OkCancel;
        offer.m_nIcon = PromptIcon::None;
        if (AskPrompt(this, offer) == kAnswerOk)
            StartTransfer(TransferKind::Compare);
    }
}

bool CMainDlg::SelectedScreen(ScreenTarget& target, fs::path& folder) {
    if (GetSelectedLevel() != SiteLevel::Screen)
        return false;
    target = {m_library.GetCircuitName(), m_library.GetTheaterName(), m_library.GetScreenName()};
    folder = m_storage.DiskPath(SelectedSite(), PathKind::ScreenFolder);
    return true;
}

void CMainDlg::ShowDifferences(const std::string& strOther, const SettingsImage& other) {
    ScreenTarget target;
    fs::path folder;
    if (!SelectedScreen(target, folder))
        return;
    try {
        const SettingsImage stored = ReadSettingsFile(folder / kSettingsFileName);
        CDiffDlg dialog(
            this, target.m_strCircuit + " / " + target.m_strTheater + " / " + target.m_strScreen,
            strOther, CompareSettings(stored, other));
        dialog.exec();
    } catch (const FileError& error) {
        ShowFileError(this, error.Message());
    }
}

void CMainDlg::ShowProcessorDifferences() {
    const fs::path file = ScreenFolderPath(m_storage.Root(), m_transferTarget) / kSettingsFileName;
    try {
        if (CompareSettings(ReadSettingsFile(file), m_processorImage).empty()) {
            ShowMessage(kVerifiedText, QApplication::applicationName().toStdString(),
                        static_cast<int>(PromptIcon::None));
            return;
        }
    } catch (const FileError& error) {
        ShowFileError(this, error.Message());
        return;
    }
    ShowDifferences("the VRX-3KM", m_processorImage);
}

void CMainDlg::UpdateHistoryMenu() {
    UpdateSelectionFlags();
    const QList<QAction*> actions = m_pHistoryMenu->actions();
    // Compare with the processor, History, another screen, a file.
    actions[0]->setEnabled(m_bHasSettings && !m_bTransferRunning);
    actions[1]->setEnabled(m_bScreenSelected);
    actions[2]->setEnabled(m_bHasSettings);
    actions[3]->setEnabled(m_bHasSettings);
}

void CMainDlg::OnHistory() {
    ScreenTarget target;
    fs::path folder;
    if (!SelectedScreen(target, folder))
        return;
    CHistoryDlg dialog(this, folder,
                       {target.m_strCircuit, target.m_strTheater, target.m_strScreen});
    dialog.exec();
    if (dialog.Restored())
        UpdateSelectionPanel(false);
}

void CMainDlg::OnCompareWithScreen() {
    ScreenTarget target;
    fs::path folder;
    if (!SelectedScreen(target, folder))
        return;
    // Every other screen of the library that has stored settings.
    QStringList choices;
    std::vector<fs::path> files;
    for (m_library.FirstCircuit(); m_library.HasCircuit(); m_library.NextCircuit())
        for (m_library.FirstTheater(); m_library.HasTheater(); m_library.NextTheater())
            for (m_library.FirstScreen(); m_library.HasScreen(); m_library.NextScreen()) {
                const std::string circuit = m_library.GetCircuitName();
                const std::string theater = m_library.GetTheaterName();
                const std::string screen = m_library.GetScreenName();
                const fs::path file =
                    ScreenFolderPath(m_storage.Root(), {circuit, theater, screen}) /
                    kSettingsFileName;
                const bool bSelf = circuit == target.m_strCircuit &&
                                   theater == target.m_strTheater && screen == target.m_strScreen;
                if (bSelf || StoredSettingsStateOf(file) == StoredSettingsState::None)
                    continue;
                choices << FromName(circuit + " / " + theater + " / " + screen);
                files.push_back(file);
            }
    // The walk moved the library's cursor: the tree's selection is made current again.
    GetSelectedLevel();
    if (choices.isEmpty()) {
        ShowMessage("No other screen of the library has stored settings to compare with.",
                    QApplication::applicationName().toStdString(),
                    static_cast<int>(PromptIcon::None));
        return;
    }
    bool bOk = false;
    const QString choice = QInputDialog::getItem(this, "Compare with another screen",
                                                 "Screen:", choices, 0, false, &bOk);
    if (!bOk)
        return;
    const auto index = static_cast<std::size_t>(choices.indexOf(choice));
    try {
        ShowDifferences(choice.toStdString(), ReadSettingsFile(files.at(index)));
    } catch (const FileError& error) {
        ShowFileError(this, error.Message());
    }
}

void CMainDlg::OnCompareWithFile() {
    const QString path = QFileDialog::getOpenFileName(this, "Compare with a settings file",
                                                      QString(), "Settings (*.cfg);;All files (*)");
    if (path.isEmpty())
        return;
    try {
        ShowDifferences(path.toStdString(), ReadSettingsFile(fs::path(path.toStdString())));
    } catch (const FileError& error) {
        ShowFileError(this, error.Message());
    }
}

void CMainDlg::WaitForTransferEnd() {
    while (m_bTransferRunning)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void CMainDlg::reject() {
    if (m_bTransferRunning) {
        m_bCloseAfterTransfer = true;
        return;
    }
    m_bCloseAfterTransfer = false;
    // Notes typed in the program's own editor are saved or given up first, never lost with
    // the window.
    if (!CloseNotesEditors(this))
        return;
    QDialog::reject();
}
