// The backup of many screens in the window: every screen of a circuit or theater that has its own
// port is read on a worker thread (link/backup.h), a row filling in as each screen ends, with a
// Stop button and the summary at the end. The window keeps painting throughout; closing the
// dialog stops the backup and waits for the running reads to end at their next stage boundary.
#pragma once

#include "link/backup.h"

#include <QDialog>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

class CBackupDlg : public QDialog {
    Q_OBJECT
public:
    // The screens to read, the library folder whose store keeps their settings, and the profile
    // whose mapping a screen's COM port name uses.
    CBackupDlg(QWidget* parent, std::string scopeText, std::vector<BackupScreen> screens,
               std::filesystem::path root, std::string profilePath, int nJobs = 4);
    // Stops a backup that still runs and waits for its end.
    ~CBackupDlg() override;

    // Starts the backup on the worker thread; exec() starts it once the dialog shows.
    void Start();
    // Asks the running reads to end at their next stage boundary; nothing partial is stored.
    void Stop();
    bool IsRunning() const { return m_bRunning; }
    // Stops, then closes once the backup has ended.
    void reject() override;
    int exec() override;

    QTreeWidget* List() const { return m_pList; }
    QLabel* Summary() const { return m_pSummary; }
    QPushButton* StopButton() const { return m_pStop; }
    const std::vector<BackupResult>& Results() const { return m_results; }

signals:
    // The backup has ended (after a Stop too) and its summary is shown.
    void Ended();

private:
    void ShowResult(const BackupResult& result);
    void Finish();

    std::vector<BackupScreen> m_screens;
    std::filesystem::path m_root;
    std::string m_strProfilePath;
    int m_nJobs;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    bool m_bRunning = false;
    bool m_bCloseAtEnd = false;
    std::vector<BackupResult> m_results;
    std::vector<BackupResult> m_ended; // as they ended, for the rows
    QTreeWidget* m_pList = nullptr;
    QLabel* m_pSummary = nullptr;
    QPushButton* m_pStop = nullptr;
    QPushButton* m_pClose = nullptr;
};
