#include "ui_fixture.h"

#include "link/profile.h"
#include "link/serial_port.h"
#include "link/transfer_sequence.h"

#include <QAbstractButton>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <chrono>
#include <ctime>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

TEST_F(MainDlgTest, TitleControlsAndLayoutInDialogUnits) {
    CMainDlg& dlg = Start();
    EXPECT_EQ(dlg.windowTitle().toStdString(), "VRX-3KM Download/Upload");
    const QFontMetrics metrics = dlg.fontMetrics();
    const double x =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 208.0;
    const double y = metrics.height() / 8.0;
    EXPECT_NEAR(dlg.width(), 343 * x, 1.0);
    EXPECT_NEAR(dlg.height(), 237 * y, 1.0);
    // Caption, system menu and close box; no minimise or maximise box; not resizable.
    const Qt::WindowFlags flags = dlg.windowFlags();
    for (const Qt::WindowType hint :
         {Qt::WindowTitleHint, Qt::WindowSystemMenuHint, Qt::WindowCloseButtonHint})
        EXPECT_TRUE(flags.testFlag(hint)) << hint;
    EXPECT_FALSE(flags & Qt::WindowMinMaxButtonsHint);
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());

    struct Row {
        int id;
        const char* text;
        int x, y, w, h;
    };
    const Row rows[] = {
        {IDC_ADD_CIRCUIT, "Add &Circuit", 7, 216, 50, 14},
        {IDC_ADD_THEATER, "Add &Theater", 67, 216, 50, 14},
        {IDC_ADD_SCREEN, "Add Scree&n", 127, 216, 50, 14},
        {IDC_LOAD, "&Load Settings from VRX-3KM", 208, 77, 116, 14},
        {IDC_SEND, "&Send Settings to VRX-3KM", 209, 99, 115, 14},
        {IDC_EXIT, "E&xit", 286, 216, 50, 14},
        {IDC_COM1, "COM&1", 224, 150, 50, 10},
        {IDC_COM2, "COM&2", 224, 163, 50, 13},
        {IDC_COM3, "COM&3", 274, 150, 50, 10},
        {IDC_COM4, "COM&4", 274, 163, 50, 13},
        {IDC_DELETE, "&Delete", 192, 216, 82, 14},
        {IDC_VIEW_CONFIGURATION, "&View Configuration", 7, 191, 74, 14},
        {IDC_EDIT_NOTES, "&Edit Notes", 102, 191, 74, 14},
        {IDC_HELP, "&Help", 286, 191, 50, 14},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        auto* button = qobject_cast<QAbstractButton*>(dlg.Control(row.id));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text().toStdString(), row.text);
        EXPECT_NEAR(button->x(), row.x * x, 1.0);
        EXPECT_NEAR(button->y(), row.y * y, 1.0);
        EXPECT_NEAR(button->width(), row.w * x, 1.0);
        EXPECT_NEAR(button->height(), row.h * y, 1.0);
    }
    // The focus chain follows the template: tree first, then the buttons in template order.
    QWidget* widget = dlg.Control(IDC_TREE);
    const int order[] = {IDC_ADD_CIRCUIT, IDC_ADD_THEATER, IDC_ADD_SCREEN, IDC_LOAD,
                         IDC_SEND,        IDC_EXIT,        IDC_COM1,       IDC_COM2,
                         IDC_COM3,        IDC_COM4,        IDC_DELETE,     IDC_VIEW_CONFIGURATION,
                         IDC_EDIT_NOTES,  IDC_HELP};
    for (int id : order) {
        widget = widget->nextInFocusChain();
        while (widget->focusPolicy() == Qt::NoFocus)
            widget = widget->nextInFocusChain();
        EXPECT_EQ(widget, dlg.Control(id)) << id;
    }
    EXPECT_EQ(dlg.AboutAction()->text().toStdString(), "&About 3km...");
}

TEST_F(MainDlgTest, EnterPressesTheFocusedButtonAndNeverEndsTheDialogFromTheTree) {
    MakeFolders("Main/Plaza/2");
    CMainDlg& dlg = Start();
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QCoreApplication::processEvents();
    QTreeWidget* tree = dlg.Tree();
    QTreeWidgetItem* circuit = tree->topLevelItem(0);
    ASSERT_NE(circuit, nullptr);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        SCOPED_TRACE(key);
        tree->setFocus();
        const bool bExpanded = circuit->isExpanded();
        QTest::keyClick(tree, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_TRUE(m_captions.empty()); // no button was pressed
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(dlg.result(), 0);
        EXPECT_NE(circuit->isExpanded(), bExpanded);
    }
    auto* add = qobject_cast<QPushButton*>(dlg.Control(IDC_ADD_CIRCUIT));
    EXPECT_FALSE(add->isDefault()); // not drawn as the button Enter presses from the tree
    add->setFocus();
    QTest::keyClick(add, Qt::Key_Return);
    EXPECT_EQ(m_captions, std::vector<std::string>{"Add Theater Circuit Name"});
    EXPECT_TRUE(dlg.isVisible());
}

