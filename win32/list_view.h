// A list view in report mode (the ports dialog's devices, the History's versions, the
// differences): columns with a header, rows of texts, whole rows selected.
#pragma once

#include "win32/text.h"

#include <commctrl.h>

#include <string>
#include <vector>

class CListView {
public:
    void Attach(HWND list);
    HWND Handle() const { return m_hList; }

    // The columns' headers; each column as wide as its header until FitColumns.
    void SetColumns(const std::vector<std::string>& headers);
    void Clear();
    // Appends a row of texts, one per column; returns its index.
    int AddRow(const std::vector<std::string>& cells);
    int RowCount() const;
    std::string Text(int row, int column) const;
    // The rows selected, in the list's order.
    std::vector<int> SelectedRows() const;
    // Selects row alone and gives it the caret (the first row of a list that has the focus).
    void SelectOnly(int row);
    // Each column as wide as its widest text or its header, the last one filling the rest.
    void FitColumns();

private:
    HWND m_hList = nullptr;
    int m_nColumns = 0;
};
