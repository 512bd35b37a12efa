#include "EditorTestSupport.h"

#include "dialogs/CManipulateDialog.h"
#include "foundation/ScopedHandle.h"
#include "resources/resource.h"
#include "support/DialogAutomation.h"
#include "support/TextReport.h"
#include "support/TempDir.h"
#include "settings/CConfig.h"
#include "settings/CRecord.h"
#include "settings/DisplayOptions.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace testsupport;
using namespace editortest;

namespace {

const std::wstring kThreeTools =
    L"[tools]\r\ncount=3\r\nshortpath=FALSE\r\nsystemfont=TRUE\r\nicons=small\r\n"
    L"[tool1]\r\nname=Rechner\r\npath=C:\\Werkzeuge\\rechner.ambtest\r\nshow=1\r\niconindex=0\r\n"
    L"[tool2]\r\npath=C:\\Werkzeuge\\namenlos.ambtest\r\nshow=1\r\n"
    L"[tool3]\r\nname=Notizen\r\npath=C:\\Werkzeuge\\notizen.ambtest2\r\nshow=7\r\n"
    L"param=-neu\r\nworking=C:\\Werkzeuge\\\r\ndescription=Kleine Notizen\r\niconindex=2\r\ngroup=B\u00FCro\r\n";

using ManipulateDialogTest = ListEditorTest;

std::wstring ColumnHeader(HWND hList, int nColumn)
{
    wchar_t szText[64] = {};
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT;
    column.pszText = szText;
    column.cchTextMax = 64;
    SendMessageW(hList, LVM_GETCOLUMNW, static_cast<WPARAM>(nColumn), reinterpret_cast<LPARAM>(&column));
    return szText;
}

struct MenuEntry
{
    UINT nId;
    std::wstring text;
    bool operator==(const MenuEntry& other) const { return nId == other.nId && text == other.text; }
};

std::ostream& operator<<(std::ostream& os, const MenuEntry& entry)
{
    return os << entry.nId << " " << std::string(entry.text.begin(), entry.text.end());
}

// The entries just before the close item (the platform may add its own
// entries after it).
std::vector<MenuEntry> EntriesBeforeClose(HMENU hMenu, int nEntries)
{
    int nClose = 0;
    while (nClose < GetMenuItemCount(hMenu) && GetMenuItemID(hMenu, nClose) != SC_CLOSE)
        ++nClose;
    std::vector<MenuEntry> entries;
    for (int nPos = nClose - nEntries; nPos < nClose; ++nPos) {
        wchar_t szText[64] = {};
        GetMenuStringW(hMenu, static_cast<UINT>(nPos), szText, 64, MF_BYPOSITION);
        const bool bSeparator = (GetMenuState(hMenu, static_cast<UINT>(nPos), MF_BYPOSITION) & MF_SEPARATOR) != 0;
        entries.push_back({ bSeparator ? 0u : GetMenuItemID(hMenu, nPos), bSeparator ? L"-" : szText });
    }
    return entries;
}

} // namespace

TEST(EditorPlacement, GoesTenPixelsInsideTheCornerBesideTheTaskBar)
{
    struct Case { RECT rcWorkArea; RECT rcWindow; POINT ptExpected; };
    const Case cases[] = {
        // Task bar at the bottom (or right): bottom right corner.
        { { 0, 0, 1280, 994 }, { 0, 0, 410, 350 }, { 860, 634 } },
        { { 0, 0, 1280, 994 }, { 300, 200, 710, 550 }, { 860, 634 } },
        // Task bar at the top: top right.
        { { 0, 30, 1280, 1024 }, { 0, 0, 410, 350 }, { 860, 40 } },
        // Task bar at the left: bottom left.
        { { 60, 0, 1280, 1024 }, { 0, 0, 410, 350 }, { 70, 664 } },
        // Moved on both axes: the screen origin.
        { { 60, 30, 1280, 1024 }, { 0, 0, 410, 350 }, { 0, 0 } },
    };
    for (const Case& c : cases) {
        const POINT pt = PlaceInWorkAreaCorner(c.rcWindow, c.rcWorkArea);
        EXPECT_EQ(c.ptExpected.x, pt.x) << c.rcWorkArea.left << "," << c.rcWorkArea.top;
        EXPECT_EQ(c.ptExpected.y, pt.y) << c.rcWorkArea.left << "," << c.rcWorkArea.top;
    }
}

