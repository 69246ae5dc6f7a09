// The serial ports dialog: which device each of COM1 to COM4 stands for on this machine, the
// serial devices that the system reports, the search for a processor, and the line trace.
#pragma once

#include "link/serial_devices.h"
#include "ui/prompt.h"

#include <QDialog>

#include <array>
#include <functional>
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

    // The mappings are read from and written to the profile at profilePath; boxes says over the
    // dialog why nothing was written.
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
    // Writes the changed mappings to the profile and closes. A device that holds a control
    // character, a trace file that may not be written (one of the library's own files, a
    // symbolic link, a FIFO, ...) and a profile that cannot be written or read are reported, and
    // the dialog stays open with nothing written.
    void accept() override;

    QTreeWidget* DeviceList() const { return m_pDevices; }
    QLabel* FindResult() const { return m_pFindResult; }

private:
    void Refuse(const std::string& strText);
    void RefreshDevices();
    void DescribeChoice(int index);

    CPromptOver m_prompt;
    std::string m_strProfilePath;
    DeviceSource m_source;
    Finder m_finder;
    std::vector<SerialDevice> m_devices;
    std::array<QComboBox*, 4> m_pCombos{};
    std::array<QLabel*, 4> m_pDetails{};
    std::array<std::string, 4> m_loaded;
    QTreeWidget* m_pDevices = nullptr;
    QPushButton* m_pFind = nullptr;
    QLabel* m_pFindResult = nullptr;
    QCheckBox* m_pTrace = nullptr;
    QLineEdit* m_pTracePath = nullptr;
};
