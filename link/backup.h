// The backup of many screens: each screen that has its own port is read as a comparison reads
// it (the link check and the four reads, nothing written to the processor), compared with its
// stored settings and, when they differ, stored as every Load stores them (the replaced Vrx.cfg
// kept in History). Up to a number of screens at once, never two through one port, each read
// with a port and a codec of its own; the screen claim of the store keeps every other command off
// a screen while it is read and stored.
//
// The command-line tool's "backup" and the window's backup dialog run the same engine.
#pragma once

#include "image/settings_store.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

struct BackupScreen {
    ScreenTarget m_target;
    std::string m_strPort;    // the screen's own port (its Port.txt); "" when it has none
    std::string m_strProblem; // why its Port.txt names no port that can be used; "" when fine
};

enum class BackupOutcome {
    Unchanged, // read: the processor holds the stored settings; nothing was written
    Changed,   // read, and stored: the settings differed or none were stored before
    Failed,    // not read, or not stored (m_strReason)
    NoPort,    // the screen has no port of its own: not read
    Stopped,   // the backup was stopped before this screen's read ended: nothing was stored
};

struct BackupResult {
    ScreenTarget m_target;
    BackupOutcome m_nOutcome = BackupOutcome::Failed;
    int m_nDifferences = 0;    // Changed: the fields that differ from the stored settings
    bool m_bFirstRead = false; // Changed: nothing (or nothing readable) was stored before
    std::string m_strReason;   // Failed: why, on one line; Stopped: how far it got
};

// One line as the screen ends: "Odeon/Main/1: unchanged", "...: changed (3 differences)",
// "...: failed: REASON", "...: no port", "...: stopped, nothing stored".
std::string BackupLine(const BackupResult& result);

struct BackupCounts {
    int m_nUnchanged = 0;
    int m_nChanged = 0;
    int m_nFailed = 0;
    int m_nNoPort = 0;
    int m_nStopped = 0;

    // True when every screen with a port was read (and stored where it changed).
    bool AllRead() const { return m_nFailed == 0 && m_nStopped == 0; }
    // "6 screens: 4 unchanged, 1 changed, 1 failed, 0 without a port", with the stopped ones
    // when there are any.
    std::string Summary() const;
};

BackupCounts CountBackup(const std::vector<BackupResult>& results);

struct BackupOptions {
    int m_nJobs = 4;              // screens read at once
    std::string m_strProfilePath; // the profile whose mapping COM1..COM4 of a screen's port use
};

// Reads the screens, up to options.m_nJobs at once and one at a time through each port (a COM
// name counts as the device it is mapped to). onEnd is told of each screen as it ends, one call at
// a time, on the thread that read it; screens without a port end first. Once `stop` is set, the
// running reads end at their next stage boundary without storing anything, and the screens not
// begun are not read (Stopped). A port name that a mapping would refuse (PortNameProblem) fails
// its screen without opening anything. Returns every screen's result in the order given.
std::vector<BackupResult> RunBackup(const std::vector<BackupScreen>& screens, SettingsStore& store,
                                    const BackupOptions& options, const std::atomic<bool>& stop,
                                    const std::function<void(const BackupResult&)>& onEnd);
