// The private profile file VRX3KM.CFG in the working directory, and the port choice it keeps.
//
// The file has sections in square brackets and one "key=value" line per entry. Section and
// key names compare ignoring letter case; a value is returned as stored. A write keeps every
// other line of the file, creates the file and the section when missing, and replaces the file
// atomically.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// windows.h names its own profile calls with these names as macros; these are the project's.
#ifdef GetPrivateProfileString
#undef GetPrivateProfileString
#endif
#ifdef WritePrivateProfileString
#undef WritePrivateProfileString
#endif

// A profile is a few short lines; a larger file, or one that is not a regular file (a FIFO, a
// device, a folder), is not read at all.
inline constexpr std::size_t kProfileSizeLimit = 64 * 1024;

// The value of key in section, or defaultValue when the file, the section or the key is
// missing, or when the file cannot be read (ProfileProblem says why).
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& path);
// Sets key in section to value. False when the file could not be written, when it exists but
// cannot be read (it is kept as it is), or when the section, key or value holds a control
// character (CR, LF, NUL, ...) or is not a name that reads back as itself: nothing can put lines
// of its own into the file.
bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& path);
// Sets several keys of one section in one replacement of the file, so that values that belong
// together are never seen half written. False, with the file unchanged, as above.
bool WritePrivateProfileStrings(const std::string& section,
                                const std::vector<std::pair<std::string, std::string>>& entries,
                                const std::string& path);

// Why the profile at path cannot be read, with what to do, for the technician; "" when it can
// be read or does not exist.
std::string ProfileProblem(const std::string& path);
// True when text holds a control character (a byte below 0x20, or 0x7F): such a text is never
// written into the profile.
bool HasControlCharacter(std::string_view text);

// The folder in the library that holds the files each machine writes for itself. Its name begins
// with ".", so it is never a circuit.
inline constexpr std::string_view kMachineFolderName = ".vrx3km";

// This machine's own profile beside the library's profile at profilePath: .vrx3km/MACHINE.cfg in
// the same folder, MACHINE this computer's name made safe for a file name. It keeps what belongs
// to one laptop of a team that shares the library (its port choice and its port mapping), and only
// this machine writes it. "" for an empty profilePath.
std::string MachineProfilePath(const std::string& profilePath);
// Writes keys of one section into the machine's own profile (MachineProfilePath), creating its
// folder when missing. False when it could not be written.
bool WriteMachineProfileStrings(const std::string& section,
                                const std::vector<std::pair<std::string, std::string>>& entries,
                                const std::string& profilePath);

// The chosen port (0 to 3 for COM1 to COM4) and the profile file's absolute path. The window and
// the tool each keep one for their whole run and hand it to whatever opens, maps or saves a port.
struct PortSettings {
    int PortIndex = 0;
    std::string ProfilePath;
};

// "COM1" to "COM4" for 0 to 3, "???" for any other index.
std::string PortName(int index);
// Reads section "Setup", key "PORT" into PortIndex: the machine's own profile first, so that a
// laptop whose library profile another laptop replaced still opens its own port; then the
// settings' profile. Exactly "COM1" to "COM4" in the machine's profile, or "COM2", "COM3" or
// "COM4" in the library's, select that port; anything else, a missing entry included, selects
// COM1. Creates no file.
void LoadPortSetting(PortSettings& settings);
// Writes PortName(PortIndex) to section "Setup", key "PORT" of the settings' profile and of the
// machine's own profile.
void SavePortSetting(const PortSettings& settings);
// Sets ProfilePath to the working directory's VRX3KM.CFG, then LoadPortSetting.
void InitProfile(PortSettings& settings);
