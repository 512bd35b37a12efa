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
    return static_cast<UINT>(SendMessageW(m_hListView, LVM_GETITEMSTATE, static_cast<WPARAM>(nItem), nMask));
}

bool CListViewMoveItemsWrapper::GetItemText(int nItem, int nColumn, CTextBuffer& buffer, int& nCapacity) const
{
    // The list view says only how much it copied, never how long the text
    // is; a full buffer may mean a cut text, so try again with twice the room.
    for (nCapacity = kFirstCapacity;; nCapacity *= 2) {
        buffer.reset(new (std::nothrow) wchar_t[static_cast<size_t>(nCapacity) + 1]);
        if (!buffer)
            return false;
        LVITEMW item = {};
        item.iSubItem = nColumn;
        item.pszText = buffer.get();
        item.cchTextMax = nCapacity;
        const LRESULT nCopied = SendMessageW(m_hListView, LVM_GETITEMTEXTW, static_cast<WPARAM>(nItem),
                                             reinterpret_cast<LPARAM>(&item));
        if (nCopied != nCapacity - 1)
            return true;
        if (nCapacity > INT_MAX / 2) {
            buffer.reset();
            return false;
        }
    }
}

LRESULT CListViewMoveItemsWrapper::SetItemText(int nItem, int nColumn, const wchar_t* pszText) const
{
    LVITEMW item = {};
    item.iSubItem = nColumn;
    item.pszText = const_cast<wchar_t*>(pszText);
    return SendMessageW(m_hListView, LVM_SETITEMTEXTW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item));
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
    return SendMessageW(m_hListView, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != FALSE;
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
    SendMessageW(m_hListView, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&itemA));
    SendMessageW(m_hListView, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&itemB));

    HWND hHeader = reinterpret_cast<HWND>(SendMessageW(m_hListView, LVM_GETHEADER, 0, 0));
    const int nColumns = static_cast<int>(SendMessageW(hHeader, HDM_GETITEMCOUNT, 0, 0));
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
    const int nCount = static_cast<int>(SendMessageW(m_hListView, LVM_GETITEMCOUNT, 0, 0));
    if (nCount < 2)
        return;
    int nFirst = -1;
    for (int nItem = 1; nItem < nCount; ++nItem) {
        if ((GetItemState(nItem, LVIS_SELECTED) & LVIS_SELECTED) == 0)
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
    const int nCount = static_cast<int>(SendMessageW(m_hListView, LVM_GETITEMCOUNT, 0, 0));
    if (nCount < 1)
        return;
    int nFirst = -1;
    for (int nItem = nCount - 1; nItem >= 0; --nItem) {
        if ((GetItemState(nItem, LVIS_SELECTED) & LVIS_SELECTED) == 0)
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
    SendMessageW(m_hListView, LVM_ENSUREVISIBLE, static_cast<WPARAM>(nItem), FALSE);
    LVITEMW item = {};
    item.state = LVIS_FOCUSED | LVIS_SELECTED;
    item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageW(m_hListView, LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item));
    SendMessageW(m_hListView, LVM_SETSELECTIONMARK, 0, nItem);
}
