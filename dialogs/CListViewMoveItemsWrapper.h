#pragma once

#include "dialogs/CListView.h"

#include <windows.h>
#include <commctrl.h>

#include <memory>

// Moves the selected rows of a report list view up or down by one place.
// Each row travels whole: the texts of all columns, image, item data,
// state and indent, so a row's record and its selection go with it. The
// caller refuses a move that would push a selected row past an end.
class CListViewMoveItemsWrapper
{
public:
    using CTextBuffer = std::unique_ptr<wchar_t[]>;

    explicit CListViewMoveItemsWrapper(HWND hListView);
    CListViewMoveItemsWrapper(const CListViewMoveItemsWrapper&) = delete;
    CListViewMoveItemsWrapper& operator=(const CListViewMoveItemsWrapper&) = delete;
    virtual ~CListViewMoveItemsWrapper() = default;

    UINT GetItemState(int nItem, UINT nMask) const;
    // The whole text of a cell, in a buffer that grows until it fits.
    // nCapacity is the number of characters the buffer can take besides
    // its terminator.
    bool GetItemText(int nItem, int nColumn, CTextBuffer& buffer, int& nCapacity) const;
    LRESULT SetItemText(int nItem, int nColumn, const wchar_t* pszText) const;
    // Fills the item; with LVIF_TEXT its pszText points into text.
    bool GetItem(UINT nMask, UINT nStateMask, int nItem, int nColumn, LVITEMW& item, CTextBuffer& text) const;
    // Exchanges two rows completely; nothing changes when either can't be read.
    void SwapItems(int nItemA, int nItemB) const;

    void MoveUp() const;
    void MoveDown() const;
    void Move(bool bDown) const;

private:
    CListView List() const { return CListView(m_hListView); }
    void FocusMovedRow(int nItem) const;

    HWND m_hListView;
};
