#include "dialogs/COptionDialog.h"
#include "resources/resource.h"
#include "settings/DisplayOptions.h"

#include "EditorTestSupport.h"
#include "support/DialogAutomation.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

const int kFontControls[] = {
    IDC_PREVIEW, IDC_FACE, IDC_SIZE, IDC_FONT_GROUP, IDC_BOLD, IDC_ITALIC, IDC_UNDERLINE,
    IDC_FACE_LABEL, IDC_SIZE_LABEL,
};

HWND SizeEdit(HWND hDlg)
{
    COMBOBOXINFO info = {};
    info.cbSize = sizeof(info);
    GetComboBoxInfo(GetDlgItem(hDlg, IDC_SIZE), &info);
    return info.hwndItem;
}

// Replaces the size field's text key by key, as typing does.
void TypeSize(HWND hDlg, const std::wstring& text)
{
    HWND hEdit = SizeEdit(hDlg);
    SetFocus(hEdit);
    SendMessageW(hEdit, EM_SETSEL, 0, -1);
    SendMessageW(hEdit, WM_CHAR, VK_BACK, 1);
    for (wchar_t ch : text)
        SendMessageW(hEdit, WM_CHAR, ch, 1);
}

// What the size box does when the user picks an entry of its list: the
// list's selection moves and the box notifies before its field changes.
void PickSize(HWND hDlg, const wchar_t* pszSize)
{
    HWND hCombo = GetDlgItem(hDlg, IDC_SIZE);
    COMBOBOXINFO info = {};
    info.cbSize = sizeof(info);
    GetComboBoxInfo(hCombo, &info);
    const LRESULT nIndex = SendMessageW(hCombo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(pszSize));
    SendMessageW(info.hwndList, LB_SETCURSEL, static_cast<WPARAM>(nIndex), 0);
    SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDC_SIZE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hCombo));
}

HFONT PreviewFont(HWND hDlg)
{
    return reinterpret_cast<HFONT>(SendDlgItemMessageW(hDlg, IDC_PREVIEW, WM_GETFONT, 0, 0));
}

LOGFONTW PreviewLogFont(HWND hDlg)
{
    LOGFONTW logFont = {};
    GetObjectW(PreviewFont(hDlg), sizeof(logFont), &logFont);
    return logFont;
}

bool Checked(HWND hDlg, int nId)
{
    return IsDlgButtonChecked(hDlg, nId) == BST_CHECKED;
}

int ScreenDpi()
{
    HDC hDC = GetDC(nullptr);
    const int nDpi = GetDeviceCaps(hDC, LOGPIXELSY);
    ReleaseDC(nullptr, hDC);
    return nDpi;
}

std::wstring ListText(HWND hCombo, LRESULT nIndex)
{
    const LRESULT nLength = SendMessageW(hCombo, CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex), 0);
    std::wstring text(static_cast<size_t>(nLength) + 1, L'\0');
    SendMessageW(hCombo, CB_GETLBTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(nLength));
    return text;
}

int CALLBACK CollectFace(const LOGFONTW* pLogFont, const TEXTMETRICW*, DWORD, LPARAM lParam)
{
    reinterpret_cast<std::set<std::wstring>*>(lParam)->insert(pLogFont->lfFaceName);
    return 1;
}

std::set<std::wstring> InstalledFaces()
{
    std::set<std::wstring> faces;
    LOGFONTW logFont = {};
    logFont.lfCharSet = DEFAULT_CHARSET;
    HDC hDC = GetDC(nullptr);
    EnumFontFamiliesExW(hDC, &logFont, CollectFace, reinterpret_cast<LPARAM>(&faces), 0);
    ReleaseDC(nullptr, hDC);
    return faces;
}

// The program's usual face when the system has it, else another one.
std::wstring SomeInstalledFace()
{
    const std::set<std::wstring> installed = InstalledFaces();
    if (installed.empty() || installed.count(L"Tahoma") != 0)
        return L"Tahoma";
    return *installed.rbegin();
}

