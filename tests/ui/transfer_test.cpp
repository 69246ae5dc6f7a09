// Load and Send from the window against the simulated processor on a pseudo-terminal.
#include "ui_fixture.h"

#include "control/site_overview.h"
#include "image/settings_compare.h"
#include "image/settings_image.h"
#include "library/site_log.h"
#include "link/frame_codec.h"
#include "link/serial_port.h"
#include "link/transfer_sequence.h"

#include "ui/backup_dlg.h"

#include "program_texts.h"
#include "simulator.h"

#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>

namespace fs = std::filesystem;
using vrxsim::FaultKind;
using vrxsim::Stage;

namespace {

// The screen the fixed texts name.
const char* const kScreen = "Odeon/Main/Screen 1";

class TransferTest : public MainDlgTest {
protected:
    void TearDown() override {
        m_sim.Stop();
        MainDlgTest::TearDown();
    }
    // A library with one screen, the dialog started on it and COM1 open on the simulator.
    void StartOnScreen(std::vector<vrxsim::Fault> faults, bool bStored,
                       const std::array<std::uint8_t, 800>& blocks = vrxsim::ExampleSettings()) {
        MakeFolders(kScreen);
        if (bStored) {
            std::ofstream(m_root / kScreen / "Vrx.cfg", std::ios::binary)
                .write(reinterpret_cast<const char*>(blocks.data()), blocks.size());
        }
        std::ofstream(m_root / "VRX3KM.CFG") << "[Ports]\nCOM1=" << m_sim.DevicePath() << "\n";
        m_sim.SetFaults(std::move(faults));
        Start();
        Select({"Odeon", "Main", "Screen 1"});
        m_port.Open("COM1", m_portSettings.ProfilePath);
        ASSERT_TRUE(m_port.IsOpen());
        m_sim.Start();
    }
    // Clicks the button and waits for the transfer it started to end.
    void Click(int id) {
        static_cast<QPushButton*>(m_pDlg->Control(id))->click();
        m_pDlg->WaitForTransferEnd();
    }
    int Bar() const { return static_cast<QProgressBar*>(m_pDlg->Control(IDC_PROGRESS))->value(); }
    bool Saved(const char* name) const { return fs::exists(m_root / kScreen / name); }
    void ExpectUnlocked() {
        for (const int id : {IDC_ADD_CIRCUIT, IDC_COM1, IDC_COM2, IDC_COM3, IDC_COM4})
            EXPECT_TRUE(Enabled(id)) << id;
        EXPECT_TRUE(Enabled(IDC_LOAD)); // a screen is selected
        EXPECT_TRUE(Enabled(IDC_ADD_SCREEN));
    }

    vrxsim::Simulator m_sim;
};

TEST_F(TransferTest, LoadStoresTheBlocksAndEnablesSend) {
    StartOnScreen({}, false);
    EXPECT_FALSE(Enabled(IDC_SEND));
    Click(IDC_LOAD);
    EXPECT_TRUE(m_prompt.m_asked.empty()); // nothing stored: no question
    EXPECT_EQ(Text(IDC_STATUS), transfer_text::kDownloadSuccess);
    EXPECT_EQ(Bar(), 100);
    ASSERT_TRUE(Saved("Vrx.cfg"));
    EXPECT_EQ(fs::file_size(m_root / kScreen / "Vrx.cfg"), 800u);
    EXPECT_TRUE(Saved("Vrx.txt"));
    EXPECT_TRUE(Enabled(IDC_SEND));
    EXPECT_TRUE(Enabled(IDC_VIEW_CONFIGURATION));
    ExpectUnlocked();
}

TEST_F(TransferTest, LoadFailuresEndAtTheirStageAndSaveNothing) {
    struct Row {
        const char* name;
        vrxsim::Fault fault;
        int bar;
    };
    const Row rows[] = {
        {"silent processor", {FaultKind::Silent, Stage::Any}, 20},
        {"third audio block", {FaultKind::BadBlock, Stage::ReadAudio2}, 100},
    };
    StartOnScreen({}, false);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        m_sim.SetFaults({row.fault});
        Click(IDC_LOAD);
        EXPECT_EQ(Text(IDC_STATUS), transfer_text::kDownloadError);
        EXPECT_EQ(Bar(), row.bar);
        EXPECT_FALSE(Saved("Vrx.cfg"));
        EXPECT_FALSE(Saved("Vrx.txt"));
        EXPECT_FALSE(Enabled(IDC_SEND));
        ExpectUnlocked();
    }
    EXPECT_TRUE(m_prompt.m_asked.empty());
}