TEST_F(ManipulateDialogTest, OpensPlacedWithTheNamedToolsOfTheFileInFourColumns)
{
    m_settings.Write(kThreeTools);
    const int nResult = Run({ { kEditorTitle, [](HWND hDlg) {
        HWND hList = ListOf(hDlg);
        EXPECT_EQ(L"Programmname", ColumnHeader(hList, 0));
        EXPECT_EQ(L"Anzeige", ColumnHeader(hList, 1));
        EXPECT_EQ(L"Typ", ColumnHeader(hList, 2));
        EXPECT_EQ(L"Gruppe", ColumnHeader(hList, 3));
        EXPECT_EQ((std::vector<std::wstring>{ L"Rechner", L"Notizen" }), ColumnTexts(hList, 0));
        EXPECT_EQ((std::vector<std::wstring>{ L"Normal", L"Minimize" }), ColumnTexts(hList, 1));
        EXPECT_EQ((std::vector<std::wstring>{ L"Ambertille-Testdatei", L"Zweite Testdatei" }), ColumnTexts(hList, 2));
        EXPECT_EQ((std::vector<std::wstring>{ L"", L"B\u00FCro" }), ColumnTexts(hList, 3));
        EXPECT_EQ(std::vector<int>{ 0 }, SelectedRows(hList));
        EXPECT_EQ(0, SendMessageW(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));

        const CRecord* pNotes = GetRowRecord(hList, 1);
        ASSERT_NE(nullptr, pNotes);
        EXPECT_STREQ(L"tool3", pNotes->m_strSection.GetData());
        EXPECT_STREQ(L"-neu", pNotes->m_strParam.GetData());
        EXPECT_STREQ(L"Kleine Notizen", pNotes->m_strDescription.GetData());
        EXPECT_EQ(2, pNotes->m_nIconIndex);

        RECT rcWindow = {};
        RECT rcWorkArea = {};
        GetWindowRect(hDlg, &rcWindow);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWorkArea, 0);
        const POINT ptCorner = PlaceInWorkAreaCorner(rcWindow, rcWorkArea);
        EXPECT_EQ(ptCorner.x, rcWindow.left);
        EXPECT_EQ(ptCorner.y, rcWindow.top);
        ClickButton(hDlg, IDCANCEL);
    } } });
    EXPECT_EQ(2, nResult);
}

TEST_F(ManipulateDialogTest, OpensEmptyWithoutAFileOrAUsableCount)
{
    for (const wchar_t* pszFile : { static_cast<const wchar_t*>(nullptr), L"[tools]\r\ncount=-1\r\n[tool1]\r\nname=x\r\n",
                                    L"[tools]\r\ncount=0\r\n[tool1]\r\nname=x\r\n" }) {
        DeleteFileW(m_settings.Path().c_str());
        if (pszFile != nullptr)
            m_settings.Write(pszFile);
        Run({ { kEditorTitle, [](HWND hDlg) {
            EXPECT_EQ(0, SendMessageW(ListOf(hDlg), LVM_GETITEMCOUNT, 0, 0));
            for (int nId : { IDC_MOVE_UP, IDC_MOVE_DOWN, IDC_EDIT, IDC_DELETE })
                EXPECT_FALSE(IsEnabled(hDlg, nId)) << nId;
            TypeKey(hDlg, VK_ESCAPE);
        } } });
    }
}

TEST_F(ManipulateDialogTest, SystemMenuOffersUsageAndAboutBeforeTheCloseItem)
{
    bool bAbout = false;
    bool bUsage = false;
    Run({ { kEditorTitle, [](HWND hDlg) {
              HMENU hMenu = GetSystemMenu(hDlg, FALSE);
              EXPECT_EQ((std::vector<MenuEntry>{ { IDM_USAGE, L"Aufruf ..." }, { IDM_ABOUT, L"Über ..." },
                                                 { 0, L"-" } }),
                        EntriesBeforeClose(hMenu, 3));
              SendMessageW(hDlg, WM_SYSCOMMAND, IDM_ABOUT, 0);
              SendMessageW(hDlg, WM_SYSCOMMAND, IDM_USAGE, 0);
              ClickButton(hDlg, IDCANCEL);
          } },
          // The test program carries no product name for the About box.
          { L"Über ", [&](HWND hWnd) {
              bAbout = true;
              PostMessageW(hWnd, WM_COMMAND, IDCANCEL, 0);
          } },
          { L"Ambertille - Aufrufparameter", [&](HWND hWnd) {
              bUsage = true;
              PostMessageW(hWnd, WM_COMMAND, IDCANCEL, 0);
          } } });
    EXPECT_TRUE(bAbout);
    EXPECT_TRUE(bUsage);
}

