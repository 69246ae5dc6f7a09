#include "ui/backup_dlg.h"

#include "library/screen_store.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString Q(const std::string& text) {
    return QString::fromUtf8(text);
}

const char* OutcomeText(BackupOutcome outcome) {
    switch (outcome) {
    case BackupOutcome::Unchanged:
        return "unchanged";
    case BackupOutcome::Changed:
        return "changed";
    case BackupOutcome::Failed:
        return "failed";
    case BackupOutcome::NoPort:
        return "no port";
    case BackupOutcome::Stopped:
        return "stopped";
    }
    return "";
}

} // namespace

CBackupDlg::CBackupDlg(QWidget* parent, std::string scopeText, std::vector<BackupScreen> screens,
                       std::filesystem::path root, std::string profilePath, int nJobs)
    : QDialog(parent), m_screens(std::move(screens)), m_root(std::move(root)),
      m_strProfilePath(std::move(profilePath)), m_nJobs(nJobs) {
    setWindowTitle(Q("Back Up Screens of " + scopeText));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        Q("Reads every screen of " + scopeText +
          " that has its own port, without writing to any VRX-3KM, and stores settings that "
          "changed (the replaced ones are kept in History). Screens without a port of their own "
          "are not read."),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    m_pList = new QTreeWidget(this);
    m_pList->setRootIsDecorated(false);
    m_pList->setHeaderLabels({"Screen", "Result", "Details"});
    m_pList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_pList->header()->setStretchLastSection(true);
    m_pList->setMinimumSize(fontMetrics().averageCharWidth() * 120, fontMetrics().height() * 12);
    layout->addWidget(m_pList, 1);
    m_pSummary = new QLabel(this);
    m_pSummary->setWordWrap(true);
    layout->addWidget(m_pSummary);
    auto* buttons = new QDialogButtonBox(this);
    m_pStop = buttons->addButton("&Stop", QDialogButtonBox::ActionRole);
    m_pStop->setToolTip("The screens being read stop at their next step; nothing partial is "
                        "stored, and the screens not begun are not read");
    m_pClose = buttons->addButton(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &CBackupDlg::reject);
    connect(m_pStop, &QPushButton::clicked, this, &CBackupDlg::Stop);
    layout->addWidget(buttons);
    m_pStop->setEnabled(false);
}

CBackupDlg::~CBackupDlg() {
    m_stop = true;
    // The reads end at their next stage boundary, whose wait is bounded by the line's timeouts.
    if (m_thread.joinable())
        m_thread.join();
}

int CBackupDlg::exec() {
    QTimer::singleShot(0, this, &CBackupDlg::Start);
    return QDialog::exec();
}

void CBackupDlg::Start() {
    if (m_bRunning || m_thread.joinable())
        return;
    m_bRunning = true;
    m_pStop->setEnabled(true);
    m_pSummary->setText(Q("Reading " + std::to_string(m_screens.size()) + " screens..."));
    QPointer<CBackupDlg> self(this);
    m_thread = std::thread([this, self] {
        ScreenStore store(m_root);
        store.LogLoadsAs("Backup");
        // Called on the reading threads while the engine holds its lock: only posted, never
        // waited for.
        const auto onEnd = [self](const BackupResult& result) {
            QMetaObject::invokeMethod(
                self.data(),
                [self, result] {
                    if (self)
                        self->ShowResult(result);
                },
                Qt::QueuedConnection);
        };
        std::vector<BackupResult> results =
            RunBackup(m_screens, store, BackupOptions{m_nJobs, m_strProfilePath}, m_stop, onEnd);
        QMetaObject::invokeMethod(
            self.data(),
            [self, results = std::move(results)]() mutable {
                if (!self)
                    return;
                self->m_results = std::move(results);
                self->Finish();
            },
            Qt::QueuedConnection);
    });
}

void CBackupDlg::ShowResult(const BackupResult& result) {
    const ScreenTarget& target = result.m_target;
    std::string details;
    if (result.m_nOutcome == BackupOutcome::Changed)
        details = result.m_bFirstRead ? "read for the first time"
                                      : std::to_string(result.m_nDifferences) + " differences";
    else if (result.m_nOutcome == BackupOutcome::Failed ||
             result.m_nOutcome == BackupOutcome::Stopped)
        details = result.m_strReason;
    auto* item = new QTreeWidgetItem(
        m_pList, {Q(target.m_strCircuit + " / " + target.m_strTheater + " / " + target.m_strScreen),
                  OutcomeText(result.m_nOutcome), Q(details)});
    item->setToolTip(2, Q(BackupLine(result)));
    if (result.m_nOutcome == BackupOutcome::Failed)
        item->setForeground(1, QColor(170, 0, 0));
    else if (result.m_nOutcome == BackupOutcome::Changed)
        item->setForeground(1, QColor(0, 0, 170));
    m_pList->scrollToItem(item);
    m_pSummary->setText(Q(std::to_string(m_pList->topLevelItemCount()) + " of " +
                          std::to_string(m_screens.size()) + " screens done..."));
}

void CBackupDlg::Finish() {
    if (m_thread.joinable())
        m_thread.join();
    m_bRunning = false;
    m_pStop->setEnabled(false);
    const BackupCounts counts = CountBackup(m_results);
    m_pSummary->setText(Q(counts.Summary() + (counts.AllRead() ? "."
                                                               : ". Look at the failed "
                                                                 "screens' details.")));
    emit Ended();
    if (m_bCloseAtEnd)
        QDialog::reject();
}

void CBackupDlg::Stop() {
    if (!m_bRunning)
        return;
    m_stop = true;
    m_pStop->setEnabled(false);
    m_pSummary->setText("Stopping: the screens being read end at their next step...");
}

void CBackupDlg::reject() {
    if (!m_bRunning) {
        QDialog::reject();
        return;
    }
    // The window stays responsive while the reads end; the dialog closes at the backup's end.
    m_bCloseAtEnd = true;
    Stop();
}
