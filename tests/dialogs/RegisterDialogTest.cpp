#include "EditorTestSupport.h"

#include "dialogs/CRegisterDialog.h"
#include "resources/resource.h"
#include "settings/CRecord.h"
#include "support/DialogAutomation.h"
#include "support/HungShare.h"
#include "support/Shortcut.h"
#include "support/TempDir.h"
#include "support/Wine.h"

#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace testsupport;
using namespace editortest;

namespace {

// Ids of the file dialog's name field and its open button.
constexpr int kFileNameField = 0x47C;

const int kFieldIds[] = { IDC_NAME, IDC_PATH, IDC_PARAM, IDC_WORKING, IDC_DESCRIPTION, IDC_ICON_FILE };

class RegisterDialogTest : public ::testing::Test
{
protected:
    // Runs the editor; the handler acts on it once it is up. Windows it
    // opens itself (the file chooser) go to onOther.
    int Run(const CRecord* pRecord, const std::function<void(HWND)>& onEditor,
            const std::function<void(HWND)>& onOther = nullptr)
    {
        HWND hEditor = nullptr;
        CDialogAutomation automation([&](HWND hWnd) {
            if (hEditor == nullptr) {
                hEditor = hWnd;
                onEditor(hWnd);
            } else if (onOther) {
                onOther(hWnd);
            } else {
                ADD_FAILURE() << "unexpected window " << std::string(WindowText(hWnd).begin(), WindowText(hWnd).end());
                PostMessageW(hWnd, WM_CLOSE, 0, 0);
            }
        });
        const int nResult = m_editor.DoModal(GetModuleHandleW(nullptr), nullptr, pRecord,
                                             pRecord != nullptr ? L"Eintrag bearbeiten" : L"Eintrag erstellen");
        EXPECT_FALSE(automation.TimedOut());
        return nResult;
    }

    CRegisterDialog m_editor;
};

CRecord MakeRecord(const wchar_t* pszName, const wchar_t* pszIconFile = L"", LONG nIconIndex = 0)
{
    CRecord record;
    record.SetSection(L"tool%lu", 4ul);
    record.SetName(pszName);
    record.SetPath(L"C:\\Programme\\Werkzeug\\werkzeug.exe");
    record.SetParam(L"-a b");
    record.SetWorking(L"C:\\Programme\\Werkzeug\\");
    record.SetDescription(L"Ein Werkzeug");
    record.SetIconFile(pszIconFile);
    record.SetShow(1);
    record.SetIconIndex(nIconIndex);
    return record;
}

LRESULT SelectedShowRow(HWND hDlg)
{
    return SendDlgItemMessageW(hDlg, IDC_SHOW_MODE, CB_GETCURSEL, 0, 0);
}

HICON PreviewIcon(HWND hDlg)
{
    return reinterpret_cast<HICON>(SendDlgItemMessageW(hDlg, IDC_ICON_PREVIEW, STM_GETICON, 0, 0));
}

std::vector<std::wstring> PickerLabels(HWND hDlg)
{
    return { ControlText(hDlg, IDC_ICON_COUNT), ControlText(hDlg, IDC_ICON_POSITION),
             ControlText(hDlg, IDC_ICON_RESOURCE) };
}

// A click on the up-down's upper arrow, which counts up.
void ClickSpinUp(HWND hDlg)
{
    HWND hSpin = GetDlgItem(hDlg, IDC_ICON_SPIN);
    RECT rc = {};
    GetClientRect(hSpin, &rc);
    const LPARAM nPoint = MAKELPARAM(rc.right / 2, rc.bottom / 4);
    SendMessageW(hSpin, WM_LBUTTONDOWN, MK_LBUTTON, nPoint);
    SendMessageW(hSpin, WM_LBUTTONUP, 0, nPoint);
}

void ChooseFile(HWND hChooser, const std::wstring& path)
{
    SetDlgItemTextW(hChooser, kFileNameField, path.c_str());
    ClickButton(hChooser, IDOK);
}

std::vector<std::wstring> FieldTexts(HWND hDlg)
{
    std::vector<std::wstring> texts;
    for (int nId : kFieldIds)
        texts.push_back(ControlText(hDlg, nId));
    return texts;
}

std::wstring ModuleWithThreeGroups(const CTempDir& folder)
{
    const std::wstring path = folder.File(L"icons3.dll");
    EXPECT_TRUE(WriteIconModule(path, { { L"ZETA", RGB(200, 0, 0) },
                                        { MAKEINTRESOURCEW(7), RGB(0, 160, 0) },
                                        { MAKEINTRESOURCEW(9), RGB(0, 0, 200) } }));
    return path;
}

} // namespace

