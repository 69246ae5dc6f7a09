#include "ui/compare_windows.h"

#include "control/history_compare.h"
#include "library/screen_store.h"
#include "ui/diff_dlg.h"
#include "ui/history_dlg.h"

#include <QFileDialog>
#include <QInputDialog>

namespace fs = std::filesystem;

CCompareWindows::CCompareWindows(QWidget* window, Prompt& prompt, WindowPrompt& boxes,
                                 const SiteLibrary& library, fs::path root)
    : m_pWindow(window), m_prompt(prompt), m_boxes(boxes), m_library(library),
      m_root(std::move(root)) {}

void CCompareWindows::Show(const ScreenTarget& screen, const std::string& strOther,
                           const std::vector<SettingsDifference>& differences) {
    CDiffDlg dialog(m_pWindow, ScreenLabel(screen), strOther, differences);
    dialog.exec();
}

bool CCompareWindows::History(const ScreenTarget& screen) {
    CHistoryDlg dialog(m_pWindow, m_boxes, ScreenFolderPath(m_root, screen),
                       {screen.m_strCircuit, screen.m_strTheater, screen.m_strScreen});
    dialog.exec();
    return dialog.Restored();
}

void CCompareWindows::CompareWithScreen(const ScreenTarget& screen) {
    const std::vector<ComparableScreen> others =
        OtherScreensWithSettings(m_library, m_root, screen);
    if (others.empty()) {
        TellNoOtherScreen(m_prompt);
        return;
    }
    QStringList choices;
    for (const ComparableScreen& other : others)
        choices << QString::fromUtf8(other.Label());
    bool bOk = false;
    const QString choice = QInputDialog::getItem(m_pWindow, "Compare with another screen",
                                                 "Screen:", choices, 0, false, &bOk);
    if (!bOk)
        return;
    const auto index = static_cast<std::size_t>(choices.indexOf(choice));
    if (const auto settings = ReadOtherSettings(m_prompt, others.at(index).m_settingsFile))
        if (const auto differences = StoredDifferences(m_prompt, m_root, screen, *settings))
            Show(screen, choice.toStdString(), *differences);
}

void CCompareWindows::CompareWithFile(const std::optional<ScreenTarget>& screen) {
    const QString path = QFileDialog::getOpenFileName(m_pWindow, "Compare with a settings file",
                                                      QString(), "Settings (*.cfg);;All files (*)");
    if (path.isEmpty())
        return;
    const auto settings = ReadOtherSettings(m_prompt, fs::path(path.toStdString()));
    if (!settings || !screen)
        return;
    if (const auto differences = StoredDifferences(m_prompt, m_root, *screen, *settings))
        Show(*screen, path.toStdString(), *differences);
}

void CCompareWindows::ShowProcessorDifferences(const ScreenTarget& screen,
                                               const SettingsImage& processor) {
    if (const auto differences = ProcessorDifferences(m_prompt, m_root, screen, processor))
        Show(screen, "the VRX-3KM", *differences);
}
