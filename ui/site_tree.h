// The tree of the main window bound to the library: one item per entry with the entry's handle
// (SitePos) as its item data, circuits at their natural place among the top-level items, theaters
// and screens below theirs in library order, and items found again by their names.
#pragma once

#include "library/site_library.h"

#include <QStringList>

#include <string>
#include <vector>

class QMenu;
class QPoint;
class QTreeWidget;
class QTreeWidgetItem;

class CSiteTree {
public:
    explicit CSiteTree(QTreeWidget* tree) : m_pTree(tree) {}

    // The entry's handle an item carries.
    static SitePos PosOf(const QTreeWidgetItem* item);
    // The names from the circuit down to the item.
    static QStringList NamesOf(const QTreeWidgetItem* item);
    // The item at this path of names below the top level of tree, or null.
    static QTreeWidgetItem* Find(const QTreeWidget* tree, const QStringList& names);

    // Inserts the whole library into the empty tree, walking its cursors; no item is opened.
    void Fill(SiteLibrary& library);
    // A circuit's item at its natural place among the top-level items.
    QTreeWidgetItem* InsertCircuit(const std::string& name, SitePos pos);
    // A theater's or screen's item after the other children of parent.
    QTreeWidgetItem* AppendChild(QTreeWidgetItem* parent, const std::string& name, SitePos pos);
    // An added entry's item: below parent, or a circuit's at its place when parent is null.
    QTreeWidgetItem* InsertEntry(QTreeWidgetItem* parent, const std::string& name, SitePos pos);

    QTreeWidgetItem* Selected() const;
    // The selected item's entry resolved into a value (level None when nothing is selected);
    // moves no cursor.
    SiteSelection SelectedSite(const SiteLibrary& library) const;
    // Makes item the selected one, its parent opened.
    void Select(QTreeWidgetItem* item);
    // When nothing is selected, selects the first top-level item that is not being deleted.
    void SelectFirstIfNone();
    // The selected item's ancestor at that level (the item itself at its own level).
    QTreeWidgetItem* SelectedAt(SiteLevel level) const;
    // Deletes the selected item with its children; its parent is selected first, so the item is
    // never the selection while it goes (for a circuit the selection is cleared).
    void DeleteSelected();

    // The context menu at point: the item there is selected first; on empty space the menu opens
    // at the selected item. Nothing opens while no item is selected.
    void PopUp(QMenu* menu, const QPoint& point);

    // The names of the opened items.
    std::vector<QStringList> OpenedItems() const;
    // Empties the tree and fills it again from the library without reporting a selection change
    // on the way, opens the items named in opened and selects the item named keep, when they
    // still exist. True when an item is selected afterwards.
    bool Refill(SiteLibrary& library, const QStringList& keep,
                const std::vector<QStringList>& opened);

private:
    QTreeWidget* m_pTree;
    // The item that is being deleted: SelectFirstIfNone never picks it.
    QTreeWidgetItem* m_pDying = nullptr;
};
