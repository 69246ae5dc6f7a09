#include "win32/list_view.h"

#include <algorithm>

void CListView::Attach(HWND list) {
    m_hList = list;
    ListView_SetExtendedListViewStyle(m_hList, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
}

void CListView::SetColumns(const std::vector<std::string>& headers) {
    while (m_nColumns > 0)
        ListView_DeleteColumn(m_hList, --m_nColumns);
    for (const std::string& header : headers) {
        std::wstring text = Wide(header);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = text.data();
        column.cx = 40;
        column.iSubItem = m_nColumns;
        SendMessageW(m_hList, LVM_INSERTCOLUMNW, static_cast<WPARAM>(m_nColumns),
                     reinterpret_cast<LPARAM>(&column));
        ListView_SetColumnWidth(m_hList, m_nColumns, LVSCW_AUTOSIZE_USEHEADER);
        ++m_nColumns;
    }
}

void CListView::Clear() {
    ListView_DeleteAllItems(m_hList);
}

int CListView::AddRow(const std::vector<std::string>& cells) {
    const int row = RowCount();
    for (int column = 0; column < m_nColumns; ++column) {
        std::wstring text =
            Wide(static_cast<std::size_t>(column) < cells.size() ? cells[column] : std::string());
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.iSubItem = column;
        item.pszText = text.data();
        SendMessageW(m_hList, column == 0 ? LVM_INSERTITEMW : LVM_SETITEMW, 0,
                     reinterpret_cast<LPARAM>(&item));
    }
    return row;
}

int CListView::RowCount() const {
    return ListView_GetItemCount(m_hList);
}

std::string CListView::Text(int row, int column) const {
    wchar_t buffer[1024] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = static_cast<int>(std::size(buffer));
    SendMessageW(m_hList, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
    return Utf8(buffer);
}

std::vector<int> CListView::SelectedRows() const {
    std::vector<int> rows;
    for (int row = ListView_GetNextItem(m_hList, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(m_hList, row, LVNI_SELECTED))
        rows.push_back(row);
    return rows;
}

void CListView::SelectOnly(int row) {
    ListView_SetItemState(m_hList, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(m_hList, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(m_hList, row, FALSE);
}

void CListView::FitColumns() {
    // The list's own measure of a text in its font, with the margins it draws around a cell.
    const auto width = [this](const std::string& text) {
        return static_cast<int>(SendMessageW(m_hList, LVM_GETSTRINGWIDTHW, 0,
                                             reinterpret_cast<LPARAM>(Wide(text).c_str()))) +
               16;
    };
    int lastWidest = 0;
    for (int column = 0; column < m_nColumns; ++column) {
        wchar_t header[256] = {};
        LVCOLUMNW query{};
        query.mask = LVCF_TEXT;
        query.pszText = header;
        query.cchTextMax = static_cast<int>(std::size(header));
        SendMessageW(m_hList, LVM_GETCOLUMNW, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&query));
        int widest = width(Utf8(header));
        for (int row = 0; row < RowCount(); ++row)
            widest = std::max(widest, width(Text(row, column)));
        ListView_SetColumnWidth(m_hList, column, widest);
        lastWidest = widest;
    }
    // The last column reaches the list's right edge, or further when its texts need it.
    if (m_nColumns > 0) {
        ListView_SetColumnWidth(m_hList, m_nColumns - 1, LVSCW_AUTOSIZE_USEHEADER);
        if (ListView_GetColumnWidth(m_hList, m_nColumns - 1) < lastWidest)
            ListView_SetColumnWidth(m_hList, m_nColumns - 1, lastWidest);
    }
}