TEST_F(MainDlgTest, EnterAfterALoadOnAPortThatFailsNeitherEndsTheProgramNorAsks) {
    MakeFolders("Main/Plaza/2");
    std::ofstream(m_root / "VRX3KM.CFG") << "[Ports]\nCOM1=" << (m_root / "none").string() << "\n";
    CMainDlg& dlg = Start();
    dlg.SetPortOpener([this](const std::string& name) {
        m_port.Open(name, m_portSettings.ProfilePath);
        return m_port.LastOpenFailure().Reason();
    });
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    Select({"Main", "Plaza", "2"});
    auto* load = qobject_cast<QPushButton*>(dlg.Control(IDC_LOAD));
    for (const bool bMouse : {true, false}) {
        SCOPED_TRACE(bMouse ? "mouse click" : "Alt+L");
        QSignalSpy ended(&dlg, &CMainDlg::TransferEnded);
        if (bMouse)
            QTest::mouseClick(load, Qt::LeftButton);
        else
            QTest::keyClick(&dlg, Qt::Key_L, Qt::AltModifier);
        ASSERT_TRUE(ended.count() > 0 || ended.wait(5000));
        EXPECT_EQ(Text(IDC_STATUS), transfer_text::kPortError);
        EXPECT_EQ(dlg.focusWidget(), load);
        QTest::keyClick(dlg.focusWidget(), Qt::Key_Return);
        ASSERT_TRUE(ended.count() > 1 || ended.wait(5000)); // Enter loaded once more
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(dlg.result(), 0);
        EXPECT_TRUE(m_prompt.m_asked.empty());
    }
}

TEST_F(MainDlgTest, EmptyLibraryDisablesEverythingThatNeedsASelection) {
    CMainDlg& dlg = Start();
    EXPECT_EQ(dlg.Tree()->topLevelItemCount(), 0);
    EXPECT_EQ(dlg.GetSelectedLevel(), SiteLevel::None);
    for (int id : {IDC_CIRCUIT, IDC_THEATER, IDC_SCREEN})
        EXPECT_EQ(Text(id), "---");
    EXPECT_EQ(Text(IDC_DATE), "");
    EXPECT_EQ(Text(IDC_TIME), "");
    EXPECT_TRUE(Enabled(IDC_ADD_CIRCUIT));
    for (int id : {IDC_ADD_THEATER, IDC_ADD_SCREEN, IDC_LOAD, IDC_SEND, IDC_VIEW_CONFIGURATION,
                   IDC_EDIT_NOTES, IDC_DELETE})
        EXPECT_FALSE(Enabled(id)) << id;
    const SelectionFlags& flags = dlg.Selection().Flags();
    EXPECT_FALSE(flags.m_bCircuitSelected || flags.m_bTheaterSelected || flags.m_bScreenSelected ||
                 flags.m_bHasSettings);
    EXPECT_TRUE(flags.m_bFolderNotEmpty);
}

TEST_F(MainDlgTest, StartSelectsFirstCircuitIgnoringCaseAndKeepsTreeCollapsed) {
    MakeFolders("zeta/One");
    MakeFolders("Beta/Second/9");
    MakeFolders("Beta/First");
    MakeFolders("alpha");
    CMainDlg& dlg = Start();
    EXPECT_EQ(TopLevelTexts(), (std::vector<std::string>{"alpha", "Beta", "zeta"}));
    ASSERT_NE(dlg.Tree()->currentItem(), nullptr);
    EXPECT_EQ(dlg.Tree()->currentItem()->text(0).toStdString(), "alpha");
    EXPECT_EQ(Text(IDC_CIRCUIT), "alpha");
    EXPECT_EQ(Text(IDC_THEATER), "---");
    for (int i = 0; i < dlg.Tree()->topLevelItemCount(); ++i)
        EXPECT_FALSE(dlg.Tree()->topLevelItem(i)->isExpanded());
    // Theaters keep the library's order below their circuit, and carry their entry's handle.
    QTreeWidgetItem* beta = dlg.Tree()->topLevelItem(1);
    ASSERT_EQ(beta->childCount(), 2);
    for (int i = 0; i < 2; ++i) {
        dlg.Tree()->setCurrentItem(beta->child(i));
        EXPECT_EQ(dlg.Library().GetTheaterName(), beta->child(i)->text(0).toStdString());
    }
    EXPECT_EQ(Text(IDC_THEATER), beta->child(1)->text(0).toStdString());
}

