// The selection state of each kind of selection: the five flags, the panel's texts and the
// commands a window enables, with no transfer and while one runs.
#include "control/button_image.h"
#include "control/selection_state.h"
#include "image/settings_image.h"
#include "library/site_storage.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <set>

namespace fs = std::filesystem;

namespace {

using Commands = std::set<MainCommand>;
using C = MainCommand;

const Commands kAll = {C::AddCircuit,
                       C::AddTheater,
                       C::AddScreen,
                       C::Load,
                       C::Send,
                       C::Delete,
                       C::ViewConfiguration,
                       C::EditNotes,
                       C::Help,
                       C::SelectPort,
                       C::Ports,
                       C::HistoryMenu,
                       C::CompareWithProcessor,
                       C::ScreenHistory,
                       C::CompareWithScreen,
                       C::CompareWithFile};

// Never touched by the selection, only by a transfer.
const Commands kAlways = {C::AddCircuit, C::Help, C::SelectPort, C::Ports, C::HistoryMenu};
// What a transfer leaves to the selection.
const Commands kDuringTransfer = {
    C::Delete, C::ViewConfiguration, C::EditNotes,         C::Help,
    C::Ports,  C::ScreenHistory,     C::CompareWithScreen, C::CompareWithFile};

// Settings whose four blocks pass their checks.
std::string ValidSettings() {
    SettingsImage image;
    image.system[kCheckedByte8] = 1;
    for (AudioSetup* block : {&image.current, &image.alternate1, &image.alternate2}) {
        (*block)[kDateStamp] = 1;     // 1 o'clock, January
        (*block)[kDateStamp + 1] = 1; // Friday the 1st
    }
    const auto stored = ToStoredForm(image);
    return std::string(stored.begin(), stored.end());
}

Commands Union(Commands a, const Commands& b) {
    a.insert(b.begin(), b.end());
    return a;
}

struct Row {
    const char* name;
    SiteSelection site;
    // What the screen folder holds: "" nothing, "799" a Vrx.cfg of 799 bytes, "valid" a Vrx.cfg
    // that passes its checks, "fails" one of valid length that does not.
    std::string settings;
    bool bFolderFilled; // the circuit's or theater's folder holds a file
    SelectionFlags flags;
    const char *circuit, *theater, *screen;
    bool bDate;
    Commands enabled; // besides kAlways
};

} // namespace