bool SameOptions(const SDisplayOptions& a, const SDisplayOptions& b)
{
    return a.bLargeIcons == b.bLargeIcons && a.bShortPath == b.bShortPath && a.bSystemFont == b.bSystemFont
        && std::memcmp(&a.logFont, &b.logFont, sizeof(a.logFont)) == 0 && a.nHotkeyModifiers == b.nHotkeyModifiers
        && a.nHotkeyKey == b.nHotkeyKey;
}

WORD ShownHotkey(HWND hDlg)
{
    return LOWORD(SendDlgItemMessageW(hDlg, IDC_HOTKEY, HKM_GETHOTKEY, 0, 0));
}

void SetShownHotkey(HWND hDlg, BYTE nKey, BYTE nFlags)
{
    SendDlgItemMessageW(hDlg, IDC_HOTKEY, HKM_SETHOTKEY, MAKEWORD(nKey, nFlags), 0);
}

// Holds a combination as another program would, for as long as it lives.
class CTakenHotkey
{
public:
    CTakenHotkey(UINT nModifiers, UINT nKey) : m_bHeld(RegisterHotKey(nullptr, kId, nModifiers, nKey) != FALSE) {}
    CTakenHotkey(const CTakenHotkey&) = delete;
    CTakenHotkey& operator=(const CTakenHotkey&) = delete;
    virtual ~CTakenHotkey()
    {
        if (m_bHeld)
            UnregisterHotKey(nullptr, kId);
    }
    bool IsHeld() const { return m_bHeld; }

private:
    static constexpr int kId = 0x2A;
    bool m_bHeld;
};

// Every case starts from the program's initial options; the dialog shows
// m_options and hands the user's choice back there.
class OptionDialogTest : public ::testing::Test
{
protected:
    void SetUp() override { m_options = Initial(); }

    static SDisplayOptions Initial()
    {
        SDisplayOptions options = { false, false, true, {}, 0, 0 };
        options.logFont.lfHeight = -11;
        options.logFont.lfWeight = FW_NORMAL;
        options.logFont.lfCharSet = DEFAULT_CHARSET;
        wcscpy(options.logFont.lfFaceName, SomeInstalledFace().c_str());
        return options;
    }

    // Opens the dialog and lets the handler act on it like a user; the
    // handler ends it. Message boxes it raises are read into boxTexts and
    // answered with OK.
    int Run(const std::function<void(HWND)>& handler, std::vector<std::wstring>* pBoxTexts = nullptr)
    {
        HWND hDialog = nullptr;
        CDialogAutomation automation([&](HWND hWnd) {
            if (hDialog == nullptr) {
                hDialog = hWnd;
                handler(hWnd);
                return;
            }
            EXPECT_TRUE(IsMessageBox(hWnd) && pBoxTexts != nullptr) << "unexpected window";
            EXPECT_EQ(L"Ambertille", WindowText(hWnd));
            if (pBoxTexts != nullptr)
                pBoxTexts->push_back(MessageBoxText(hWnd));
            PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
        });
        COptionDialog dialog;
        dialog.m_options = m_options;
        const int nResult = dialog.DoModal(GetModuleHandleW(nullptr), nullptr);
        m_options = dialog.m_options;
        EXPECT_FALSE(automation.TimedOut());
        EXPECT_EQ(1 + (pBoxTexts != nullptr ? static_cast<int>(pBoxTexts->size()) : 0), automation.Count());
        return nResult;
    }

    static void RequireScreenAt96Dpi()
    {
        if (ScreenDpi() != 96)
            GTEST_SKIP() << "the sizes below are worked out for 96 dots per inch";
    }

    SDisplayOptions m_options = {};
};

} // namespace