TEST_F(ManipulateDialogTest, SaveWritesTheRowsInListOrderAndEndsWithOne)
{
    m_settings.Write(kThreeTools);
    const int nResult = Run({ { kEditorTitle, [](HWND hDlg) {
        ClickButton(hDlg, IDC_SEPARATOR);
        ClickButton(hDlg, IDC_SAVE);
    } } });
    EXPECT_EQ(1, nResult);
    EXPECT_EQ(L"3", m_settings.Read(L"tools", L"count"));
    EXPECT_EQ(L"Rechner", m_settings.Read(L"tool1", L"name"));
    EXPECT_EQ(L"Notizen", m_settings.Read(L"tool2", L"name"));
    EXPECT_EQ(L"Kleine Notizen", m_settings.Read(L"tool2", L"description"));
    EXPECT_EQ(L"7", m_settings.Read(L"tool2", L"show"));
    EXPECT_EQ(L"@", m_settings.Read(L"tool3", L"name"));
    EXPECT_EQ(L"-1", m_settings.Read(L"tool3", L"show"));
    EXPECT_EQ(L"-1", m_settings.Read(L"tool3", L"iconindex"));
    EXPECT_EQ(L"", m_settings.Read(L"tool3", L"path"));
}

TEST_F(ManipulateDialogTest, SaveOfAnEmptyListWritesCountZero)
{
    m_settings.Write(L"[tools]\r\ncount=1\r\n[tool1]\r\nname=Weg\r\n");
    const int nResult = Run({ { kEditorTitle, [](HWND hDlg) {
        ClickButton(hDlg, IDC_DELETE);
        ClickButton(hDlg, IDC_SAVE);
    } } });
    EXPECT_EQ(1, nResult);
    EXPECT_EQ(L"0", m_settings.Read(L"tools", L"count"));
    EXPECT_EQ(L"", m_settings.Read(L"tool1", L"name"));
}

// Rows that differ from what was read are dropped only after a question;
// a change undone, or an entry closed as it was, is none.
TEST_F(ManipulateDialogTest, CancelAsksBeforeItDropsChangedRows)
{
    CTempDir folder;
    const std::wstring dropped = folder.File(L"neu.ambtest");
    ASSERT_TRUE(WriteFileBytes(dropped, "Inhalt"));
    std::wstring renameTo;
    const struct
    {
        const char* pszChange;
        std::function<void(HWND)> change;
        bool bAsks;
    } changes[] = {
        { "none", [](HWND) {}, false },
        { "separator", [](HWND hDlg) { ClickButton(hDlg, IDC_SEPARATOR); }, true },
        { "delete", [](HWND hDlg) { ClickButton(hDlg, IDC_DELETE); }, true },
        { "move", [](HWND hDlg) { ClickButton(hDlg, IDC_MOVE_DOWN); }, true },
        { "move and back", [](HWND hDlg) {
              ClickButton(hDlg, IDC_MOVE_DOWN);
              ClickButton(hDlg, IDC_MOVE_UP);
          }, false },
        { "new entry", [](HWND hDlg) { ClickButton(hDlg, IDC_NEW); }, true },
        { "edit", [&](HWND hDlg) {
              renameTo = L"Umbenannt";
              ClickButton(hDlg, IDC_EDIT);
          }, true },
        { "edit closed as it was", [&](HWND hDlg) {
              renameTo.clear();
              ClickButton(hDlg, IDC_EDIT);
          }, false },
        { "drop", [&](HWND hDlg) {
              SendMessageW(hDlg, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropHandle({ dropped })), 0);
          }, true },
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.pszChange);
        m_settings.Write(kThreeTools);
        const std::string before = m_settings.Bytes();
        m_nDiscardQuestions = 0;
        const int nResult = Run({ { kEditorTitle, [&](HWND hDlg) {
                                       c.change(hDlg);
                                       ClickButton(hDlg, IDCANCEL);
                                   } },
                                  { L"Eintrag erstellen", [](HWND hWnd) {
                                       SetDlgItemTextW(hWnd, IDC_NAME, L"Neu");
                                       ClickButton(hWnd, IDC_CLOSE);
                                   } },
                                  { L"Eintrag bearbeiten", [&](HWND hWnd) {
                                       if (!renameTo.empty())
                                           SetDlgItemTextW(hWnd, IDC_NAME, renameTo.c_str());
                                       ClickButton(hWnd, IDC_CLOSE);
                                   } } });
        EXPECT_EQ(2, nResult);
        EXPECT_EQ(c.bAsks ? 1 : 0, m_nDiscardQuestions);
        EXPECT_EQ(before, m_settings.Bytes());
    }
}