TEST_F(TransferTest, LoadWithThePortClosedAsksNothing) {
    StartOnScreen({}, true);
    std::ofstream(m_root / "VRX3KM.CFG") << "[Ports]\nCOM1=" << (m_root / "none").string() << "\n";
    m_port.Open("COM1", m_portSettings.ProfilePath);
    ASSERT_FALSE(m_port.IsOpen());
    Click(IDC_LOAD);
    EXPECT_TRUE(m_prompt.m_asked.empty());
    EXPECT_EQ(Text(IDC_STATUS), transfer_text::kPortError);
    // The device and the system's reason follow on a line of their own.
    EXPECT_EQ(Reason(),
              (m_root / "none").string() + ": no such device: is the adapter plugged in?");
    EXPECT_EQ(Bar(), 0);
    EXPECT_TRUE(m_sim.ReceivedBytes().empty());
    ExpectUnlocked();
}

TEST_F(TransferTest, RefusedConfirmationsTouchNothing) {
    StartOnScreen({}, true);
    const auto before = fs::last_write_time(m_root / kScreen / "Vrx.cfg");

    m_prompt.m_answers = {PromptAnswer::Cancel};
    Click(IDC_LOAD);
    ASSERT_EQ(m_prompt.m_asked.size(), 1u);
    const PromptRequest& question = m_prompt.m_asked[0];
    const auto texts = ProgramTexts(VRX_PROGRAM_TEXTS);
    EXPECT_EQ(question.m_strText, texts.at("load.overwrite"));
    EXPECT_EQ(question.m_strCaption, "");
    EXPECT_EQ(question.m_nButtons, PromptButtons::OkCancel);
    EXPECT_FALSE(question.m_bCancelDefault);
    EXPECT_EQ(question.m_nIcon, PromptIcon::Exclamation);
    EXPECT_EQ(Text(IDC_STATUS), transfer_text::kDownloadCancelled);
    EXPECT_EQ(Bar(), 0);
    ExpectUnlocked();

    m_prompt.m_asked.clear();
    m_prompt.m_bPressEnter = true;
    Click(IDC_SEND);
    ASSERT_EQ(m_prompt.m_asked.size(), 1u);
    const PromptRequest& warning = m_prompt.m_asked[0];
    // The fixed warning, then a line naming the screen the settings would go from.
    EXPECT_EQ(warning.m_strText.rfind(texts.at("send.warning") +
                                          "\n\nTo: Odeon - Main - Screen 1, settings stored ",
                                      0),
              0u)
        << warning.m_strText;
    EXPECT_EQ(warning.m_nIcon, PromptIcon::Exclamation);
    // Uncaptioned: the title shows no text, and is not left empty for the desktop to fill
    // with the program's name.
    const QString title = BuildMessageBox(m_pDlg.get(), warning)->windowTitle();
    EXPECT_FALSE(title.isEmpty());
    EXPECT_TRUE(title.trimmed().isEmpty()) << title.toStdString();
    EXPECT_EQ(Text(IDC_STATUS), transfer_text::kSendCancelled);
    EXPECT_EQ(Bar(), 0);

    EXPECT_TRUE(m_sim.ReceivedBytes().empty());
    EXPECT_EQ(fs::last_write_time(m_root / kScreen / "Vrx.cfg"), before);
    ExpectUnlocked();
    EXPECT_TRUE(Enabled(IDC_SEND));
}

TEST_F(TransferTest, SendToASilentProcessorStillReadsTheStoredSettings) {
    StartOnScreen({{FaultKind::Silent, Stage::Any}}, true);
    Click(IDC_SEND);
    EXPECT_EQ(Text(IDC_STATUS), transfer_text::kSendError);
    EXPECT_EQ(Bar(), 20);
    const auto blocks = vrxsim::ExampleSettings();
    EXPECT_EQ(std::memcmp(&m_image.system, blocks.data(), sizeof m_image.system), 0);
    ExpectUnlocked();
    EXPECT_TRUE(Enabled(IDC_SEND));
}

