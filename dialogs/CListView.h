#pragma once

#include <windows.h>
#include <commctrl.h>

// A report list view seen through typed calls, one message each, so that
// dialog code asks for rows, states and cells by name and never fills an
// LVITEMW or sends a list message itself. It does not own the window; a
// copy is another view of the same list.
class CListView
{
public:
    explicit CListView(HWND hWnd = nullptr) : m_hWnd(hWnd) {}
    virtual ~CListView() = default;

    HWND GetHandle() const { return m_hWnd; }

    int GetItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
    int GetSelectedCount() const { return static_cast<int>(Send(LVM_GETSELECTEDCOUNT)); }
    // The next selected row after nStart (-1: from the top); -1 when none.
    int GetNextSelectedItem(int nStart = -1) const
    {
        return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(nStart), LVNI_SELECTED));
    }
    int GetLastSelectedItem() const;
    UINT GetItemState(int nItem, UINT nMask) const
    {
        return static_cast<UINT>(Send(LVM_GETITEMSTATE, static_cast<WPARAM>(nItem), nMask));
    }
    bool IsSelected(int nItem) const { return (GetItemState(nItem, LVIS_SELECTED) & LVIS_SELECTED) != 0; }
    // Row -1 means every row.
    void SetItemState(int nItem, UINT nState, UINT nMask) const;
    void SetSelected(int nItem, bool bSelected) const
    {
        SetItemState(nItem, bSelected ? LVIS_SELECTED : 0, LVIS_SELECTED);
    }
    // The row becomes the only selected one and the focused one, fully in view.
    void SelectOnly(int nItem) const;
    void SetSelectionMark(int nItem) const { Send(LVM_SETSELECTIONMARK, 0, nItem); }
    // Scrolls until the whole row shows.
    void EnsureVisible(int nItem) const { Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(nItem), FALSE); }

    // The row's index, which the list may place at its end; -1 on failure.
    int InsertItem(int nItem, const wchar_t* pszText, LPARAM lParam) const;
    // The first cell's text and the item data of an existing row.
    bool SetItem(int nItem, const wchar_t* pszText, LPARAM lParam) const;
    bool SetItemText(int nItem, int nColumn, const wchar_t* pszText) const;
    // Copies at most nCapacity - 1 characters and says how many it copied.
    int GetItemText(int nItem, int nColumn, wchar_t* pszBuffer, int nCapacity) const;
    // The item data; 0 when there is no such row.
    LPARAM GetItemParam(int nItem) const;
    // Whole rows, for those that carry every field along.
    bool GetItem(LVITEMW& item) const { return Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != FALSE; }
    bool SetItem(const LVITEMW& item) const { return Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != FALSE; }
    bool DeleteItem(int nItem) const { return Send(LVM_DELETEITEM, static_cast<WPARAM>(nItem)) != FALSE; }
    bool DeleteAllItems() const { return Send(LVM_DELETEALLITEMS) != FALSE; }

    // A column with a header text and no width of its own.
    void InsertColumn(int nColumn, const wchar_t* pszText) const;
    int GetColumnCount() const;
    void SetColumnWidth(int nColumn, int nWidth) const
    {
        Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(nColumn), nWidth);
    }
    void SetExtendedStyle(DWORD nStyle) const { Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, nStyle); }

private:
    LRESULT Send(UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return SendMessageW(m_hWnd, nMsg, wParam, lParam);
    }

    HWND m_hWnd;
};
