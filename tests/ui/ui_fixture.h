// The main dialog driven offscreen in a temporary working directory, with scripted answers for
// the boxes and the name dialog, a recorder for opened files and one for opened ports.
#pragma once

#include "control/launcher.h"
#include "image/settings_image.h"
#include "link/frame_codec.h"
#include "link/profile.h"
#include "link/serial_port.h"
#include "ui/main_dlg.h"
#include "ui/prompt.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class ScriptedPrompt : public WindowPrompt {
public:
    PromptAnswer Ask(QWidget* owner, const PromptRequest& request) override;
    std::vector<PromptRequest> m_asked;
    std::deque<PromptAnswer> m_answers; // OK when the script has run out
    // Answers each box with its default button, as Enter would, once the script has run out.
    bool m_bPressEnter = false;
};

class RecordingLauncher : public Launcher {
public:
    bool Open(LaunchProgram program, const std::string& path) override {
        m_programs.push_back(program);
        m_opened.push_back(path);
        return m_bOpens;
    }
    bool m_bOpens = true; // false: the desktop has no program for the file
    std::vector<LaunchProgram> m_programs;
    std::vector<std::string> m_opened;
};

// The controls of the main dialog's commands.
inline constexpr std::pair<MainCommand, int> kCommandControls[] = {
    {MainCommand::AddCircuit, IDC_ADD_CIRCUIT},
    {MainCommand::AddTheater, IDC_ADD_THEATER},
    {MainCommand::AddScreen, IDC_ADD_SCREEN},
    {MainCommand::Load, IDC_LOAD},
    {MainCommand::Send, IDC_SEND},
    {MainCommand::Delete, IDC_DELETE},
    {MainCommand::ViewConfiguration, IDC_VIEW_CONFIGURATION},
    {MainCommand::EditNotes, IDC_EDIT_NOTES},
    {MainCommand::Help, IDC_HELP},
    {MainCommand::SelectPort, IDC_COM1},
    {MainCommand::SelectPort, IDC_COM4},
    {MainCommand::Ports, IDC_PORTS},
    {MainCommand::HistoryMenu, IDC_HISTORY},
};

class MainDlgTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the folders of a library path ("Main/Plaza/2") below the working directory.
    void MakeFolders(const std::string& path);
    // Writes a file of this many bytes below the working directory.
    void WriteFile(const std::string& path, std::size_t size);
    // Constructs and initialises the dialog, as the start of the program does.
    CMainDlg& Start();
    // Selects the tree item at this path of names; fails the test when there is none.
    void Select(const std::vector<std::string>& names);
    bool Enabled(int id) const;
    // A label's text; for the status control its first line, the status text itself.
    std::string Text(int id) const;
    // The whole reason that follows the status text, or "".
    std::string Reason() const;
    std::vector<std::string> TopLevelTexts() const;
    // Runs Add Circuit (0), Add Theater (1) or Add Screen (2).
    void Add(int command);

    std::filesystem::path m_root;
    std::filesystem::path m_oldCurrent;
    ScriptedPrompt m_prompt;
    RecordingLauncher m_launcher;
    std::deque<std::optional<std::string>> m_names;
    std::vector<std::string> m_captions;
    std::vector<std::string> m_opened;
    // The objects of the program's run, as the start of the program makes them; each Start
    // begins with an empty library.
    CSerialPort m_port;
    FrameCodec m_codec;
    SettingsImage m_image;
    PortSettings m_portSettings;
    std::unique_ptr<SiteLibrary> m_pLibrary;
    std::unique_ptr<CMainDlg> m_pDlg;
};
