// The main window's site commands without a toolkit: Add Circuit, Add Theater and Add Screen with
// a name source, Delete with its question and what it tells when a folder stays, Edit Notes,
// View Configuration and Help through a launcher. Each acts on the entry it is given, resolved
// when the command started; none reads or moves the library's cursor.
#pragma once

#include "control/launcher.h"
#include "control/prompt.h"
#include "library/site_add.h"
#include "library/site_library.h"

#include <functional>
#include <optional>
#include <string>

class CSiteStorage;
struct SettingsImage;

// Takes a typed name; true when it was accepted (the entry is added). A refusal has been shown
// to the technician, who may correct the name and try again.
using NameCheck = std::function<bool(const std::string& name)>;
// Asks for a new name under this caption until check accepts one, and returns it; nullopt when
// the technician cancelled. A window runs its name dialog, which stays open with the typed text
// after a refusal.
using NameSource =
    std::function<std::optional<std::string>(const std::string& caption, const NameCheck& check)>;

// What became of opening a file in the desktop's program.
enum class OpenResult {
    Opened,    // the desktop took the file
    NotOpened, // it has no program for it, or the program did not start: the window shows the
               // file in a window of its own
    Failed,    // a file error, shown already
};

struct Opening {
    OpenResult m_nResult = OpenResult::Opened;
    std::string m_strPath; // the file opened, relative to the working directory
};

class CSiteCommands {
public:
    // The library on disk with the settings image it loads into, the boxes and the launcher of
    // the window; all outlive the commands.
    CSiteCommands(CSiteStorage& storage, SettingsImage& image, Prompt& prompt, Launcher& launcher);

    // The name dialog's caption for an entry of that level added below selected (the selected
    // entry, or any entry below the parent): "Add Theater Circuit Name", "Add Theater to " and
    // the circuit, "Add Screen to " and the theater.
    static std::string AddCaption(SiteLevel level, const SiteSelection& selected);
    // Asks names for a new entry of that level below parent (AddSite) until one is added, showing
    // why each refused name was refused. The outcome of the Add that added the entry; nullopt
    // when nothing was added (cancelled, or the names ran out).
    std::optional<AddOutcome> Add(SiteLevel level, const SiteSelection& parent,
                                  const NameSource& names);

    // Asks before the entry is deleted; true when the technician chose OK.
    bool ConfirmDelete(const SiteSelection& site);
    // Deletes the confirmed entry's files and folder (DeleteSiteFiles) and, when the folder is
    // gone (now, or by another program before), the entry with the handle pos from the library:
    // true. False when nothing of the entry was deleted or its empty folder stayed, after saying
    // why.
    bool Delete(const SiteSelection& site, SitePos pos);

    // The screen's notes in the text editor.
    Opening EditNotes(const SiteSelection& screen);
    // The screen's report written anew from its Vrx.cfg, then opened in the text editor; a file
    // error (no Vrx.cfg of valid length any more) is shown and nothing is opened.
    Opening ViewConfiguration(const SiteSelection& screen);

private:
    CSiteStorage& m_storage;
    SettingsImage& m_image;
    Prompt& m_prompt;
    Launcher& m_launcher;
};

// The help document at strPath ("" when there is none: "Help.doc was not found.") in the word
// processor.
Opening OpenHelpDocument(Prompt& prompt, Launcher& launcher, const std::string& strPath);
