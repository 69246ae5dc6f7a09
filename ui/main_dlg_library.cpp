// The main dialog's library folder: which folder is open, opening another, and rescanning the
// library when it changed on disk (Refresh, F5, and on activation).
#include "ui/main_dlg.h"

#include "library/library_folder.h"
#include "link/profile.h"
#include "ui/library_place.h"
#include "ui/prompt.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <system_error>

namespace fs = std::filesystem;

namespace {

SitePos ItemPos(const QTreeWidgetItem* item) {
    return reinterpret_cast<SitePos>(item->data(0, Qt::UserRole).value<quintptr>());
}

// A folder's last change as a number; -1 when it cannot be read (gone, or no longer a folder).
long long FolderStamp(const fs::path& folder) {
    std::error_code ec;
    const auto written = fs::last_write_time(folder, ec);
    return ec ? -1 : static_cast<long long>(written.time_since_epoch().count());
}

} // namespace

void CMainDlg::SetNameText(int id, const std::string& name) {
    auto* label = qobject_cast<QLabel*>(Control(id));
    if (!label)
        return;
    const QString text = QString::fromUtf8(name);
    const QString shown = label->fontMetrics().elidedText(text, Qt::ElideRight, label->width());
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
}

void CMainDlg::UpdateLibraryLabel() {
    auto* label = qobject_cast<QLabel*>(Control(IDC_LIBRARY));
    const QString folder = QDir::toNativeSeparators(QDir::currentPath());
    const QString text = "Library: " + folder;
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideMiddle, label->width()));
    label->setToolTip("The library folder: " + folder +
                      "\nRight-click the window to open another library folder (Ctrl+O) or to "
                      "read this one again (F5).");
}

QStringList CMainDlg::ItemNames(const QTreeWidgetItem* item) {
    QStringList names;
    for (; item; item = item->parent())
        names.prepend(item->text(0));
    return names;
}

QTreeWidgetItem* CMainDlg::FindItem(const QStringList& names) const {
    QTreeWidgetItem* item = nullptr;
    for (const QString& name : names) {
        QTreeWidgetItem* found = nullptr;
        const int count = item ? item->childCount() : m_pTree->topLevelItemCount();
        for (int i = 0; i < count && !found; ++i) {
            QTreeWidgetItem* child = item ? item->child(i) : m_pTree->topLevelItem(i);
            if (child->text(0) == name)
                found = child;
        }
        if (!found)
            return nullptr;
        item = found;
    }
    return item;
}

void CMainDlg::ReloadLibrary(const QStringList& keep, const std::vector<QStringList>& expanded) {
    {
        // The tree is refilled without a selection change for every step; the panel follows
        // once at the end.
        const QSignalBlocker block(m_pTree);
        m_pTree->clear();
        m_library.FirstCircuit();
        while (m_library.HasCircuit()) {
            m_library.RemoveCurrentCircuit();
            m_library.FirstCircuit();
        }
        m_storage.ScanLibrary();
        FillTree();
        for (const QStringList& names : expanded)
            if (QTreeWidgetItem* item = FindItem(names))
                item->setExpanded(true);
        if (QTreeWidgetItem* item = keep.isEmpty() ? nullptr : FindItem(keep)) {
            for (QTreeWidgetItem* parent = item->parent(); parent; parent = parent->parent())
                parent->setExpanded(true);
            m_pTree->setCurrentItem(item);
        }
    }
    // The same entry keeps the transfer's status text; any other selection resets it, as every
    // selection change does.
    const bool bKept = m_pTree->currentItem() != nullptr;
    UpdateSelectionPanel(!bKept);
    NoteLibraryState();
}

void CMainDlg::Refresh() {
    if (m_bTransferRunning || m_bAdding)
        return;
    std::vector<QStringList> expanded;
    for (QTreeWidgetItemIterator it(m_pTree); *it; ++it)
        if ((*it)->isExpanded())
            expanded.push_back(ItemNames(*it));
    ReloadLibrary(ItemNames(m_pTree->currentItem()), expanded);
}

bool CMainDlg::OpenLibrary(const fs::path& folder) {
    if (m_bTransferRunning)
        return false;
    std::string error;
    if (!EnterLibraryFolder(folder, error)) {
        ShowMessage(error + "\nThe library that was open stays open.",
                    QApplication::applicationName().toStdString(),
                    static_cast<int>(PromptIcon::Stop));
        return false;
    }
    // The new folder's own profile: its port is the one opened.
    InitProfile(m_portSettings);
    ReloadLibrary({}, {});
    UpdateSelectionPanel(true);
    OpenSavedPort();
    UpdateLibraryLabel();
    return true;
}

bool CMainDlg::OpenLibraryFolder(const fs::path& folder) {
    if (m_bTransferRunning)
        return false;
    if (!IsLibraryFolder(folder)) {
        PromptRequest request;
        request.m_strText =
            "The folder " + folder.string() +
            " does not look like a library: it holds no VRX3KM.CFG and no screen folder with "
            "notes or settings, so each of its folders would be listed as a circuit.\n\nPress OK "
            "to open it as the library all the same,\nor CANCEL to keep the library that is open.";
        request.m_strCaption = QApplication::applicationName().toStdString();
        request.m_nButtons = PromptButtons::OkCancel;
        request.m_bCancelDefault = true;
        request.m_nIcon = PromptIcon::Exclamation;
        if (AskPrompt(this, request) != kAnswerOk)
            return false;
    }
    return OpenLibrary(folder);
}

void CMainDlg::OnOpenLibrary() {
    if (m_bTransferRunning)
        return;
    const QString chosen =
        QFileDialog::getExistingDirectory(this, "Open Library Folder", QDir::currentPath());
    if (chosen.isEmpty())
        return;
    if (OpenLibraryFolder(fs::path(chosen.toStdU16String())))
        RememberLibraryFolder(fs::current_path());
}

std::vector<long long> CMainDlg::LibrarySignature() {
    // An entry added or removed changes its parent folder's time: the library folder for a
    // circuit, a circuit's folder for a theater, a theater's folder for a screen. The screen
    // folders themselves are never looked at, so the cost follows the number of theaters.
    std::vector<long long> signature{FolderStamp(m_storage.Root())};
    for (m_library.FirstCircuit(); m_library.HasCircuit(); m_library.NextCircuit()) {
        signature.push_back(FolderStamp(m_storage.DiskPath(
            m_library.CurrentSelection(SiteLevel::Circuit), PathKind::CircuitFolder)));
        for (m_library.FirstTheater(); m_library.HasTheater(); m_library.NextTheater())
            signature.push_back(FolderStamp(m_storage.DiskPath(
                m_library.CurrentSelection(SiteLevel::Theater), PathKind::TheaterFolder)));
    }
    // The walk moved the library's cursor: the tree's selection is made current again.
    if (QTreeWidgetItem* item = m_pTree->currentItem())
        m_library.Locate(ItemPos(item));
    return signature;
}

void CMainDlg::NoteLibraryState() {
    m_librarySignature = LibrarySignature();
}

bool CMainDlg::LibraryChangedOnDisk() {
    return LibrarySignature() != m_librarySignature;
}

void CMainDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow())
        return;
    // Never under a transfer, an Add or a box of this window.
    QWidget* modal = QApplication::activeModalWidget();
    if (m_bTransferRunning || m_bAdding || (modal && modal != this))
        return;
    if (LibraryChangedOnDisk())
        Refresh();
    else
        UpdateSelectionPanel(false); // a screen's files may have changed: date, time, buttons
}
