#include "ui/history_dlg.h"

#include "control/history_compare.h"
#include "image/file_error.h"
#include "image/settings_compare.h"
#include "image/stored_files.h"
#include "library/stored_settings.h"
#include "ui/diff_dlg.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace fs = std::filesystem;

namespace {

QString Q(const std::string& text) {
    return QString::fromUtf8(text);
}

} // namespace

CHistoryDlg::CHistoryDlg(QWidget* parent, WindowPrompt& boxes, fs::path screenFolder,
                         std::vector<std::string> names)
    : QDialog(parent), m_prompt(boxes, this), m_screenFolder(std::move(screenFolder)),
      m_names(std::move(names)) {
    setWindowTitle(Q("History of " + ScreenText()));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        "Each time the stored settings of this screen were replaced (by a Load or a Restore), "
        "the settings they replaced were kept here. Newest first. Select two to compare them "
        "with each other.",
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    m_pList = new QTreeWidget(this);
    m_pList->setRootIsDecorated(false);
    m_pList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pList->setHeaderLabels({"Replaced on", "Kept as", "Checks", "Stored now"});
    m_pList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_pList->setMinimumSize(fontMetrics().averageCharWidth() * 70, fontMetrics().height() * 10);
    layout->addWidget(m_pList, 1);
    m_pEmpty = new QLabel("No settings of this screen have been kept yet.", this);
    layout->addWidget(m_pEmpty);

    auto* buttons = new QDialogButtonBox(this);
    m_pCompare = buttons->addButton("&Compare with stored", QDialogButtonBox::ActionRole);
    m_pCompareTwo = buttons->addButton("Compare the &two", QDialogButtonBox::ActionRole);
    m_pRestore = buttons->addButton("&Restore...", QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_pCompare, &QPushButton::clicked, this, &CHistoryDlg::OnCompare);
    connect(m_pCompareTwo, &QPushButton::clicked, this, &CHistoryDlg::OnCompareTwo);
    connect(m_pRestore, &QPushButton::clicked, this, [this] { OnRestore(); });
    connect(m_pList, &QTreeWidget::itemSelectionChanged, this, &CHistoryDlg::UpdateButtons);
    connect(m_pList, &QTreeWidget::itemDoubleClicked, this, &CHistoryDlg::OnCompare);
    layout->addWidget(buttons);
    Refresh();
}

std::string CHistoryDlg::ScreenText() const {
    std::string text;
    for (const std::string& name : m_names)
        text += (text.empty() ? "" : " / ") + name;
    return text;
}

void CHistoryDlg::Refresh() {
    m_versions = ListHistory(m_screenFolder);
    m_pList->clear();
    for (const KeptSettings& kept : m_versions)
        new QTreeWidgetItem(m_pList, {Q(kept.m_strTime), Q(kept.m_strName),
                                      StoredSettingsStateText(kept.m_nState),
                                      kept.m_bSameAsStored ? "the same settings" : ""});
    if (m_pList->topLevelItemCount() > 0)
        m_pList->setCurrentItem(m_pList->topLevelItem(0));
    m_pEmpty->setVisible(m_versions.empty());
    UpdateButtons();
}

std::string CHistoryDlg::SelectedVersion() const {
    const std::vector<std::string> selected = SelectedVersions();
    return selected.size() == 1 ? selected.front() : std::string();
}

std::vector<std::string> CHistoryDlg::SelectedVersions() const {
    std::vector<std::string> names;
    for (int i = 0; i < m_pList->topLevelItemCount(); ++i)
        if (m_pList->topLevelItem(i)->isSelected())
            names.push_back(m_pList->topLevelItem(i)->text(1).toStdString());
    return names;
}

void CHistoryDlg::SelectVersion(const std::string& name, bool bAdd) {
    if (!bAdd)
        m_pList->clearSelection();
    for (int i = 0; i < m_pList->topLevelItemCount(); ++i)
        if (m_pList->topLevelItem(i)->text(1).toStdString() == name)
            m_pList->topLevelItem(i)->setSelected(true);
}

void CHistoryDlg::UpdateButtons() {
    const std::size_t nSelected = SelectedVersions().size();
    m_pCompare->setEnabled(nSelected == 1);
    m_pRestore->setEnabled(nSelected == 1);
    m_pCompareTwo->setEnabled(nSelected == 2);
}

void CHistoryDlg::OnCompare() {
    const std::string name = SelectedVersion();
    if (name.empty())
        return;
    if (const auto comparison =
            CompareKeptWithStored(m_prompt, m_screenFolder, ScreenText(), name)) {
        CDiffDlg dialog(this, *comparison);
        dialog.exec();
    }
}

void CHistoryDlg::OnCompareTwo() {
    const std::vector<std::string> names = SelectedVersions();
    if (names.size() != 2)
        return;
    // Newest first in the list: the older one is the first side.
    if (const auto comparison =
            CompareKeptVersions(m_prompt, m_screenFolder, ScreenText(), names[1], names[0])) {
        CDiffDlg dialog(this, *comparison);
        dialog.exec();
    }
}

bool CHistoryDlg::OnRestore() {
    const std::string name = SelectedVersion();
    if (name.empty())
        return false;
    if (!RestoreKeptVersion(m_prompt, m_screenFolder, {m_names.at(0), m_names.at(1), m_names.at(2)},
                            name))
        return false;
    m_bRestored = true;
    Refresh();
    return true;
}