TEST_F(TransferTest, SendWritesTheStoredSettingsIntoTheProcessor) {
    // The stored alternates swapped: the processor must end with the file's blocks.
    auto stored = vrxsim::ExampleSettings();
    std::swap_ranges(stored.begin() + 352, stored.begin() + 576, stored.begin() + 576);
    ASSERT_NE(stored, vrxsim::ExampleSettings());
    StartOnScreen({}, true, stored);
    Click(IDC_SEND);
    EXPECT_EQ(m_sim.Settings(), stored);
    // The warning, then the offer to verify, taken: the processor is read back and found to
    // hold exactly the stored settings.
    ASSERT_EQ(m_prompt.m_asked.size(), 3u);
    EXPECT_EQ(m_prompt.m_asked[1].m_nButtons, PromptButtons::OkCancel);
    EXPECT_EQ(m_prompt.m_asked[2].m_strText, kVerifiedText);
    EXPECT_EQ(Text(IDC_STATUS), transfer_text::kReadDone);
    EXPECT_EQ(Bar(), 100);
    ExpectUnlocked();
    // The verify is logged after the Send, as the command-line tool's send --verify logs it.
    const std::vector<LogEntry> log = ReadLog(ScreenLogFolder(m_root / kScreen)).m_entries;
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].m_strAction, kVerifyAction);
    EXPECT_EQ(log[1].m_strResult, VerifyResultText(0));
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++m_nPaints;
        return false;
    }
    int m_nPaints = 0;
};

