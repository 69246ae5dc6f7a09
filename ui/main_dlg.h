// The main window: the site library as a tree, the "Current Selection" panel, the transfer box,
// the four serial port buttons and the command buttons.
#pragma once

#include "image/settings_image.h"
#include "image/settings_store.h"
#include "library/site_library.h"
#include "library/site_storage.h"
#include "link/frame_codec.h"
#include "link/profile.h"
#include "link/serial_port.h"
#include "link/transfer_sequence.h"

#include <QDialog>
#include <QPointer>
#include <QStringList>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class CStatusArea;
class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

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

// What a transfer of the window does: the two specified commands, and the read-only comparison
// of the processor with the stored settings.
enum class TransferKind { Load, Send, Compare };

class CMainDlg : public QDialog {
    Q_OBJECT
public:
    // Takes a typed name; true when it was accepted (the entry is added). A refusal has been
    // shown to the technician, who may correct the name and try again.
    using NameCheck = std::function<bool(const std::string& name)>;
    // Asks for a new name with this caption until check accepts one, and returns it; nullopt
    // when the technician cancelled. The default runs a CNameDlg, which stays open with the
    // typed text after a refusal.
    using NameSource = std::function<std::optional<std::string>(const std::string& caption,
                                                                const NameCheck& check)>;
    // Opens the serial port of this name ("COM1" to "COM4") and returns why it did not open, or
    // "" when it did; the default opens the program's port.
    using PortOpener = std::function<std::string(const std::string& name)>;

    // The objects of the program's run, made where it starts: the port with the codec that frames
    // its messages, the settings image, the port choice with the profile's path, and the library.
    // They outlive the dialog.
    CMainDlg(CSerialPort& port, FrameCodec& codec, SettingsImage& image, PortSettings& portSettings,
             SiteLibrary& library, QWidget* parent = nullptr);
    ~CMainDlg() override;

    // Everything the initialisation does after the controls exist: title, profile, library
    // scan, tree, panel and the saved port. exec() runs it first.
    void InitDialog();
    int exec() override;

    void SetNameSource(NameSource source) { m_nameSource = std::move(source); }
    void SetPortOpener(PortOpener opener) { m_portOpener = std::move(opener); }

    // The control with this identifier, or null.
    QWidget* Control(int id) const;
    QTreeWidget* Tree() const { return m_pTree; }
    CStatusArea* StatusArea() const { return m_pStatusArea; }
    SiteLibrary& Library() { return m_library; }

    // Selection panel.
    SiteLevel GetSelectedLevel();
    // The selected tree item's entry resolved into a value (level None when nothing is
    // selected); moves no cursor.
    SiteSelection SelectedSite() const;
    void UpdateSelectionFlags();
    bool GetSettingsTime(std::string& strDate, std::string& strTime);
    void UpdateSelectionPanel(bool bReset);
    void ResetProgress();
    // Marks the panel when the selected screen's stored settings fail their checks.
    void MarkFailingSettings();
    void FillTree();

    // Port selection.
    void SelectPort(int index);
    void OpenSavedPort();
    // The serial ports dialog; after OK the checked port is opened again on its device.
    void OnPorts();
    // Shows the checked port's device and whether it is open, beside and on the port buttons: the
    // device's name shortened in the middle to fit, the whole path and why it is closed in the
    // tooltip.
    void UpdatePortState();
    // Whether the checked port is open and its device still answers; the default probes the
    // program's port (CSerialPort::Probe).
    using PortState = std::function<bool()>;
    void SetPortState(PortState state) { m_portState = std::move(state); }
    // Runs when the window becomes the active one: a port shown open whose device has gone is
    // opened again (an adapter plugged in again answers only on a new open), and the port line
    // shows what is true now.
    void ProbePort();