TEST_F(RegisterDialogTest, NewEntryStartsEmptyWithMaximizeAndAnIdlePicker)
{
    const int nResult = Run(nullptr, [](HWND hDlg) {
        EXPECT_EQ(L"Eintrag erstellen", WindowText(hDlg));
        for (const std::wstring& text : FieldTexts(hDlg))
            EXPECT_EQ(L"", text);
        EXPECT_EQ((std::vector<std::wstring>{ L"Default", L"Normal", L"Minimize", L"Maximize" }),
                  ComboTexts(hDlg, IDC_SHOW_MODE));
        EXPECT_EQ(3, SelectedShowRow(hDlg));
        EXPECT_EQ(nullptr, PreviewIcon(hDlg));
        EXPECT_EQ((std::vector<std::wstring>{ L"", L"", L"" }), PickerLabels(hDlg));
        EXPECT_FALSE(IsEnabled(hDlg, IDC_ICON_SPIN));
        EXPECT_TRUE(IsEnabled(hDlg, IDC_NAME));
        EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(hDlg, IDC_SEPARATOR_TOGGLE));
        TypeKey(hDlg, VK_ESCAPE);
    });
    EXPECT_EQ(2, nResult);
}

TEST_F(RegisterDialogTest, SeparatorModeDisablesTheFieldsAndAcceptStoresABareSeparator)
{
    for (const wchar_t* pszName : { L"@", L"- Werkzeuge -" }) {
        SCOPED_TRACE(std::string(pszName, pszName + wcslen(pszName)));
        CRecord separator = MakeRecord(pszName);
        separator.SetRunAs(true);
        const int nResult = Run(&separator, [](HWND hDlg) {
            EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(hDlg, IDC_SEPARATOR_TOGGLE));
            for (int nId : { IDC_NAME, IDC_PATH, IDC_BROWSE, IDC_SUBMENU, IDC_SHOW_MODE, IDC_PARAM, IDC_WORKING,
                             IDC_RUN_AS, IDC_DESCRIPTION, IDC_ICON_FILE, IDC_ICON_SPIN, IDC_ICON_PREVIEW })
                EXPECT_FALSE(IsEnabled(hDlg, nId)) << nId;
            // A separator line stands in a group like any entry.
            for (int nId : { IDCANCEL, IDC_CLOSE, IDC_SEPARATOR_TOGGLE, IDC_GROUP })
                EXPECT_TRUE(IsEnabled(hDlg, nId)) << nId;
            // The fields still show the old texts; accepting ignores them.
            EXPECT_EQ(L"-a b", ControlText(hDlg, IDC_PARAM));
            ClickButton(hDlg, IDC_CLOSE);
        });
        ASSERT_EQ(1, nResult);
        const CRecord& result = m_editor.GetRecord();
        EXPECT_STREQ(L"@", result.m_strName.GetData());
        EXPECT_EQ(-1, result.m_nShow);
        EXPECT_EQ(-1, result.m_nIconIndex);
        EXPECT_FALSE(result.m_bRunAs) << "a separator starts nothing";
        for (const auto* pText : { &result.m_strSection, &result.m_strPath, &result.m_strParam,
                                   &result.m_strWorking, &result.m_strDescription, &result.m_strIconFile })
            EXPECT_STREQ(L"", pText->GetData());
    }
}

TEST_F(RegisterDialogTest, TurningTheSeparatorOffEnablesEverythingAndLeavesNoShowMode)
{
    CRecord separator;
    separator.SetName(L"@");
    separator.SetShow(-1);
    separator.SetIconIndex(-1);
    const int nResult = Run(&separator, [](HWND hDlg) {
        EXPECT_EQ(CB_ERR, SelectedShowRow(hDlg));
        ClickButton(hDlg, IDC_SEPARATOR_TOGGLE);
        EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(hDlg, IDC_SEPARATOR_TOGGLE));
        // All but the box for a folder's content: the path is empty.
        for (HWND hChild = GetWindow(hDlg, GW_CHILD); hChild != nullptr; hChild = GetWindow(hChild, GW_HWNDNEXT))
            EXPECT_EQ(GetDlgCtrlID(hChild) != IDC_SUBMENU, IsWindowEnabled(hChild) != FALSE) << GetDlgCtrlID(hChild);
        SetDlgItemTextW(hDlg, IDC_NAME, L"Kein Trenner mehr");
        ClickButton(hDlg, IDC_CLOSE);
    });
    ASSERT_EQ(1, nResult);
    EXPECT_STREQ(L"Kein Trenner mehr", m_editor.GetRecord().m_strName.GetData());
    EXPECT_EQ(-1, m_editor.GetRecord().m_nShow);
}