TEST_F(OptionDialogTest, OpensWithTheCurrentOptions)
{
    RequireScreenAt96Dpi();
    const std::wstring face = m_options.logFont.lfFaceName;
    int nChecks = 0;
    const int nResult = Run([&](HWND hDlg) {
        EXPECT_EQ(L"Optionen ändern", WindowText(hDlg));
        EXPECT_FALSE(Checked(hDlg, IDC_LARGE_ICONS));
        EXPECT_FALSE(Checked(hDlg, IDC_SHORT_PATH));
        EXPECT_TRUE(Checked(hDlg, IDC_SYSTEM_FONT));
        EXPECT_FALSE(Checked(hDlg, IDC_BOLD));
        EXPECT_FALSE(Checked(hDlg, IDC_ITALIC));
        EXPECT_FALSE(Checked(hDlg, IDC_UNDERLINE));
        // -11 pixels at 96 dots per inch are 8 points.
        EXPECT_EQ(L"8", WindowText(SizeEdit(hDlg)));
        EXPECT_EQ(face, ControlText(hDlg, IDC_FACE));
        EXPECT_EQ(face, ControlText(hDlg, IDC_PREVIEW));
        const LOGFONTW preview = PreviewLogFont(hDlg);
        EXPECT_EQ(-11, preview.lfHeight);
        EXPECT_EQ(face, preview.lfFaceName);
        EXPECT_EQ(GetForegroundWindow(), hDlg);
        ++nChecks;
        ClickButton(hDlg, IDCANCEL);
    });
    EXPECT_EQ(2, nResult);
    EXPECT_EQ(1, nChecks);
}

TEST_F(OptionDialogTest, SelectsTheCurrentFaceByItsWholeName)
{
    // The first face of the sorted list and faces whose name begins
    // another face's name are where a search by beginnings goes wrong.
    const std::set<std::wstring> installed = InstalledFaces();
    ASSERT_FALSE(installed.empty());
    std::vector<std::wstring> faces = { *installed.begin() };
    for (auto it = installed.begin(); it != installed.end(); ++it) {
        const auto next = std::next(it);
        if (next != installed.end() && next->compare(0, it->size(), *it) == 0)
            faces.push_back(*it);
    }
    for (const std::wstring& face : faces) {
        wcscpy(m_options.logFont.lfFaceName, face.c_str());
        Run([&](HWND hDlg) {
            EXPECT_EQ(face, ControlText(hDlg, IDC_FACE));
            ClickButton(hDlg, IDCANCEL);
        });
    }
}

TEST_F(OptionDialogTest, OffersTheSizesInTheirOrderAndEveryInstalledFaceOnce)
{
    const std::set<std::wstring> installed = InstalledFaces();
    Run([&](HWND hDlg) {
        HWND hSizes = GetDlgItem(hDlg, IDC_SIZE);
        std::wstring sizes;
        const LRESULT nSizes = SendMessageW(hSizes, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < nSizes; ++i)
            sizes += ListText(hSizes, i) + L" ";
        EXPECT_EQ(L"6 7 8 9 10 11 12 14 16 ", sizes);

        HWND hFaces = GetDlgItem(hDlg, IDC_FACE);
        std::set<std::wstring> listed;
        const LRESULT nFaces = SendMessageW(hFaces, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < nFaces; ++i)
            EXPECT_TRUE(listed.insert(ListText(hFaces, i)).second) << "listed twice";
        EXPECT_EQ(installed, listed);
        ClickButton(hDlg, IDCANCEL);
    });
}

TEST_F(OptionDialogTest, SystemFontSwitchesTheNineFontControlsWithoutTouchingThePreview)
{
    Run([&](HWND hDlg) {
        for (int nId : kFontControls)
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hDlg, nId))) << nId;
        const HFONT hPreviewFont = PreviewFont(hDlg);
        const std::wstring previewText = ControlText(hDlg, IDC_PREVIEW);

        ClickButton(hDlg, IDC_SYSTEM_FONT);
        EXPECT_FALSE(Checked(hDlg, IDC_SYSTEM_FONT));
        for (int nId : kFontControls)
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hDlg, nId))) << nId;
        EXPECT_EQ(hPreviewFont, PreviewFont(hDlg));
        EXPECT_EQ(previewText, ControlText(hDlg, IDC_PREVIEW));

        ClickButton(hDlg, IDC_SYSTEM_FONT);
        for (int nId : kFontControls)
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hDlg, nId))) << nId;
        ClickButton(hDlg, IDCANCEL);
    });
}