TEST_F(TransferTest, ASlowLoadKeepsTheWindowPaintedAndDropsInputGivenDuringIt) {
    // A processor that thinks before every reply: the Load takes several seconds.
    vrxsim::Options options;
    options.delayMs = 700;
    vrxsim::Simulator slow(options);
    MakeFolders(kScreen);
    MakeFolders("Odeon/Main/3");
    std::ofstream(m_root / "VRX3KM.CFG") << "[Ports]\nCOM1=" << slow.DevicePath() << "\n";
    Start();
    m_pDlg->show();
    Select({"Odeon", "Main", "Screen 1"});
    m_port.Open("COM1", m_portSettings.ProfilePath);
    ASSERT_TRUE(m_port.IsOpen());
    slow.Start();

    PaintCounter painted;
    m_pDlg->Control(IDC_PROGRESS)->installEventFilter(&painted);
    QSignalSpy ended(m_pDlg.get(), &CMainDlg::TransferEnded);
    static_cast<QPushButton*>(m_pDlg->Control(IDC_LOAD))->click();
    ASSERT_TRUE(m_pDlg->IsTransferRunning());
    // The controls a running transfer locks are those the selection state says.
    for (const auto& [command, id] : kCommandControls)
        EXPECT_EQ(Enabled(id), m_pDlg->Selection().Allows(command, true)) << id;

    // While it runs: a click on the other screen, a key press in the tree and Escape.
    QTreeWidget* tree = m_pDlg->Tree();
    QTreeWidgetItem* theater = tree->currentItem()->parent();
    QTreeWidgetItem* other = theater->child(theater->child(0) == tree->currentItem() ? 1 : 0);
    ASSERT_EQ(other->text(0), "3");
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(other).center());
    QTest::keyClick(tree, Qt::Key_Down);
    QTest::keyClick(m_pDlg.get(), Qt::Key_Escape);
    // The bar moves and is painted while the transfer goes on.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Bar() >= 40 || !m_pDlg->IsTransferRunning(); }));
    EXPECT_TRUE(m_pDlg->IsTransferRunning());
    EXPECT_GT(painted.m_nPaints, 0);
    EXPECT_EQ(Text(IDC_STATUS), transfer_text::kDownloadWait);
    // It looks busy, so that the dead Exit and Delete do not surprise.
    EXPECT_EQ(m_pDlg->cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(m_pDlg->Control(IDC_EXIT)->cursor().shape(), Qt::WaitCursor);

    ASSERT_TRUE(ended.wait(20000));
    QCoreApplication::processEvents();
    EXPECT_EQ(Text(IDC_STATUS), transfer_text::kDownloadSuccess);
    EXPECT_EQ(Bar(), 100);
    EXPECT_EQ(tree->currentItem()->text(0), "Screen 1");
    EXPECT_EQ(m_pDlg->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(m_pDlg->isVisible());
    EXPECT_TRUE(Saved("Vrx.cfg"));
    slow.Stop();
}

TEST_F(TransferTest, AProcessorThatWentAwayAndCameBackIsReachedByTheFirstLoad) {
    // COM1 stands for a fixed path that leads to whichever simulator serves now, as an
    // adapter's /dev/serial/by-id path leads to the adapter after it was plugged in again.
    const fs::path adapter = m_root / "adapter";
    auto first = std::make_unique<vrxsim::Simulator>();
    fs::create_symlink(first->DevicePath(), adapter);
    MakeFolders(kScreen);
    std::ofstream(m_root / "VRX3KM.CFG") << "[Ports]\nCOM1=" << adapter.string() << "\n";
    Start();
    Select({"Odeon", "Main", "Screen 1"});
    m_pDlg->SetPortOpener([this](const std::string& name) {
        m_port.Open(name, m_portSettings.ProfilePath);
        return m_port.LastOpenFailure().Reason();
    });
    m_pDlg->OpenSavedPort();
    ASSERT_TRUE(m_port.IsOpen());
    first->Start();
    Click(IDC_LOAD);
    EXPECT_EQ(Text(IDC_STATUS), transfer_text::kDownloadSuccess);
    const auto portLine = [&] { return Text(IDC_PORT_STATE); };
    EXPECT_EQ(portLine(), "adapter\nopen");

    first.reset(); // unplugged: the window, activated again, no longer calls the port open
    m_pDlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
    EXPECT_EQ(portLine(), "adapter\nclosed");

    vrxsim::Simulator second; // plugged in again
    fs::remove(adapter);
    fs::create_symlink(second.DevicePath(), adapter);
    second.Start();
    Click(IDC_LOAD);
    EXPECT_EQ(Text(IDC_STATUS), transfer_text::kDownloadSuccess) << Reason();
    EXPECT_EQ(portLine(), "adapter\nopen");
    second.Stop();
}

// The processor took alternate #2 where alternate #1 was sent: the success text stays, the
// reason names the blocks, and the comparison with the processor is offered at once.
TEST_F(TransferTest, ASendWhoseGoAheadNamesAnotherBlockOffersTheComparison) {
    StartOnScreen({{FaultKind::WrongBlock, Stage::WriteAudio1}}, true);
    m_prompt.m_answers = {PromptAnswer::Ok, PromptAnswer::Cancel};
    Click(IDC_SEND);
    ASSERT_EQ(m_prompt.m_asked.size(), 2u);
    EXPECT_EQ(m_prompt.m_asked[1].m_nButtons, PromptButtons::OkCancel); // the offer, refused
    EXPECT_EQ(m_prompt.m_asked[1].m_nIcon, PromptIcon::Exclamation);
    EXPECT_EQ(Text(IDC_STATUS), transfer_text::kSendSuccess);
    EXPECT_EQ(Reason(), "The VRX-3KM took alternate #2 where alternate #1 was sent; alternate #1 "
                        "was not written.");
    ExpectUnlocked();
}

TEST_F(TransferTest, ClosingDuringATransferWaitsForItsEnd) {
    StartOnScreen({}, false);
    m_pDlg->show();
    static_cast<QPushButton*>(m_pDlg->Control(IDC_LOAD))->click();
    m_pDlg->close();
    EXPECT_TRUE(m_pDlg->isVisible());
    m_pDlg->WaitForTransferEnd();
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_TRUE(Saved("Vrx.cfg"));
    EXPECT_TRUE(Saved("Vrx.txt"));
}

} // namespace

