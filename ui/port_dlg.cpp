#include "ui/port_dlg.h"

#include "control/ports_control.h"
#include "link/find_processor.h"
#include "link/network_line.h"
#include "link/port_mapping.h"
#include "link/profile.h"
#include "link/trace_file.h"
#include "ui/prompt.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

namespace {

QString Q(const std::string& text) {
    return QString::fromUtf8(text);
}

std::string S(const QString& text) {
    return text.trimmed().toStdString();
}

} // namespace

CPortDlg::CPortDlg(QWidget* parent, WindowPrompt& boxes, std::string profilePath,
                   DeviceSource source)
    : QDialog(parent), m_prompt(boxes, this), m_strProfilePath(std::move(profilePath)),
      m_source(std::move(source)) {
    setWindowTitle("Serial Ports");
    auto* layout = new QVBoxLayout(this);

    auto* names = new QGroupBox("Port names on this computer", this);
    auto* grid = new QGridLayout(names);
    auto* intro = new QLabel("Choose the device that each port button stands for, or type its "
                             "path, or a serial device server's port: rfc2217://HOST:PORT "
                             "(telnet) or tcp://HOST:PORT (raw). Leave a port empty to use its "
                             "default device.",
                             names);
    intro->setWordWrap(true);
    grid->addWidget(intro, 0, 0, 1, 3);
    for (int i = 0; i < 4; ++i) {
        const std::string port = PortName(i);
        auto* label = new QLabel(Q("COM&" + std::to_string(i + 1) + ":"), names);
        auto* combo = new QComboBox(names);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMinimumContentsLength(24);
        combo->lineEdit()->setPlaceholderText(Q(DefaultPortDevice(port) + " (default)"));
        label->setBuddy(combo);
        auto* detail = new QLabel(names);
        detail->setMinimumWidth(fontMetrics().averageCharWidth() * 36);
        detail->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(label, i + 1, 0);
        grid->addWidget(combo, i + 1, 1);
        grid->addWidget(detail, i + 1, 2);
        m_pCombos[static_cast<std::size_t>(i)] = combo;
        m_pDetails[static_cast<std::size_t>(i)] = detail;
        connect(combo, &QComboBox::currentTextChanged, this, [this, i] {
            DescribeChoice(i);
            m_nLastPortRow = i;
        });
    }
    layout->addWidget(names);

    auto* found = new QGroupBox("Serial devices found", this);
    auto* foundLayout = new QVBoxLayout(found);
    m_pDevices = new QTreeWidget(found);
    m_pDevices->setRootIsDecorated(false);
    m_pDevices->setHeaderLabels({"Device", "Description", "Maker", "Product", "Serial number"});
    m_pDevices->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_pDevices->setMinimumHeight(fontMetrics().height() * 6);
    foundLayout->addWidget(m_pDevices);
    auto* row = new QHBoxLayout;
    auto* refresh = new QPushButton("&Refresh", found);
    m_pFind = new QPushButton("&Find the VRX-3KM", found);
    m_pFind->setToolTip("Tries the link check on every port and device in turn and names "
                        "those where a processor answered. Nothing is written to a processor.");
    m_pFindResult = new QLabel(found);
    m_pFindResult->setWordWrap(true);
    row->addWidget(refresh);
    row->addWidget(m_pFind);
    row->addWidget(m_pFindResult, 1);
    foundLayout->addLayout(row);
    layout->addWidget(found);
    auto* cableRow = new QHBoxLayout;
    m_pCableTest = new QPushButton("Test &cable...", found);
    m_pCableTest->setToolTip("With pins 2 and 3 joined at the cable's far end (a jumper or a "
                             "paperclip in the DB-9, no processor on it), sends a short pattern "
                             "and checks that every byte comes back. Tests the device selected "
                             "above, else the port used last. Nothing is sent that a processor "
                             "would act on.");
    m_pCableResult = new QLabel(found);
    m_pCableResult->setWordWrap(true);
    cableRow->addWidget(m_pCableTest);
    cableRow->addWidget(m_pCableResult, 1);
    foundLayout->addLayout(cableRow);
    connect(refresh, &QPushButton::clicked, this, &CPortDlg::RefreshDevices);
    connect(m_pFind, &QPushButton::clicked, this, [this] { FindProcessor(); });
    connect(m_pCableTest, &QPushButton::clicked, this, [this] { TestCable(); });
    m_pFind->setEnabled(false);
    m_cableTester = [this](const std::string& device) {
        return TestCableOn(device, m_strProfilePath);
    };

    auto* trace = new QGroupBox("Line trace", this);
    auto* traceLayout = new QHBoxLayout(trace);
    m_pTrace = new QCheckBox("Write every byte sent and received &to", trace);
    m_pTracePath = new QLineEdit(trace);
    m_pTracePath->setText(QDir::home().filePath("vrx3km-trace.txt"));
    auto* browse = new QPushButton("&Browse...", trace);
    traceLayout->addWidget(m_pTrace);
    traceLayout->addWidget(m_pTracePath, 1);
    traceLayout->addWidget(browse);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, "Line trace file",
                                                          m_pTracePath->text(), "Text (*.txt)");
        if (!path.isEmpty()) {
            m_pTracePath->setText(path);
            m_pTrace->setChecked(true);
        }
    });
    layout->addWidget(trace);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPortDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPortDlg::reject);
    layout->addWidget(buttons);
}

