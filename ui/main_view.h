// The main window's widgets and their layout: the template's controls at their places in dialog
// units and in its tab order, the controls beside the template, and how the selection panel, the
// port line and the library folder are shown. The main dialog (main_dlg.h) wires them to its
// commands.
#pragma once

#include "control/selection_state.h"

#include <map>
#include <string>

class CStatusArea;
class Prompt;
class QAbstractButton;
class QAction;
class QDialog;
class QLabel;
class QMenu;
class QProgressBar;
class QRadioButton;
class QTreeWidget;
class QWidget;
struct PortLineState;

// Control identifiers of the main dialog.
enum MainControl : int {
    IDC_EXIT = 1,
    IDC_ADD_CIRCUIT = 3,
    IDC_ADD_THEATER = 4,
    IDC_ADD_SCREEN = 5,
    IDC_LOAD = 6,
    IDC_SEND = 7,
    IDC_DELETE = 8,
    IDC_VIEW_CONFIGURATION = 9,
    IDC_EDIT_NOTES = 10,
    IDC_TREE = 1000,
    IDC_PROGRESS = 1001,
    IDC_STATUS = 1002,
    IDC_COM1 = 1014,
    IDC_COM2 = 1015,
    IDC_COM3 = 1016,
    IDC_COM4 = 1017,
    IDC_DATE = 1018,
    IDC_SELECTION_BOX = 1019,
    IDC_TIME = 1020,
    IDC_CIRCUIT = 1021,
    IDC_SCREEN = 1022,
    IDC_THEATER = 1023,
    IDC_HELP = 57670,
    // Beside the template: the serial ports dialog and the checked port's device.
    IDC_PORTS = 2001,
    IDC_PORT_STATE = 2002,
    IDC_HISTORY = 2003,
    // Beside the template: the line that names the open library folder.
    IDC_LIBRARY = 2004,
    // Beside the template: opens the whole reason when it does not fit the status text 1002.
    IDC_STATUS_DETAILS = 2005
};

// The window menu's About item (the dialog's context menu, and the system menu on Windows).
inline constexpr const char* kAboutText = "&About 3km...";

class CMainView {
public:
    // Creates the controls on dialog; prompt shows the status area's Details box.
    CMainView(QDialog* dialog, Prompt& prompt);

    // The control with this identifier, or null.
    QWidget* Control(int id) const;
    QAbstractButton* Button(int id) const;
    QTreeWidget* Tree() const { return m_pTree; }
    QProgressBar* Progress() const { return m_pProgress; }
    CStatusArea* StatusArea() const { return m_pStatusArea; }
    // The menu of the History & Compare button and of the tree's items, and its commands.
    QMenu* HistoryMenu() const { return m_pHistoryMenu; }
    QAction* MenuAction(MainCommand command) const;
    // The dialog's context menu: open another library folder, refresh, About.
    QAction* OpenLibraryAction() const { return m_pOpenLibrary; }
    QAction* RefreshAction() const { return m_pRefresh; }
    QAction* AboutAction() const { return m_pAbout; }

    // Enables or disables a control. A control that loses the keyboard focus by being disabled
    // hands it to the tree, never to the next control in the chain (Exit, Delete), so that Enter
    // does not end the program or ask a question by surprise.
    void Enable(int id, bool bEnable);
    // The controls of a command: its button, the four port buttons, or its menu item.
    void Enable(MainCommand command, bool bEnable);
    void SetText(int id, const std::string& text);
    // Enables each of the commands as the state allows it (while a transfer runs or not).
    template <typename Commands>
    void EnableAsAllowed(const Commands& commands, const SelectionState& state, bool bRunning) {
        for (const MainCommand command : commands)
            Enable(command, state.Allows(command, bRunning));
    }
    // A transfer's start disables the commands it locks; its end enables again those whose
    // controls do not follow the selection (TransferLockOf).
    void LockForTransfer();
    void UnlockAfterTransfer();

    // The names, the date and the time of the selection; names too long for the panel are elided
    // with "..." and whole in the tooltip; a screen whose stored settings fail their checks is
    // marked in red with the reason in the tooltips.
    void ShowPanel(const SelectionState& state);
    // Clears the status text and sets the bar to 0.
    void ResetProgress();
    // Checks the port button of that index (0 to 3) alone.
    void CheckPort(int index);
    // The chosen port's device and whether it is open, beside and on the port buttons: the
    // device's name shortened in the middle to fit, the whole path and why it is closed in the
    // tooltip.
    void ShowPortLine(const PortLineState& state);
    // After a port was opened: one that did not open says why in the status area at once; one
    // that opened clears an earlier "COM Port Error.".
    void ShowPortProblem(const std::string& strProblem);
    // The open library folder, on the free line between the two rows of buttons.
    void ShowLibraryFolder();

private:
    void CreateControls(QDialog* dialog, Prompt& prompt);
    QAbstractButton* AddButton(int id, const char* text, int x, int y, int w, int h);
    QLabel* AddStatic(int id, const char* text, int x, int y, int w, int h);
    QRadioButton* AddRadio(int id, const char* text, int x, int y, int w, int h);
    QLabel* Label(int id) const;
    void SetNameText(int id, const std::string& name);

    QDialog* m_pDialog;
    std::map<int, QWidget*> m_controls;
    std::map<MainCommand, QAction*> m_menuActions;
    QTreeWidget* m_pTree = nullptr;
    QProgressBar* m_pProgress = nullptr;
    CStatusArea* m_pStatusArea = nullptr;
    QMenu* m_pHistoryMenu = nullptr;
    QAction* m_pOpenLibrary = nullptr;
    QAction* m_pRefresh = nullptr;
    QAction* m_pAbout = nullptr;
};