TEST_F(RegisterDialogTest, AcceptStoresEveryFieldAsTypedWithoutTheSection)
{
    CTempDir folder;
    const std::wstring module = ModuleWithThreeGroups(folder);
    const CRecord record = MakeRecord(L"Alt", module.c_str(), 2);
    const int nResult = Run(&record, [](HWND hDlg) {
        SetDlgItemTextW(hDlg, IDC_NAME, L"  Neuer Name ");
        SetDlgItemTextW(hDlg, IDC_PATH, L"%SystemRoot%\\notepad.exe");
        SetDlgItemTextW(hDlg, IDC_PARAM, L"\"C:\\Mit Leerzeichen\\x.txt\"");
        SetDlgItemTextW(hDlg, IDC_WORKING, L"");
        SetDlgItemTextW(hDlg, IDC_DESCRIPTION, std::wstring(1500, L'b').c_str());
        SendDlgItemMessageW(hDlg, IDC_SHOW_MODE, CB_SETCURSEL, 2, 0);
        ClickButton(hDlg, IDC_CLOSE);
    });
    ASSERT_EQ(1, nResult);
    const CRecord& result = m_editor.GetRecord();
    EXPECT_STREQ(L"", result.m_strSection.GetData());
    EXPECT_STREQ(L"  Neuer Name ", result.m_strName.GetData());
    EXPECT_STREQ(L"%SystemRoot%\\notepad.exe", result.m_strPath.GetData());
    EXPECT_STREQ(L"\"C:\\Mit Leerzeichen\\x.txt\"", result.m_strParam.GetData());
    EXPECT_STREQ(L"", result.m_strWorking.GetData());
    EXPECT_EQ(std::wstring(1500, L'b'), result.m_strDescription.GetData());
    EXPECT_EQ(module, result.m_strIconFile.GetData());
    EXPECT_EQ(7, result.m_nShow);
    EXPECT_EQ(2, result.m_nIconIndex);
}

TEST_F(RegisterDialogTest, BrowsingToAShortcutFillsEveryFieldFromIt)
{
    CTempDir folder;
    const std::wstring module = ModuleWithThreeGroups(folder);
    const std::wstring target = ExeFolder() + L"\\winpoke.exe";
    const std::wstring shortcut = folder.File(L"Werkzeug.lnk");
    // Wine reads every stored show command back as "Normal"; the record's
    // "Default" tells it from the old value.
    ShortcutContents contents;
    contents.target = target;
    contents.arguments = L"wait \"Ein Fenster\"";
    contents.workingDirectory = folder.Path();
    contents.description = L"Fernbedienung";
    contents.iconFile = module;
    contents.iconIndex = 1;
    ASSERT_TRUE(WriteShortcut(shortcut, contents));
    CRecord before = MakeRecord(L"Vorher");
    before.SetShow(10);
    const int nResult = Run(&before, [&](HWND hDlg) {
        ClickButton(hDlg, IDC_BROWSE);
        EXPECT_EQ((std::vector<std::wstring>{ L"Werkzeug", target, L"wait \"Ein Fenster\"", folder.Path(),
                                              L"Fernbedienung", module }),
                  FieldTexts(hDlg));
        EXPECT_EQ(1, SelectedShowRow(hDlg));
        EXPECT_EQ((std::vector<std::wstring>{ L"3", L"2", L"7" }), PickerLabels(hDlg));
        EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(hDlg, IDC_SEPARATOR_TOGGLE));
        ClickButton(hDlg, IDC_CLOSE);
    }, [&](HWND hChooser) {
        EXPECT_EQ(L"Programm auswählen", WindowText(hChooser));
        ChooseFile(hChooser, shortcut);
    });
    ASSERT_EQ(1, nResult);
    EXPECT_STREQ(target.c_str(), m_editor.GetRecord().m_strPath.GetData());
    EXPECT_EQ(1, m_editor.GetRecord().m_nIconIndex);
}