TEST(SelectionState, EachKindOfSelection) {
    const SiteSelection none;
    const SiteSelection circuit{SiteLevel::Circuit, "Main", "", ""};
    const SiteSelection theater{SiteLevel::Theater, "Main", "Plaza", ""};
    const SiteSelection screen{SiteLevel::Screen, "Main", "Plaza", "2"};
    const Commands screenCommands = {C::AddTheater, C::AddScreen, C::Load,
                                     C::Delete,     C::EditNotes, C::ScreenHistory};
    const Commands settingsCommands =
        Union(screenCommands, {C::Send, C::ViewConfiguration, C::CompareWithProcessor,
                               C::CompareWithScreen, C::CompareWithFile});
    const Row rows[] = {
        {"nothing",
         none,
         "",
         false,
         {false, false, false, false, true},
         "---",
         "---",
         "---",
         false,
         {}},
        {"empty circuit",
         circuit,
         "",
         false,
         {true, false, false, false, false},
         "Main",
         "---",
         "---",
         false,
         {C::AddTheater, C::Delete}},
        {"circuit holding a file",
         circuit,
         "",
         true,
         {true, false, false, false, true},
         "Main",
         "---",
         "---",
         false,
         {C::AddTheater}},
        {"empty theater",
         theater,
         "",
         false,
         {true, true, false, false, false},
         "Main",
         "Plaza",
         "---",
         false,
         {C::AddTheater, C::AddScreen, C::Delete}},
        {"theater holding a file",
         theater,
         "",
         true,
         {true, true, false, false, true},
         "Main",
         "Plaza",
         "---",
         false,
         {C::AddTheater, C::AddScreen}},
        {"screen without settings",
         screen,
         "",
         false,
         {true, true, true, false, false},
         "Main",
         "Plaza",
         "2",
         false,
         screenCommands},
        {"screen with valid settings",
         screen,
         "valid",
         false,
         {true, true, true, true, false},
         "Main",
         "Plaza",
         "2",
         true,
         settingsCommands},
        {"screen with 799 bytes",
         screen,
         "799",
         false,
         {true, true, true, false, false},
         "Main",
         "Plaza",
         "2",
         true,
         screenCommands},
        {"screen whose settings fail their checks",
         screen,
         "fails",
         false,
         {true, true, true, true, false},
         "Main",
         "Plaza",
         "2  (settings fail checks)",
         true,
         settingsCommands},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder root;
        fs::create_directories(root.Path() / "Main/Plaza/2");
        const fs::path folder =
            root.Path() / (row.site.m_nLevel == SiteLevel::Theater ? "Main/Plaza" : "Main");
        if (row.bFolderFilled)
            WriteBytes(folder / "readme.txt", "mine");
        else if (row.site.m_nLevel != SiteLevel::Screen)
            fs::remove_all(folder / (row.site.m_nLevel == SiteLevel::Theater ? "2" : "Plaza"));
        const fs::path settings = root.Path() / "Main/Plaza/2/Vrx.cfg";
        if (row.settings == "799")
            WriteBytes(settings, std::string(799, '\0'));
        else if (row.settings == "valid")
            WriteBytes(settings, ValidSettings());
        else if (row.settings == "fails")
            WriteBytes(settings, std::string(800, '\xff'));

        SiteLibrary library;
        SettingsImage image;
        CSiteStorage storage(library, root.Path(), image);
        const SelectionState state = SelectionState::Probe(storage, row.site);

        const SelectionFlags& flags = state.Flags();
        EXPECT_EQ(flags.m_bCircuitSelected, row.flags.m_bCircuitSelected);
        EXPECT_EQ(flags.m_bTheaterSelected, row.flags.m_bTheaterSelected);
        EXPECT_EQ(flags.m_bScreenSelected, row.flags.m_bScreenSelected);
        EXPECT_EQ(flags.m_bHasSettings, row.flags.m_bHasSettings);
        EXPECT_EQ(flags.m_bFolderNotEmpty, row.flags.m_bFolderNotEmpty);

        const SelectionPanel& panel = state.Panel();
        EXPECT_EQ(panel.m_strCircuit, row.circuit);
        EXPECT_EQ(panel.m_strTheater, row.theater);
        EXPECT_EQ(panel.m_strScreen, row.screen);
        EXPECT_EQ(!panel.m_strDate.empty(), row.bDate);
        EXPECT_EQ(!panel.m_strTime.empty(), row.bDate);
        EXPECT_EQ(!panel.m_strWarning.empty(), row.settings == "fails");

        const Commands idle = Union(row.enabled, kAlways);
        for (const MainCommand command : kAll) {
            SCOPED_TRACE(static_cast<int>(command));
            EXPECT_EQ(state.Allows(command), idle.count(command) == 1);
            EXPECT_EQ(state.Allows(command, true),
                      idle.count(command) == 1 && kDuringTransfer.count(command) == 1);
            // What a transfer enables again at its end, whatever is selected, is always allowed.
            if (TransferLockOf(command) == TransferLock::Fixed) {
                EXPECT_TRUE(state.Allows(command));
            }
        }
    }
}

TEST(ButtonImage, ChoiceOrder) {
    using B = ButtonImage;
    struct Row {
        ButtonLook look; // pressed, focus, disabled; has down, has focus, has disabled
        B expected;
    };
    const Row rows[] = {
        {{false, false, false, true, true, true}, B::Up},
        {{true, true, true, true, true, true}, B::Down},
        {{true, true, false, false, true, true}, B::Focus},
        {{false, true, true, true, true, true}, B::Focus},
        {{false, true, true, true, false, true}, B::Disabled},
        {{false, false, true, true, true, false}, B::Up},
        {{true, false, false, false, false, false}, B::Up},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ChooseButtonImage(row.look), row.expected);
}
