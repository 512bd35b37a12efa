#include "dialogs/CListViewMoveItemsWrapper.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kColumns = 3;

// A real report list view with three columns in a window of its own.
class ListViewMoverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_hParent = CreateWindowExW(0, L"STATIC", L"Mover", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                                    nullptr, GetModuleHandleW(nullptr), nullptr);
        m_hList = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS,
                                  0, 0, 380, 120, m_hParent, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, m_hList);
        for (int nColumn = 0; nColumn < kColumns; ++nColumn) {
            LVCOLUMNW column = {};
            column.mask = LVCF_WIDTH;
            column.cx = 100;
            SendMessageW(m_hList, LVM_INSERTCOLUMNW, static_cast<WPARAM>(nColumn), reinterpret_cast<LPARAM>(&column));
        }
    }
    void TearDown() override { DestroyWindow(m_hParent); }

    // Row "X" has the cells X, X1 and X2, item data 1000 + its first
    // letter, image and indent from its place.
    void AddRows(const std::wstring& names)
    {
        for (wchar_t ch : names) {
            const std::wstring name(1, ch);
            AddRow({ name, name + L"1", name + L"2" }, 1000 + ch);
        }
    }

    void AddRow(const std::vector<std::wstring>& cells, LPARAM nData)
    {
        const int nItem = Count();
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE | LVIF_INDENT;
        item.iItem = nItem;
        item.pszText = const_cast<wchar_t*>(cells[0].c_str());
        item.lParam = nData;
        item.iImage = 10 + nItem;
        item.iIndent = nItem % 3;
        SendMessageW(m_hList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (int nColumn = 1; nColumn < kColumns; ++nColumn) {
            LVITEMW cell = {};
            cell.iSubItem = nColumn;
            cell.pszText = const_cast<wchar_t*>(cells[static_cast<size_t>(nColumn)].c_str());
            SendMessageW(m_hList, LVM_SETITEMTEXTW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&cell));
        }
    }

    int Count() const { return static_cast<int>(SendMessageW(m_hList, LVM_GETITEMCOUNT, 0, 0)); }

    void SetState(int nItem, UINT nState, UINT nMask) const
    {
        LVITEMW item = {};
        item.state = nState;
        item.stateMask = nMask;
        SendMessageW(m_hList, LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item));
    }

    void Select(const std::vector<int>& items) const
    {
        SetState(-1, 0, LVIS_SELECTED);
        for (int nItem : items)
            SetState(nItem, LVIS_SELECTED, LVIS_SELECTED);
    }

    std::wstring Cell(int nItem, int nColumn) const
    {
        std::wstring text(16384, L'\0');
        LVITEMW item = {};
        item.iSubItem = nColumn;
        item.pszText = &text[0];
        item.cchTextMax = static_cast<int>(text.size());
        const LRESULT nLength = SendMessageW(m_hList, LVM_GETITEMTEXTW, static_cast<WPARAM>(nItem),
                                             reinterpret_cast<LPARAM>(&item));
        text.resize(static_cast<size_t>(nLength));
        return text;
    }

    LVITEMW Item(int nItem) const
    {
        LVITEMW item = {};
        item.mask = LVIF_PARAM | LVIF_IMAGE | LVIF_INDENT;
        item.iItem = nItem;
        SendMessageW(m_hList, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return item;
    }

    std::wstring Order() const
    {
        std::wstring order;
        for (int nItem = 0; nItem < Count(); ++nItem)
            order += Cell(nItem, 0);
        return order;
    }

    std::vector<int> Selected() const
    {
        std::vector<int> items;
        for (int nItem = 0; nItem < Count(); ++nItem) {
            if (SendMessageW(m_hList, LVM_GETITEMSTATE, static_cast<WPARAM>(nItem), LVIS_SELECTED) != 0)
                items.push_back(nItem);
        }
        return items;
    }

    int Focused() const
    {
        return static_cast<int>(SendMessageW(m_hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    }

    int SelectionMark() const { return static_cast<int>(SendMessageW(m_hList, LVM_GETSELECTIONMARK, 0, 0)); }

    // Every row still carries its own cells, item data, image and indent.
    void ExpectRowsWhole(const std::wstring& order, const std::wstring& original) const
    {
        for (int nItem = 0; nItem < Count(); ++nItem) {
            const wchar_t ch = order[static_cast<size_t>(nItem)];
            const std::wstring name(1, ch);
            EXPECT_EQ(name + L"1", Cell(nItem, 1)) << "row " << nItem;
            EXPECT_EQ(name + L"2", Cell(nItem, 2)) << "row " << nItem;
            const LVITEMW item = Item(nItem);
            const int nHome = static_cast<int>(original.find(ch));
            EXPECT_EQ(1000 + ch, item.lParam) << "row " << nItem;
            EXPECT_EQ(10 + nHome, item.iImage) << "row " << nItem;
            EXPECT_EQ(nHome % 3, item.iIndent) << "row " << nItem;
        }
    }

    HWND m_hParent = nullptr;
    HWND m_hList = nullptr;
};

} // namespace

TEST_F(ListViewMoverTest, SelectedRowsMoveWholeAndKeepTheirSelection)
{
    const struct
    {
        std::vector<int> selected;
        bool bDown;
        const wchar_t* pszOrder;
        std::vector<int> selectedAfter;
        int nFocused;
    } cases[] = {
        { { 1, 2 }, false, L"BCADE", { 0, 1 }, 0 },
        { { 1, 2 }, true, L"ADBCE", { 2, 3 }, 3 },
        { { 1, 3 }, false, L"BADCE", { 0, 2 }, 0 },
        { { 1, 3 }, true, L"ACBED", { 2, 4 }, 4 },
        { { 4 }, false, L"ABCED", { 3 }, 3 },
        { { 0 }, true, L"BACDE", { 1 }, 1 },
    };
    for (const auto& sample : cases) {
        SendMessageW(m_hList, LVM_DELETEALLITEMS, 0, 0);
        AddRows(L"ABCDE");
        Select(sample.selected);
        CListViewMoveItemsWrapper(m_hList).Move(sample.bDown);
        const std::wstring name = sample.pszOrder;
        EXPECT_EQ(name, Order());
        EXPECT_EQ(sample.selectedAfter, Selected()) << name;
        EXPECT_EQ(sample.nFocused, Focused()) << name;
        EXPECT_EQ(sample.nFocused, SelectionMark()) << name;
        ExpectRowsWhole(name, L"ABCDE");
    }
}

TEST_F(ListViewMoverTest, NothingSelectedMovesNothing)
{
    AddRows(L"ABCDE");
    SetState(2, LVIS_FOCUSED, LVIS_FOCUSED);
    SendMessageW(m_hList, LVM_SETSELECTIONMARK, 0, 2);
    for (bool bDown : { false, true }) {
        CListViewMoveItemsWrapper(m_hList).Move(bDown);
        EXPECT_EQ(L"ABCDE", Order());
        EXPECT_TRUE(Selected().empty());
        EXPECT_EQ(2, Focused());
        EXPECT_EQ(2, SelectionMark());
    }
}

TEST_F(ListViewMoverTest, LongCellsMoveIntact)
{
    // Lengths around each point where the text buffer has to grow.
    const size_t lengths[] = { 0, 253, 254, 255, 509, 600, 1019, 5000 };
    for (size_t nLength : lengths) {
        SendMessageW(m_hList, LVM_DELETEALLITEMS, 0, 0);
        std::wstring longText;
        for (size_t i = 0; i < nLength; ++i)
            longText += static_cast<wchar_t>(L'a' + i % 26);
        AddRow({ L"A", L"A1", L"A2" }, 1);
        AddRow({ longText, L"B1", longText + L"!" }, 2);
        Select({ 1 });
        CListViewMoveItemsWrapper(m_hList).MoveUp();
        EXPECT_TRUE(longText == Cell(0, 0)) << nLength;
        EXPECT_TRUE(longText + L"!" == Cell(0, 2)) << nLength;
        EXPECT_EQ(L"A2", Cell(1, 2)) << nLength;
    }
}

TEST_F(ListViewMoverTest, SwappingWithARowPastTheEndChangesNothing)
{
    AddRows(L"AB");
    CListViewMoveItemsWrapper(m_hList).SwapItems(1, 2);
    CListViewMoveItemsWrapper(m_hList).SwapItems(-1, 0);
    EXPECT_EQ(L"AB", Order());
    ExpectRowsWhole(L"AB", L"AB");
}

TEST_F(ListViewMoverTest, TheMovedRowIsScrolledIntoView)
{
    std::wstring names;
    for (wchar_t ch = L'A'; ch < L'A' + 40; ++ch)
        names += ch;
    AddRows(names);
    ShowWindow(m_hParent, SW_SHOWNOACTIVATE);
    SendMessageW(m_hList, LVM_ENSUREVISIBLE, 39, FALSE);
    Select({ 3 });
    CListViewMoveItemsWrapper(m_hList).MoveUp();
    const int nTop = static_cast<int>(SendMessageW(m_hList, LVM_GETTOPINDEX, 0, 0));
    const int nPerPage = static_cast<int>(SendMessageW(m_hList, LVM_GETCOUNTPERPAGE, 0, 0));
    EXPECT_LE(nTop, 2);
    EXPECT_LT(2, nTop + nPerPage);
    EXPECT_EQ(2, Focused());
}
