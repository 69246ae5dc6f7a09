#include "ui/main_view.h"

#include "control/port_line.h"
#include "link/transfer_sequence.h"
#include "ui/dialog_units.h"
#include "ui/status_area.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

namespace {

QString FromName(const std::string& name) {
    return QString::fromUtf8(name);
}

void SetTextColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace

CMainView::CMainView(QDialog* dialog, Prompt& prompt) : m_pDialog(dialog) {
    CreateControls(dialog, prompt);
}

QAbstractButton* CMainView::AddButton(int id, const char* text, int x, int y, int w, int h) {
    auto* button = new QPushButton(text, m_pDialog);
    DialogUnits(m_pDialog->fontMetrics()).Place(button, x, y, w, h);
    // The template's push buttons have the default-button style: Enter presses the focused one.
    button->setAutoDefault(true);
    m_controls[id] = button;
    return button;
}

QLabel* CMainView::AddStatic(int id, const char* text, int x, int y, int w, int h) {
    auto* label = new QLabel(text, m_pDialog);
    DialogUnits(m_pDialog->fontMetrics()).Place(label, x, y, w, h);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (id != 0)
        m_controls[id] = label;
    return label;
}

QRadioButton* CMainView::AddRadio(int id, const char* text, int x, int y, int w, int h) {
    auto* radio = new QRadioButton(text, m_pDialog);
    DialogUnits(m_pDialog->fontMetrics()).Place(radio, x, y, w, h);
    // Each button is a group of its own: the program keeps exactly one checked.
    radio->setAutoExclusive(false);
    m_controls[id] = radio;
    return radio;
}

void CMainView::CreateControls(QDialog* dialog, Prompt& prompt) {
    const DialogUnits du(dialog->fontMetrics());
    dialog->setWindowTitle("3km");
    dialog->setFixedSize(du.X(343), du.Y(237));
    dialog->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    // Group boxes first, so the controls they frame are drawn above them; the focus chain is
    // set below in the template's order.
    auto* transfer = new QGroupBox("Download/Upload", dialog);
    du.Place(transfer, 192, 7, 144, 121);
    auto* port = new QGroupBox("Serial Port", dialog);
    du.Place(port, 192, 134, 144, 48);
    auto* selection = new QGroupBox("Current Selection", dialog);
    du.Place(selection, 7, 120, 169, 60);
    m_controls[IDC_SELECTION_BOX] = selection;

    m_pTree = new QTreeWidget(dialog);
    du.Place(m_pTree, 7, 7, 169, 102);
    m_pTree->setHeaderHidden(true);
    m_pTree->setColumnCount(1);
    m_pTree->setRootIsDecorated(true);
    m_pTree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pTree->setExpandsOnDoubleClick(true);
    m_pTree->setContextMenuPolicy(Qt::CustomContextMenu);
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
        QWidget::setTabOrder(chain[i - 1], chain[i]);

    m_pProgress = new QProgressBar(dialog);
    du.Place(m_pProgress, 208, 20, 116, 8);
    m_pProgress->setRange(0, 100);
    m_pProgress->setValue(0);
    m_pProgress->setTextVisible(false);
    m_controls[IDC_PROGRESS] = m_pProgress;
    QLabel* status = AddStatic(IDC_STATUS, "", 209, 34, 115, 33);
    // Details... stands right below the status text, in the free band above the Load button.
    auto* details = new QPushButton("Deta&ils...", dialog);
    details->setAutoDefault(true);
    details->setFlat(true);
    const QFontMetrics metrics = dialog->fontMetrics();
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
    QWidget::setTabOrder(m_controls[IDC_HISTORY], details);
    m_pStatusArea = new CStatusArea(status, details, prompt);
    AddStatic(IDC_DATE, "(Date)", 13, 167, 103, 8);
    AddStatic(IDC_TIME, "(Time)", 119, 167, 49, 8);
    AddStatic(IDC_CIRCUIT, "(Circuit)", 52, 134, 114, 8);
    AddStatic(IDC_SCREEN, "(Screen)", 51, 156, 114, 8);
    AddStatic(IDC_THEATER, "(Theater)", 52, 145, 114, 8);
    AddStatic(0, "Circuit:", 13, 134, 35, 8);
    AddStatic(0, "Theater:", 13, 145, 35, 8);
    AddStatic(0, "Screen:", 13, 156, 35, 8);
    AddStatic(IDC_LIBRARY, "", 7, 206, 329, 8)->setTextFormat(Qt::PlainText);
    QLabel* portState = AddStatic(IDC_PORT_STATE, "", 194, 159, 30, 19);
    portState->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    portState->setTextFormat(Qt::PlainText);

    // History and Compare: a menu on its button and on the tree's items.
    m_pHistoryMenu = new QMenu(dialog);
    const char* const menu[] = {"Compare with the &VRX-3KM", "&History of this screen...",
                                "Compare with &another screen...", "Compare with a &file..."};
    for (std::size_t i = 0; i < std::size(menu); ++i)
        m_menuActions[kMenuCommands[i]] = m_pHistoryMenu->addAction(menu[i]);
    auto* history = static_cast<QPushButton*>(m_controls[IDC_HISTORY]);
    history->setMenu(m_pHistoryMenu);
    history->setToolTip("The settings kept each time this screen's settings were replaced, and "
                        "comparisons with the VRX-3KM, another screen or a file (Alt+Y)");
    m_controls[IDC_PORTS]->setToolTip(
        "Choose the device each port stands for, find the VRX-3KM, trace the line (Alt+O)");

    // Opening another library folder and rescanning this one, and the window menu's About item,
    // in the dialog's context menu. Windows has a system menu and gets the About item there too.
    m_pOpenLibrary = new QAction("&Open Library Folder...", dialog);
    m_pOpenLibrary->setShortcut(QKeySequence::Open);
    dialog->addAction(m_pOpenLibrary);
    m_pRefresh = new QAction("&Refresh", dialog);
    m_pRefresh->setShortcut(QKeySequence(Qt::Key_F5));
    dialog->addAction(m_pRefresh);
    auto* separator = new QAction(dialog);
    separator->setSeparator(true);
    dialog->addAction(separator);
    m_pAbout = new QAction(kAboutText, dialog);
    dialog->addAction(m_pAbout);
    dialog->setContextMenuPolicy(Qt::ActionsContextMenu);
}

QWidget* CMainView::Control(int id) const {
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

QAbstractButton* CMainView::Button(int id) const {
    return qobject_cast<QAbstractButton*>(Control(id));
}

QLabel* CMainView::Label(int id) const {
    return qobject_cast<QLabel*>(Control(id));
}

QAction* CMainView::MenuAction(MainCommand command) const {
    const auto it = m_menuActions.find(command);
    return it == m_menuActions.end() ? nullptr : it->second;
}

void CMainView::Enable(int id, bool bEnable) {
    QWidget* control = Control(id);
    if (!control)
        return;
    if (!bEnable && m_pDialog->focusWidget() == control)
        m_pTree->setFocus();
    control->setEnabled(bEnable);
}

void CMainView::Enable(MainCommand command, bool bEnable) {
    switch (command) {
    case MainCommand::AddCircuit:
        return Enable(IDC_ADD_CIRCUIT, bEnable);
    case MainCommand::AddTheater:
        return Enable(IDC_ADD_THEATER, bEnable);
    case MainCommand::AddScreen:
        return Enable(IDC_ADD_SCREEN, bEnable);
    case MainCommand::Load:
        return Enable(IDC_LOAD, bEnable);
    case MainCommand::Send:
        return Enable(IDC_SEND, bEnable);
    case MainCommand::Delete:
        return Enable(IDC_DELETE, bEnable);
    case MainCommand::ViewConfiguration:
        return Enable(IDC_VIEW_CONFIGURATION, bEnable);
    case MainCommand::EditNotes:
        return Enable(IDC_EDIT_NOTES, bEnable);
    case MainCommand::Help:
        return Enable(IDC_HELP, bEnable);
    case MainCommand::Ports:
        return Enable(IDC_PORTS, bEnable);
    case MainCommand::HistoryMenu:
        return Enable(IDC_HISTORY, bEnable);
    case MainCommand::SelectPort:
        for (int id = IDC_COM1; id <= IDC_COM4; ++id)
            Enable(id, bEnable);
        return;
    case MainCommand::CompareWithProcessor:
    case MainCommand::ScreenHistory:
    case MainCommand::CompareWithScreen:
    case MainCommand::CompareWithFile:
        MenuAction(command)->setEnabled(bEnable);
        return;
    }
}

void CMainView::LockForTransfer() {
    for (const MainCommand command : kMainCommands)
        if (TransferLockOf(command) != TransferLock::Untouched)
            Enable(command, false);
}

void CMainView::UnlockAfterTransfer() {
    for (const MainCommand command : kMainCommands)
        if (TransferLockOf(command) == TransferLock::Fixed)
            Enable(command, true);
}

void CMainView::SetText(int id, const std::string& text) {
    if (QLabel* label = Label(id))
        label->setText(FromName(text));
}

void CMainView::SetNameText(int id, const std::string& name) {
    QLabel* label = Label(id);
    const QString text = FromName(name);
    const QString shown = label->fontMetrics().elidedText(text, Qt::ElideRight, label->width());
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
}

void CMainView::ShowPanel(const SelectionState& state) {
    const SelectionPanel& panel = state.Panel();
    SetNameText(IDC_CIRCUIT, panel.m_strCircuit);
    SetNameText(IDC_THEATER, panel.m_strTheater);
    SetNameText(IDC_SCREEN, panel.m_strScreen);
    const bool bFails = !panel.m_strWarning.empty();
    const QString warning = QString::fromStdString(panel.m_strWarning);
    for (const int id : {IDC_SCREEN, IDC_DATE, IDC_TIME})
        SetTextColour(Label(id), bFails ? QColor(170, 0, 0)
                                        : m_pDialog->palette().color(QPalette::WindowText));
    Control(IDC_DATE)->setToolTip(warning);
    Control(IDC_TIME)->setToolTip(warning);
    // The screen's tooltip says all that the marks and its own port stand for.
    QStringList tip;
    if (bFails)
        tip << warning;
    if (!panel.m_strOwnPortProblem.empty())
        tip << "Its own port (Port.txt) cannot be used: " + FromName(panel.m_strOwnPortProblem);
    else if (!panel.m_strOwnPort.empty())
        tip << "Its own port: " + FromName(panel.m_strOwnPort) +
                   "\nLoad, Send and compare of this screen use it, not the checked COM button.";
    if (state.HasConflicts())
        tip << "Conflicting copies:\n" + FromName(panel.m_strConflicts) + kConflictText;
    if (!bFails && state.HasConflicts())
        SetTextColour(Label(IDC_SCREEN), QColor(150, 80, 0));
    if (!tip.isEmpty())
        Control(IDC_SCREEN)
            ->setToolTip(FromName(state.Site().m_strScreen) + "\n" + tip.join("\n\n"));
    SetText(IDC_DATE, panel.m_strDate);
    SetText(IDC_TIME, panel.m_strTime);
}

void CMainView::ResetProgress() {
    m_pStatusArea->Clear();
    m_pProgress->setValue(0);
}

void CMainView::CheckPort(int index) {
    for (int i = 0; i < 4; ++i)
        static_cast<QRadioButton*>(Control(IDC_COM1 + i))->setChecked(i == index);
}

void CMainView::ShowPortLine(const PortLineState& state) {
    for (int i = 0; i < 4; ++i)
        Control(IDC_COM1 + i)->setToolTip(FromName(state.PortTip(i)));
    // The device's own name, shortened in the middle so that it never runs under the port
    // buttons (/dev/serial/by-id names are long); the whole path and the state in the tooltip.
    QLabel* label = Label(IDC_PORT_STATE);
    const QString name = label->fontMetrics().elidedText(FromName(state.DeviceName()),
                                                         Qt::ElideMiddle, label->width());
    label->setText(name + (state.m_bOpen ? "\nopen" : "\nclosed"));
    label->setToolTip(FromName(state.Tip()));
    SetTextColour(label, state.m_bOpen ? QColor(0, 110, 0) : QColor(170, 0, 0));
}

void CMainView::ShowPortProblem(const std::string& strProblem) {
    if (!strProblem.empty()) {
        m_pStatusArea->SetStatus(transfer_text::kPortError);
        m_pStatusArea->AddReason(FromName(strProblem));
        m_pProgress->setValue(0);
    } else if (m_pStatusArea->Status() == transfer_text::kPortError) {
        m_pStatusArea->Clear();
    }
}

void CMainView::ShowLibraryFolder() {
    QLabel* label = Label(IDC_LIBRARY);
    const QString folder = QDir::toNativeSeparators(QDir::currentPath());
    const QString text = "Library: " + folder;
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideMiddle, label->width()));
    label->setToolTip("The library folder: " + folder +
                      "\nRight-click the window to open another library folder (Ctrl+O) or to "
                      "read this one again (F5).");
}
