#include "win32/tree_view.h"

HTREEITEM CTreeView::InsertItem(const std::string& text, const void* data, HTREEITEM parent,
                                HTREEITEM after) {
    std::wstring wide = Wide(text);
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = wide.data();
    insert.item.lParam = reinterpret_cast<LPARAM>(data);
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(m_hTree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void CTreeView::DeleteAllItems() {
    SendMessageW(m_hTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
}

void CTreeView::DeleteItem(HTREEITEM item) {
    SendMessageW(m_hTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
}

HTREEITEM CTreeView::Selected() const {
    return TreeView_GetNextItem(m_hTree, nullptr, TVGN_CARET);
}

HTREEITEM CTreeView::Root() const {
    return TreeView_GetNextItem(m_hTree, nullptr, TVGN_ROOT);
}

HTREEITEM CTreeView::Parent(HTREEITEM item) const {
    return TreeView_GetNextItem(m_hTree, item, TVGN_PARENT);
}

HTREEITEM CTreeView::FirstChild(HTREEITEM item) const {
    return TreeView_GetNextItem(m_hTree, item, TVGN_CHILD);
}

HTREEITEM CTreeView::NextSibling(HTREEITEM item) const {
    return TreeView_GetNextItem(m_hTree, item, TVGN_NEXT);
}

void CTreeView::Select(HTREEITEM item) {
    TreeView_SelectItem(m_hTree, item);
}

const void* CTreeView::ItemData(HTREEITEM item) const {
    TVITEMW tv = {};
    tv.mask = TVIF_PARAM;
    tv.hItem = item;
    if (!item || !SendMessageW(m_hTree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv)))
        return nullptr;
    return reinterpret_cast<const void*>(tv.lParam);
}

std::string CTreeView::ItemText(HTREEITEM item) const {
    wchar_t buffer[512] = {};
    TVITEMW tv = {};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = buffer;
    tv.cchTextMax = static_cast<int>(std::size(buffer));
    if (!item || !SendMessageW(m_hTree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv)))
        return {};
    return Utf8(buffer);
}

void CTreeView::ToggleExpanded(HTREEITEM item) {
    if (item && FirstChild(item))
        TreeView_Expand(m_hTree, item, TVE_TOGGLE);
}

std::vector<std::string> CTreeView::NamesOf(HTREEITEM item) const {
    std::vector<std::string> names;
    for (; item; item = Parent(item))
        names.insert(names.begin(), ItemText(item));
    return names;
}

HTREEITEM CTreeView::Find(const std::vector<std::string>& names) const {
    HTREEITEM found = nullptr;
    HTREEITEM level = Root();
    for (const std::string& name : names) {
        found = nullptr;
        for (HTREEITEM item = level; item; item = NextSibling(item)) {
            if (ItemText(item) == name) {
                found = item;
                break;
            }
        }
        if (!found)
            return nullptr;
        level = FirstChild(found);
    }
    return found;
}

std::vector<std::vector<std::string>> CTreeView::OpenedItems() const {
    std::vector<std::vector<std::string>> opened;
    // Depth first through the open items only: a closed item's children are not shown.
    std::vector<HTREEITEM> pending;
    for (HTREEITEM item = Root(); item; item = NextSibling(item))
        pending.push_back(item);
    while (!pending.empty()) {
        const HTREEITEM item = pending.back();
        pending.pop_back();
        if (!(TreeView_GetItemState(m_hTree, item, TVIS_EXPANDED) & TVIS_EXPANDED))
            continue;
        opened.push_back(NamesOf(item));
        for (HTREEITEM child = FirstChild(item); child; child = NextSibling(child))
            pending.push_back(child);
    }
    return opened;
}

void CTreeView::Reopen(const std::vector<std::vector<std::string>>& opened) {
    for (const std::vector<std::string>& names : opened)
        if (const HTREEITEM item = Find(names))
            TreeView_Expand(m_hTree, item, TVE_EXPAND);
}
