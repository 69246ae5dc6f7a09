// The library folder of the main window without a toolkit: whether a folder is opened as the
// library, entering it with its profile, reading the library again, remembering it as the one
// used last, and telling when another program changed it on disk.
#pragma once

#include "control/prompt.h"

#include <filesystem>
#include <string>
#include <vector>

class CSiteStorage;
struct PortSettings;

// What the toolkit keeps of the library folder: the process's working directory (the library
// folder is the working directory, so every library path and VRX3KM.CFG keep their meaning) as
// the toolkit sees it too, and the library used last, remembered per user.
class LibraryPlace {
public:
    virtual ~LibraryPlace() = default;
    // Makes folder the working directory. False with the system's reason in strError when it
    // cannot be entered; the working directory then stays as it was.
    virtual bool Enter(const std::filesystem::path& folder, std::string& strError) = 0;
    // Remembers folder as the library used last.
    virtual void Remember(const std::filesystem::path& folder) = 0;
};

class CLibraryFolderControl {
public:
    // The library on disk, the port choice whose profile is the library's own, where the toolkit
    // keeps the folder, and the boxes of the window; all outlive the control.
    CLibraryFolderControl(CSiteStorage& storage, PortSettings& portSettings, LibraryPlace& place,
                          Prompt& prompt);

    // Before a folder is opened: a folder that holds no library (a home folder, a folder of other
    // folders) is opened only when the technician agrees; an empty folder or a library at once.
    bool ConfirmOpen(const std::filesystem::path& folder);
    // Makes folder the library: the working directory, and its profile read (the port choice).
    // False, after saying why, when the folder cannot be entered; the library that was open stays.
    bool Enter(const std::filesystem::path& folder);
    // Remembers the open library as the one used last.
    void RememberOpen();
    // Empties the model and reads the library's folders into it again.
    void Rescan();

    // Remembers the library's folders as they are now on disk.
    void NoteState();
    // True when a folder of the library (the library folder, a circuit's or a theater's) changed
    // since NoteState: an entry was added, removed or renamed by another program. Costs one look
    // at each of those folders, none at the screens, and moves no cursor of the library.
    bool ChangedOnDisk() const;

private:
    std::vector<long long> Signature() const;

    CSiteStorage& m_storage;
    PortSettings& m_portSettings;
    LibraryPlace& m_place;
    Prompt& m_prompt;
    std::vector<long long> m_signature;
};