// The rules are the selection state's (tests/control); here the window resolves the selected
// item into it and its controls show it.
TEST_F(MainDlgTest, ControlsShowTheStateOfTheSelectedEntry) {
    MakeFolders("Stray");
    WriteFile("Stray/readme.txt", 3);
    MakeFolders("Main/Plaza/none");
    MakeFolders("Main/Plaza/valid");
    WriteFile("Main/Plaza/valid/Vrx.cfg", 800);
    CMainDlg& dlg = Start();
    const std::vector<std::string> paths[] = {
        {"Stray"}, {"Main", "Plaza"}, {"Main", "Plaza", "none"}, {"Main", "Plaza", "valid"}};
    for (const std::vector<std::string>& path : paths) {
        SCOPED_TRACE(path.back());
        Select(path);
        const SelectionState& state = dlg.Selection();
        EXPECT_EQ(state.Site().m_nLevel, static_cast<SiteLevel>(path.size()));
        EXPECT_EQ(Text(IDC_CIRCUIT), path[0]);
        EXPECT_EQ(Text(IDC_THEATER), path.size() > 1 ? path[1] : "---");
        EXPECT_EQ(Text(IDC_SCREEN), path.size() > 2 ? path[2] : "---");
        EXPECT_EQ(Text(IDC_DATE), state.Panel().m_strDate);
        for (const auto& [command, id] : kCommandControls)
            EXPECT_EQ(Enabled(id), state.Allows(command)) << id;
    }
    EXPECT_TRUE(Enabled(IDC_SEND)); // the valid settings, selected last
    EXPECT_FALSE(Text(IDC_DATE).empty());
}

TEST_F(MainDlgTest, SelectionChangeClearsStatusAndProgress) {
    MakeFolders("A");
    MakeFolders("B");
    CMainDlg& dlg = Start();
    auto* progress = qobject_cast<QProgressBar*>(dlg.Control(IDC_PROGRESS));
    progress->setValue(60);
    qobject_cast<QLabel*>(dlg.Control(IDC_STATUS))->setText("Done.");
    dlg.UpdateSelectionPanel(false);
    EXPECT_EQ(progress->value(), 60);
    EXPECT_EQ(Text(IDC_STATUS), "Done.");
    Select({"B"});
    EXPECT_EQ(progress->value(), 0);
    EXPECT_EQ(Text(IDC_STATUS), "");
}

TEST_F(MainDlgTest, SettingsTimeIsFormattedInTheCLocale) {
    MakeFolders("Main/Plaza/2");
    WriteFile("Main/Plaza/2/Vrx.cfg", 10);
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 11;
    local.tm_mday = 7;
    local.tm_hour = 21;
    local.tm_min = 5;
    local.tm_sec = 3;
    local.tm_isdst = -1;
    const auto when = std::chrono::system_clock::from_time_t(std::mktime(&local));
    fs::last_write_time(m_root / "Main/Plaza/2/Vrx.cfg", std::chrono::file_clock::from_sys(when));
    CMainDlg& dlg = Start();
    Select({"Main", "Plaza", "2"});
    std::string date, time;
    EXPECT_TRUE(dlg.GetSettingsTime(date, time));
    EXPECT_EQ(date, "Monday, December 07, 2026");
    EXPECT_EQ(time, "09:05:03 PM");
    EXPECT_EQ(Text(IDC_DATE), date);
    EXPECT_EQ(Text(IDC_TIME), time);
    Select({"Main", "Plaza"});
    EXPECT_FALSE(dlg.GetSettingsTime(date, time));
    EXPECT_EQ(date, "");
    EXPECT_EQ(time, "");
}