// A file that gives no entry is explained (which shortcut, and why) and
// leaves the entry as it was; so does a cancelled chooser.
TEST_F(RegisterDialogTest, BrowsingToAShortcutWithoutEntryExplainsAndChangesNothing)
{
    CTempDir folder;
    const std::wstring broken = folder.File(L"kaputt.lnk");
    ASSERT_TRUE(WriteFileBytes(broken, "Dies ist keine Verknüpfung."));
    const std::wstring uninstalled = folder.File(L"fehlt.lnk");
    ShortcutContents advertised;
    advertised.target = L"::{9db1186e-40df-11d1-aa8c-00c04fb67863}:" + std::wstring(20, L'A') + L"Main>"
        + std::wstring(20, L'B') + L"::";
    ASSERT_TRUE(WriteShortcut(uninstalled, advertised));
    const CRecord before = MakeRecord(L"Vorher");
    const struct
    {
        std::wstring file;  // empty: the chooser is cancelled
        std::wstring message;
    } cases[] = {
        { L"", L"" },
        { broken, L"Die Verknüpfung „" + broken + L"“ kann nicht gelesen werden." },
        { uninstalled, L"Die Verknüpfung „" + uninstalled + L"“ gehört zu einem Programm, das auf diesem Computer "
                       L"nicht installiert ist." },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::wstring message;
        const int nResult = Run(&before, [&](HWND hDlg) {
            const std::vector<std::wstring> texts = FieldTexts(hDlg);
            ClickButton(hDlg, IDC_BROWSE);
            EXPECT_EQ(texts, FieldTexts(hDlg));
            EXPECT_EQ(1, SelectedShowRow(hDlg));
            ClickButton(hDlg, IDC_CLOSE);
        }, [&](HWND hWnd) {
            if (AnswerMessageBox(hWnd, IDOK, &message))
                return;
            if (c.file.empty())
                ClickButton(hWnd, IDCANCEL);
            else
                ChooseFile(hWnd, c.file);
        });
        ASSERT_EQ(1, nResult);
        EXPECT_EQ(0u, message.find(c.message)) << message;
        EXPECT_EQ(c.message.empty(), message.empty());
        EXPECT_STREQ(L"Vorher", m_editor.GetRecord().m_strName.GetData());
        EXPECT_STREQ(before.m_strPath.GetData(), m_editor.GetRecord().m_strPath.GetData());
    }
}

// A group is named by its position or, negative, by its resource number;
// the picker shows where it stands either way. An icon file is one icon.
TEST_F(RegisterDialogTest, IconPickerShowsCountPositionAndResourceOfTheIcon)
{
    CTempDir folder;
    const std::wstring module = ModuleWithThreeGroups(folder);
    const std::wstring iconFile = folder.File(L"bild.ico");
    ASSERT_TRUE(WriteIconFile(iconFile, RGB(255, 128, 0)));
    // A cursor file is an icon file of type 2.
    const std::wstring cursorFile = folder.File(L"zeiger.cur");
    std::string cursor = ReadFileBytes(iconFile);
    cursor[2] = 2;
    ASSERT_TRUE(WriteFileBytes(cursorFile, cursor));
    struct Case
    {
        std::wstring file;
        LONG nIndex;
        std::vector<std::wstring> labels;
        LRESULT nPosition;
        bool bPreview;
        bool bUpDown;
    };
    const Case cases[] = {
        { module, 0, { L"3", L"1", L"ZETA" }, 0, true, true },
        { module, 1, { L"3", L"2", L"7" }, 1, true, true },
        { module, 2, { L"3", L"3", L"9" }, 2, true, true },
        { module, -7, { L"3", L"2", L"7" }, 1, true, true },
        { module, -9, { L"3", L"3", L"9" }, 2, true, true },
        { module, -5, { L"3", L"", L"" }, 0, false, true },
        { iconFile, 0, { L"1", L"1", L"keine (Symboldatei)" }, 0, true, false },
        { cursorFile, 0, { L"1", L"1", L"keine (Symboldatei)" }, 0, true, false },
        { folder.File(L"fehlt.ico"), 0, { L"", L"", L"" }, -1, false, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << " " << c.nIndex);
        const CRecord record = MakeRecord(L"Bunt", c.file.c_str(), c.nIndex);
        Run(&record, [&](HWND hDlg) {
            EXPECT_EQ(c.labels, PickerLabels(hDlg));
            EXPECT_EQ(c.bPreview, PreviewIcon(hDlg) != nullptr);
            EXPECT_EQ(c.bUpDown, IsEnabled(hDlg, IDC_ICON_SPIN));
            EXPECT_EQ(c.nPosition, SendDlgItemMessageW(hDlg, IDC_ICON_SPIN, UDM_GETPOS32, 0, 0));
            TypeKey(hDlg, VK_ESCAPE);
        });
    }
}

