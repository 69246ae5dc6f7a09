#include "ui/conflict_dlg.h"

#include "image/file_error.h"
#include "image/settings_compare.h"
#include "image/stored_files.h"
#include "library/screen_lock.h"
#include "library/screen_store.h"
#include "library/stored_settings.h"
#include "ui/diff_dlg.h"
#include "ui/notes_editor.h"
#include "ui/text_file.h"
#include "ui/text_viewer.h"

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

bool IsCopyOf(const ConflictCopy& copy, std::string_view file) {
    return !copy.m_bFolder && copy.m_strOriginal == file;
}

// Whether settling the copy needs the technician to choose which version is kept.
bool NeedsChoice(const ConflictCopy& copy) {
    return IsCopyOf(copy, kSettingsFileName) || IsCopyOf(copy, kNotesFileName);
}

} // namespace

CConflictDlg::CConflictDlg(QWidget* parent, WindowPrompt& boxes, fs::path screenFolder,
                           ScreenTarget target)
    : QDialog(parent), m_prompt(boxes, this), m_boxes(boxes),
      m_screenFolder(std::move(screenFolder)), m_target(std::move(target)) {
    setWindowTitle(Q("Conflicts of " + ScreenText(m_target)));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        "Two computers changed these files before either had the other's change; the sync "
        "engine kept one version under the file's name and the other as a copy. Compare them, "
        "then keep either: the stored settings not kept go to History, and the lines of notes "
        "not kept are added below the kept ones, so nothing is lost.",
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    m_pList = new QTreeWidget(this);
    m_pList->setRootIsDecorated(false);
    m_pList->setHeaderLabels({"Copy", "Of", "Left by"});
    m_pList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_pList->setMinimumSize(fontMetrics().averageCharWidth() * 80, fontMetrics().height() * 8);
    layout->addWidget(m_pList, 1);
    m_pOutcome = new QLabel(this);
    m_pOutcome->setWordWrap(true);
    layout->addWidget(m_pOutcome);

    auto* buttons = new QDialogButtonBox(this);
    m_pCompare = buttons->addButton("C&ompare with current", QDialogButtonBox::ActionRole);
    m_pMergeNotes = buttons->addButton("&Merge in the notes editor", QDialogButtonBox::ActionRole);
    m_pMergeNotes->setToolTip("Opens the notes with the other version below them, and closes "
                              "this list; Save there settles the conflict");
    m_pOpenBoth = buttons->addButton("Open &both", QDialogButtonBox::ActionRole);
    m_pOpenBoth->setToolTip("Shows the file and the other version each in a window, and closes "
                            "this list; open it again to settle the copy");
    m_pKeepCurrent = buttons->addButton("Keep &current", QDialogButtonBox::ActionRole);
    m_pKeepOther = buttons->addButton("Keep the &other", QDialogButtonBox::ActionRole);
    m_pMerge = buttons->addButton("&Settle", QDialogButtonBox::ActionRole);
    m_pMerge->setToolTip("A copy of the report or of a log needs no choice: the report is "
                         "written again from the stored settings, a log's lines are merged");
    buttons->addButton(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_pCompare, &QPushButton::clicked, this, &CConflictDlg::OnCompare);
    connect(m_pMergeNotes, &QPushButton::clicked, this, &CConflictDlg::OnMergeNotes);
    connect(m_pOpenBoth, &QPushButton::clicked, this, &CConflictDlg::OnOpenBoth);
    connect(m_pKeepCurrent, &QPushButton::clicked, this, [this] { Settle(KeepVersion::Current); });
    connect(m_pKeepOther, &QPushButton::clicked, this, [this] { Settle(KeepVersion::Other); });
    connect(m_pMerge, &QPushButton::clicked, this, [this] { Settle(std::nullopt); });
    connect(m_pList, &QTreeWidget::itemSelectionChanged, this, &CConflictDlg::UpdateButtons);
    layout->addWidget(buttons);
    Refresh();
}

void CConflictDlg::Refresh() {
    m_copies = ScreenConflicts(m_screenFolder);
    m_pList->clear();
    for (const ConflictCopy& copy : m_copies)
        new QTreeWidgetItem(
            m_pList, {Q(copy.m_strPath), Q(copy.m_strOriginal), SyncEngineText(copy.m_nEngine)});
    if (m_pList->topLevelItemCount() > 0)
        m_pList->setCurrentItem(m_pList->topLevelItem(0));
    else
        m_pOutcome->setText(m_pOutcome->text() + (m_pOutcome->text().isEmpty() ? "" : "\n") +
                            "No conflicting copies are left.");
    UpdateButtons();
}

