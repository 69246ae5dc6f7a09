// The Qt side of History and Compare (control/history_compare.h): the History dialog of a
// screen, the choice of another screen, the choice of a file, and the table of differences.
#pragma once

#include "image/settings_compare.h"
#include "image/settings_image.h"
#include "image/settings_store.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class Prompt;
class QWidget;
class SiteLibrary;
class WindowPrompt;

class CCompareWindows {
public:
    // window owns the dialogs; prompt asks over it; the library lies in root.
    CCompareWindows(QWidget* window, Prompt& prompt, WindowPrompt& boxes,
                    const SiteLibrary& library, std::filesystem::path root);

    // The screen's History; true when a kept version was put back.
    bool History(const ScreenTarget& screen);
    // The screen's stored settings against another screen's that the technician chooses.
    void CompareWithScreen(const ScreenTarget& screen);
    // Asks for a settings file, then compares the screen's stored settings with it (no screen:
    // nothing is compared).
    void CompareWithFile(const std::optional<ScreenTarget>& screen);
    // The processor's settings read by a comparison against the screen's stored settings.
    void ShowProcessorDifferences(const ScreenTarget& screen, const SettingsImage& processor);

private:
    void Show(const ScreenTarget& screen, const std::string& strOther,
              const std::vector<SettingsDifference>& differences);

    QWidget* m_pWindow;
    Prompt& m_prompt;
    WindowPrompt& m_boxes;
    const SiteLibrary& m_library;
    std::filesystem::path m_root;
};
