#include "ui/library_binding.h"

#include "control/library_folder_control.h"
#include "ui/main_view.h"
#include "ui/port_buttons.h"
#include "ui/site_tree.h"

#include <QDir>
#include <QFileDialog>

namespace fs = std::filesystem;

CLibraryBinding::CLibraryBinding(QWidget* window, CLibraryFolderControl& folder,
                                 SiteLibrary& library, CSiteTree& tree, CMainView& view,
                                 CPortButtons& portButtons, ShowPanel showPanel)
    : m_pWindow(window), m_folder(folder), m_library(library), m_tree(tree), m_view(view),
      m_portButtons(portButtons), m_showPanel(std::move(showPanel)) {}

bool CLibraryBinding::Open(const fs::path& folder) {
    if (!m_folder.Enter(folder))
        return false;
    Reload({}, {});
    m_showPanel(true);
    m_portButtons.OpenSaved();
    m_view.ShowLibraryFolder();
    return true;
}

bool CLibraryBinding::OpenAfterAsking(const fs::path& folder) {
    return m_folder.ConfirmOpen(folder) && Open(folder);
}

void CLibraryBinding::Choose() {
    const QString chosen =
        QFileDialog::getExistingDirectory(m_pWindow, "Open Library Folder", QDir::currentPath());
    if (!chosen.isEmpty() && OpenAfterAsking(fs::path(chosen.toStdU16String())))
        m_folder.RememberOpen();
}

void CLibraryBinding::Reload(const QStringList& keep, const std::vector<QStringList>& opened) {
    m_folder.Rescan();
    // The same entry keeps the transfer's status text; any other selection resets it, as every
    // selection change does.
    m_showPanel(!m_tree.Refill(m_library, keep, opened));
    m_folder.NoteState();
}

void CLibraryBinding::Refresh() {
    Reload(CSiteTree::NamesOf(m_tree.Selected()), m_tree.OpenedItems());
}
