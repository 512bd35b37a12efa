#include "dialogs/CListView.h"

int CListView::GetLastSelectedItem() const
{
    for (int nItem = GetItemCount() - 1; nItem >= 0; --nItem) {
        if (IsSelected(nItem))
            return nItem;
    }
    return -1;
}

void CListView::SetItemState(int nItem, UINT nState, UINT nMask) const
{
    LVITEMW item = {};
    item.state = nState;
    item.stateMask = nMask;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item));
}

void CListView::SelectOnly(int nItem) const
{
    SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    EnsureVisible(nItem);
    SetItemState(nItem, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

namespace {

LVITEMW TextAndParam(int nItem, const wchar_t* pszText, LPARAM lParam)
{
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = nItem;
    item.pszText = const_cast<wchar_t*>(pszText);
    item.lParam = lParam;
    return item;
}

} // namespace

int CListView::InsertItem(int nItem, const wchar_t* pszText, LPARAM lParam) const
{
    LVITEMW item = TextAndParam(nItem, pszText, lParam);
    return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

bool CListView::SetItem(int nItem, const wchar_t* pszText, LPARAM lParam) const
{
    return SetItem(TextAndParam(nItem, pszText, lParam));
}

bool CListView::SetItemText(int nItem, int nColumn, const wchar_t* pszText) const
{
    LVITEMW item = {};
    item.iSubItem = nColumn;
    item.pszText = const_cast<wchar_t*>(pszText);
    return Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)) != FALSE;
}

int CListView::GetItemText(int nItem, int nColumn, wchar_t* pszBuffer, int nCapacity) const
{
    LVITEMW item = {};
    item.iSubItem = nColumn;
    item.pszText = pszBuffer;
    item.cchTextMax = nCapacity;
    return static_cast<int>(Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

LPARAM CListView::GetItemParam(int nItem) const
{
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    return GetItem(item) ? item.lParam : 0;
}

void CListView::InsertColumn(int nColumn, const wchar_t* pszText) const
{
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(pszText);
    column.iSubItem = nColumn;
    Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(nColumn), reinterpret_cast<LPARAM>(&column));
}

int CListView::GetColumnCount() const
{
    HWND hHeader = reinterpret_cast<HWND>(Send(LVM_GETHEADER));
    return static_cast<int>(SendMessageW(hHeader, HDM_GETITEMCOUNT, 0, 0));
}
