// The stored settings of one screen, as a transfer reads and writes them.
//
// A transfer is fixed to its screen when the command starts: the target names the circuit,
// theater and screen, and the store finds their folder from the names alone, never from a
// selection that may move while the transfer runs.
#pragma once

#include <memory>
#include <string>

struct SettingsImage;

struct ScreenTarget {
    std::string m_strCircuit;
    std::string m_strTheater;
    std::string m_strScreen;
};

// A screen taken by one command (Load, Send, Restore, Delete) for as long as it runs, so that no
// other command, in this program or another, writes the screen meanwhile. Destroying the claim
// gives the screen back; the system gives it back when the program dies.
class ScreenClaim {
public:
    virtual ~ScreenClaim() = default;
};

// The outcome of a claim: the claim, held for the command's duration, or why it was refused.
struct ScreenClaimResult {
    std::unique_ptr<ScreenClaim> m_pClaim; // null when refused
    // Why not, for the technician: the screen, and what holds it (the program, its process
    // number and its command) with what to do next. Empty when claimed.
    std::string m_strRefusal;

    bool IsClaimed() const { return m_pClaim != nullptr; }
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // Takes the target screen for the command strCommand ("Load", "Send", ...). When another
    // command holds it, waits a few seconds for it to finish, then refuses.
    virtual ScreenClaimResult ClaimScreen(const ScreenTarget& target,
                                          const std::string& strCommand) = 0;
    // True when the screen holds stored settings of a valid length.
    virtual bool HasSettings(const ScreenTarget& target) = 0;
    // Stores the image as the screen's Vrx.cfg and its report as Vrx.txt: both files or neither.
    // Throws FileError.
    virtual void SaveSettings(const ScreenTarget& target, const SettingsImage& image) = 0;
    // Reads the screen's Vrx.cfg into the image; only a file of valid length is read, and the
    // image is untouched when it throws FileError.
    virtual void LoadSettings(const ScreenTarget& target, SettingsImage& image) = 0;
    // Records the end of a command on the target screen in the screen's log: the command ("Load",
    // "Send") and its result in words ("success", "error in the read of the system block", ...).
    // Returns "" when the line was written, or why not, for the technician; the command's result
    // stays what it was. A store that keeps no log writes nothing.
    virtual std::string LogCommand(const ScreenTarget& /*target*/,
                                   const std::string& /*strCommand*/,
                                   const std::string& /*strResult*/) {
        return {};
    }
};
