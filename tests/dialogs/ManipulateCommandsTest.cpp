#include "EditorTestSupport.h"

#include "dialogs/CManipulateDialog.h"
#include "resources/resource.h"
#include "settings/CRecord.h"
#include "support/DialogAutomation.h"
#include "support/TempDir.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace testsupport;
using namespace editortest;

namespace {

using ManipulateCommandsTest = ListEditorTest;

std::wstring Tools(const std::vector<std::wstring>& names)
{
    std::wstring text = L"[tools]\r\ncount=" + std::to_wstring(names.size()) + L"\r\n";
    for (size_t n = 0; n < names.size(); ++n) {
        text += L"[tool" + std::to_wstring(n + 1) + L"]\r\nname=" + names[n] + L"\r\npath=C:\\Werkzeuge\\"
                + names[n] + L".ambtest\r\nshow=1\r\n";
    }
    return text;
}

const std::vector<std::wstring> kSix = { L"A", L"B", L"C", L"D", L"E", L"F" };

// A popup menu that opens on this thread: what it offers, and the keys that
// choose from it.
struct MenuVisit
{
    std::vector<UINT> keys;
    bool bSeen = false;
    std::vector<std::wstring> texts;
    std::map<UINT, bool> grayed;
};

thread_local MenuVisit* t_pMenuVisit = nullptr;

BOOL CALLBACK FindMenuWindow(HWND hWnd, LPARAM lParam)
{
    if (IsWindowVisible(hWnd) && ClassName(hWnd) == L"#32768") {
        *reinterpret_cast<HWND*>(lParam) = hWnd;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK VisitMenu(HWND, UINT, UINT_PTR idEvent, DWORD)
{
    HWND hMenuWnd = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindMenuWindow, reinterpret_cast<LPARAM>(&hMenuWnd));
    if (hMenuWnd == nullptr || t_pMenuVisit == nullptr)
        return;
    KillTimer(nullptr, idEvent);
    MenuVisit& visit = *t_pMenuVisit;
    visit.bSeen = true;
    HMENU hMenu = reinterpret_cast<HMENU>(SendMessageW(hMenuWnd, MN_GETHMENU, 0, 0));
    for (int nPos = 0; nPos < GetMenuItemCount(hMenu); ++nPos) {
        wchar_t szText[64] = {};
        GetMenuStringW(hMenu, static_cast<UINT>(nPos), szText, 64, MF_BYPOSITION);
        visit.texts.push_back(szText);
        const UINT nId = GetMenuItemID(hMenu, nPos);
        visit.grayed[nId] = (GetMenuState(hMenu, nId, MF_BYCOMMAND) & MF_GRAYED) != 0;
    }
    for (UINT nKey : visit.keys) {
        if (nKey == VK_RETURN)
            PostMessageW(hMenuWnd, WM_CHAR, L'\r', 0);
        else
            PostMessageW(hMenuWnd, WM_KEYDOWN, nKey, 0);
    }
}

// A right click on the list as the list reports it; the menu is then
// visited by the keys.
MenuVisit RightClick(HWND hDlg, const std::vector<UINT>& keys)
{
    MenuVisit visit;
    visit.keys = keys;
    t_pMenuVisit = &visit;
    const UINT_PTR idTimer = SetTimer(nullptr, 0, 20, VisitMenu);
    NMITEMACTIVATE notify = {};
    notify.hdr.hwndFrom = ListOf(hDlg);
    notify.hdr.idFrom = IDC_TOOL_LIST;
    notify.hdr.code = NM_RCLICK;
    notify.iItem = -1;
    SendMessageW(hDlg, WM_NOTIFY, IDC_TOOL_LIST, reinterpret_cast<LPARAM>(&notify));
    KillTimer(nullptr, idTimer);
    t_pMenuVisit = nullptr;
    return visit;
}

void DoubleClick(HWND hList, int nRow)
{
    RECT rc = {};
    GetClientRect(hList, &rc);
    POINT pt = { 5, rc.bottom - 3 };
    if (nRow >= 0) {
        rc.left = LVIR_BOUNDS;
        SendMessageW(hList, LVM_GETITEMRECT, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&rc));
        pt = { rc.left + 5, (rc.top + rc.bottom) / 2 };
    }
    SendMessageW(hList, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
}

int FocusedRow(HWND hList)
{
    return static_cast<int>(SendMessageW(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

bool IsRowFullyVisible(HWND hList, int nRow)
{
    RECT rcClient = {};
    GetClientRect(hList, &rcClient);
    RECT rcRow = {};
    rcRow.left = LVIR_BOUNDS;
    SendMessageW(hList, LVM_GETITEMRECT, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&rcRow));
    return rcRow.top >= 0 && rcRow.bottom <= rcClient.bottom;
}

void PressCtrl(HWND hDlg, UINT nKey)
{
    SetFocus(ListOf(hDlg));
    CCtrlHeld ctrl;
    TypeKey(hDlg, nKey);
}

} // namespace

TEST_F(ManipulateCommandsTest, ButtonsFollowTheSelection)
{
    struct Case { std::vector<int> rows; bool bUp; bool bDown; bool bEdit; bool bDelete; };
    const Case cases[] = {
        { {}, false, false, false, false },
        { { 0 }, false, true, true, true },
        { { 3 }, true, false, true, true },
        { { 1 }, true, true, true, true },
        { { 1, 2 }, true, true, false, true },
        { { 0, 2 }, false, true, false, true },
        { { 1, 3 }, true, false, false, true },
    };
    m_settings.Write(Tools({ L"A", L"B", L"C", L"D" }));
    Run({ { kEditorTitle, [&](HWND hDlg) {
        for (const Case& c : cases) {
            SelectRows(ListOf(hDlg), c.rows);
            SCOPED_TRACE(c.rows.size());
            EXPECT_EQ(c.bUp, IsEnabled(hDlg, IDC_MOVE_UP));
            EXPECT_EQ(c.bDown, IsEnabled(hDlg, IDC_MOVE_DOWN));
            EXPECT_EQ(c.bEdit, IsEnabled(hDlg, IDC_EDIT));
            EXPECT_EQ(c.bDelete, IsEnabled(hDlg, IDC_DELETE));
            for (int nId : { IDC_SEPARATOR, IDC_NEW, IDHELP, IDC_OPTIONS, IDCANCEL, IDC_SAVE })
                EXPECT_TRUE(IsEnabled(hDlg, nId));
        }
        // A focused button that loses its use hands the focus to the list.
        SelectRows(ListOf(hDlg), { 1 });
        SetFocus(GetDlgItem(hDlg, IDC_DELETE));
        SelectRows(ListOf(hDlg), {});
        EXPECT_EQ(ListOf(hDlg), GetFocus());
        ClickButton(hDlg, IDCANCEL);
    } } });
}

TEST_F(ManipulateCommandsTest, DoubleClickCreatesOnAnEmptySelectionAndEditsASingleOne)
{
    int nCreated = 0;
    int nEdited = 0;
    Run({ { kEditorTitle, [&](HWND hDlg) {
              HWND hList = ListOf(hDlg);
              DoubleClick(hList, -1);
              ASSERT_EQ(std::vector<std::wstring>{ L"Neu angelegt" }, ColumnTexts(hList, 0));
              EXPECT_EQ(std::vector<int>{ 0 }, SelectedRows(hList));
              DoubleClick(hList, 0);
              ClickButton(hDlg, IDC_SEPARATOR);
              SelectRows(hList, { 0, 1 });
              DoubleClick(hList, 0);
              ClickButton(hDlg, IDCANCEL);
          } },
          { L"Eintrag erstellen", [&](HWND hWnd) {
              ++nCreated;
              SetDlgItemTextW(hWnd, IDC_NAME, L"Neu angelegt");
              ClickButton(hWnd, IDC_CLOSE);
          } },
          { L"Eintrag bearbeiten", [&](HWND hWnd) {
              ++nEdited;
              EXPECT_EQ(L"Neu angelegt", ControlText(hWnd, IDC_NAME));
              ClickButton(hWnd, IDCANCEL);
          } } });
    EXPECT_EQ(1, nCreated);
    EXPECT_EQ(1, nEdited);
}

TEST_F(ManipulateCommandsTest, ContextMenuGraysByTheSelectionAndSelectsAllOrNone)
{
    m_settings.Write(Tools({ L"A", L"B", L"C" }));
    Run({ { kEditorTitle, [](HWND hDlg) {
        HWND hList = ListOf(hDlg);
        struct Case { std::vector<int> rows; bool bEditGrayed; bool bDeleteGrayed; };
        const Case cases[] = {
            { {}, true, true },
            { { 1 }, false, false },
            { { 0, 2 }, true, false },
        };
        for (const Case& c : cases) {
            SelectRows(hList, c.rows);
            const MenuVisit visit = RightClick(hDlg, { VK_ESCAPE });
            ASSERT_TRUE(visit.bSeen);
            EXPECT_EQ((std::vector<std::wstring>{ L"Neu", L"Bearbeiten", L"Löschen", L"", L"Alles auswählen",
                                                  L"Auswahl aufheben" }),
                      visit.texts);
            EXPECT_FALSE(visit.grayed.at(100));
            EXPECT_EQ(c.bEditGrayed, visit.grayed.at(200));
            EXPECT_EQ(c.bDeleteGrayed, visit.grayed.at(300));
            EXPECT_FALSE(visit.grayed.at(400));
            EXPECT_FALSE(visit.grayed.at(500));
            EXPECT_EQ(c.rows, SelectedRows(hList));
        }

        SelectRows(hList, { 1 });
        RightClick(hDlg, { VK_UP, VK_UP, VK_RETURN });
        EXPECT_EQ((std::vector<int>{ 0, 1, 2 }), SelectedRows(hList));
        const int nFocused = FocusedRow(hList);
        RightClick(hDlg, { VK_UP, VK_RETURN });
        EXPECT_EQ(std::vector<int>{}, SelectedRows(hList));
        EXPECT_EQ(nFocused, FocusedRow(hList));
        ClickButton(hDlg, IDCANCEL);
    } } });
}

TEST_F(ManipulateCommandsTest, ContextMenuNewOpensTheEntryEditor)
{
    bool bCreated = false;
    Run({ { kEditorTitle, [](HWND hDlg) {
              RightClick(hDlg, { VK_DOWN, VK_RETURN });
              ClickButton(hDlg, IDCANCEL);
          } },
          { L"Eintrag erstellen", [&](HWND hWnd) {
              bCreated = true;
              ClickButton(hWnd, IDCANCEL);
          } } });
    EXPECT_TRUE(bCreated);
}

TEST_F(ManipulateCommandsTest, DeleteKeyRemovesTheSelectedRowsAndKeepsTheSelectionInPlace)
{
    struct Case { std::vector<int> selected; std::vector<std::wstring> remaining; std::vector<int> selectedAfter; };
    const Case cases[] = {
        { { 2, 5 }, { L"A", L"B", L"D", L"E" }, { 2 } },
        { { 5 }, { L"A", L"B", L"C", L"D", L"E" }, { 4 } },
        { { 0, 1, 2, 3, 4, 5 }, {}, {} },
        { {}, kSix, {} },
    };
    for (const Case& c : cases) {
        m_settings.Write(Tools(kSix));
        Run({ { kEditorTitle, [&](HWND hDlg) {
            HWND hList = ListOf(hDlg);
            SelectRows(hList, c.selected);
            SetFocus(hList);
            TypeKey(hDlg, VK_DELETE);
            EXPECT_EQ(c.remaining, ColumnTexts(hList, 0));
            EXPECT_EQ(c.selectedAfter, SelectedRows(hList));
            ClickButton(hDlg, IDCANCEL);
        } } });
    }
}

TEST_F(ManipulateCommandsTest, DeleteButtonRemovesEverySelectedRowWithoutAQuestion)
{
    m_settings.Write(Tools(kSix));
    Run({ { kEditorTitle, [](HWND hDlg) {
        SelectRows(ListOf(hDlg), { 0, 3, 4 });
        ClickButton(hDlg, IDC_DELETE);
        EXPECT_EQ((std::vector<std::wstring>{ L"B", L"C", L"F" }), ColumnTexts(ListOf(hDlg), 0));
        ClickButton(hDlg, IDCANCEL);
    } } });
}

TEST_F(ManipulateCommandsTest, CtrlArrowsAndMoveButtonsMoveTheSelectionButNotPastTheEnds)
{
    struct Case { std::vector<int> selected; UINT nKey; int nButton; std::vector<std::wstring> order; };
    const Case cases[] = {
        { { 1, 2 }, VK_UP, IDC_MOVE_UP, { L"B", L"C", L"A", L"D", L"E", L"F" } },
        { { 1, 2 }, VK_DOWN, IDC_MOVE_DOWN, { L"A", L"D", L"B", L"C", L"E", L"F" } },
        { { 0, 3 }, VK_UP, 0, kSix },
        { { 2, 5 }, VK_DOWN, 0, kSix },
        { {}, VK_DOWN, 0, kSix },
    };
    for (const Case& c : cases) {
        for (bool bByButton : { false, true }) {
            if (bByButton && c.nButton == 0)
                continue;
            m_settings.Write(Tools(kSix));
            Run({ { kEditorTitle, [&](HWND hDlg) {
                HWND hList = ListOf(hDlg);
                SelectRows(hList, c.selected);
                if (bByButton)
                    ClickButton(hDlg, c.nButton);
                else
                    PressCtrl(hDlg, c.nKey);
                EXPECT_EQ(c.order, ColumnTexts(hList, 0)) << bByButton;
                EXPECT_EQ(c.selected.size(), SelectedRows(hList).size());
                ClickButton(hDlg, IDCANCEL);
            } } });
        }
    }
}

TEST_F(ManipulateCommandsTest, OtherCtrlKeysDoNothingInTheList)
{
    m_settings.Write(Tools(kSix));
    Run({ { kEditorTitle, [](HWND hDlg) {
        HWND hList = ListOf(hDlg);
        SelectRows(hList, { 2 });
        for (UINT nKey : { static_cast<UINT>('A'), static_cast<UINT>(VK_SPACE), static_cast<UINT>(VK_HOME) }) {
            PressCtrl(hDlg, nKey);
            EXPECT_EQ(std::vector<int>{ 2 }, SelectedRows(hList)) << nKey;
        }
        EXPECT_EQ(kSix, ColumnTexts(hList, 0));
        ClickButton(hDlg, IDCANCEL);
    } } });
}

TEST_F(ManipulateCommandsTest, SeparatorButtonAppendsASelectedVisibleSeparatorRow)
{
    std::vector<std::wstring> many;
    for (int n = 1; n <= 30; ++n)
        many.push_back(L"Werkzeug " + std::to_wstring(n));
    m_settings.Write(Tools(many));
    Run({ { kEditorTitle, [](HWND hDlg) {
        HWND hList = ListOf(hDlg);
        ClickButton(hDlg, IDC_SEPARATOR);
        ASSERT_EQ(31, SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0));
        EXPECT_EQ(L"@", CellText(hList, 30, 0));
        EXPECT_EQ(L"Separator", CellText(hList, 30, 1));
        EXPECT_EQ(L"", CellText(hList, 30, 2));
        EXPECT_EQ(std::vector<int>{ 30 }, SelectedRows(hList));
        EXPECT_EQ(30, FocusedRow(hList));
        EXPECT_TRUE(IsRowFullyVisible(hList, 30));
        const CRecord* pRecord = GetRowRecord(hList, 30);
        ASSERT_NE(nullptr, pRecord);
        EXPECT_STREQ(L"tool30", pRecord->m_strSection.GetData());
        EXPECT_EQ(-1, pRecord->m_nShow);
        EXPECT_EQ(-1, pRecord->m_nIconIndex);
        ClickButton(hDlg, IDCANCEL);
    } } });
}

TEST_F(ManipulateCommandsTest, DroppedFilesAreAppendedAndUnreadableShortcutsSkippedWithAMessage)
{
    CTempDir folder;
    const std::wstring first = folder.File(L"eins.ambtest");
    const std::wstring broken = folder.File(L"kaputt.lnk");
    const std::wstring third = folder.File(L"drei.ambtest2");
    for (const std::wstring& file : { first, third })
        ASSERT_TRUE(WriteFileBytes(file, "Inhalt"));
    ASSERT_TRUE(WriteFileBytes(broken, "keine Verknüpfung"));
    m_settings.Write(Tools({ L"A" }));
    std::wstring message;
    Run({ { kEditorTitle, [&](HWND hDlg) {
        HWND hList = ListOf(hDlg);
        SendMessageW(hDlg, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropHandle({ first, broken, third })), 0);
        EXPECT_EQ((std::vector<std::wstring>{ L"A", L"eins", L"drei" }), ColumnTexts(hList, 0));
        EXPECT_EQ((std::vector<std::wstring>{ L"Normal", L"Maximize", L"Maximize" }), ColumnTexts(hList, 1));
        EXPECT_EQ(L"Zweite Testdatei", CellText(hList, 2, 2));
        EXPECT_EQ(std::vector<int>{ 2 }, SelectedRows(hList));
        const CRecord* pRecord = GetRowRecord(hList, 2);
        ASSERT_NE(nullptr, pRecord);
        EXPECT_EQ(third, pRecord->m_strPath.GetData());
        ClickButton(hDlg, IDCANCEL);
    } },
          { L"Ambertille", [&](HWND hBox) {
              message = MessageBoxText(hBox);
              ClickButton(hBox, IDOK);
          } } });
    EXPECT_EQ(0u, message.find(L"Die Verknüpfung „" + broken + L"“ kann nicht gelesen werden.")) << message;
}

TEST_F(ManipulateCommandsTest, EditingUpdatesTheRowAtOnceAndKeepsItsSection)
{
    m_settings.Write(Tools({ L"A", L"B" }));
    Run({ { kEditorTitle, [](HWND hDlg) {
              HWND hList = ListOf(hDlg);
              SelectRows(hList, { 1 });
              ClickButton(hDlg, IDC_EDIT);
              EXPECT_EQ((std::vector<std::wstring>{ L"A", L"Bertha" }), ColumnTexts(hList, 0));
              EXPECT_EQ(L"Maximize", CellText(hList, 1, 1));
              EXPECT_EQ(L"Zweite Testdatei", CellText(hList, 1, 2));
              EXPECT_EQ(L"B\u00FCro", CellText(hList, 1, 3));
              const CRecord* pRecord = GetRowRecord(hList, 1);
              ASSERT_NE(nullptr, pRecord);
              EXPECT_STREQ(L"tool2", pRecord->m_strSection.GetData());
              EXPECT_STREQ(L"C:\\Werkzeuge\\bertha.ambtest2", pRecord->m_strPath.GetData());
              ClickButton(hDlg, IDCANCEL);
          } },
          { L"Eintrag bearbeiten", [](HWND hWnd) {
              EXPECT_EQ(L"B", ControlText(hWnd, IDC_NAME));
              SetDlgItemTextW(hWnd, IDC_NAME, L"Bertha");
              SetDlgItemTextW(hWnd, IDC_PATH, L"C:\\Werkzeuge\\bertha.ambtest2");
              SendDlgItemMessageW(hWnd, IDC_SHOW_MODE, CB_SETCURSEL, 3, 0);
              SetDlgItemTextW(hWnd, IDC_GROUP, L"B\u00FCro");
              ClickButton(hWnd, IDC_CLOSE);
          } } });
}

TEST_F(ManipulateCommandsTest, EnterEditsASingleSelectedRowOnly)
{
    int nEdited = 0;
    m_settings.Write(Tools({ L"A", L"B" }));
    Run({ { kEditorTitle, [](HWND hDlg) {
              HWND hList = ListOf(hDlg);
              SelectRows(hList, { 0 });
              SetFocus(hList);
              TypeKey(hDlg, VK_RETURN);
              EXPECT_EQ(L"Anna", CellText(hList, 0, 0));
              SelectRows(hList, { 0, 1 });
              TypeKey(hDlg, VK_RETURN);
              ClickButton(hDlg, IDCANCEL);
          } },
          { L"Eintrag bearbeiten", [&](HWND hWnd) {
              ++nEdited;
              SetDlgItemTextW(hWnd, IDC_NAME, L"Anna");
              ClickButton(hWnd, IDC_CLOSE);
          } } });
    EXPECT_EQ(1, nEdited);
}

TEST_F(ManipulateCommandsTest, TheRunAsFlagTravelsWithItsEntryThroughMovesEditsAndTheSave)
{
    std::wstring text = Tools({ L"A", L"B", L"C" });
    text.replace(text.find(L"[tool2]"), 7, L"runas=TRUE\r\n[tool2]");
    m_settings.Write(text);
    Run({ { kEditorTitle, [](HWND hDlg) {
              HWND hList = ListOf(hDlg);
              SelectRows(hList, { 0 });
              ClickButton(hDlg, IDC_MOVE_DOWN);  // B, A, C
              SelectRows(hList, { 2 });
              ClickButton(hDlg, IDC_EDIT);       // C gets the flag
              ClickButton(hDlg, IDC_SAVE);
          } },
          { L"Eintrag bearbeiten", [](HWND hWnd) {
              EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(hWnd, IDC_RUN_AS));
              ClickButton(hWnd, IDC_RUN_AS);
              ClickButton(hWnd, IDC_CLOSE);
          } } });
    EXPECT_EQ(L"B", m_settings.Read(L"tool1", L"name"));
    EXPECT_EQ(L"", m_settings.Read(L"tool1", L"runas"));
    EXPECT_EQ(L"A", m_settings.Read(L"tool2", L"name"));
    EXPECT_EQ(L"TRUE", m_settings.Read(L"tool2", L"runas"));
    EXPECT_EQ(L"C", m_settings.Read(L"tool3", L"name"));
    EXPECT_EQ(L"TRUE", m_settings.Read(L"tool3", L"runas"));
}