TEST_F(MainDlgTest, SavedPortIsOpenedAndChecked) {
    struct Row {
        const char* profile; // null: no profile file
        int checked;
        const char* opened;
    };
    const Row rows[] = {
        {"[Setup]\nPORT=COM3\n", IDC_COM3, "COM3"},
        {"[Setup]\nPORT=com3\n", IDC_COM1, "COM1"},
        {"[Setup]\nPORT=COM5\n", IDC_COM1, "COM1"},
        {"[Setup]\nPORT=COM4\n", IDC_COM4, "COM4"},
        {nullptr, IDC_COM1, "COM1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.profile ? row.profile : "no profile");
        fs::remove(m_root / "VRX3KM.CFG");
        if (row.profile)
            std::ofstream(m_root / "VRX3KM.CFG") << row.profile;
        m_opened.clear();
        CMainDlg& dlg = Start();
        EXPECT_EQ(m_opened, std::vector<std::string>{row.opened});
        for (int id = IDC_COM1; id <= IDC_COM4; ++id)
            EXPECT_EQ(qobject_cast<QRadioButton*>(dlg.Control(id))->isChecked(), id == row.checked)
                << id;
        EXPECT_EQ(fs::exists(m_root / "VRX3KM.CFG"), row.profile != nullptr);
    }
}

TEST_F(MainDlgTest, PortClickOpensAndWritesTheProfileEvenWhenAlreadyChecked) {
    CMainDlg& dlg = Start();
    m_opened.clear();
    auto* com2 = qobject_cast<QRadioButton*>(dlg.Control(IDC_COM2));
    com2->click();
    EXPECT_EQ(m_opened, std::vector<std::string>{"COM2"});
    EXPECT_EQ(GetPrivateProfileString("Setup", "PORT", "?", (m_root / "VRX3KM.CFG").string()),
              "COM2");
    EXPECT_TRUE(com2->isChecked());
    EXPECT_FALSE(qobject_cast<QRadioButton*>(dlg.Control(IDC_COM1))->isChecked());

    fs::remove(m_root / "VRX3KM.CFG");
    com2->click();
    EXPECT_EQ(m_opened, (std::vector<std::string>{"COM2", "COM2"}));
    EXPECT_TRUE(com2->isChecked());
    EXPECT_EQ(GetPrivateProfileString("Setup", "PORT", "?", (m_root / "VRX3KM.CFG").string()),
              "COM2");
}

TEST_F(MainDlgTest, APortThatDoesNotOpenSaysWhyAtOnceReadablyAndWhole) {
    const std::string device = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A9XK3L2Q-if00-port0";
    std::ofstream(m_root / "VRX3KM.CFG") << "[Ports]\nCOM2=" << device << "\n";
    CMainDlg& dlg = Start();
    dlg.SetPortOpener([this](const std::string& name) {
        m_port.Open(name, m_portSettings.ProfilePath);
        return m_port.LastOpenFailure().Reason();
    });
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    qobject_cast<QRadioButton*>(dlg.Control(IDC_COM2))->click();
    EXPECT_EQ(Text(IDC_STATUS), transfer_text::kPortError);
    const std::string reason = device + ": no such device: is the adapter plugged in?";
    EXPECT_EQ(Reason(), reason);

    // The port line: the name shortened in the middle, within its own width; whole in the tooltip.
    auto* line = qobject_cast<QLabel*>(dlg.Control(IDC_PORT_STATE));
    const QString name = line->text().section('\n', 0, 0);
    EXPECT_TRUE(name.startsWith("u") && name.contains(QChar(0x2026)) && name.endsWith("0"))
        << name.toStdString();
    EXPECT_LE(line->fontMetrics().horizontalAdvance(name), line->width());
    EXPECT_TRUE(line->toolTip().contains(QString::fromStdString(reason)));

    // At the dialog's own size; what does not fit opens whole from the status area, by keyboard.
    auto* status = qobject_cast<QLabel*>(dlg.Control(IDC_STATUS));
    EXPECT_EQ(QFontInfo(status->font()).pointSizeF(), QFontInfo(dlg.font()).pointSizeF());
    QWidget* details = dlg.Control(IDC_STATUS_DETAILS);
    ASSERT_TRUE(details->isVisible());
    EXPECT_LE(status->heightForWidth(status->width()), status->height());
    QTest::keyClick(&dlg, Qt::Key_I, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_prompt.m_asked.empty(); }));
    EXPECT_NE(m_prompt.m_asked[0].m_strText.find(reason), std::string::npos);

    // A port that opens clears the complaint.
    dlg.SetPortOpener([](const std::string&) { return std::string(); });
    qobject_cast<QRadioButton*>(dlg.Control(IDC_COM2))->click();
    EXPECT_EQ(Text(IDC_STATUS), "");
    EXPECT_FALSE(details->isVisible());
}
