// The window's side of the library folder (control/library_folder_control.h): opening another
// folder as the library, and reading the library again into the tree, keeping the selected entry
// and the opened items where they still exist.
#pragma once

#include <QStringList>

#include <filesystem>
#include <functional>
#include <vector>

class CLibraryFolderControl;
class CMainView;
class CPortButtons;
class CSiteTree;
class QWidget;
class SiteLibrary;

class CLibraryBinding {
public:
    // Shows the selection panel anew; bReset resets the transfer's status text and bar too.
    using ShowPanel = std::function<void(bool bReset)>;

    CLibraryBinding(QWidget* window, CLibraryFolderControl& folder, SiteLibrary& library,
                    CSiteTree& tree, CMainView& view, CPortButtons& portButtons,
                    ShowPanel showPanel);

    // Makes folder the working directory and shows its library: profile and port, rescan, tree,
    // panel. False, after saying why, when the folder cannot be entered.
    bool Open(const std::filesystem::path& folder);
    // Open, after asking whether a folder that holds no library is to be opened as one.
    bool OpenAfterAsking(const std::filesystem::path& folder);
    // Lets the technician choose the folder, and remembers the library opened.
    void Choose();
    // Rescans the library and refills the tree, keeping the item named keep selected and the
    // items opened that still exist.
    void Reload(const QStringList& keep, const std::vector<QStringList>& opened);
    // Reload keeping the tree's selection and opened items.
    void Refresh();

private:
    QWidget* m_pWindow;
    CLibraryFolderControl& m_folder;
    SiteLibrary& m_library;
    CSiteTree& m_tree;
    CMainView& m_view;
    CPortButtons& m_portButtons;
    ShowPanel m_showPanel;
};
