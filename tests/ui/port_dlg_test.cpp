// The serial ports dialog: the mapping written to the profile and read back, the device list,
// and the search for a processor.
#include "ui_fixture.h"

#include "link/port_mapping.h"
#include "link/profile.h"
#include "link/serial_port.h"
#include "ui/port_dlg.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace {

std::vector<SerialDevice> TwoAdapters() {
    SerialDevice usb{"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "FT232R USB UART", "A9XK", true};
    usb.m_nVendorId = 0x0403;
    usb.m_nProductId = 0x6001;
    SerialDevice builtIn{"/dev/ttyS0", "16550A", "", "", "", false};
    return {usb, builtIn};
}

TEST_F(MainDlgTest, PortMappingIsWrittenToTheProfileAndReadBack) {
    Start();
    CPortDlg dialog(m_pDlg.get(), m_prompt, m_portSettings.ProfilePath, TwoAdapters);
    dialog.Load();
    EXPECT_EQ(dialog.Mapping(0), ""); // nothing mapped: the default device
    ASSERT_EQ(dialog.DeviceList()->topLevelItemCount(), 2);
    EXPECT_EQ(dialog.DeviceList()->topLevelItem(0)->text(0), "/dev/ttyUSB0");
    EXPECT_EQ(dialog.DeviceList()->topLevelItem(0)->text(2), "FTDI");

    dialog.SetMapping(0, "/dev/ttyUSB0");
    dialog.SetMapping(3, "/dev/serial/by-id/usb-FTDI-if00");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(ResolvePortDevice("COM1", m_portSettings.ProfilePath), "/dev/ttyUSB0");
    EXPECT_EQ(ResolvePortDevice("COM4", m_portSettings.ProfilePath),
              "/dev/serial/by-id/usb-FTDI-if00");
    EXPECT_EQ(ResolvePortDevice("COM2", m_portSettings.ProfilePath), "/dev/ttyS1");
    // This machine's own mapping, with the adapter chosen from the list; the library's profile
    // is not written.
    const std::optional<PortMappingEntry> com1 =
        ReadPortMapping("COM1", m_portSettings.ProfilePath);
    ASSERT_TRUE(com1);
    EXPECT_EQ(com1->m_adapter.Name(), "FTDI USB-serial adapter FT232R USB UART (serial A9XK)");
    EXPECT_FALSE(std::filesystem::exists(m_portSettings.ProfilePath));

    CPortDlg again(m_pDlg.get(), m_prompt, m_portSettings.ProfilePath, TwoAdapters);
    again.Load();
    EXPECT_EQ(again.Mapping(0), "/dev/ttyUSB0");
    again.SetMapping(0, "");
    again.accept();
    EXPECT_EQ(ResolvePortDevice("COM1", m_portSettings.ProfilePath),
              "/dev/ttyS0"); // emptied: the default again

    // The window's tooltips and state follow the profile.
    m_pDlg->UpdatePortState();
    EXPECT_EQ(m_pDlg->Control(IDC_COM4)->toolTip().toStdString(),
              "COM4 is /dev/serial/by-id/usb-FTDI-if00");
}

TEST_F(MainDlgTest, FindTriesEveryPortAndDeviceOnceAndNamesWhereAProcessorAnswered) {
    Start();
    CPortDlg dialog(m_pDlg.get(), m_prompt, m_portSettings.ProfilePath, TwoAdapters);
    dialog.Load();
    dialog.SetMapping(1, "/dev/ttyUSB0");
    std::vector<std::string> tried;
    dialog.SetFinder([&](const std::vector<std::string>& candidates, const auto&) {
        tried = candidates;
        return std::vector<std::string>{"/dev/ttyUSB0"};
    });
    EXPECT_EQ(dialog.FindProcessor(), std::vector<std::string>{"/dev/ttyUSB0"});
    EXPECT_EQ(tried,
              (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyS2", "/dev/ttyS3"}));
    EXPECT_NE(dialog.FindResult()->text().toStdString().find("/dev/ttyUSB0"), std::string::npos);
}

// The cable test asks for the loop first, tests the device selected in the list (else the port
// row used last) and shows what came back; a refusal tests nothing.
TEST_F(MainDlgTest, CableTestAsksForTheLoopAndShowsTheResult) {
    Start();
    CPortDlg dialog(m_pDlg.get(), m_prompt, m_portSettings.ProfilePath, TwoAdapters);
    dialog.Load();
    std::vector<std::string> tested;
    dialog.SetCableTester([&](const std::string& device) {
        tested.push_back(device);
        CableTestResult result;
        result.m_nOutcome = CableTestOutcome::NothingBack;
        result.m_sent = CableTestPattern();
        return result;
    });
    dialog.SetMapping(2, "/dev/ttyUSB9");
    m_prompt.m_answers = {PromptAnswer::Cancel, PromptAnswer::Ok, PromptAnswer::Ok};
    EXPECT_FALSE(dialog.TestCable());
    EXPECT_TRUE(dialog.TestCable());
    dialog.DeviceList()->setCurrentItem(dialog.DeviceList()->topLevelItem(1));
    EXPECT_TRUE(dialog.TestCable());
    EXPECT_EQ(tested, (std::vector<std::string>{"/dev/ttyUSB9", "/dev/ttyS0"}));
    ASSERT_EQ(m_prompt.m_asked.size(), 3u);
    EXPECT_NE(m_prompt.m_asked[0].m_strText.find("pins 2 and 3"), std::string::npos);
    EXPECT_NE(dialog.CableResult()->text().toStdString().find("/dev/ttyS0: Nothing came back"),
              std::string::npos);
}

} // namespace

namespace {

// A device holding a line break, or a trace into the library's own files, is refused with a
// message and nothing is written; a sound choice then goes through.
TEST_F(MainDlgTest, PortsDialogRefusesALineBreakAndATraceIntoTheLibrary) {
    MakeFolders("Main/Plaza/2");
    WriteFile("Main/Plaza/2/Vrx.cfg", 800);
    Start();
    CPortDlg dialog(m_pDlg.get(), m_prompt, m_portSettings.ProfilePath, TwoAdapters);
    dialog.Load();
    dialog.SetMapping(2, "/dev/x\r\nCOM4=/dev/y\r\n[Setup]");
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(m_prompt.m_asked.size(), 1u);
    EXPECT_NE(m_prompt.m_asked[0].m_strText.find("control character"), std::string::npos);

    dialog.SetMapping(2, "/dev/ttyUSB0");
    const std::string cfg = (m_root / "Main/Plaza/2/Vrx.cfg").string();
    dialog.SetTrace(true, cfg);
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(m_prompt.m_asked.size(), 2u);
    EXPECT_NE(m_prompt.m_asked[1].m_strText.find("library's own files"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(MachineProfilePath(m_portSettings.ProfilePath)));
    EXPECT_EQ(std::filesystem::file_size(cfg), 800u);

    dialog.SetTrace(true, (m_root / "trace.txt").string());
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(ResolvePortDevice("COM3", m_portSettings.ProfilePath), "/dev/ttyUSB0");
}

} // namespace
