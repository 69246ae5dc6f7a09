// Load and Send from the window against the simulated processor on a pseudo-terminal.
#include "ui_fixture.h"

#include "image/settings_image.h"
#include "link/frame_codec.h"
#include "link/serial_port.h"
#include "link/transfer_sequence.h"

#include "simulator.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <cstring>
#include <fstream>

namespace fs = std::filesystem;
using vrxsim::FaultKind;
using vrxsim::Stage;

namespace {

const char* const kScreen = "Main/Plaza/2";

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
        Select({"Main", "Plaza", "2"});
        g_SerialPort.Open("COM1");
        ASSERT_TRUE(g_SerialPort.IsOpen());
        ResetReceiver();
        g_SettingsImage = SettingsImage{};
        m_sim.Start();
    }
    void Click(int id) { static_cast<QPushButton*>(m_pDlg->Control(id))->click(); }
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

// Answers every box with its default button, as Enter would.
class DefaultAnswerPrompt : public Prompt {
public:
    int Ask(QWidget*, const PromptRequest& request) override {
        m_asked.push_back(request);
        return request.m_bCancelDefault ? kAnswerCancel : kAnswerOk;
    }
    std::vector<PromptRequest> m_asked;
};

TEST_F(TransferTest, LockControlsDisablesTheTransferSetAndUnlockRestoresTheFixedOnes) {
    StartOnScreen({}, true);
    m_pDlg->LockControls();
    for (const int id : {IDC_LOAD, IDC_SEND, IDC_ADD_CIRCUIT, IDC_ADD_THEATER, IDC_ADD_SCREEN,
                         IDC_COM1, IDC_COM2, IDC_COM3, IDC_COM4})
        EXPECT_FALSE(Enabled(id)) << id;
    for (const int id : {IDC_DELETE, IDC_VIEW_CONFIGURATION, IDC_EDIT_NOTES, IDC_HELP, IDC_EXIT})
        EXPECT_TRUE(Enabled(id)) << id;
    m_pDlg->UnlockControls();
    for (const int id : {IDC_ADD_CIRCUIT, IDC_COM1, IDC_COM2, IDC_COM3, IDC_COM4})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_FALSE(Enabled(IDC_LOAD)); // follows the selection only at the next refresh
}

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
    g_SerialPort.Open("COM1");
    ASSERT_FALSE(g_SerialPort.IsOpen());
    Click(IDC_LOAD);
    EXPECT_TRUE(m_prompt.m_asked.empty());
    EXPECT_EQ(Text(IDC_STATUS), transfer_text::kPortError);
    EXPECT_EQ(Bar(), 0);
    EXPECT_TRUE(m_sim.ReceivedBytes().empty());
    ExpectUnlocked();
}

TEST_F(TransferTest, RefusedConfirmationsTouchNothing) {
    StartOnScreen({}, true);
    const auto before = fs::last_write_time(m_root / kScreen / "Vrx.cfg");

    m_prompt.m_answers = {kAnswerCancel};
    Click(IDC_LOAD);
    ASSERT_EQ(m_prompt.m_asked.size(), 1u);
    const PromptRequest& question = m_prompt.m_asked[0];
    EXPECT_EQ(question.m_strText,
              "Do you want to overwrite the previously stored settings for Main - Plaza - 2");
    EXPECT_EQ(question.m_strCaption, "");
    EXPECT_EQ(question.m_nButtons, PromptButtons::OkCancel);
    EXPECT_FALSE(question.m_bCancelDefault);
    EXPECT_EQ(question.m_nIcon, PromptIcon::Exclamation);
    EXPECT_EQ(Text(IDC_STATUS), transfer_text::kDownloadCancelled);
    EXPECT_EQ(Bar(), 0);
    ExpectUnlocked();

    DefaultAnswerPrompt enter;
    SetPrompt(&enter);
    Click(IDC_SEND);
    ASSERT_EQ(enter.m_asked.size(), 1u);
    EXPECT_EQ(enter.m_asked[0].m_strText, SendWarning());
    EXPECT_EQ(enter.m_asked[0].m_nIcon, PromptIcon::Exclamation);
    EXPECT_EQ(Text(IDC_STATUS), transfer_text::kSendCancelled);
    EXPECT_EQ(Bar(), 0);
    SetPrompt(&m_prompt);

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
    EXPECT_EQ(std::memcmp(&g_SettingsImage.system, blocks.data(), sizeof g_SettingsImage.system),
              0);
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
    ASSERT_EQ(m_prompt.m_asked.size(), 1u);
    EXPECT_EQ(Text(IDC_STATUS), transfer_text::kSendSuccess);
    EXPECT_EQ(Bar(), 100);
    EXPECT_EQ(m_sim.Settings(), stored);
    ExpectUnlocked();
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
    Select({"Main", "Plaza"});
    Select({"Main", "Plaza", "2"});
    std::ofstream(m_root / kScreen / "Vrx.cfg", std::ios::binary | std::ios::trunc)
        << std::string(799, '\0');
    Click(IDC_SEND);
    ASSERT_EQ(m_prompt.m_asked.size(), 2u); // the warning, then the file error
    EXPECT_EQ(m_prompt.m_asked[1].m_nIcon, PromptIcon::Stop);
    EXPECT_EQ(Text(IDC_STATUS), transfer_text::kSendError);
    EXPECT_EQ(m_sim.Settings(), vrxsim::ExampleSettings()); // nothing was written
    ExpectUnlocked();
}
