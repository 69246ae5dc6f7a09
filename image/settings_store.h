// The stored settings of one screen, as a transfer reads and writes them.
//
// A transfer is fixed to its screen when the command starts: the target names the circuit,
// theater and screen, and the store finds their folder from the names alone, never from a
// selection that may move while the transfer runs.
#pragma once

#include <string>

struct SettingsImage;

struct ScreenTarget {
    std::string m_strCircuit;
    std::string m_strTheater;
    std::string m_strScreen;
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // True when the screen holds stored settings of a valid length.
    virtual bool HasSettings(const ScreenTarget& target) = 0;
    // Stores the image as the screen's Vrx.cfg and its report as Vrx.txt: both files or neither.
    // Throws FileError.
    virtual void SaveSettings(const ScreenTarget& target, const SettingsImage& image) = 0;
    // Reads the screen's Vrx.cfg into the image; only a file of valid length is read, and the
    // image is untouched when it throws FileError.
    virtual void LoadSettings(const ScreenTarget& target, SettingsImage& image) = 0;
};
