#include "dialogs/CListViewMoveItemsWrapper.h"

#include <climits>
#include <new>

namespace {

constexpr int kFirstCapacity = 255;
constexpr UINT kWholeRow = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE | LVIF_INDENT;
constexpr UINT kAllStateBits = ~0u;

} // namespace

CListViewMoveItemsWrapper::CListViewMoveItemsWrapper(HWND hListView) : m_hListView(hListView)
{
}

UINT CListViewMoveItemsWrapper::GetItemState(int nItem, UINT nMask) const
{
    return List().GetItemState(nItem, nMask);
}

bool CListViewMoveItemsWrapper::GetItemText(int nItem, int nColumn, CTextBuffer& buffer, int& nCapacity) const
{
    // The list view says only how much it copied, never how long the text
    // is; a full buffer may mean a cut text, so try again with twice the room.
    for (nCapacity = kFirstCapacity;; nCapacity *= 2) {
        buffer.reset(new (std::nothrow) wchar_t[static_cast<size_t>(nCapacity) + 1]);
        if (!buffer)
            return false;
        if (List().GetItemText(nItem, nColumn, buffer.get(), nCapacity) != nCapacity - 1)
            return true;
        if (nCapacity > INT_MAX / 2) {
            buffer.reset();
            return false;
        }
    }
}

LRESULT CListViewMoveItemsWrapper::SetItemText(int nItem, int nColumn, const wchar_t* pszText) const
{
    return List().SetItemText(nItem, nColumn, pszText) ? TRUE : FALSE;
}

bool CListViewMoveItemsWrapper::GetItem(UINT nMask, UINT nStateMask, int nItem, int nColumn, LVITEMW& item,
                                        CTextBuffer& text) const
{
    item = LVITEMW{};
    if ((nMask & LVIF_TEXT) != 0) {
        int nCapacity = 0;
        if (!GetItemText(nItem, nColumn, text, nCapacity))
            return false;
        item.pszText = text.get();
        item.cchTextMax = nCapacity;
        // The text is in hand; asking again would cut it to the first buffer.
        nMask &= ~LVIF_TEXT;
    }
    item.mask = nMask;
    item.stateMask = nStateMask;
    item.iItem = nItem;
    item.iSubItem = nColumn;
    return List().GetItem(item);
}

void CListViewMoveItemsWrapper::SwapItems(int nItemA, int nItemB) const
{
    LVITEMW itemA = {};
    LVITEMW itemB = {};
    CTextBuffer textA;
    CTextBuffer textB;
    if (!GetItem(kWholeRow, kAllStateBits, nItemA, 0, itemA, textA)
        || !GetItem(kWholeRow, kAllStateBits, nItemB, 0, itemB, textB))
        return;

    itemA.mask = itemB.mask = kWholeRow;
    itemA.stateMask = itemB.stateMask = kAllStateBits;
    itemA.iItem = nItemB;
    itemB.iItem = nItemA;
    const CListView list = List();
    list.SetItem(itemA);
    list.SetItem(itemB);

    const int nColumns = list.GetColumnCount();
    for (int nColumn = 1; nColumn < nColumns; ++nColumn) {
        CTextBuffer cellA;
        CTextBuffer cellB;
        int nCapacityA = 0;
        int nCapacityB = 0;
        if (!GetItemText(nItemA, nColumn, cellA, nCapacityA) || !GetItemText(nItemB, nColumn, cellB, nCapacityB))
            continue;
        SetItemText(nItemB, nColumn, cellA.get());
        SetItemText(nItemA, nColumn, cellB.get());
    }
}

void CListViewMoveItemsWrapper::MoveUp() const
{
    const int nCount = List().GetItemCount();
    if (nCount < 2)
        return;
    int nFirst = -1;
    for (int nItem = 1; nItem < nCount; ++nItem) {
        if (!List().IsSelected(nItem))
            continue;
        if (nFirst == -1)
            nFirst = nItem - 1;
        SwapItems(nItem, nItem - 1);
    }
    if (nFirst != -1)
        FocusMovedRow(nFirst);
}

void CListViewMoveItemsWrapper::MoveDown() const
{
    const int nCount = List().GetItemCount();
    if (nCount < 1)
        return;
    int nFirst = -1;
    for (int nItem = nCount - 1; nItem >= 0; --nItem) {
        if (!List().IsSelected(nItem))
            continue;
        if (nFirst == -1)
            nFirst = nItem + 1;
        SwapItems(nItem, nItem + 1);
    }
    if (nFirst != -1)
        FocusMovedRow(nFirst);
}

void CListViewMoveItemsWrapper::Move(bool bDown) const
{
    if (bDown)
        MoveDown();
    else
        MoveUp();
}

void CListViewMoveItemsWrapper::FocusMovedRow(int nItem) const
{
    const CListView list = List();
    list.EnsureVisible(nItem);
    list.SetItemState(nItem, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    list.SetSelectionMark(nItem);
}