void CPortDlg::Load() {
    RefreshDevices();
    for (int i = 0; i < 4; ++i) {
        m_loaded[static_cast<std::size_t>(i)] = PortMapping(PortName(i), m_strProfilePath);
        SetMapping(i, m_loaded[static_cast<std::size_t>(i)]);
    }
}

void CPortDlg::RefreshDevices() {
    m_devices = m_source ? m_source() : std::vector<SerialDevice>{};
    m_pDevices->clear();
    for (const SerialDevice& device : m_devices) {
        new QTreeWidgetItem(m_pDevices, {Q(device.m_strPath), Q(device.m_strDescription),
                                         Q(device.m_strManufacturer), Q(device.m_strProduct),
                                         Q(device.m_strSerial)});
    }
    if (m_devices.empty()) {
        auto* none = new QTreeWidgetItem(m_pDevices, {"(none found)"});
        none->setDisabled(true);
    }
    for (std::size_t i = 0; i < m_pCombos.size(); ++i) {
        QComboBox* combo = m_pCombos[i];
        const QString text = combo->currentText();
        combo->blockSignals(true);
        combo->clear();
        combo->addItem(QString());
        for (const SerialDevice& device : m_devices) {
            combo->addItem(Q(device.m_strPath));
            combo->setItemData(combo->count() - 1, Q(device.Describe()), Qt::ToolTipRole);
        }
        combo->setEditText(text);
        combo->blockSignals(false);
        DescribeChoice(static_cast<int>(i));
    }
}

void CPortDlg::DescribeChoice(int index) {
    m_pDetails[static_cast<std::size_t>(index)]->setText(
        Q(DescribePortChoice(index, Mapping(index), m_devices)));
}

std::string CPortDlg::Mapping(int index) const {
    return S(m_pCombos[static_cast<std::size_t>(index)]->currentText());
}

void CPortDlg::SetMapping(int index, const std::string& device) {
    m_pCombos[static_cast<std::size_t>(index)]->setEditText(Q(device));
    DescribeChoice(index);
}

bool CPortDlg::TraceEnabled() const {
    return m_pTrace->isChecked();
}

std::string CPortDlg::TracePath() const {
    return S(m_pTracePath->text());
}

void CPortDlg::SetTrace(bool bOn, const std::string& path) {
    m_pTrace->setChecked(bOn);
    if (!path.empty())
        m_pTracePath->setText(Q(path));
}

void CPortDlg::SetFinder(Finder finder) {
    m_finder = std::move(finder);
    m_pFind->setEnabled(static_cast<bool>(m_finder));
}

