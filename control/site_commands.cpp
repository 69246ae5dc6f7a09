#include "control/site_commands.h"

#include "image/file_error.h"
#include "image/report.h"
#include "library/site_delete.h"
#include "library/site_storage.h"

namespace {

// Why an Add added nothing: a duplicate plainly, as the level's sentence with an empty caption;
// a refused name as a warning; a folder or notes error with the stop icon.
PromptRequest AddRefusal(const AddOutcome& outcome, const std::string& strProgramCaption) {
    PromptRequest request;
    request.m_strText = outcome.m_strMessage;
    request.m_strCaption = strProgramCaption;
    request.m_nIcon = PromptIcon::Exclamation;
    switch (outcome.m_nResult) {
    case AddResult::Duplicate:
        request.m_strText += ".";
        request.m_strCaption.clear();
        break;
    case AddResult::RefusedName:
    case AddResult::NoParent:
    case AddResult::Added:
        break;
    case AddResult::FolderNotCreated:
    case AddResult::NotesNotWritten:
        request.m_nIcon = PromptIcon::Stop;
        break;
    }
    return request;
}

// Removes the entry with this handle (and everything below it) from the library.
void RemoveEntry(SiteLibrary& library, SitePos pos) {
    library.RemoveCurrent(library.Locate(pos));
}

} // namespace

CSiteCommands::CSiteCommands(CSiteStorage& storage, SettingsImage& image, Prompt& prompt,
                             Launcher& launcher)
    : m_storage(storage), m_image(image), m_prompt(prompt), m_launcher(launcher) {}

std::string CSiteCommands::AddCaption(SiteLevel level, const SiteSelection& selected) {
    switch (level) {
    case SiteLevel::Theater:
        return "Add Theater to " + selected.m_strCircuit;
    case SiteLevel::Screen:
        return "Add Screen to " + selected.m_strTheater;
    case SiteLevel::Circuit:
    case SiteLevel::None:
        break;
    }
    return "Add Theater Circuit Name";
}

std::optional<AddOutcome> CSiteCommands::Add(SiteLevel level, const SiteSelection& parent,
                                             const NameSource& names) {
    std::optional<AddOutcome> added;
    const NameCheck check = [&](const std::string& name) {
        AddOutcome outcome = AddSite(m_storage, level, parent, name);
        if (!outcome.IsAdded()) {
            m_prompt.Ask(AddRefusal(outcome, m_prompt.ProgramCaption()));
            return false;
        }
        added = std::move(outcome);
        return true;
    };
    if (!names(AddCaption(level, parent), check))
        return std::nullopt;
    return added;
}

bool CSiteCommands::ConfirmDelete(const SiteSelection& site) {
    // The question as it always was, then what else goes with the entry (its kept versions).
    return Confirm(m_prompt, ConfirmDeleteText(site) + DeleteQuestionNote(m_storage, site),
                   m_prompt.ProgramCaption(), PromptIcon::Exclamation, true);
}

bool CSiteCommands::Delete(const SiteSelection& site, SitePos pos) {
    const std::string folder = m_storage.SitePath(site, FolderKind(site.m_nLevel));
    const DeleteOutcome outcome = DeleteSiteFiles(m_storage, site);
    if (outcome.m_result == DeleteResult::FolderKept) {
        // Say what is in the way and what to do.
        Tell(m_prompt, DeleteOutcomeMessage(outcome, folder), m_prompt.ProgramCaption(),
             PromptIcon::Exclamation);
        return false;
    }
    // Removed now, or by another program before: either way the entry goes.
    RemoveEntry(m_storage.Library(), pos);
    return true;
}

Opening CSiteCommands::EditNotes(const SiteSelection& screen) {
    Opening opening;
    opening.m_strPath = m_storage.SitePath(screen, PathKind::NotesFile);
    if (!m_launcher.Open(LaunchProgram::TextEditor, opening.m_strPath))
        opening.m_nResult = OpenResult::NotOpened;
    return opening;
}

Opening CSiteCommands::ViewConfiguration(const SiteSelection& screen) {
    Opening opening;
    try {
        m_storage.LoadSite(screen);
        WriteConfigurationReport(m_storage.DiskPath(screen, PathKind::ReportFile), m_image,
                                 screen.m_strCircuit, screen.m_strTheater, screen.m_strScreen);
    } catch (const FileError& error) {
        ShowFileError(m_prompt, error.Message());
        opening.m_nResult = OpenResult::Failed;
        return opening;
    }
    opening.m_strPath = m_storage.SitePath(screen, PathKind::ReportFile);
    if (!m_launcher.Open(LaunchProgram::TextEditor, opening.m_strPath))
        opening.m_nResult = OpenResult::NotOpened;
    return opening;
}

Opening OpenHelpDocument(Prompt& prompt, Launcher& launcher, const std::string& strPath) {
    Opening opening;
    opening.m_strPath = strPath;
    if (strPath.empty()) {
        ShowFileError(prompt, FileError(FileError::Cause::NotFound, "Help.doc").Message());
        opening.m_nResult = OpenResult::Failed;
    } else if (!launcher.Open(LaunchProgram::WordProcessor, strPath)) {
        opening.m_nResult = OpenResult::NotOpened;
    }
    return opening;
}