    // Commands.
    void OnAddCircuit();
    void OnAddTheater();
    void OnAddScreen();
    void OnEditNotes();
    void OnViewConfiguration();
    void OnHelp();
    void OnDelete();
    bool ConfirmDelete(SiteLevel level);
    void OnDblClkTree();
    void OnSelChangedTree();
    void OnLoadSettings();
    void OnSendSettings();
    // Reads the processor into an image of its own and shows how it differs from the selected
    // screen's stored settings. Writes nothing anywhere.
    void OnCompareWithProcessor();
    // The selected screen's History; comparisons with another screen or with a file.
    void OnHistory();
    void OnCompareWithScreen();
    void OnCompareWithFile();
    // The menu of the History and Compare button and of the tree's items.
    QMenu* HistoryMenu() const { return m_pHistoryMenu; }
    // The result of the last transfer that ended.
    TransferResult LastTransferResult() const { return m_transferResult; }
    // Disables the commands a transfer must not meet: Load, Send, the three Add buttons and
    // the four port buttons. UnlockControls enables Add Circuit and the port buttons again;
    // the others follow the selection (UpdateSelectionPanel).
    void LockControls();
    void UnlockControls();
    // True from the start of a Load or Send until its normal end has been shown.
    bool IsTransferRunning() const { return m_bTransferRunning; }
    // Waits, keeping the window painted, until no transfer runs.
    void WaitForTransferEnd();

    // A close asked for while a transfer runs waits for the transfer's end.
    void reject() override;

signals:
    // A Load or Send reached its normal end: the panel is refreshed and the controls unlocked.
    void TransferEnded();

public:
    PathKind m_nPathKind = PathKind::NoPath;
    bool m_bHasSettings = false;
    bool m_bScreenSelected = false;
    bool m_bTheaterSelected = false;
    bool m_bCircuitSelected = false;
    bool m_bFolderNotEmpty = false;

    // The window menu's "&About 3km..." (the dialog's context menu).
    QAction* AboutAction() const { return m_pAbout; }

