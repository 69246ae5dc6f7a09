#include "control/selection_state.h"

#include "image/portable.h"
#include "library/conflict_resolve.h"
#include "library/screen_port.h"
#include "library/screen_store.h"
#include "library/site_storage.h"
#include "library/stored_settings.h"

#include <ctime>
#include <iomanip>
#include <locale>
#include <sstream>

namespace {

// strftime conventions in the "C" locale, whatever locale the desktop set for the process.
std::string FormatTime(const std::tm& tm, const char* format) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::put_time(&tm, format);
    return out.str();
}

} // namespace

TransferLock TransferLockOf(MainCommand command) {
    switch (command) {
    case MainCommand::AddCircuit:
    case MainCommand::SelectPort:
    case MainCommand::HistoryMenu:
        return TransferLock::Fixed;
    case MainCommand::AddTheater:
    case MainCommand::AddScreen:
    case MainCommand::Load:
    case MainCommand::Send:
    case MainCommand::CompareWithProcessor:
        return TransferLock::FollowsSelection;
    case MainCommand::Delete:
    case MainCommand::ViewConfiguration:
    case MainCommand::EditNotes:
    case MainCommand::Help:
    case MainCommand::Ports:
    case MainCommand::ScreenHistory:
    case MainCommand::CompareWithScreen:
    case MainCommand::CompareWithFile:
        break;
    }
    return TransferLock::Untouched;
}

SelectionState SelectionState::Probe(CSiteStorage& storage, const SiteSelection& site) {
    SelectionState state;
    state.m_site = site;
    SelectionFlags& flags = state.m_flags;
    flags.m_bFolderNotEmpty = false;
    switch (site.m_nLevel) {
    case SiteLevel::None:
        flags.m_bFolderNotEmpty = true;
        return state;
    case SiteLevel::Screen:
        flags.m_bScreenSelected = true;
        flags.m_bHasSettings = storage.IsSettingsFileValid(site, PathKind::SettingsFile);
        [[fallthrough]];
    case SiteLevel::Theater:
        flags.m_bTheaterSelected = true;
        [[fallthrough]];
    case SiteLevel::Circuit:
        flags.m_bCircuitSelected = true;
        break;
    }
    if (site.m_nLevel != SiteLevel::Screen)
        flags.m_bFolderNotEmpty = storage.IsFolderNotEmpty(site, FolderKind(site.m_nLevel));

    SelectionPanel& panel = state.m_panel;
    panel.m_strCircuit = site.m_strCircuit;
    if (flags.m_bTheaterSelected)
        panel.m_strTheater = site.m_strTheater;
    if (flags.m_bScreenSelected)
        panel.m_strScreen = site.m_strScreen;
    SettingsTimeTexts(storage, site, panel.m_strDate, panel.m_strTime);
    // Stored settings of a valid length whose blocks fail their checks would be refused by a
    // Send: the panel says so before the technician tries.
    if (flags.m_bHasSettings &&
        StoredSettingsStateOf(storage.DiskPath(site, PathKind::SettingsFile)) ==
            StoredSettingsState::FailsChecks) {
        panel.m_strScreen += kFailingSettingsMark;
        panel.m_strWarning = kFailingSettingsText;
    }
    if (flags.m_bScreenSelected) {
        const std::filesystem::path folder = ScreenFolderPath(storage.Root(), ScreenOf(site));
        const ScreenPort own = ReadScreenPort(folder);
        panel.m_strOwnPort = own.m_strName;
        panel.m_strOwnPortProblem = own.m_strProblem;
        // The panel has no line to spare: the port follows the name, the tooltip says more.
        if (!own.m_strProblem.empty())
            panel.m_strScreen += "  (own port: unusable)";
        else if (!own.m_strName.empty())
            panel.m_strScreen += "  (port " + own.m_strName + ")";
        for (const ConflictCopy& copy : ScreenConflicts(folder))
            panel.m_strConflicts += copy.m_strPath + "  (a copy of " + copy.m_strOriginal + ", " +
                                    SyncEngineText(copy.m_nEngine) + ")\n";
        if (!panel.m_strConflicts.empty())
            panel.m_strScreen += kConflictMark;
    }
    return state;
}

bool SelectionState::Allows(MainCommand command, bool bTransferRunning) const {
    if (bTransferRunning && TransferLockOf(command) != TransferLock::Untouched)
        return false;
    switch (command) {
    case MainCommand::AddTheater:
        return m_flags.m_bCircuitSelected;
    case MainCommand::AddScreen:
        return m_flags.m_bTheaterSelected;
    case MainCommand::Load:
    case MainCommand::EditNotes:
    case MainCommand::ScreenHistory:
        return m_flags.m_bScreenSelected;
    case MainCommand::Send:
    case MainCommand::ViewConfiguration:
    case MainCommand::CompareWithProcessor:
    case MainCommand::CompareWithScreen:
    case MainCommand::CompareWithFile:
        return m_flags.m_bHasSettings;
    case MainCommand::Delete:
        return !m_flags.m_bFolderNotEmpty;
    case MainCommand::AddCircuit:
    case MainCommand::Help:
    case MainCommand::SelectPort:
    case MainCommand::Ports:
    case MainCommand::HistoryMenu:
        break;
    }
    return true;
}

bool SettingsTimeTexts(const CSiteStorage& storage, const SiteSelection& site, std::string& strDate,
                       std::string& strTime) {
    strDate.clear();
    strTime.clear();
    if (site.m_nLevel != SiteLevel::Screen)
        return false;
    const auto written = storage.SettingsFileTime(site);
    if (!written)
        return false;
    std::tm local{};
    if (!ToLocalTime(ToCalendarTime(*written), local))
        return false;
    strDate = FormatTime(local, "%A, %B %d, %Y");
    strTime = FormatTime(local, "%I:%M:%S %p");
    return true;
}
