// History and Compare without a toolkit: the other screens a screen can be compared with, the
// differences of a screen's stored settings from other settings, what a comparison with the
// processor says when they are the same, and putting a kept version back. Which of the menu's
// commands a selection allows is SelectionState's.
#pragma once

#include "control/prompt.h"
#include "image/settings_compare.h"
#include "image/settings_image.h"
#include "image/settings_store.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class SiteLibrary;

// A screen of the library whose stored settings another can be compared with.
struct ComparableScreen {
    ScreenTarget m_target;
    std::filesystem::path m_settingsFile; // its Vrx.cfg
    // "Main / Plaza / 2".
    std::string Label() const;
};

// The screen's names as the comparisons and the History show them: "Main / Plaza / 2".
std::string ScreenLabel(const ScreenTarget& target);

// Every screen of the library below root, besides self, that has stored settings (of a valid
// length, passing their checks or not), in library order. Moves no cursor of the library.
std::vector<ComparableScreen> OtherScreensWithSettings(const SiteLibrary& library,
                                                       const std::filesystem::path& root,
                                                       const ScreenTarget& self);
// Says that no other screen has stored settings to compare with.
void TellNoOtherScreen(Prompt& prompt);

// The differences of the stored settings of target (below root) from other; nullopt after the
// file error (no Vrx.cfg of valid length) was shown.
std::optional<std::vector<SettingsDifference>> StoredDifferences(Prompt& prompt,
                                                                 const std::filesystem::path& root,
                                                                 const ScreenTarget& target,
                                                                 const SettingsImage& other);
// The settings of a stored settings file (another screen's, a kept version, any file); nullopt
// after the file error was shown.
std::optional<SettingsImage> ReadOtherSettings(Prompt& prompt, const std::filesystem::path& file);
// The processor read by a comparison against the stored settings of target: the differences to
// show, or nullopt when there is nothing to show (the processor holds exactly the stored
// settings, which was said, or the file error that was shown).
std::optional<std::vector<SettingsDifference>>
ProcessorDifferences(Prompt& prompt, const std::filesystem::path& root, const ScreenTarget& target,
                     const SettingsImage& processor);

// A comparison to show in a table of differences: the stored settings of what (a screen's names,
// or them as kept in a version), compared with the other side (another screen, a kept version,
// the VRX-3KM, a file).
struct SettingsComparison {
    std::string m_strStored;
    std::string m_strOther;
    std::vector<SettingsDifference> m_differences;
    // The line above the table: what was compared with what, then how many differences.
    std::string Summary() const;
};
// A difference's field as the table shows it: the row, and its column after a comma.
std::string DifferenceField(const SettingsDifference& difference);

// The History's comparisons in the screen folder of the screen named label: the version kept as
// name with the stored settings, and two kept versions with each other (the older one as the first
// side). nullopt after the file error was shown.
std::optional<SettingsComparison> CompareKeptWithStored(Prompt& prompt,
                                                        const std::filesystem::path& screenFolder,
                                                        const std::string& label,
                                                        const std::string& name);
std::optional<SettingsComparison>
CompareKeptVersions(Prompt& prompt, const std::filesystem::path& screenFolder,
                    const std::string& label, const std::string& older, const std::string& newer);

// Asks, then puts the version `name` kept in the History of the screen folder back as its stored
// settings (RestoreFromHistory; the replaced ones are kept in turn). A file error, or another
// command holding the screen, is shown. True when it was restored.
bool RestoreKeptVersion(Prompt& prompt, const std::filesystem::path& screenFolder,
                        const ScreenTarget& screen, const std::string& name);