// Only choosing another icon changes the index: an entry opened and closed
// untouched keeps a resource number, a position beyond the file's icons,
// and the index of a file without groups (whose up-down offers nothing).
TEST_F(RegisterDialogTest, AcceptWithoutChoosingAnIconKeepsTheIndex)
{
    CTempDir folder;
    const std::wstring module = ModuleWithThreeGroups(folder);
    const std::wstring iconFile = folder.File(L"bild.ico");
    ASSERT_TRUE(WriteIconFile(iconFile, RGB(0, 128, 255)));
    const struct
    {
        std::wstring file;
        LONG nIndex;
    } cases[] = {
        { module, -9 }, { module, -5 }, { module, 7 }, { iconFile, 0 }, { iconFile, 2 }, { folder.File(L"fehlt.ico"), 2 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << " " << c.nIndex);
        const CRecord record = MakeRecord(L"Bild", c.file.c_str(), c.nIndex);
        const int nResult = Run(&record, [](HWND hDlg) { ClickButton(hDlg, IDC_CLOSE); });
        ASSERT_EQ(1, nResult);
        EXPECT_EQ(c.nIndex, m_editor.GetRecord().m_nIconIndex);
    }
}

TEST_F(RegisterDialogTest, ChoosingAnIconFileShowsItsFirstIcon)
{
    CTempDir folder;
    const std::wstring module = ModuleWithThreeGroups(folder);
    const CRecord record = MakeRecord(L"Werkzeug", L"", 4);
    const int nResult = Run(&record, [&](HWND hDlg) {
        ClickButton(hDlg, IDC_ICON_BROWSE);
        EXPECT_EQ(module, ControlText(hDlg, IDC_ICON_FILE));
        EXPECT_EQ((std::vector<std::wstring>{ L"3", L"1", L"ZETA" }), PickerLabels(hDlg));
        EXPECT_EQ(L"C:\\Programme\\Werkzeug\\werkzeug.exe", ControlText(hDlg, IDC_PATH));
        ClickButton(hDlg, IDC_CLOSE);
    }, [&](HWND hChooser) {
        EXPECT_EQ(L"Symboldatei auswählen", WindowText(hChooser));
        ChooseFile(hChooser, module);
    });
    ASSERT_EQ(1, nResult);
    EXPECT_EQ(module, m_editor.GetRecord().m_strIconFile.GetData());
    EXPECT_EQ(0, m_editor.GetRecord().m_nIconIndex);
}

TEST_F(RegisterDialogTest, ScrollingTheUpDownShowsTheNextIconAndAcceptStoresIt)
{
    CTempDir folder;
    const std::wstring module = ModuleWithThreeGroups(folder);
    const CRecord record = MakeRecord(L"Bunt", module.c_str(), 0);
    const int nResult = Run(&record, [](HWND hDlg) {
        const HICON hFirst = PreviewIcon(hDlg);
        ClickSpinUp(hDlg);
        EXPECT_EQ((std::vector<std::wstring>{ L"3", L"2", L"7" }), PickerLabels(hDlg));
        EXPECT_NE(hFirst, PreviewIcon(hDlg));
        EXPECT_NE(nullptr, PreviewIcon(hDlg));
        ClickButton(hDlg, IDC_CLOSE);
    });
    ASSERT_EQ(1, nResult);
    EXPECT_EQ(1, m_editor.GetRecord().m_nIconIndex);
}

// The icon is chosen from the keyboard too: its label's access key reaches
// the up-down, whose arrow keys step through the icons.
TEST_F(RegisterDialogTest, TheIconIsReachedAndChosenFromTheKeyboard)
{
    CTempDir folder;
    const std::wstring module = ModuleWithThreeGroups(folder);
    const CRecord record = MakeRecord(L"Bunt", module.c_str(), 0);
    const int nResult = Run(&record, [](HWND hDlg) {
        SetFocus(GetDlgItem(hDlg, IDC_NAME));
        PostMessageW(GetFocus(), WM_SYSCHAR, L'k', 1u << 29);
        Pump(hDlg);
        EXPECT_EQ(GetDlgItem(hDlg, IDC_ICON_SPIN), GetFocus());
        TypeKey(hDlg, VK_UP);
        TypeKey(hDlg, VK_UP);
        EXPECT_EQ((std::vector<std::wstring>{ L"3", L"3", L"9" }), PickerLabels(hDlg));
        TypeKey(hDlg, VK_RETURN);
    });
    ASSERT_EQ(1, nResult);
    EXPECT_EQ(2, m_editor.GetRecord().m_nIconIndex);
}

