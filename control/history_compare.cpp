#include "control/history_compare.h"

#include "image/file_error.h"
#include "image/stored_files.h"
#include "library/screen_lock.h"
#include "library/screen_store.h"
#include "library/site_library.h"
#include "library/stored_settings.h"

namespace fs = std::filesystem;

std::string ScreenLabel(const ScreenTarget& target) {
    return target.m_strCircuit + " / " + target.m_strTheater + " / " + target.m_strScreen;
}

std::string ComparableScreen::Label() const {
    return ScreenLabel(m_target);
}

std::vector<ComparableScreen> OtherScreensWithSettings(const SiteLibrary& library,
                                                       const fs::path& root,
                                                       const ScreenTarget& self) {
    std::vector<ComparableScreen> screens;
    library.ForEachEntry(SiteLevel::Screen, [&](const SiteSelection& site, SitePos) {
        if (site.m_nLevel != SiteLevel::Screen)
            return;
        const ScreenTarget target = ScreenOf(site);
        const fs::path file = ScreenFolderPath(root, target) / kSettingsFileName;
        const bool bSelf = target.m_strCircuit == self.m_strCircuit &&
                           target.m_strTheater == self.m_strTheater &&
                           target.m_strScreen == self.m_strScreen;
        if (!bSelf && StoredSettingsStateOf(file) != StoredSettingsState::None)
            screens.push_back({target, file});
    });
    return screens;
}

void TellNoOtherScreen(Prompt& prompt) {
    Tell(prompt, "No other screen of the library has stored settings to compare with.",
         prompt.ProgramCaption(), PromptIcon::None);
}

std::optional<SettingsImage> ReadOtherSettings(Prompt& prompt, const fs::path& file) {
    try {
        return ReadSettingsFile(file);
    } catch (const FileError& error) {
        ShowFileError(prompt, error.Message());
    }
    return std::nullopt;
}

std::optional<std::vector<SettingsDifference>> StoredDifferences(Prompt& prompt,
                                                                 const fs::path& root,
                                                                 const ScreenTarget& target,
                                                                 const SettingsImage& other) {
    const std::optional<SettingsImage> stored =
        ReadOtherSettings(prompt, ScreenFolderPath(root, target) / kSettingsFileName);
    if (!stored)
        return std::nullopt;
    return CompareSettings(*stored, other);
}

std::optional<std::vector<SettingsDifference>>
ProcessorDifferences(Prompt& prompt, const fs::path& root, const ScreenTarget& target,
                     const SettingsImage& processor) {
    auto differences = StoredDifferences(prompt, root, target, processor);
    if (differences && differences->empty()) {
        Tell(prompt, kVerifiedText, prompt.ProgramCaption(), PromptIcon::None);
        return std::nullopt;
    }
    return differences;
}

bool RestoreKeptVersion(Prompt& prompt, const fs::path& screenFolder, const ScreenTarget& screen,
                        const std::string& name) {
    if (!Confirm(prompt,
                 "Put the settings kept as " + name + " back as the stored settings of " +
                     ScreenLabel(screen) +
                     "?\nThe settings stored now are kept in the History in turn.",
                 prompt.ProgramCaption(), PromptIcon::Exclamation, true))
        return false;
    try {
        RestoreFromHistory(screenFolder, name, screen.m_strCircuit, screen.m_strTheater,
                           screen.m_strScreen);
    } catch (const FileError& error) {
        ShowFileError(prompt, error.Message());
        return false;
    } catch (const ScreenInUse& busy) {
        Tell(prompt, busy.what(), prompt.ProgramCaption(), PromptIcon::Exclamation);
        return false;
    }
    return true;
}

std::string SettingsComparison::Summary() const {
    const std::string strCount =
        m_differences.empty()       ? std::string("No differences: the two hold the same settings.")
        : m_differences.size() == 1 ? std::string("1 difference.")
                                    : std::to_string(m_differences.size()) + " differences.";
    return "Stored settings of " + m_strStored + " compared with " + m_strOther + ".\n" + strCount;
}

std::string DifferenceField(const SettingsDifference& difference) {
    std::string field = difference.m_strRow;
    if (!difference.m_strColumn.empty())
        field += ", " + difference.m_strColumn;
    return field;
}

std::optional<SettingsComparison> CompareKeptWithStored(Prompt& prompt,
                                                        const fs::path& screenFolder,
                                                        const std::string& label,
                                                        const std::string& name) {
    try {
        const SettingsImage stored = ReadSettingsFile(screenFolder / kSettingsFileName);
        const SettingsImage kept = ReadSettingsFile(screenFolder / kHistoryFolderName / name);
        return SettingsComparison{label, "the version kept as " + name,
                                  CompareSettings(stored, kept)};
    } catch (const FileError& error) {
        ShowFileError(prompt, error.Message());
    }
    return std::nullopt;
}

std::optional<SettingsComparison> CompareKeptVersions(Prompt& prompt, const fs::path& screenFolder,
                                                      const std::string& label,
                                                      const std::string& older,
                                                      const std::string& newer) {
    try {
        const fs::path history = screenFolder / kHistoryFolderName;
        const SettingsImage first = ReadSettingsFile(history / older);
        const SettingsImage second = ReadSettingsFile(history / newer);
        return SettingsComparison{label + " as kept in " + older, "the version kept as " + newer,
                                  CompareSettings(first, second)};
    } catch (const FileError& error) {
        ShowFileError(prompt, error.Message());
    }
    return std::nullopt;
}