    // The library folder. OpenLibrary makes folder the working directory and shows its library:
    // profile and port, rescan, tree, panel. False, after saying why, when the folder cannot be
    // entered. OpenLibraryFolder first asks whether a folder that holds no library (a home
    // folder, a folder of other folders) is to be opened as one; an empty folder or a library
    // opens directly. OnOpenLibrary lets the technician choose the folder (Ctrl+O) and remembers
    // the library opened.
    bool OpenLibrary(const std::filesystem::path& folder);
    bool OpenLibraryFolder(const std::filesystem::path& folder);
    void OnOpenLibrary();
    // Rescans the library and refills the tree, keeping the selected entry (by its names) and
    // the expanded items where they still exist (F5). Does nothing while a transfer runs.
    void Refresh();
    // True when a folder of the library (the library folder, a circuit's or a theater's) changed
    // since the tree was last filled or changed by a command: an entry was added, removed or
    // renamed by another program. Costs one look at each of those folders, none at the screens.
    bool LibraryChangedOnDisk();
    QAction* OpenLibraryAction() const { return m_pOpenLibrary; }
    QAction* RefreshAction() const { return m_pRefresh; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Activation after the library changed on disk rescans it.
    void changeEvent(QEvent* event) override;
#ifdef Q_OS_WIN
    // The About item of the system menu.
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

private:
    void CreateControls();
    QPushButton* AddButton(int id, const char* text, int x, int y, int w, int h);
    QLabel* AddStatic(int id, const char* text, int x, int y, int w, int h);
    QRadioButton* AddRadio(int id, const char* text, int x, int y, int w, int h);
    void OnAbout();
    // A control that loses the keyboard focus by being disabled hands it to the tree, never to
    // the next control in the chain (Exit, Delete), so that Enter does not end the program or
    // ask a question by surprise.
    void Enable(int id, bool bEnable);
    // After a port button or the ports dialog opened the port: a port that did not open says why
    // in the status area at once; one that opened clears an earlier "COM Port Error.".
    void ShowPortProblem();
    void SetText(int id, const std::string& text);
    // Inserts a circuit's item at its alphabetical place among the top-level items.
    QTreeWidgetItem* InsertCircuitItem(const std::string& name, SitePos pos);
    QTreeWidgetItem* AppendChildItem(QTreeWidgetItem* parent, const std::string& name, SitePos pos);
    void SelectItem(QTreeWidgetItem* item);
    std::optional<std::string> AskName(const std::string& caption, const NameCheck& check);
    // Shows why an Add added nothing, owned by the name dialog while it is open.
    void ShowAddRefusal(int result, const std::string& message);
    // A name in the panel, elided with "..." where it is too long and then whole in the tooltip.
    void SetNameText(int id, const std::string& name);
    void UpdateLibraryLabel();
    // Empties the model and the tree, rescans and refills them, then selects the entry at this
    // path of names when it still exists.
    void ReloadLibrary(const QStringList& keep, const std::vector<QStringList>& expanded);
    // The names from the circuit down to the item.
    static QStringList ItemNames(const QTreeWidgetItem* item);
    QTreeWidgetItem* FindItem(const QStringList& names) const;
    // Remembers the state LibraryChangedOnDisk compares with.
    void NoteLibraryState();
    std::vector<long long> LibrarySignature();
    // Asks for the name under this caption and adds the entry at this level (AddSite): the new
    // item is appended below parent, or for a circuit (parent null) inserted at its
    // alphabetical place, and selected. An Add that added nothing makes the selected item current
    // again and shows why: a duplicate plainly, a refused name as a warning, a folder or notes
    // error with the stop icon.
    void AddEntry(SiteLevel level, const std::string& caption, QTreeWidgetItem* parent);
    void ShowMessage(const std::string& text, const std::string& caption, int icon);
    void DeleteCurrentItem();
    // Runs the job on the worker thread for the selected screen; EndTransfer follows on the
    // window's thread.
    void StartTransfer(TransferKind kind);
    void EndTransfer();
    // The differences of the processor's settings (read by the last Compare) from the stored
    // ones, or the word that there are none.
    void ShowProcessorDifferences();
    void ShowDifferences(const std::string& strOther, const SettingsImage& other);
    // The selected screen's names and folder; false when no screen is selected.
    bool SelectedScreen(ScreenTarget& target, std::filesystem::path& folder);
    void UpdateHistoryMenu();

    CSerialPort& m_port;
    FrameCodec& m_codec;
    SettingsImage& m_image;
    PortSettings& m_portSettings;
    SiteLibrary& m_library;
    CSiteStorage m_storage;
    NameSource m_nameSource;
    PortOpener m_portOpener;
    PortState m_portState;
    // Why the checked port did not open the last time it was opened; "" when it did.
    std::string m_strPortProblem;
    // What the port line shows: a port shown open whose device goes away is opened again.
    bool m_bPortShownOpen = false;
    std::map<int, QWidget*> m_controls;
    CStatusArea* m_pStatusArea = nullptr;
    QTreeWidget* m_pTree = nullptr;
    QProgressBar* m_pProgress = nullptr;
    QAction* m_pAbout = nullptr;
    QAction* m_pOpenLibrary = nullptr;
    QAction* m_pRefresh = nullptr;
    std::vector<long long> m_librarySignature;
    // Set while an Add runs: the library must not be rescanned under it.
    bool m_bAdding = false;
    // The item that is being deleted: a selection refresh never picks it.
    QTreeWidgetItem* m_pDyingItem = nullptr;
    std::thread m_transfer;
    TransferKind m_transferKind = TransferKind::Load;
    TransferResult m_transferResult = TransferResult::Success;
    ScreenTarget m_transferTarget;
    // The processor's settings read by Compare: never the image a Load or Send uses.
    SettingsImage m_processorImage;
    QMenu* m_pHistoryMenu = nullptr;
    // A transfer reopens the checked port first when the last one on it failed: an adapter
    // that was unplugged and plugged in again works without a click on its radio button.
    bool m_bLastTransferFailed = false;
    // The line trace that the ports dialog switched on, and its file.
    bool m_bTrace = false;
    std::string m_strTracePath;
    bool m_bTransferRunning = false;
    bool m_bCloseAfterTransfer = false;
    // The control that had the keyboard focus when the transfer started (Load, Send, History):
    // it gets the focus back at the end when it is enabled again, else the tree does.
    QPointer<QWidget> m_pFocusBeforeTransfer;
};
