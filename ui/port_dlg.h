// The serial ports dialog: which device each of COM1 to COM4 stands for on this machine, the
// serial devices that the system reports, the search for a processor, the cable test and the
// line trace.
#pragma once

#include "link/cable_test.h"
#include "link/serial_devices.h"
#include "ui/prompt.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class CPortDlg : public QDialog {
    Q_OBJECT
public:
    using DeviceSource = std::function<std::vector<SerialDevice>()>;
    // Tries the link check on each candidate device in turn and returns those where a processor
    // answered; progress names the device being tried. Never writes to a processor.
    using Finder = std::function<std::vector<std::string>(
        const std::vector<std::string>& candidates,
        const std::function<void(const std::string&)>& progress)>;

    // Tests the cable on a device (a path, a port name on Windows, a network port) and returns
    // what came back. Never writes anything a processor takes for a request.
    using CableTester = std::function<CableTestResult(const std::string& device)>;

    // The mappings are read from and written to this machine's own profile beside the library's
    // profile at profilePath; a USB adapter chosen for a port is kept with its identity, so the
    // port finds it again under another device name.
    CPortDlg(QWidget* parent, WindowPrompt& boxes, std::string profilePath,
             DeviceSource source = ListSerialDevices);

    // Shows the mappings that the profile holds now and the devices found.
    void Load();
    // The device typed or chosen for COMn (index 0 to 3); "" keeps the port's default device.
    std::string Mapping(int index) const;
    void SetMapping(int index, const std::string& device);
    // The line trace: on or off, and the file it is written to.
    bool TraceEnabled() const;
    std::string TracePath() const;
    void SetTrace(bool bOn, const std::string& path);
    void SetFinder(Finder finder);
    // Runs the search over every mapped port and every listed device; the result is shown in the
    // dialog and returned.
    std::vector<std::string> FindProcessor();
    // The device the cable test tries: the one selected in the list of devices found, else the
    // one typed or chosen for the port whose row was used last (COM1 at first).
    std::string CableTestDevice() const;
    // Replaces how the cable is tested (by default the dialog opens the device itself).
    void SetCableTester(CableTester tester);
    // Asks for the loop at the cable's far end, then tests the cable on CableTestDevice(); the
    // result is shown in the dialog and returned. nullopt when the technician cancelled.
    std::optional<CableTestResult> TestCable();
    // Writes the changed mappings to the profile and closes. A device that holds a control
    // character, a trace file that may not be written (one of the library's own files, a
    // symbolic link, a FIFO, ...) and a profile that cannot be written or read are reported, and
    // the dialog stays open with nothing written.
    void accept() override;

    // Adds a box beside the mappings, above the dialog's buttons (the selected screen's own
    // port).
    void AddBox(QWidget* box);

    QTreeWidget* DeviceList() const { return m_pDevices; }
    QLabel* FindResult() const { return m_pFindResult; }
    QLabel* CableResult() const { return m_pCableResult; }

protected:
    // Gives the wrapped texts the lines they need at the width the dialog opens with.
    void showEvent(QShowEvent* event) override;

private:
    void Refuse(const std::string& strText);
    void RefreshDevices();
    void DescribeChoice(int index);

    CPromptOver m_prompt;
    std::string m_strProfilePath;
    DeviceSource m_source;
    Finder m_finder;
    CableTester m_cableTester;
    int m_nLastPortRow = 0;
    std::vector<SerialDevice> m_devices;
    std::array<QComboBox*, 4> m_pCombos{};
    std::array<QLabel*, 4> m_pDetails{};
    std::array<std::string, 4> m_loaded;
    QTreeWidget* m_pDevices = nullptr;
    QPushButton* m_pFind = nullptr;
    QLabel* m_pFindResult = nullptr;
    QPushButton* m_pCableTest = nullptr;
    QLabel* m_pCableResult = nullptr;
    QCheckBox* m_pTrace = nullptr;
    QLineEdit* m_pTracePath = nullptr;
};