// Enter in a field used to do nothing; "&Schließen" is now the default
// button, so Enter accepts what the fields hold.
TEST_F(RegisterDialogTest, EnterInAFieldAcceptsAndEscapeCancels)
{
    const CRecord record = MakeRecord(L"Vorher");
    const struct
    {
        UINT nKey;
        int nResult;
        const wchar_t* pszName;  // the record afterwards
    } cases[] = { { VK_RETURN, 1, L"Nachher" }, { VK_ESCAPE, 2, L"Vorher" } };
    for (const auto& c : cases) {
        const int nResult = Run(&record, [&](HWND hDlg) {
            SetFocus(GetDlgItem(hDlg, IDC_NAME));
            SetDlgItemTextW(hDlg, IDC_NAME, L"Nachher");
            TypeKey(hDlg, c.nKey);
        });
        EXPECT_EQ(c.nResult, nResult);
        EXPECT_STREQ(c.pszName, m_editor.GetRecord().m_strName.GetData());
    }
}

// A shortcut that asks for administrator rights checks the box; no other
// file can say, so a browse to one keeps the user's choice. Wine's link
// object never reports the flag, so there that row shows only that nothing
// else checks the box.
TEST_F(RegisterDialogTest, RunAsBoxShowsTheFlagAndKeepsItThroughABrowse)
{
    CTempDir folder;
    const std::wstring program = ExeFolder() + L"\\winpoke.exe";
    const std::wstring admin = folder.File(L"Admin.lnk");
    ShortcutContents contents;
    contents.target = program;
    ASSERT_TRUE(WriteShortcut(admin, contents));
    ASSERT_TRUE(AddHeaderFlags(admin, SLDF_RUNAS_USER));
    const bool bAdminReported = (ReportedFlags(admin) & SLDF_RUNAS_USER) != 0;
    EXPECT_TRUE(bAdminReported || IsWine());
    const struct
    {
        const char* pszCase;
        bool bStored;
        bool bClick;
        const std::wstring* pBrowse;
        bool bResult;
    } cases[] = {
        { "kept on", true, false, nullptr, true },
        { "switched on", false, true, nullptr, true },
        { "switched off", true, true, nullptr, false },
        { "kept through a browse", true, false, &program, true },
        { "set by a shortcut that asks for it", false, false, &admin, bAdminReported },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        CRecord record = MakeRecord(L"Werkzeug");
        record.SetRunAs(c.bStored);
        bool bShown = !c.bStored;
        const int nResult = Run(&record, [&](HWND hDlg) {
            bShown = IsDlgButtonChecked(hDlg, IDC_RUN_AS) == BST_CHECKED;
            if (c.bClick)
                ClickButton(hDlg, IDC_RUN_AS);
            if (c.pBrowse != nullptr)
                ClickButton(hDlg, IDC_BROWSE);
            ClickButton(hDlg, IDC_CLOSE);
        }, [&](HWND hChooser) { ChooseFile(hChooser, *c.pBrowse); });
        ASSERT_EQ(1, nResult);
        EXPECT_EQ(c.bStored, bShown);
        EXPECT_EQ(c.bResult, m_editor.GetRecord().m_bRunAs);
        if (c.pBrowse != nullptr) {
            EXPECT_EQ(program, m_editor.GetRecord().m_strPath.GetData());
        }
    }
}

// An entry without a name and without a path is not taken: the editor
// says what is missing and stays open. Either one is enough.
TEST_F(RegisterDialogTest, CloseAsksForANameOrAPath)
{
    const struct
    {
        const wchar_t* pszName;
        const wchar_t* pszPath;
        bool bSeparator;
        bool bTaken;
    } cases[] = {
        { L"", L"", false, false },
        { L"  ", L"", false, false },
        { L"Name", L"", false, true },
        { L"", L"C:\\Werkzeug.exe", false, true },
        { L"", L"", true, true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "name " << c.pszName << ", path " << c.pszPath);
        std::wstring message;
        const int nResult = Run(nullptr, [&](HWND hDlg) {
            SetDlgItemTextW(hDlg, IDC_NAME, c.pszName);
            SetDlgItemTextW(hDlg, IDC_PATH, c.pszPath);
            if (c.bSeparator)
                ClickButton(hDlg, IDC_SEPARATOR_TOGGLE);
            ClickButton(hDlg, IDC_CLOSE);
            // Still open after the message: the user may go on or cancel.
            if (!message.empty())
                TypeKey(hDlg, VK_ESCAPE);
        }, [&](HWND hBox) {
            message = MessageBoxText(hBox);
            ClickButton(hBox, IDOK);
        });
        EXPECT_EQ(c.bTaken ? 1 : 2, nResult);
        if (c.bTaken) {
            EXPECT_EQ(L"", message);
        } else {
            EXPECT_EQ(0u, message.find(L"Der Eintrag hat weder einen Programmnamen noch einen Programmpfad.")) << message;
        }
    }
}

