// The site library's tree view (control 1000): items carry a text and, as item data, an entry's
// handle; no images, states or check boxes.
#pragma once

#include "win32/text.h"

#include <commctrl.h>

#include <string>
#include <vector>

class CTreeView {
public:
    void Attach(HWND tree) { m_hTree = tree; }
    HWND Handle() const { return m_hTree; }

    // Inserts an item with this text (UTF-8) and data under parent (null: at the top level)
    // after the item after (TVI_FIRST, TVI_LAST or an item); returns it.
    HTREEITEM InsertItem(const std::string& text, const void* data, HTREEITEM parent = TVI_ROOT,
                         HTREEITEM after = TVI_LAST);
    void DeleteAllItems();
    void DeleteItem(HTREEITEM item);

    HTREEITEM Selected() const;
    HTREEITEM Root() const;
    HTREEITEM Parent(HTREEITEM item) const;
    HTREEITEM FirstChild(HTREEITEM item) const;
    HTREEITEM NextSibling(HTREEITEM item) const;
    // Selects item (null clears the selection); the tree notifies its selection change.
    void Select(HTREEITEM item);
    const void* ItemData(HTREEITEM item) const;
    std::string ItemText(HTREEITEM item) const;
    // Opens a closed item with children and closes an open one.
    void ToggleExpanded(HTREEITEM item);

    // An item's texts from the top level down to it (a circuit, theater and screen name).
    std::vector<std::string> NamesOf(HTREEITEM item) const;
    // The item whose texts from the top level down are names; null when there is none.
    HTREEITEM Find(const std::vector<std::string>& names) const;
    // The open items, each as NamesOf gives it; Reopen opens those still there after a refill.
    std::vector<std::vector<std::string>> OpenedItems() const;
    void Reopen(const std::vector<std::vector<std::string>>& opened);

private:
    HWND m_hTree = nullptr;
};