TEST_F(OptionDialogTest, ShortPathBoxShowsItsValueButCannotBeChanged)
{
    for (bool bShortPath : { false, true }) {
        m_options.bShortPath = bShortPath;
        Run([&](HWND hDlg) {
            HWND hBox = GetDlgItem(hDlg, IDC_SHORT_PATH);
            EXPECT_TRUE(IsWindowVisible(hBox));
            EXPECT_FALSE(IsWindowEnabled(hBox));
            EXPECT_EQ(bShortPath, Checked(hDlg, IDC_SHORT_PATH));
            ClickButton(hDlg, IDC_CLOSE);
        });
        EXPECT_EQ(bShortPath, m_options.bShortPath);
    }
}

TEST_F(OptionDialogTest, TypedSizesArePreviewedAndAppliedWithTheirMinimum)
{
    RequireScreenAt96Dpi();
    const struct
    {
        const wchar_t* pszTyped;
        const wchar_t* pszField;
        LONG nHeight;
    } cases[] = {
        { L"3", L"3", -8 },         // below the minimum: 6 points
        { L"72", L"72", -96 },
        { L"", L"", -8 },           // nothing typed counts as the minimum
        { L"a1b2", L"12", -16 },    // the field takes digits only
        { L"14", L"14", -19 },
    };
    for (const auto& sample : cases) {
        m_options.bSystemFont = false;
        LONG nPreviewHeight = 0;
        std::wstring field;
        const int nResult = Run([&](HWND hDlg) {
            TypeSize(hDlg, sample.pszTyped);
            field = WindowText(SizeEdit(hDlg));
            nPreviewHeight = PreviewLogFont(hDlg).lfHeight;
            ClickButton(hDlg, IDC_CLOSE);
        });
        EXPECT_EQ(1, nResult);
        EXPECT_EQ(sample.pszField, field);
        EXPECT_EQ(sample.nHeight, nPreviewHeight) << "preview after typing " << sample.pszField;
        EXPECT_EQ(sample.nHeight, m_options.logFont.lfHeight) << "applied after typing " << sample.pszField;
    }
}

TEST_F(OptionDialogTest, PickingASizeFillsTheFieldAndThePreview)
{
    RequireScreenAt96Dpi();
    m_options.bSystemFont = false;
    Run([&](HWND hDlg) {
        PickSize(hDlg, L"14");
        EXPECT_EQ(L"14", WindowText(SizeEdit(hDlg)));
        EXPECT_EQ(-19, PreviewLogFont(hDlg).lfHeight);
        ClickButton(hDlg, IDC_CLOSE);
    });
    EXPECT_EQ(-19, m_options.logFont.lfHeight);
}

TEST_F(OptionDialogTest, StyleBoxesArePreviewedAndApplied)
{
    m_options.bSystemFont = false;
    Run([&](HWND hDlg) {
        ClickButton(hDlg, IDC_BOLD);
        ClickButton(hDlg, IDC_ITALIC);
        ClickButton(hDlg, IDC_UNDERLINE);
        const LOGFONTW preview = PreviewLogFont(hDlg);
        EXPECT_EQ(FW_BOLD, preview.lfWeight);
        EXPECT_EQ(1, preview.lfItalic);
        EXPECT_EQ(1, preview.lfUnderline);
        ClickButton(hDlg, IDC_CLOSE);
    });
    EXPECT_EQ(FW_BOLD, m_options.logFont.lfWeight);
    EXPECT_EQ(1, m_options.logFont.lfItalic);
    EXPECT_EQ(1, m_options.logFont.lfUnderline);
}