// No field takes more than the settings file gives back: 1023 characters.
TEST_F(RegisterDialogTest, FieldsTakeAtMost1023Characters)
{
    const std::wstring tooLong(1100, L'x');
    const CRecord record = MakeRecord(L"Werkzeug");
    Run(&record, [&](HWND hDlg) {
        for (int nId : kFieldIds) {
            SetDlgItemTextW(hDlg, nId, L"");
            SendDlgItemMessageW(hDlg, nId, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(tooLong.c_str()));
            EXPECT_EQ(1023u, ControlText(hDlg, nId).size()) << nId;
        }
        // The group's drop-down types into an edit field of its own.
        SendMessageW(GetWindow(GetDlgItem(hDlg, IDC_GROUP), GW_CHILD), EM_REPLACESEL, FALSE,
                     reinterpret_cast<LPARAM>(tooLong.c_str()));
        EXPECT_EQ(1023u, ControlText(hDlg, IDC_GROUP).size());
        TypeKey(hDlg, VK_ESCAPE);
    });
}

// The chooser's buffer holds exactly what a field takes; a longer path is
// the chooser's own error, which the editor explains. Wine's file dialog
// faults on any path beyond MAX_PATH, so this runs on Windows only.
TEST_F(RegisterDialogTest, BrowsingToAPathLongerThanAFieldExplainsAndChangesNothing)
{
    if (IsWine())
        GTEST_SKIP() << "Wine's file dialog faults on paths longer than MAX_PATH";
    CTempDir folder;
    std::vector<std::wstring> made = { folder.Path() };
    while (made.back().size() < 1030) {
        made.push_back(made.back() + L"\\" + std::wstring(200, L'o'));
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + made.back()).c_str(), nullptr)) << GetLastError();
    }
    const std::wstring path = made.back() + L"\\werkzeug.exe";
    ASSERT_TRUE(WriteFileBytes(L"\\\\?\\" + path, "MZ"));
    const CRecord before = MakeRecord(L"Vorher");
    std::wstring message;
    const int nResult = Run(&before, [&](HWND hDlg) {
        const std::vector<std::wstring> texts = FieldTexts(hDlg);
        ClickButton(hDlg, IDC_BROWSE);
        EXPECT_EQ(texts, FieldTexts(hDlg));
        ClickButton(hDlg, IDC_CLOSE);
    }, [&](HWND hWnd) {
        if (!AnswerMessageBox(hWnd, IDOK, &message))
            ChooseFile(hWnd, path);
    });
    ASSERT_EQ(1, nResult);
    EXPECT_EQ(0u, message.find(L"Der Pfad der gewählten Datei ist länger als 1023 Zeichen")) << message;
    EXPECT_STREQ(before.m_strPath.GetData(), m_editor.GetRecord().m_strPath.GetData());
    // Beyond the reach of the scratch folder's own removal.
    DeleteFileW((L"\\\\?\\" + path).c_str());
    for (std::size_t i = made.size() - 1; i > 0; --i)
        RemoveDirectoryW((L"\\\\?\\" + made[i]).c_str());
}

