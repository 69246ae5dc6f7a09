// The window's side of the Load and Send sequences: an observer that shows each stage in the
// progress bar and the status text, and a settings store on the window's library storage.
#pragma once

#include "library/site_storage.h"
#include "link/transfer_sequence.h"

class QLabel;
class QProgressBar;
class QWidget;

class WindowTransferObserver : public TransferObserver {
public:
    WindowTransferObserver(QWidget* owner, QProgressBar* bar, QLabel* status)
        : m_pOwner(owner), m_pBar(bar), m_pStatus(status) {}
    void OnProgress(int nPos) override;
    void OnStatus(const std::string& strText) override;
    void OnFileError(const std::string& strMessage) override;

private:
    // Paints the change now; user input waits until the transfer has ended.
    static void Flush();
    QWidget* m_pOwner;
    QProgressBar* m_pBar;
    QLabel* m_pStatus;
};

// The current screen's Vrx.cfg and Vrx.txt through the window's storage.
class StorageSettingsStore : public SettingsStore {
public:
    explicit StorageSettingsStore(CSiteStorage& storage) : m_storage(storage) {}
    void SaveSettings() override { m_storage.SaveSite(PathKind::SettingsFile); }
    void LoadSettings() override { m_storage.LoadSite(); }

private:
    CSiteStorage& m_storage;
};