TEST_F(OptionDialogTest, ChoosingAFaceWithTheKeyboardPreviewsAndAppliesIt)
{
    m_options.bSystemFont = false;
    std::wstring chosen;
    Run([&](HWND hDlg) {
        HWND hFaces = GetDlgItem(hDlg, IDC_FACE);
        SetFocus(hFaces);
        SendMessageW(hFaces, WM_KEYDOWN, VK_HOME, 0);
        chosen = ControlText(hDlg, IDC_FACE);
        EXPECT_NE(std::wstring(m_options.logFont.lfFaceName), chosen);
        EXPECT_EQ(chosen, ControlText(hDlg, IDC_PREVIEW));
        EXPECT_EQ(chosen, PreviewLogFont(hDlg).lfFaceName);
        ClickButton(hDlg, IDC_CLOSE);
    });
    EXPECT_EQ(chosen, m_options.logFont.lfFaceName);
}

TEST_F(OptionDialogTest, AFaceThatIsNotInstalledIsKept)
{
    // A name that only begins an installed face's name.
    const std::wstring face = SomeInstalledFace().substr(0, 3);
    wcscpy(m_options.logFont.lfFaceName, face.c_str());
    Run([&](HWND hDlg) {
        // A face whose name only begins another one must not select that one.
        EXPECT_EQ(CB_ERR, SendDlgItemMessageW(hDlg, IDC_FACE, CB_GETCURSEL, 0, 0));
        EXPECT_EQ(L"", ControlText(hDlg, IDC_PREVIEW));
        ClickButton(hDlg, IDC_CLOSE);
    });
    EXPECT_EQ(face, m_options.logFont.lfFaceName);
}

TEST_F(OptionDialogTest, FontChoiceIsAppliedEvenUnderTheSystemFont)
{
    RequireScreenAt96Dpi();
    m_options.bSystemFont = false;
    Run([&](HWND hDlg) {
        TypeSize(hDlg, L"12");
        ClickButton(hDlg, IDC_BOLD);
        ClickButton(hDlg, IDC_SYSTEM_FONT);
        ClickButton(hDlg, IDC_CLOSE);
    });
    EXPECT_TRUE(m_options.bSystemFont);
    EXPECT_EQ(-16, m_options.logFont.lfHeight);
    EXPECT_EQ(FW_BOLD, m_options.logFont.lfWeight);
}

TEST_F(OptionDialogTest, CancelLeavesEveryOptionAsItWas)
{
    const SDisplayOptions before = m_options;
    for (const auto& way : editortest::CancelWays()) {
        const int nResult = Run([&](HWND hDlg) {
            ClickButton(hDlg, IDC_LARGE_ICONS);
            ClickButton(hDlg, IDC_SYSTEM_FONT);
            ClickButton(hDlg, IDC_BOLD);
            ClickButton(hDlg, IDC_ITALIC);
            ClickButton(hDlg, IDC_UNDERLINE);
            TypeSize(hDlg, L"20");
            SendMessageW(GetDlgItem(hDlg, IDC_FACE), WM_KEYDOWN, VK_HOME, 0);
            SetShownHotkey(hDlg, 'J', HOTKEYF_CONTROL | HOTKEYF_ALT);
            way.cancel(hDlg);
        });
        EXPECT_EQ(2, nResult) << way.pszWay;
        EXPECT_TRUE(SameOptions(before, m_options)) << way.pszWay;
    }
}

TEST_F(OptionDialogTest, CloseWithoutChangesReturnsOneAndKeepsTheOptions)
{
    RequireScreenAt96Dpi();
    const SDisplayOptions before = m_options;
    const int nResult = Run([](HWND hDlg) { ClickButton(hDlg, IDC_CLOSE); });
    EXPECT_EQ(1, nResult);
    EXPECT_TRUE(SameOptions(before, m_options));
}

