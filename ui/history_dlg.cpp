#include "ui/history_dlg.h"

#include "control/history_compare.h"
#include "image/file_error.h"
#include "image/settings_compare.h"
#include "image/stored_files.h"
#include "library/site_log.h"
#include "library/stored_settings.h"
#include "ui/diff_dlg.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
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
    m_pList->setMinimumSize(fontMetrics().averageCharWidth() * 70, fontMetrics().height() * 8);
    // The versions above, the log below: each keeps its height as the dialog grows.
    auto* splitter = new QSplitter(Qt::Vertical, this);
    auto* versions = new QWidget(splitter);
    auto* versionsLayout = new QVBoxLayout(versions);
    versionsLayout->setContentsMargins(0, 0, 0, 0);
    versionsLayout->addWidget(m_pList, 1);
    m_pEmpty = new QLabel("No settings of this screen have been kept yet.", versions);
    versionsLayout->addWidget(m_pEmpty);
    auto* logBox = new QWidget(splitter);
    auto* logLayout = new QVBoxLayout(logBox);
    logLayout->setContentsMargins(0, 0, 0, 0);
    logLayout->addWidget(new QLabel("Log: who did what to this screen, on every computer that "
                                    "shares the library, oldest first.",
                                    logBox));
    m_pLog = new QTreeWidget(logBox);
    m_pLog->setRootIsDecorated(false);
    m_pLog->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pLog->setHeaderLabels({"When", "Technician", "Computer", "Action", "Result", "Reason"});
    m_pLog->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_pLog->header()->setStretchLastSection(true);
    m_pLog->setMinimumSize(fontMetrics().averageCharWidth() * 100, fontMetrics().height() * 8);
    logLayout->addWidget(m_pLog, 1);
    m_pLogNote = new QLabel(logBox);
    m_pLogNote->setWordWrap(true);
    logLayout->addWidget(m_pLogNote);
    splitter->setChildrenCollapsible(false);
    layout->addWidget(splitter, 1);

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
    FillLog();
}

void CHistoryDlg::FillLog() {
    const LogRead log = ReadLog(ScreenLogFolder(m_screenFolder));
    m_pLog->clear();
    for (const LogEntry& entry : log.m_entries) {
        auto* item = new QTreeWidgetItem(m_pLog, {Q(entry.m_strTime), Q(entry.m_strWho),
                                                  Q(entry.m_strMachine), Q(entry.m_strAction),
                                                  Q(entry.m_strResult), Q(entry.m_strWhy)});
        item->setToolTip(5, Q(entry.m_strWhy));
    }
    if (m_pLog->topLevelItemCount() > 0)
        m_pLog->scrollToItem(m_pLog->topLevelItem(m_pLog->topLevelItemCount() - 1));
    QString note;
    if (log.m_entries.empty())
        note = "Nothing has been logged for this screen yet.";
    if (log.m_nUnreadable > 0)
        note += QString(note.isEmpty() ? "" : " ") +
                QString::number(static_cast<qulonglong>(log.m_nUnreadable)) +
                " lines of the log files could not be read and are not shown.";
    m_pLogNote->setText(note);
    m_pLogNote->setVisible(!note.isEmpty());
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
