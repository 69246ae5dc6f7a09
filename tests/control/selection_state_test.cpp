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
    const SiteSelection& site;
    // What is on disk besides the folders Main/Plaza/2: "file" a file in the selected circuit's
    // or theater's folder, "799" a Vrx.cfg of 799 bytes, "800" and "938" settings of that length
    // that pass their checks, "fails" 800 bytes that do not.
    std::string disk;
    // The flags set: C circuit, T theater, S screen selected, H has settings, F folder not empty.
    const char* flags;
    const char* panel; // circuit, theater and screen text
    bool bDate;
    Commands enabled; // besides kAlways
};

// The flags of the state as a Row writes them.
std::string FlagLetters(const SelectionFlags& flags) {
    std::string letters;
    for (const auto& [bSet, letter] : {std::pair{flags.m_bCircuitSelected, 'C'},
                                       {flags.m_bTheaterSelected, 'T'},
                                       {flags.m_bScreenSelected, 'S'},
                                       {flags.m_bHasSettings, 'H'},
                                       {flags.m_bFolderNotEmpty, 'F'}})
        if (bSet)
            letters += letter;
    return letters;
}

} // namespace

TEST(SelectionState, EachKindOfSelection) {
    const SiteSelection none;
    const SiteSelection circuit{SiteLevel::Circuit, "Main", "", ""};
    const SiteSelection theater{SiteLevel::Theater, "Main", "Plaza", ""};
    const SiteSelection screen{SiteLevel::Screen, "Main", "Plaza", "2"};
    const Commands onScreen = {C::AddTheater, C::AddScreen, C::Load,
                               C::Delete,     C::EditNotes, C::ScreenHistory};
    const Commands withSettings =
        Union(onScreen, {C::Send, C::ViewConfiguration, C::CompareWithProcessor,
                         C::CompareWithScreen, C::CompareWithFile});
    const Row rows[] = {
        {"nothing", none, "", "F", "---/---/---", false, {}},
        {"empty circuit", circuit, "", "C", "Main/---/---", false, {C::AddTheater, C::Delete}},
        {"circuit holding a file", circuit, "file", "CF", "Main/---/---", false, {C::AddTheater}},
        {"empty theater",
         theater,
         "",
         "CT",
         "Main/Plaza/---",
         false,
         {C::AddTheater, C::AddScreen, C::Delete}},
        {"theater holding a file",
         theater,
         "file",
         "CTF",
         "Main/Plaza/---",
         false,
         {C::AddTheater, C::AddScreen}},
        {"screen without settings", screen, "", "CTS", "Main/Plaza/2", false, onScreen},
        {"valid settings", screen, "800", "CTSH", "Main/Plaza/2", true, withSettings},
        {"valid settings of 938 bytes", screen, "938", "CTSH", "Main/Plaza/2", true, withSettings},
        {"799 bytes", screen, "799", "CTS", "Main/Plaza/2", true, onScreen},
        {"settings that fail their checks", screen, "fails", "CTSH",
         "Main/Plaza/2  (settings fail checks)", true, withSettings},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder root;
        fs::create_directories(root.Path() / "Main/Plaza/2");
        const fs::path settings = root.Path() / "Main/Plaza/2/Vrx.cfg";
        if (row.disk == "file") {
            const bool bTheater = row.site.m_nLevel == SiteLevel::Theater;
            fs::remove_all(root.Path() / (bTheater ? "Main/Plaza/2" : "Main/Plaza"));
            WriteBytes(root.Path() / (bTheater ? "Main/Plaza" : "Main") / "readme.txt", "mine");
        } else if (row.site.m_nLevel == SiteLevel::Circuit) {
            fs::remove_all(root.Path() / "Main/Plaza");
        } else if (row.site.m_nLevel == SiteLevel::Theater) {
            fs::remove_all(root.Path() / "Main/Plaza/2");
        } else if (row.disk == "799") {
            WriteBytes(settings, std::string(799, '\0'));
        } else if (row.disk == "800" || row.disk == "938") {
            WriteBytes(settings, ValidSettings() + std::string(row.disk == "938" ? 138 : 0, '\0'));
        } else if (row.disk == "fails") {
            WriteBytes(settings, std::string(800, '\xff'));
        }

        SiteLibrary library;
        SettingsImage image;
        CSiteStorage storage(library, root.Path(), image);
        const SelectionState state = SelectionState::Probe(storage, row.site);

        EXPECT_EQ(FlagLetters(state.Flags()), row.flags);
        const SelectionPanel& panel = state.Panel();
        EXPECT_EQ(panel.m_strCircuit + "/" + panel.m_strTheater + "/" + panel.m_strScreen,
                  row.panel);
        EXPECT_EQ(!panel.m_strDate.empty(), row.bDate);
        EXPECT_EQ(!panel.m_strTime.empty(), row.bDate);
        EXPECT_EQ(!panel.m_strWarning.empty(), row.disk == "fails");

        const Commands idle = Union(row.enabled, kAlways);
        for (const MainCommand command : kMainCommands) {
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