std::vector<std::string> CPortDlg::FindProcessor() {
    if (!m_finder)
        return {};
    // The ports as typed here, then every listed device, each tried once.
    std::vector<std::string> portDevices;
    for (int i = 0; i < 4; ++i)
        portDevices.push_back(Mapping(i).empty() ? DefaultPortDevice(PortName(i)) : Mapping(i));
    const std::vector<std::string> candidates = FindCandidates(portDevices, m_devices);

    m_pFind->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::vector<std::string> answered =
        m_finder(candidates, [this](const std::string& device) {
            m_pFindResult->setText(Q("Trying " + device + "..."));
            m_pFindResult->repaint();
        });
    QApplication::restoreOverrideCursor();
    m_pFind->setEnabled(true);

    std::array<std::string, 4> mappings;
    for (int i = 0; i < 4; ++i)
        mappings[static_cast<std::size_t>(i)] = Mapping(i);
    const std::string text = FindResultText(answered, candidates.size(), mappings);
    m_pFindResult->setText(Q(text));
    return answered;
}

std::string CPortDlg::CableTestDevice() const {
    if (const QTreeWidgetItem* item = m_pDevices->currentItem();
        item != nullptr && item->isSelected() && !item->isDisabled())
        return S(item->text(0));
    // The port's name: its mapping as typed here is what the test opens, as OK would keep it.
    const std::string typed = Mapping(m_nLastPortRow);
    return typed.empty() ? DefaultPortDevice(PortName(m_nLastPortRow)) : typed;
}

void CPortDlg::SetCableTester(CableTester tester) {
    m_cableTester = std::move(tester);
}

std::optional<CableTestResult> CPortDlg::TestCable() {
    const std::string device = CableTestDevice();
    PromptRequest request;
    request.m_strText = "Join pins 2 and 3 at the far end of the cable (a jumper or a paperclip in "
                        "the DB-9), with no processor on it.\n\nPress OK to test the cable on " +
                        device + ".";
    request.m_strCaption = m_prompt.ProgramCaption();
    request.m_nButtons = PromptButtons::OkCancel;
    if (m_prompt.Ask(request) != PromptAnswer::Ok)
        return std::nullopt;
    m_pCableTest->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const CableTestResult result = m_cableTester(device);
    QApplication::restoreOverrideCursor();
    m_pCableTest->setEnabled(true);
    m_pCableResult->setText(Q(device + ": " + result.Message()));
    return result;
}

void CPortDlg::Refuse(const std::string& strText) {
    Tell(m_prompt, strText, m_prompt.ProgramCaption(), PromptIcon::Stop);
}

void CPortDlg::accept() {
    // Everything is checked before anything is written: a refused choice changes nothing.
    std::array<std::string, 4> typed;
    for (int i = 0; i < 4; ++i)
        typed[static_cast<std::size_t>(i)] = Mapping(i);
    if (const std::optional<PortChoiceRefusal> refused = RefusedPortChoice(typed)) {
        Refuse(refused->m_strText);
        m_pCombos[static_cast<std::size_t>(refused->m_nIndex)]->setFocus();
        return;
    }
    if (TraceEnabled()) {
        // The window works in the library folder, whose screen folders hold no trace.
        const std::string problem = TracePathProblem(TracePath(), std::filesystem::current_path());
        if (!problem.empty()) {
            Refuse(problem);
            m_pTracePath->setFocus();
            return;
        }
    }
    if (const std::string problem = WritePortChoices(typed, m_loaded, m_devices, m_strProfilePath);
        !problem.empty()) {
        Refuse(problem);
        return;
    }
    QDialog::accept();
}

void CPortDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A layout's minimum height leaves out the lines that word-wrapped labels need, so a dialog
    // that grew by a box would open with its introduction cut and its buttons over the list.
    if (QLayout* layout = this->layout(); layout != nullptr && layout->hasHeightForWidth()) {
        const int nNeeded = layout->totalHeightForWidth(width());
        if (nNeeded > height())
            resize(width(), nNeeded);
    }
}

void CPortDlg::AddBox(QWidget* box) {
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    layout->insertWidget(layout->count() - 1, box);
}
