// What the main window shows and allows for the selected entry: the five selection flags, the
// "Current Selection" panel's texts and which commands may run. The rules are written once here;
// each window (Qt, Win32) probes a state for its selected entry and binds it to its controls.
#pragma once

#include "library/site_library.h"

#include <string>

class CSiteStorage;

// The commands of the main window whose controls a selection or a transfer enables.
enum class MainCommand {
    AddCircuit,
    AddTheater,
    AddScreen,
    Load,
    Send,
    Delete,
    ViewConfiguration,
    EditNotes,
    Help,
    SelectPort, // the four port buttons
    Ports,
    HistoryMenu, // the History & Compare button
    CompareWithProcessor,
    ScreenHistory,
    CompareWithScreen,
    CompareWithFile,
};

inline constexpr MainCommand kMainCommands[] = {MainCommand::AddCircuit,
                                                MainCommand::AddTheater,
                                                MainCommand::AddScreen,
                                                MainCommand::Load,
                                                MainCommand::Send,
                                                MainCommand::Delete,
                                                MainCommand::ViewConfiguration,
                                                MainCommand::EditNotes,
                                                MainCommand::Help,
                                                MainCommand::SelectPort,
                                                MainCommand::Ports,
                                                MainCommand::HistoryMenu,
                                                MainCommand::CompareWithProcessor,
                                                MainCommand::ScreenHistory,
                                                MainCommand::CompareWithScreen,
                                                MainCommand::CompareWithFile};

// What a transfer does to a command's control.
enum class TransferLock {
    Untouched,        // left as the selection set it
    FollowsSelection, // disabled at the start (LockControls); the panel's refresh at the end
                      // sets it again
    Fixed,            // disabled at the start, enabled again at the end (UnlockControls)
};
TransferLock TransferLockOf(MainCommand command);

// The commands whose controls the panel's refresh sets, in the order it sets them.
inline constexpr MainCommand kPanelCommands[] = {MainCommand::Load,
                                                 MainCommand::Send,
                                                 MainCommand::AddScreen,
                                                 MainCommand::AddTheater,
                                                 MainCommand::Delete,
                                                 MainCommand::EditNotes,
                                                 MainCommand::ViewConfiguration};

// The commands of the History & Compare menu, in its order.
inline constexpr MainCommand kMenuCommands[] = {
    MainCommand::CompareWithProcessor, MainCommand::ScreenHistory, MainCommand::CompareWithScreen,
    MainCommand::CompareWithFile};

// The five selection flags.
struct SelectionFlags {
    bool m_bCircuitSelected = false; // a circuit, theater or screen is selected
    bool m_bTheaterSelected = false; // a theater or screen is selected
    bool m_bScreenSelected = false;  // a screen is selected
    bool m_bHasSettings = false;     // the selected screen's Vrx.cfg has a valid length
    bool m_bFolderNotEmpty = true;   // the selected circuit's or theater's folder holds anything,
                                     // or nothing is selected
};

// The panel's texts.
struct SelectionPanel {
    // Each name of the selection, or "---" below the selected level; the screen's name carries
    // kFailingSettingsMark when its stored settings fail their checks.
    std::string m_strCircuit = "---";
    std::string m_strTheater = "---";
    std::string m_strScreen = "---";
    // The date and time of the screen's Vrx.cfg (SettingsTimeTexts); empty unless it exists.
    std::string m_strDate;
    std::string m_strTime;
    // Why the screen, its date and its time are marked; empty when they are not.
    std::string m_strWarning;
    // The screen's own port (its Port.txt): the port its Load, Send and comparison use; empty
    // when it has none. m_strOwnPortProblem says why a Port.txt names no usable port. The
    // screen's name is followed by the port, or by a mark when it cannot be used.
    std::string m_strOwnPort;
    std::string m_strOwnPortProblem;
    // The copies a sync engine left beside the screen's files after a conflict, one per line
    // with what to do; empty when there are none. The screen's name then carries kConflictMark.
    std::string m_strConflicts;
};

// What follows the screen's name when its stored settings have a valid length but fail their
// checks, and what the marked texts explain.
inline constexpr const char* kFailingSettingsMark = "  (settings fail checks)";
inline constexpr const char* kFailingSettingsText =
    "The stored settings of this screen fail their checks: a Send would refuse them. Load them "
    "again from the VRX-3KM, or restore a kept version (History).";

// What follows the screen's name when a sync engine left conflicting copies of its files, and
// what the mark's tooltip says after the list of copies.
inline constexpr const char* kConflictMark = "  (conflict)";
inline constexpr const char* kConflictText =
    "Two computers changed this screen's files before either had the other's change. Settle it "
    "with History & Compare, \"Settle Conflicts...\": nothing of either version is lost.";

class SelectionState {
public:
    // Nothing selected.
    SelectionState() = default;
    // The state of the entry site (level None: nothing selected), with the disk read now: a
    // circuit's or theater's folder for anything in it, a screen's Vrx.cfg for its length, time
    // and checks. A screen's folder is never listed, so Delete is always allowed for a screen.
    static SelectionState Probe(CSiteStorage& storage, const SiteSelection& site);

    const SiteSelection& Site() const { return m_site; }
    const SelectionFlags& Flags() const { return m_flags; }
    const SelectionPanel& Panel() const { return m_panel; }
    // Whether the command may run for this selection; while a transfer runs, only the commands
    // it leaves untouched.
    bool Allows(MainCommand command, bool bTransferRunning = false) const;
    // Whether the selected screen has conflicting copies to settle.
    bool HasConflicts() const { return !m_panel.m_strConflicts.empty(); }

private:
    SiteSelection m_site;
    SelectionFlags m_flags;
    SelectionPanel m_panel;
};

// The date and time of the screen's Vrx.cfg (whatever its length), in local time, formatted with
// strftime's "%A, %B %d, %Y" and "%I:%M:%S %p" in the "C" locale ("Monday, December 07, 2026",
// "09:05:03 PM"). False, with both texts empty, when site is not a screen or has no Vrx.cfg.
bool SettingsTimeTexts(const CSiteStorage& storage, const SiteSelection& site, std::string& strDate,
                       std::string& strTime);