// Enter used to do nothing here; "&Schließen" is now the default button.
TEST_F(OptionDialogTest, EnterAppliesLikeTheCloseButton)
{
    const int nResult = Run([](HWND hDlg) {
        ClickButton(hDlg, IDC_LARGE_ICONS);
        SetFocus(GetDlgItem(hDlg, IDC_LARGE_ICONS));
        PressKey(hDlg, VK_RETURN);
    });
    EXPECT_EQ(1, nResult);
    EXPECT_TRUE(m_options.bLargeIcons);
}

TEST_F(OptionDialogTest, ShortcutIsShownAppliedAndKeptWhereTheControlCannotShowIt)
{
    const struct
    {
        const char* pszCase;
        UINT nModifiers;     // in force at opening
        UINT nKey;
        WORD nShown;         // what the control shows
        bool bChange;        // the user sets nNewKey with Ctrl+Shift
        BYTE nNewKey;
        UINT nAppliedModifiers;
        UINT nAppliedKey;
    } cases[] = {
        { "none stays none", 0, 0, 0, false, 0, 0, 0 },
        { "shown as stored", MOD_CONTROL | MOD_ALT, 'A', MAKEWORD('A', HOTKEYF_CONTROL | HOTKEYF_ALT), false, 0,
          MOD_CONTROL | MOD_ALT, 'A' },
        { "Win is kept while unchanged", MOD_WIN | MOD_CONTROL, VK_F5, MAKEWORD(VK_F5, HOTKEYF_CONTROL), false, 0,
          MOD_WIN | MOD_CONTROL, VK_F5 },
        { "a bare F-key from the file stays", 0, VK_F9, MAKEWORD(VK_F9, 0), false, 0, 0, VK_F9 },
        { "changed", MOD_WIN | MOD_CONTROL, VK_F5, MAKEWORD(VK_F5, HOTKEYF_CONTROL), true, VK_F6,
          MOD_CONTROL | MOD_SHIFT, VK_F6 },
        { "cleared", MOD_CONTROL | MOD_ALT, 'A', MAKEWORD('A', HOTKEYF_CONTROL | HOTKEYF_ALT), true, 0, 0, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        m_options.nHotkeyModifiers = c.nModifiers;
        m_options.nHotkeyKey = c.nKey;
        WORD nShown = 0;
        const int nResult = Run([&](HWND hDlg) {
            nShown = ShownHotkey(hDlg);
            if (c.bChange)
                SetShownHotkey(hDlg, c.nNewKey, c.nNewKey != 0 ? HOTKEYF_CONTROL | HOTKEYF_SHIFT : 0);
            ClickButton(hDlg, IDC_CLOSE);
        });
        EXPECT_EQ(1, nResult);
        EXPECT_EQ(c.nShown, nShown);
        EXPECT_EQ(c.nAppliedModifiers, m_options.nHotkeyModifiers);
        EXPECT_EQ(c.nAppliedKey, m_options.nHotkeyKey);
    }
}

// What typing in the shortcut field does, as the help page tells it.
TEST_F(OptionDialogTest, TypingABareLetterGetsCtrlAltAddedAndBackspaceClears)
{
    const struct
    {
        const char* pszCase;
        UINT nModifiers;  // in force at opening
        UINT nKey;
        UINT nTyped;
        WORD nShown;
    } cases[] = {
        { "a bare letter", 0, 0, 'K', MAKEWORD('K', HOTKEYF_CONTROL | HOTKEYF_ALT) },
        { "Backspace", MOD_CONTROL | MOD_ALT, 'A', VK_BACK, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        m_options.nHotkeyModifiers = c.nModifiers;
        m_options.nHotkeyKey = c.nKey;
        WORD nShown = 0xFFFF;
        Run([&](HWND hDlg) {
            SetFocus(GetDlgItem(hDlg, IDC_HOTKEY));
            PressKey(hDlg, c.nTyped);
            editortest::Pump(hDlg);
            nShown = ShownHotkey(hDlg);
            ClickButton(hDlg, IDCANCEL);
        });
        EXPECT_EQ(c.nShown, nShown);
    }
}

TEST_F(OptionDialogTest, ATakenOrUnusableShortcutIsRefusedAndTheDialogStaysOpen)
{
    CTakenHotkey taken(MOD_CONTROL | MOD_ALT, 'Q');
    ASSERT_TRUE(taken.IsHeld());
    const struct
    {
        const char* pszCase;
        BYTE nKey;
        BYTE nFlags;
        const wchar_t* pszBox;
    } refused[] = {
        { "taken", 'Q', HOTKEYF_CONTROL | HOTKEYF_ALT, L"Das Tastenkürzel Strg+Alt+Q ist bereits vergeben." },
        { "unusable key", VK_HOME, HOTKEYF_CONTROL | HOTKEYF_ALT,
          L"Dieses Tastenkürzel lässt sich nicht verwenden. Möglich sind Buchstaben, Ziffern, F1 bis F24 und "
          L"die Leertaste, zusammen mit Strg, Alt oder Umschalt." },
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.pszCase);
        const SDisplayOptions before = m_options;
        std::vector<std::wstring> boxes;
        bool bOpenAfterRefusal = false;
        bool bFocusOnShortcut = false;
        const int nResult = Run([&](HWND hDlg) {
            ClickButton(hDlg, IDC_LARGE_ICONS);
            SetShownHotkey(hDlg, c.nKey, c.nFlags);
            SetFocus(GetDlgItem(hDlg, IDC_LARGE_ICONS));
            PressKey(hDlg, VK_RETURN);
            editortest::Pump(hDlg);
            bOpenAfterRefusal = IsWindowVisible(hDlg) != FALSE;
            bFocusOnShortcut = GetFocus() == GetDlgItem(hDlg, IDC_HOTKEY);
            ClickButton(hDlg, IDCANCEL);
        }, &boxes);
        EXPECT_EQ(2, nResult);
        EXPECT_EQ(std::vector<std::wstring>{ c.pszBox }, boxes);
        EXPECT_TRUE(bOpenAfterRefusal);
        EXPECT_TRUE(bFocusOnShortcut);
        EXPECT_TRUE(SameOptions(before, m_options)) << "nothing is applied";
    }

    // The shortcut in force is held by the program's own tray: keeping it is
    // no conflict. A free one is accepted and not kept registered.
    m_options.nHotkeyModifiers = MOD_CONTROL | MOD_ALT;
    m_options.nHotkeyKey = 'Q';
    EXPECT_EQ(1, Run([](HWND hDlg) { ClickButton(hDlg, IDC_CLOSE); }));
    EXPECT_EQ(static_cast<UINT>('Q'), m_options.nHotkeyKey);
    EXPECT_EQ(1, Run([](HWND hDlg) {
        SetShownHotkey(hDlg, 'W', HOTKEYF_CONTROL | HOTKEYF_ALT);
        ClickButton(hDlg, IDC_CLOSE);
    }));
    EXPECT_EQ(static_cast<UINT>('W'), m_options.nHotkeyKey);
    CTakenHotkey again(MOD_CONTROL | MOD_ALT, 'W');
    EXPECT_TRUE(again.IsHeld()) << "the trial registration was taken back";
}

TEST_F(OptionDialogTest, OwnsEveryPreviewFontItMakes)
{
    m_options.bSystemFont = false;
    HFONT hFirst = nullptr;
    HFONT hLast = nullptr;
    Run([&](HWND hDlg) {
        hFirst = PreviewFont(hDlg);
        ClickButton(hDlg, IDC_BOLD);
        hLast = PreviewFont(hDlg);
        EXPECT_NE(hFirst, hLast);
        EXPECT_EQ(0u, GetObjectType(hFirst)) << "a replaced preview font is deleted";
        ClickButton(hDlg, IDC_CLOSE);
    });
    ASSERT_NE(nullptr, hLast);
    EXPECT_EQ(0u, GetObjectType(hLast)) << "the last preview font goes with the dialog";
}