// The box for a folder's content is offered once the path is known to be a
// folder, and the dialog never waits for that: a share that does not answer
// greys the box after a moment. A path typed anew that is no folder clears
// the box; the path an entry was opened with keeps it (a stick that is away
// just now). Group, flag and unknown keys come back as shown.
TEST_F(RegisterDialogTest, GroupAndSubmenuBoxFollowTheEntryAndItsPath)
{
    CTempDir folder;
    const std::wstring file = folder.File(L"notiz.txt");
    ASSERT_TRUE(WriteFileBytes(file, "Notiz"));
    const std::wstring missing = folder.File(L"fehlt");
    const std::wstring share = HungSharePath();
    const std::wstring hung = share + L"\\dead\\x";
    const std::vector<std::pair<std::wstring, std::wstring>> unknownKeys = { { L"farbe", L"blau" } };
    const struct
    {
        const char* pszCase;
        const wchar_t* pszName;
        std::wstring opened;  // the path as stored
        bool bStored;         // the flag as stored
        const wchar_t* pszTyped;  // into the path field; null: left alone
        bool bFolder;         // the box ends enabled (and is then checked)
    } cases[] = {
        { "a live folder", L"Ordner", folder.Path(), true, nullptr, true },
        { "a live folder that is away", L"Stick", missing, true, nullptr, false },
        { "a separator", L"@", L"", false, nullptr, false },
        { "a folder typed", L"Ordner", missing, false, folder.Path().c_str(), true },
        { "a folder with references typed", L"System", missing, false, L"%SystemRoot%\\system32", true },
        { "a file typed", L"Notiz", folder.Path(), true, file.c_str(), false },
        { "a missing folder typed", L"Ordner", folder.Path(), true, missing.c_str(), false },
        { "the path cleared", L"Ordner", folder.Path(), true, L"", false },
        { "a share that does not answer typed", L"Netz", folder.Path(), true, hung.c_str(), false },
    };
    m_editor.m_groups = { L"B\u00FCro", L"Spiele" };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        if (share.empty() && c.pszTyped == hung.c_str())
            continue;
        CRecord record = MakeRecord(c.pszName);
        record.SetPath(c.opened.c_str());
        record.SetGroup(L"B\u00FCro\\Tabellen");
        record.SetSubmenu(c.bStored);
        record.m_extraKeys = unknownKeys;
        DWORD nTypingMs = 0;
        const int nResult = Run(&record, [&](HWND hDlg) {
            EXPECT_EQ(L"B\u00FCro\\Tabellen", ControlText(hDlg, IDC_GROUP));
            EXPECT_EQ(m_editor.m_groups, ComboTexts(hDlg, IDC_GROUP));
            EXPECT_EQ(c.bStored, IsDlgButtonChecked(hDlg, IDC_SUBMENU) == BST_CHECKED);
            if (c.pszTyped != nullptr) {
                EXPECT_TRUE(PumpUntil(hDlg, [&] { return IsEnabled(hDlg, IDC_SUBMENU) != c.bFolder; }, 5000));
                const DWORD nStart = GetTickCount();
                SetDlgItemTextW(hDlg, IDC_PATH, c.pszTyped);
                Pump(hDlg);
                nTypingMs = GetTickCount() - nStart;
            } else {
                PumpUntil(hDlg, [] { return false; }, 300);  // the look-up's answer
            }
            EXPECT_TRUE(PumpUntil(hDlg, [&] { return IsEnabled(hDlg, IDC_SUBMENU) == c.bFolder; }, 5000));
            if (c.bFolder && IsDlgButtonChecked(hDlg, IDC_SUBMENU) != BST_CHECKED)
                ClickButton(hDlg, IDC_SUBMENU);
            ClickButton(hDlg, IDC_CLOSE);
        });
        ASSERT_EQ(1, nResult);
        EXPECT_LT(nTypingMs, 1000u) << "the dialog waited for the look-up";
        const CRecord& result = m_editor.GetRecord();
        EXPECT_EQ(c.bFolder || (c.bStored && c.pszTyped == nullptr), result.m_bSubmenu);
        EXPECT_STREQ(L"B\u00FCro\\Tabellen", result.m_strGroup.GetData());
        EXPECT_EQ(unknownKeys, result.m_extraKeys);
    }
    m_editor.m_groups.clear();
}

// The group's label leads to its drop-down, as a screen reader names it,
// and the box has an access key of its own.
TEST_F(RegisterDialogTest, AccessKeysReachTheGroupAndTheSubmenuBox)
{
    CTempDir folder;
    CRecord record = MakeRecord(L"Ordner");
    record.SetPath(folder.Path().c_str());
    const int nResult = Run(&record, [&](HWND hDlg) {
        ASSERT_TRUE(PumpUntil(hDlg, [&] { return IsEnabled(hDlg, IDC_SUBMENU); }, 5000));
        for (const auto& key : { std::make_pair(L'g', IDC_GROUP), std::make_pair(L'h', IDC_SUBMENU) }) {
            PostMessageW(GetFocus(), WM_SYSCHAR, key.first, 1u << 29);
            Pump(hDlg);
            HWND hFocus = GetFocus();
            EXPECT_TRUE(hFocus == GetDlgItem(hDlg, key.second) || GetParent(hFocus) == GetDlgItem(hDlg, key.second));
        }
        ClickButton(hDlg, IDC_CLOSE);
    });
    ASSERT_EQ(1, nResult);
    EXPECT_TRUE(m_editor.GetRecord().m_bSubmenu);
}
