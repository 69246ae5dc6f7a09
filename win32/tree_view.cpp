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