// "Nein" keeps the editor open with its rows, to be saved; Esc and the
// close box ask as "Abbrechen" does.
TEST_F(ManipulateDialogTest, NoToTheQuestionKeepsTheChangedRows)
{
    for (const auto& way : CancelWays()) {
        SCOPED_TRACE(way.pszWay);
        m_settings.Write(kThreeTools);
        m_nDiscardQuestions = 0;
        m_nDiscardAnswer = IDNO;
        std::vector<std::wstring> rows;
        const int nResult = Run({ { kEditorTitle, [&](HWND hDlg) {
            ClickButton(hDlg, IDC_SEPARATOR);
            way.cancel(hDlg);
            rows = ColumnTexts(ListOf(hDlg), 0);
            ClickButton(hDlg, IDC_SAVE);
        } } });
        EXPECT_EQ(1, m_nDiscardQuestions);
        EXPECT_EQ((std::vector<std::wstring>{ L"Rechner", L"Notizen", L"@" }), rows);
        EXPECT_EQ(1, nResult);
        EXPECT_EQ(L"@", m_settings.Read(L"tool3", L"name"));
    }
}

// The question comes with the editor's title as its caption. The editor
// takes over what the options dialog hands back, so they are the
// program's options from then on.
TEST_F(ManipulateDialogTest, CancelAfterConfirmedOptionsAsksAndSavesTheOptionsAlone)
{
    const SDisplayOptions saved = GetDisplayOptions();
    for (int nAnswer : { IDNO, IDYES }) {
        SCOPED_TRACE(nAnswer);
        m_settings.Write(kThreeTools);
        const std::string before = m_settings.Bytes();
        std::wstring question;
        const int nResult = Run({ { kEditorTitle, [&](HWND hWnd) {
                                       if (AnswerMessageBox(hWnd, nAnswer, &question))
                                           return;
                                       ClickButton(hWnd, IDC_SEPARATOR);
                                       ClickButton(hWnd, IDC_OPTIONS);
                                       ClickButton(hWnd, IDCANCEL);
                                   } },
                                  { L"Optionen ändern", [](HWND hWnd) {
                                       CheckDlgButton(hWnd, IDC_LARGE_ICONS, BST_CHECKED);
                                       ClickButton(hWnd, IDC_CLOSE);
                                   } } });
        const bool bLargeIcons = g_bLargeIcons;
        SetDisplayOptions(saved);
        EXPECT_EQ(2, nResult);
        EXPECT_EQ(L"Soll die Änderung der Optionen gespeichert werden?", question);
        EXPECT_TRUE(bLargeIcons);
        if (nAnswer == IDNO) {
            EXPECT_EQ(before, m_settings.Bytes());
            continue;
        }
        EXPECT_EQ(L"large", m_settings.Read(L"tools", L"icons"));
        EXPECT_NE(L"", m_settings.Read(L"font", L"size"));
        EXPECT_EQ(L"3", m_settings.Read(L"tools", L"count"));
        EXPECT_EQ(L"", m_settings.Read(L"tool2", L"name"));
        EXPECT_EQ(L"Notizen", m_settings.Read(L"tool3", L"name"));
        EXPECT_EQ(L"", m_settings.Read(L"tool4", L"name"));
    }
}

