// The differences and history dialogs on fixed settings.
#include "ui_fixture.h"

#include "image/settings_compare.h"
#include "library/site_history.h"
#include "library/stored_settings.h"
#include "ui/diff_dlg.h"
#include "ui/history_dlg.h"

#include <QApplication>
#include <QLabel>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>

#include <fstream>

namespace fs = std::filesystem;

namespace {

const fs::path kGolden = VRX_IMAGE_GOLDEN_DIR;

TEST_F(MainDlgTest, DifferencesAreShownAsATableOfSectionFieldAndBothValues) {
    const SettingsImage full = ReadSettingsFile(kGolden / "full.cfg");
    const SettingsImage second = ReadSettingsFile(kGolden / "second.cfg");
    const auto differences = CompareSettings(full, second);
    ASSERT_FALSE(differences.empty());
    CDiffDlg dialog(nullptr, "Main / Plaza / 2", "the VRX-3KM", differences);
    QTableWidget* table = dialog.Table();
    ASSERT_EQ(table->rowCount(), static_cast<int>(differences.size()));
    EXPECT_EQ(table->horizontalHeaderItem(3)->text().toStdString(), "Other: the VRX-3KM");
    for (int row = 0; row < table->rowCount(); ++row) {
        const SettingsDifference& d = differences[static_cast<std::size_t>(row)];
        EXPECT_EQ(table->item(row, 0)->text().toStdString(), d.m_strSection);
        EXPECT_EQ(table->item(row, 2)->text().toStdString(), d.m_strFirst);
        EXPECT_EQ(table->item(row, 3)->text().toStdString(), d.m_strSecond);
    }
    CDiffDlg same(nullptr, "Main / Plaza / 2", "the VRX-3KM", {});
    EXPECT_NE(same.Summary()->text().toStdString().find("No differences"), std::string::npos);
    EXPECT_FALSE(same.Table()->isVisibleTo(&same));
}

TEST_F(MainDlgTest, HistoryRestoreAsksThenPutsTheKeptVersionBack) {
    const fs::path screen = m_root / "Main/Plaza/2";
    fs::create_directories(screen);
    fs::copy_file(kGolden / "full.cfg", screen / "Vrx.cfg");
    ASSERT_TRUE(KeepSettingsInHistory(screen).has_value());
    fs::copy_file(kGolden / "second.cfg", screen / "Vrx.cfg", fs::copy_options::overwrite_existing);
    CHistoryDlg dialog(nullptr, m_prompt, screen, {"Main", "Plaza", "2"});
    ASSERT_EQ(dialog.List()->topLevelItemCount(), 1);
    EXPECT_EQ(dialog.List()->topLevelItem(0)->text(2).toStdString(),
              StoredSettingsStateText(StoredSettingsStateOf(kGolden / "full.cfg")));

    m_prompt.m_answers = {PromptAnswer::Cancel};
    EXPECT_FALSE(dialog.OnRestore());
    EXPECT_EQ(fs::file_size(screen / "Vrx.cfg"), fs::file_size(kGolden / "second.cfg"));
    EXPECT_TRUE(dialog.OnRestore()); // OK this time
    ASSERT_EQ(m_prompt.m_asked.size(), 2u);
    EXPECT_TRUE(m_prompt.m_asked[1].m_bCancelDefault);
    std::ifstream restored(screen / "Vrx.cfg", std::ios::binary),
        kept(kGolden / "full.cfg", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(restored), {}),
              std::string(std::istreambuf_iterator<char>(kept), {}));
    // The replaced settings are kept in turn: two versions now, and the one the screen holds
    // again is marked.
    ASSERT_EQ(dialog.List()->topLevelItemCount(), 2);
    EXPECT_EQ(dialog.List()->topLevelItem(0)->text(CHistoryDlg::kSameColumn).toStdString(), "");
    EXPECT_NE(dialog.List()->topLevelItem(1)->text(CHistoryDlg::kSameColumn).toStdString(), "");

    // Two versions compared with each other: the older one first.
    dialog.SelectVersion(dialog.List()->topLevelItem(0)->text(1).toStdString());
    dialog.SelectVersion(dialog.List()->topLevelItem(1)->text(1).toStdString(), true);
    EXPECT_EQ(dialog.SelectedVersions().size(), 2u);
    std::vector<std::string> firstColumn;
    QTimer::singleShot(0, [&] {
        if (auto* diff = qobject_cast<CDiffDlg*>(QApplication::activeModalWidget())) {
            for (int row = 0; row < diff->Table()->rowCount(); ++row)
                firstColumn.push_back(diff->Table()->item(row, 2)->text().toStdString());
            diff->reject();
        }
    });
    dialog.OnCompareTwo();
    const auto differences = CompareSettings(ReadSettingsFile(kGolden / "full.cfg"),
                                             ReadSettingsFile(kGolden / "second.cfg"));
    ASSERT_EQ(firstColumn.size(), differences.size());
    EXPECT_EQ(firstColumn.front(), differences.front().m_strFirst);
}

} // namespace