std::optional<ConflictCopy> CConflictDlg::SelectedCopy() const {
    const QTreeWidgetItem* item = m_pList->currentItem();
    if (!item || !item->isSelected())
        return std::nullopt;
    const int index = m_pList->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item));
    return m_copies.at(static_cast<std::size_t>(index));
}

void CConflictDlg::SelectCopy(const std::string& path) {
    for (int i = 0; i < m_pList->topLevelItemCount(); ++i)
        if (m_copies.at(static_cast<std::size_t>(i)).m_strPath == path)
            m_pList->setCurrentItem(m_pList->topLevelItem(i));
}

void CConflictDlg::UpdateButtons() {
    const std::optional<ConflictCopy> copy = SelectedCopy();
    const bool bChoice = copy && NeedsChoice(*copy);
    m_pCompare->setEnabled(copy && IsCopyOf(*copy, kSettingsFileName));
    m_pMergeNotes->setEnabled(copy && IsCopyOf(*copy, kNotesFileName));
    m_pOpenBoth->setEnabled(copy && !copy->m_bFolder && !NeedsChoice(*copy));
    m_pKeepCurrent->setEnabled(bChoice);
    m_pKeepOther->setEnabled(bChoice);
    m_pMerge->setEnabled(copy && !copy->m_bFolder && !bChoice);
}

void CConflictDlg::OnCompare() {
    const std::optional<ConflictCopy> copy = SelectedCopy();
    if (!copy || !IsCopyOf(*copy, kSettingsFileName))
        return;
    try {
        const SettingsImage current = ReadSettingsFile(m_screenFolder / kSettingsFileName);
        const SettingsImage other = ReadSettingsFile(m_screenFolder / fs::u8path(copy->m_strPath));
        CDiffDlg dialog(this, ScreenText(m_target), "the conflicting copy " + copy->m_strPath,
                        CompareSettings(current, other));
        dialog.exec();
    } catch (const FileError& error) {
        ShowFileError(m_prompt, error.Message());
    }
}

void CConflictDlg::OnMergeNotes() {
    const std::optional<ConflictCopy> copy = SelectedCopy();
    if (!copy || !IsCopyOf(*copy, kNotesFileName))
        return;
    // The editor belongs to the main window, where it stays open to merge once this list has
    // closed; it finds the copy beside the notes itself.
    ShowNotesEditor(parentWidget() ? parentWidget() : this, m_boxes,
                    (m_screenFolder / kNotesFileName).string());
    accept();
}

void CConflictDlg::OnOpenBoth() {
    const std::optional<ConflictCopy> copy = SelectedCopy();
    if (!copy || copy->m_bFolder)
        return;
    QByteArray other, current;
    if (!ReadForShowing(m_prompt, m_screenFolder / fs::u8path(copy->m_strPath), other) ||
        !ReadForShowing(m_prompt, m_screenFolder / fs::u8path(copy->m_strOriginal), current))
        return;
    // Both windows belong to the main window, where they stay open to be read side by side once
    // this list has closed; the list is opened again to settle the copy.
    QWidget* owner = parentWidget() ? parentWidget() : this;
    ShowTextViewer(owner, m_boxes, Q(copy->m_strOriginal), QString::fromUtf8(current));
    ShowTextViewer(owner, m_boxes, Q("The other version: " + copy->m_strPath),
                   QString::fromUtf8(other));
    accept();
}

bool CConflictDlg::Settle(std::optional<KeepVersion> keep) {
    const std::optional<ConflictCopy> copy = SelectedCopy();
    if (!copy)
        return false;
    try {
        const std::string done =
            ResolveConflict(m_screenFolder, m_target, copy->m_strPath, keep, CurrentAuthor());
        m_bChanged = true;
        m_pOutcome->setText(Q(done));
        Refresh();
        return true;
    } catch (const ConflictNotSettled& refused) {
        Tell(m_prompt, refused.what(), m_prompt.ProgramCaption(), PromptIcon::Exclamation);
    } catch (const ScreenInUse& inUse) {
        Tell(m_prompt, inUse.what(), m_prompt.ProgramCaption(), PromptIcon::Exclamation);
    } catch (const FileError& error) {
        ShowFileError(m_prompt, error.Message());
    }
    return false;
}