// A list that cannot be read (another program holds the file) is not
// opened: an editor on it would save an empty list. The user may try again
// once the file is free, or give up, and nothing is written.
TEST_F(ManipulateDialogTest, ALockedListOpensOnlyOnceItCanBeRead)
{
    for (int nAnswer : { IDCANCEL, IDRETRY }) {
        SCOPED_TRACE(nAnswer == IDRETRY ? "retry" : "cancel");
        m_settings.Write(kThreeTools);
        const std::string before = m_settings.Bytes();
        tessvald::CFileHandle lock(
            CreateFileW(m_settings.Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(lock);
        std::wstring message;
        std::vector<std::wstring> rows;
        const int nResult = Run({ { L"Ambertille", [&](HWND hBox) {
                                       message = MessageBoxText(hBox);
                                       lock.Reset();
                                       ClickButton(hBox, nAnswer);
                                   } },
                                  { kEditorTitle, [&](HWND hDlg) {
                                       rows = ColumnTexts(ListOf(hDlg), 0);
                                       ClickButton(hDlg, IDC_SAVE);
                                   } } });
        EXPECT_EQ(0u, message.find(L"Die Programmliste kann gerade nicht gelesen werden")) << Narrow(message);
        if (nAnswer == IDCANCEL) {
            EXPECT_EQ(2, nResult);
            EXPECT_TRUE(rows.empty()) << "the editor opened";
            EXPECT_EQ(before, m_settings.Bytes());
            continue;
        }
        EXPECT_EQ(1, nResult);
        EXPECT_EQ((std::vector<std::wstring>{ L"Rechner", L"Notizen" }), rows);
    }
}

// Edits made to the file while the editor is open are judged by the bytes
// and overwritten only when the user says so; "Nein" saves nothing and
// leaves the editor open (it ends only with the "Abbrechen" that follows).
TEST_F(ManipulateDialogTest, OutsideEditsAreOverwrittenOnlyWhenTheUserSaysSo)
{
    for (int nAnswer : { IDNO, IDYES }) {
        SCOPED_TRACE(nAnswer == IDYES ? "yes" : "no");
        m_settings.Write(kThreeTools);
        std::wstring question;
        const int nResult = Run({ { kEditorTitle, [&](HWND hWnd) {
            if (AnswerMessageBox(hWnd, nAnswer, &question))
                return;
            m_settings.Write(L"[tools]\r\ncount=1\r\n[tool1]\r\nname=Drau\u00DFen\r\n");
            ClickButton(hWnd, IDC_SAVE);
            if (nAnswer == IDNO)
                ClickButton(hWnd, IDCANCEL);
        } } });
        EXPECT_NE(std::wstring::npos, question.find(L"au\u00DFerhalb")) << Narrow(question);
        EXPECT_EQ(nAnswer == IDYES ? 1 : 2, nResult);
        EXPECT_EQ(nAnswer == IDYES ? L"Rechner" : L"Drau\u00DFen", m_settings.Read(L"tool1", L"name"));
    }
}

// The ways a save is refused: a read-only settings file (a write-protected
// stick), a file that another program holds open, a folder that is gone.
enum class Refusal { ReadOnly, Locked, FolderGone };

class CRefusedSave
{
public:
    CRefusedSave(const CSettingsScope& settings, Refusal refusal)
        : m_hLock(INVALID_HANDLE_VALUE), m_missing(settings.Folder().File(L"fehlt\\ambertille.ini")),
          m_refusal(refusal)
    {
        if (refusal == Refusal::ReadOnly)
            SetFileAttributesW(settings.Path().c_str(), FILE_ATTRIBUTE_READONLY);
        if (refusal == Refusal::Locked)
            m_hLock = CreateFileW(settings.Path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                 nullptr);
        if (refusal == Refusal::FolderGone)
            g_config.SetFileName(m_missing.c_str());
    }
    CRefusedSave(const CRefusedSave&) = delete;
    CRefusedSave& operator=(const CRefusedSave&) = delete;
    virtual ~CRefusedSave()
    {
        if (m_hLock != INVALID_HANDLE_VALUE)
            CloseHandle(m_hLock);
    }

    // The rows that the editor shows for the three tools of the file.
    std::vector<std::wstring> Rows() const
    {
        return m_refusal == Refusal::FolderGone ? std::vector<std::wstring>{}
                                                : std::vector<std::wstring>{ L"Rechner", L"Notizen" };
    }
    bool LeftNothingBehind() const { return !FileExists(m_missing); }

private:
    HANDLE m_hLock;
    std::wstring m_missing;
    Refusal m_refusal;
};

TEST_F(ManipulateDialogTest, AFailedSaveShowsTheErrorAndKeepsTheEditorWithItsRows)
{
    for (Refusal refusal : { Refusal::ReadOnly, Refusal::Locked, Refusal::FolderGone }) {
        SCOPED_TRACE(static_cast<int>(refusal));
        m_settings.Write(kThreeTools);
        const std::string before = m_settings.Bytes();
        CRefusedSave refused(m_settings, refusal);
        std::wstring error;
        std::vector<std::wstring> rowsAfter;
        bool bOpenAfter = false;
        const int nResult = Run({ { kEditorTitle, [&](HWND hDlg) {
                                       ClickButton(hDlg, IDC_SEPARATOR);
                                       ClickButton(hDlg, IDC_SAVE);
                                       bOpenAfter = IsWindowVisible(hDlg) != FALSE;
                                       rowsAfter = ColumnTexts(ListOf(hDlg), 0);
                                       ClickButton(hDlg, IDCANCEL);
                                   } },
                                  { L"Ambertille", [&](HWND hBox) {
                                       error = MessageBoxText(hBox);
                                       ClickButton(hBox, IDOK);
                                   } } });
        EXPECT_EQ(2, nResult);
        EXPECT_EQ(0u, error.find(L"Die Programmliste konnte nicht gespeichert werden!"));
        EXPECT_TRUE(bOpenAfter);
        std::vector<std::wstring> rows = refused.Rows();
        rows.push_back(L"@");
        EXPECT_EQ(rows, rowsAfter);
        EXPECT_TRUE(refused.LeftNothingBehind());
        g_config.SetFileName(m_settings.Path().c_str());
        SetFileAttributesW(m_settings.Path().c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(before, m_settings.Bytes());
    }
}

TEST_F(ManipulateDialogTest, AFailedOptionsSaveIsShownBeforeTheEditorEnds)
{
    for (Refusal refusal : { Refusal::Locked, Refusal::FolderGone }) {
        SCOPED_TRACE(static_cast<int>(refusal));
        m_settings.Write(kThreeTools);
        const std::string before = m_settings.Bytes();
        CRefusedSave refused(m_settings, refusal);
        std::wstring error;
        const int nResult = Run({ { kEditorTitle, [&](HWND hWnd) {
                                       if (AnswerMessageBox(hWnd, IDYES))
                                           return;
                                       ClickButton(hWnd, IDC_OPTIONS);
                                       ClickButton(hWnd, IDCANCEL);
                                   } },
                                  { L"Optionen ändern", [](HWND hWnd) { ClickButton(hWnd, IDC_CLOSE); } },
                                  { L"Ambertille", [&](HWND hBox) {
                                       error = MessageBoxText(hBox);
                                       ClickButton(hBox, IDOK);
                                   } } });
        EXPECT_EQ(2, nResult);
        EXPECT_EQ(0u, error.find(L"Die Optionen konnten nicht gespeichert werden!"));
        EXPECT_TRUE(refused.LeftNothingBehind());
        g_config.SetFileName(m_settings.Path().c_str());
        EXPECT_EQ(before, m_settings.Bytes());
    }
}

// The entry editor's drop-down offers the groups of the other rows, each
// before its subgroups, in list order and spelled as first met, as the
// tools menu shows them.
TEST_F(ManipulateDialogTest, TheEntryEditorOffersTheGroupsOfTheOtherRows)
{
    m_settings.Write(L"[tools]\r\ncount=5\r\n"
                     L"[tool1]\r\nname=A\r\ngroup=B\u00FCro\\Tabellen\r\n"
                     L"[tool2]\r\nname=B\r\n"
                     L"[tool3]\r\nname=C\r\ngroup= B\u00DCRO \\\\ Text \\\r\n"
                     L"[tool4]\r\nname=D\r\ngroup=Spiele\r\n"
                     L"[tool5]\r\nname=E\r\ngroup=b\u00FCro\\tabellen\r\n");
    const struct
    {
        const char* pszCase;
        int nRow;  // -1: a new entry
        std::vector<std::wstring> offered;
    } cases[] = {
        { "a new entry", -1, { L"B\u00FCro", L"B\u00FCro\\Tabellen", L"B\u00FCro\\Text", L"Spiele" } },
        { "the only one of its group", 3, { L"B\u00FCro", L"B\u00FCro\\Tabellen", L"B\u00FCro\\Text" } },
        { "the first of its group", 0, { L"B\u00DCRO", L"B\u00DCRO\\Text", L"Spiele", L"B\u00DCRO\\tabellen" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        std::vector<std::wstring> offered;
        const WindowHandler readOffer = [&](HWND hWnd) {
            offered = ComboTexts(hWnd, IDC_GROUP);
            TypeKey(hWnd, VK_ESCAPE);
        };
        Run({ { kEditorTitle, [&](HWND hDlg) {
                  if (c.nRow >= 0) {
                      SelectRows(ListOf(hDlg), { c.nRow });
                      ClickButton(hDlg, IDC_EDIT);
                  } else {
                      ClickButton(hDlg, IDC_NEW);
                  }
                  ClickButton(hDlg, IDCANCEL);
              } },
              { L"Eintrag bearbeiten", readOffer },
              { L"Eintrag erstellen", readOffer } });
        EXPECT_EQ(c.offered, offered);
    }
}