TEST_F(TransferTest, FileErrorsAreShownAndEndTheTransferWithTheControlsUnlocked) {
    // Load: the report's name is taken by a folder, so saving fails after the download.
    StartOnScreen({}, false);
    fs::create_directories(m_root / kScreen / "Vrx.txt");
    Click(IDC_LOAD);
    ASSERT_EQ(m_prompt.m_asked.size(), 1u);
    EXPECT_EQ(m_prompt.m_asked[0].m_nIcon, PromptIcon::Stop);
    EXPECT_NE(m_prompt.m_asked[0].m_strText.find("Vrx.txt"), std::string::npos);
    EXPECT_EQ(Text(IDC_STATUS), transfer_text::kDownloadError);
    EXPECT_FALSE(Saved("Vrx.cfg")) << "a save that failed stores neither file";
    ExpectUnlocked();

    // Send: the stored file is replaced by one of the wrong length after the panel saw it.
    m_prompt.m_asked.clear();
    std::ofstream(m_root / kScreen / "Vrx.cfg", std::ios::binary) << std::string(800, '\0');
    Select({"Odeon", "Main"});
    Select({"Odeon", "Main", "Screen 1"});
    std::ofstream(m_root / kScreen / "Vrx.cfg", std::ios::binary | std::ios::trunc)
        << std::string(799, '\0');
    Click(IDC_SEND);
    ASSERT_EQ(m_prompt.m_asked.size(), 2u); // the warning, then the file error
    EXPECT_EQ(m_prompt.m_asked[1].m_nIcon, PromptIcon::Stop);
    EXPECT_EQ(Text(IDC_STATUS), transfer_text::kSendError);
    EXPECT_EQ(m_sim.Settings(), vrxsim::ExampleSettings()); // nothing was written
    ExpectUnlocked();
}

// A screen with a port of its own is loaded through it, whatever the checked COM button names,
// and the status says so; a Port.txt naming no usable port stops the Load before anything opens.
TEST_F(TransferTest, LoadUsesTheScreensOwnPort) {
    StartOnScreen({}, false);
    std::ofstream(m_root / "VRX3KM.CFG")
        << "[Ports]\nCOM1=" << (m_root / "no-such-tty").string() << "\n";
    m_pDlg->SetPortOpener([this](const std::string& name) {
        m_opened.push_back(name);
        OpenNamedPort(m_port, name, m_portSettings.ProfilePath);
        return m_port.LastOpenFailure().Reason();
    });
    std::ofstream(m_root / kScreen / "Port.txt") << m_sim.DevicePath() << "\r\n";
    m_pDlg->UpdateSelectionPanel(false);
    EXPECT_NE(Text(IDC_SCREEN).find(m_sim.DevicePath()), std::string::npos);
    Click(IDC_LOAD);
    EXPECT_EQ(Text(IDC_STATUS), transfer_text::kDownloadSuccess);
    EXPECT_NE(Reason().find(m_sim.DevicePath()), std::string::npos) << Reason();
    EXPECT_TRUE(Saved("Vrx.cfg"));
    ASSERT_GE(m_opened.size(), 2u);
    EXPECT_EQ(m_opened[m_opened.size() - 2], m_sim.DevicePath());
    EXPECT_EQ(m_opened.back(), "COM1"); // the port line names the checked button's port again

    std::ofstream(m_root / kScreen / "Port.txt") << "tcp://\r\n";
    const std::size_t nOpened = m_opened.size();
    Click(IDC_LOAD);
    EXPECT_EQ(m_opened.size(), nOpened);
    EXPECT_FALSE(m_pDlg->IsTransferRunning());
    EXPECT_FALSE(Reason().empty());
}

// The window's backup reads each screen with a port on a worker thread, a row as each ends, and
// ends with the summary; a screen without a port is not read.
TEST_F(TransferTest, BackUpScreensFillsItsListAndSummary) {
    StartOnScreen({}, false);
    MakeFolders("Odeon/Main/Screen 2");
    m_pDlg->Refresh();
    std::ofstream(m_root / kScreen / "Port.txt") << m_sim.DevicePath() << "\r\n";
    m_port.OpenDevice((m_root / "no-such-tty").string()); // the backup opens the port itself
    std::vector<BackupScreen> screens = BackupScreensOf(m_pDlg->Library(), ".", {"Odeon"});
    ASSERT_EQ(screens.size(), 2u);
    CBackupDlg dialog(m_pDlg.get(), "Odeon", screens, ".", m_portSettings.ProfilePath);
    QSignalSpy ended(&dialog, &CBackupDlg::Ended);
    dialog.Start();
    ASSERT_TRUE(ended.wait(30000));
    EXPECT_EQ(dialog.List()->topLevelItemCount(), 2);
    EXPECT_EQ(
        dialog.Summary()->text().toStdString().rfind(CountBackup(dialog.Results()).Summary(), 0),
        0u);
    EXPECT_EQ(dialog.Results()[0].m_nOutcome, BackupOutcome::Changed);
    EXPECT_EQ(dialog.Results()[1].m_nOutcome, BackupOutcome::NoPort);
    EXPECT_TRUE(Saved("Vrx.cfg"));
}
