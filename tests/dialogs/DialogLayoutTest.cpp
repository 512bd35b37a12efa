// Every dialog of the program, created for real: its labels show whole at
// 96 and at 144 dots per inch, its access keys are unique, and its icon-only
// buttons carry German names and tooltips.
//
// A process reads the screen's resolution once, when it starts, so within
// one run the other resolution is worked out the way the dialog manager
// itself lays a template out:
// the template's font at -MulDiv(points, dpi, 72) pixels; the horizontal
// base unit from the width of "A…Za…z" as (width / 26 + 1) / 2, the
// vertical one the font's tmHeight; each position and size in dialog units
// mapped apart with MulDiv(x, base, 4) and MulDiv(y, base, 8). The same
// reckoning at the screen's own resolution must give exactly the rectangles
// the dialog manager gave the live controls, which shows the method holds.
// Each label's text is then measured in that font with DrawTextW, as the
// control draws it, against the rectangle it would have.
//
// The tests run at 96 dots per inch. So that the dialog manager's own
// conversion is seen at 144 as well, one test runs these checks again in a
// child process started while the prefix's resolution says 144 (the value
// LogPixels under HKCU\Control Panel\Desktop, which Wine reads when a
// process starts); there the live rectangles must match the reckoning at
// 144.
#include "EditorTestSupport.h"

#include "dialogs/CAboutDialog.h"
#include "dialogs/CHelpDialog.h"
#include "dialogs/CManipulateDialog.h"
#include "dialogs/COptionDialog.h"
#include "dialogs/CRegisterDialog.h"
#include "foundation/CString.h"
#include "resources/resource.h"
#include "settings/DisplayOptions.h"
#include "support/ChildProcess.h"
#include "support/DialogAutomation.h"
#include "support/RegistryGuard.h"
#include "support/TempDir.h"
#include "support/Wine.h"
#include "tray/AppGlobals.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace testsupport;

namespace {

// --- the template as the resource holds it (DLGTEMPLATEEX) ---------------

struct TemplateItem
{
    std::wstring className;  // "Button", "Static", ... for the system's ordinals
    DWORD nStyle;
    RECT place;              // x, y, width, height in dialog units
    int nId;
    std::wstring text;
};

struct DialogTemplate
{
    DWORD nStyle = 0;
    SIZE size = {};
    WORD nPoints = 0;
    std::vector<TemplateItem> items;
};

class CTemplateReader
{
public:
    explicit CTemplateReader(const BYTE* pData) : m_pData(pData), m_nOffset(0) {}

    WORD Word() { return Read<WORD>(); }
    DWORD Dword() { return Read<DWORD>(); }
    short Short() { return Read<short>(); }
    void Skip(size_t nBytes) { m_nOffset += nBytes; }
    void AlignDword() { m_nOffset = (m_nOffset + 3) & ~static_cast<size_t>(3); }

    std::wstring Text()
    {
        std::wstring text;
        for (WORD ch = Word(); ch != 0; ch = Word())
            text.push_back(static_cast<wchar_t>(ch));
        return text;
    }
    // A name or an ordinal; the system's control classes come as ordinals.
    std::wstring NameOrOrdinal()
    {
        const WORD nFirst = *reinterpret_cast<const WORD*>(m_pData + m_nOffset);
        if (nFirst == 0) {
            Word();
            return std::wstring();
        }
        if (nFirst != 0xFFFF)
            return Text();
        Word();
        static const std::map<WORD, std::wstring> classes = {
            { 0x80, L"Button" }, { 0x81, L"Edit" }, { 0x82, L"Static" },
            { 0x83, L"ListBox" }, { 0x84, L"ScrollBar" }, { 0x85, L"ComboBox" },
        };
        const auto it = classes.find(Word());
        return it != classes.end() ? it->second : L"#";
    }

private:
    template <class T>
    T Read()
    {
        T value;
        std::memcpy(&value, m_pData + m_nOffset, sizeof(T));
        m_nOffset += sizeof(T);
        return value;
    }

    const BYTE* m_pData;
    size_t m_nOffset;
};

// The resource compiler keeps a class given by name in capitals ("BUTTON").
std::wstring CanonicalClass(const std::wstring& name)
{
    for (const wchar_t* pszClass : { L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar", L"ComboBox" }) {
        if (_wcsicmp(name.c_str(), pszClass) == 0)
            return pszClass;
    }
    return name;
}

DialogTemplate LoadTemplate(WORD nId)
{
    DialogTemplate result;
    HMODULE hModule = GetModuleHandleW(nullptr);
    HRSRC hResource = FindResourceW(hModule, MAKEINTRESOURCEW(nId), RT_DIALOG);
    if (hResource == nullptr)
        return result;
    CTemplateReader reader(static_cast<const BYTE*>(LockResource(LoadResource(hModule, hResource))));
    reader.Word();  // version
    if (reader.Word() != 0xFFFF)
        return result;  // all of ours are extended templates
    reader.Dword();     // help id
    reader.Dword();     // extended style
    result.nStyle = reader.Dword();
    const WORD nItems = reader.Word();
    reader.Short();
    reader.Short();
    result.size.cx = reader.Short();
    result.size.cy = reader.Short();
    reader.NameOrOrdinal();  // menu
    reader.NameOrOrdinal();  // class
    reader.Text();           // title
    if ((result.nStyle & DS_SETFONT) != 0) {
        result.nPoints = reader.Word();
        reader.Word();
        reader.Skip(2);
        reader.Text();
    }
    for (WORD i = 0; i < nItems; ++i) {
        reader.AlignDword();
        TemplateItem item;
        reader.Dword();
        reader.Dword();
        item.nStyle = reader.Dword();
        item.place.left = reader.Short();
        item.place.top = reader.Short();
        item.place.right = reader.Short();
        item.place.bottom = reader.Short();
        item.nId = static_cast<int>(static_cast<short>(reader.Dword()));
        item.className = CanonicalClass(reader.NameOrOrdinal());
        item.text = reader.NameOrOrdinal();
        reader.Skip(reader.Word());
        result.items.push_back(item);
    }
    return result;
}

// --- the live dialog -------------------------------------------------------

struct LiveControl
{
    HWND hWnd;
    int nId;
    std::wstring text;
    RECT rect;  // in the dialog's client area
    bool bDialogFont;
};

struct LiveDialog
{
    std::wstring title;
    LOGFONTW font = {};
    std::vector<LiveControl> controls;
    // Tooltip texts by button id, from the tooltip windows the dialog owns.
    std::map<int, std::wstring> tips;
};

BOOL CALLBACK CollectTips(HWND hWnd, LPARAM lParam)
{
    auto* pDialog = reinterpret_cast<std::pair<HWND, LiveDialog*>*>(lParam);
    if (ClassName(hWnd) != TOOLTIPS_CLASSW || GetWindow(hWnd, GW_OWNER) != pDialog->first)
        return TRUE;
    for (const LiveControl& control : pDialog->second->controls) {
        wchar_t szText[256] = {};
        TTTOOLINFOW info = {};
        info.cbSize = sizeof(info);
        info.hwnd = pDialog->first;
        info.uId = reinterpret_cast<UINT_PTR>(control.hWnd);
        info.lpszText = szText;
        SendMessageW(hWnd, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
        if (szText[0] != L'\0')
            pDialog->second->tips[control.nId] = szText;
    }
    return TRUE;
}

LiveDialog ReadLiveDialog(HWND hDlg)
{
    LiveDialog dialog;
    dialog.title = WindowText(hDlg);
    const HFONT hFont = reinterpret_cast<HFONT>(SendMessageW(hDlg, WM_GETFONT, 0, 0));
    GetObjectW(hFont, sizeof(dialog.font), &dialog.font);
    for (HWND hChild = GetWindow(hDlg, GW_CHILD); hChild != nullptr; hChild = GetWindow(hChild, GW_HWNDNEXT)) {
        LiveControl control = { hChild, static_cast<int>(static_cast<short>(GetDlgCtrlID(hChild))), WindowText(hChild),
                                {}, reinterpret_cast<HFONT>(SendMessageW(hChild, WM_GETFONT, 0, 0)) == hFont };
        GetWindowRect(hChild, &control.rect);
        MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&control.rect), 2);
        dialog.controls.push_back(control);
    }
    std::pair<HWND, LiveDialog*> search(hDlg, &dialog);
    EnumThreadWindows(GetCurrentThreadId(), CollectTips, reinterpret_cast<LPARAM>(&search));
    return dialog;
}

struct DialogCase
{
    WORD nTemplate;
    const char* pszName;
    std::function<void()> open;  // runs the dialog modally
};

// Opens the dialog, reads it while it is up, and cancels it.
LiveDialog OpenAndRead(const DialogCase& dialogCase)
{
    LiveDialog dialog;
    CDialogAutomation automation([&](HWND hDlg) {
        if (dialog.title.empty())
            dialog = ReadLiveDialog(hDlg);
        PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    });
    dialogCase.open();
    EXPECT_FALSE(automation.TimedOut());
    return dialog;
}

// --- laying out and measuring at a resolution ------------------------------

struct CDcFont
{
    CDcFont(const LOGFONTW& logFont) : hDC(CreateCompatibleDC(nullptr)), hFont(CreateFontIndirectW(&logFont))
    {
        hOld = SelectObject(hDC, hFont);
    }
    ~CDcFont()
    {
        SelectObject(hDC, hOld);
        DeleteObject(hFont);
        DeleteDC(hDC);
    }
    CDcFont(const CDcFont&) = delete;
    CDcFont& operator=(const CDcFont&) = delete;

    HDC hDC;
    HFONT hFont;
    HGDIOBJ hOld;
};

struct Layout
{
    int nDpi;
    LOGFONTW font;
    int nBaseX;
    int nBaseY;

    RECT Map(const RECT& place) const
    {
        const LONG nLeft = MulDiv(place.left, nBaseX, 4);
        const LONG nTop = MulDiv(place.top, nBaseY, 8);
        return { nLeft, nTop, nLeft + MulDiv(place.right, nBaseX, 4), nTop + MulDiv(place.bottom, nBaseY, 8) };
    }
    int Scaled(int nPixelsAt96) const { return MulDiv(nPixelsAt96, nDpi, 96); }
};

Layout LayoutAt(const LOGFONTW& dialogFont, WORD nPoints, int nDpi)
{
    Layout layout = { nDpi, dialogFont, 0, 0 };
    layout.font.lfHeight = -MulDiv(nPoints, nDpi, 72);
    layout.font.lfWidth = 0;
    CDcFont dc(layout.font);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc.hDC, &metrics);
    SIZE size = {};
    GetTextExtentPoint32W(dc.hDC, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &size);
    layout.nBaseX = (size.cx / 26 + 1) / 2;
    layout.nBaseY = metrics.tmHeight;
    return layout;
}

enum class LabelKind { None, Text, Push, Check, Group };

LabelKind KindOf(const TemplateItem& item)
{
    if (item.className == L"Static") {
        const DWORD nType = item.nStyle & SS_TYPEMASK;
        const bool bText = nType == SS_LEFT || nType == SS_CENTER || nType == SS_RIGHT || nType == SS_SIMPLE
                        || nType == SS_LEFTNOWORDWRAP;
        return bText ? LabelKind::Text : LabelKind::None;
    }
    if (item.className != L"Button" || (item.nStyle & (BS_ICON | BS_BITMAP)) != 0)
        return LabelKind::None;
    const DWORD nType = item.nStyle & BS_TYPEMASK;
    if (nType == BS_GROUPBOX)
        return LabelKind::Group;
    if (nType == BS_PUSHBUTTON || nType == BS_DEFPUSHBUTTON || (item.nStyle & BS_PUSHLIKE) != 0)
        return LabelKind::Push;
    return LabelKind::Check;
}

bool IsSingleLine(const TemplateItem& item)
{
    if (item.className == L"Button")
        return (item.nStyle & BS_MULTILINE) == 0;
    const DWORD nType = item.nStyle & SS_TYPEMASK;
    return (item.nStyle & SS_CENTERIMAGE) != 0 || nType == SS_SIMPLE || nType == SS_LEFTNOWORDWRAP;
}

// The room a label's text has beside what the control draws around it.
SIZE TextRoom(const Layout& layout, const TemplateItem& item, const RECT& rect)
{
    SIZE room = { rect.right - rect.left, rect.bottom - rect.top };
    switch (KindOf(item)) {
    case LabelKind::Push:
        room.cx -= layout.Scaled(6);   // border and focus frame
        break;
    case LabelKind::Check:
        room.cx -= layout.Scaled(16);  // the box and the gap after it
        break;
    case LabelKind::Group:
        room.cx -= layout.Scaled(16);  // the frame's corners on both sides
        break;
    default:
        break;
    }
    return room;
}

std::string Narrow(const std::wstring& text)
{
    std::string result;
    for (wchar_t ch : text)
        result.push_back(ch < 0x80 ? static_cast<char>(ch) : '?');
    return result;
}

void ExpectTextFits(const Layout& layout, const TemplateItem& item, const std::wstring& text)
{
    if (text.empty())
        return;
    const RECT rect = layout.Map(item.place);
    const SIZE room = TextRoom(layout, item, rect);
    CDcFont dc(layout.font);
    UINT nFormat = DT_CALCRECT | DT_EXPANDTABS | (IsSingleLine(item) ? DT_SINGLELINE : DT_WORDBREAK);
    if (item.className == L"Static" && (item.nStyle & SS_NOPREFIX) != 0)
        nFormat |= DT_NOPREFIX;
    RECT measured = { 0, 0, room.cx, 0 };
    DrawTextW(dc.hDC, text.c_str(), -1, &measured, nFormat);
    EXPECT_LE(measured.right, room.cx) << Narrow(text) << " is too wide at " << layout.nDpi << " dpi";
    EXPECT_LE(measured.bottom, room.cy) << Narrow(text) << " is too tall at " << layout.nDpi << " dpi";
}

bool IsLabel(const TemplateItem& item)
{
    const LabelKind kind = KindOf(item);
    return kind == LabelKind::Text || kind == LabelKind::Push || kind == LabelKind::Check;
}

bool Intersect(const RECT& a, const RECT& b)
{
    RECT common;
    return IntersectRect(&common, &a, &b) != FALSE;
}

// A label must not run into another label or a field, and everything must
// lie inside the dialog.
void ExpectNoCollisions(const Layout& layout, const DialogTemplate& dialog)
{
    const RECT client = layout.Map({ 0, 0, dialog.size.cx, dialog.size.cy });
    for (size_t i = 0; i < dialog.items.size(); ++i) {
        const TemplateItem& item = dialog.items[i];
        const RECT rect = layout.Map(item.place);
        if (item.className != L"ComboBox") {
            EXPECT_LE(rect.right, client.right) << Narrow(item.text) << " at " << layout.nDpi << " dpi";
            EXPECT_LE(rect.bottom, client.bottom) << Narrow(item.text) << " at " << layout.nDpi << " dpi";
        }
        if (!IsLabel(item))
            continue;
        for (size_t j = 0; j < dialog.items.size(); ++j) {
            const TemplateItem& other = dialog.items[j];
            if (j == i || !(IsLabel(other) || other.className == L"Edit"))
                continue;
            EXPECT_FALSE(Intersect(rect, layout.Map(other.place)))
                << Narrow(item.text) << " runs into " << Narrow(other.text) << " (id " << other.nId << ") at "
                << layout.nDpi << " dpi";
        }
    }
}

// The access keys of the labels, case folded; "&&" is a literal ampersand.
std::vector<std::pair<wchar_t, std::wstring>> AccessKeys(const DialogTemplate& dialog, const LiveDialog& live)
{
    std::vector<std::pair<wchar_t, std::wstring>> keys;
    for (size_t i = 0; i < dialog.items.size() && i < live.controls.size(); ++i) {
        const TemplateItem& item = dialog.items[i];
        const bool bNoPrefix = item.className == L"Static" && (item.nStyle & SS_NOPREFIX) != 0;
        if (!(item.className == L"Button" || item.className == L"Static") || bNoPrefix)
            continue;
        const std::wstring& text = live.controls[i].text;
        for (size_t n = 0; n + 1 < text.size(); ++n) {
            if (text[n] != L'&')
                continue;
            if (text[n + 1] != L'&')
                keys.emplace_back(static_cast<wchar_t>(std::towlower(text[n + 1])), text);
            ++n;
        }
    }
    return keys;
}

class DialogLayoutTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_strSavedPath = g_strModulePath;
        wchar_t szPath[MAX_PATH + 1] = {};
        GetModuleFileNameW(nullptr, szPath, MAX_PATH);
        g_strModulePath = szPath;
    }
    void TearDown() override { g_strModulePath = m_strSavedPath; }

    // Each dialog as the program opens it; the list editor and the entry
    // editor on a settings file of their own.
    std::vector<DialogCase> Dialogs()
    {
        const HINSTANCE hInstance = GetModuleHandleW(nullptr);
        return {
            { IDD_MANIPULATE, "list editor", [=] { CManipulateDialog().DoModal(hInstance, nullptr); } },
            { IDD_REGISTER, "entry editor",
              [=] { CRegisterDialog().DoModal(hInstance, nullptr, nullptr, L"Eintrag erstellen"); } },
            { IDD_OPTIONS, "options", [=] {
                 COptionDialog options;
                 options.m_options = GetDisplayOptions();
                 options.DoModal(hInstance, nullptr);
             } },
            { IDD_ABOUT, "About box", [=] { CAboutDialog().DoModal(hInstance, nullptr); } },
            { IDD_HELP, "help screen", [=] { CHelpDialog().DoModal(hInstance, nullptr); } },
        };
    }

    editortest::CSettingsScope m_settings;

private:
    tessvald::string::CString m_strSavedPath;
};

BOOL CALLBACK CountToolTip(HWND hWnd, LPARAM lParam)
{
    if (ClassName(hWnd) == TOOLTIPS_CLASSW)
        ++*reinterpret_cast<int*>(lParam);
    return TRUE;
}

int ThreadToolTipCount()
{
    int nCount = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountToolTip, reinterpret_cast<LPARAM>(&nCount));
    return nCount;
}

int ScreenResolution()
{
    HDC hDC = GetDC(nullptr);
    const int nDpi = GetDeviceCaps(hDC, LOGPIXELSY);
    ReleaseDC(nullptr, hDC);
    return nDpi;
}

// Set in the child run: the resolution its screen must have.
constexpr wchar_t kChildDpiVariable[] = L"AMBERTILLE_LAYOUT_DPI";
constexpr wchar_t kChildTest[] = L"DialogLayoutTest.EveryDialogLaidOutAt144DotsPerInchPassesTheSameChecks";

int ChildDpi()
{
    wchar_t szValue[16] = {};
    return GetEnvironmentVariableW(kChildDpiVariable, szValue, 16) != 0 ? _wtoi(szValue) : 0;
}

// gtest's report of the child's run: how many tests ran, and the failures.
struct ChildReport
{
    int nTests = 0;
    std::vector<std::string> failures;
};

ChildReport ReadChildReport(const std::wstring& path)
{
    ChildReport report;
    const std::string xml = ReadFileBytes(path);
    const size_t nTests = xml.find(" tests=\"");
    if (nTests != std::string::npos)
        report.nTests = std::atoi(xml.c_str() + nTests + 8);
    for (size_t nAt = xml.find("<failure message=\""); nAt != std::string::npos;
         nAt = xml.find("<failure message=\"", nAt + 1)) {
        const size_t nStart = nAt + 18;
        std::string text = xml.substr(nStart, xml.find('"', nStart) - nStart);
        for (const auto& entity : { std::make_pair("&#x0A;", "\n"), std::make_pair("&quot;", "\""),
                                    std::make_pair("&lt;", "<"), std::make_pair("&gt;", ">"),
                                    std::make_pair("&amp;", "&") }) {
            for (size_t nEntity = text.find(entity.first); nEntity != std::string::npos;
                 nEntity = text.find(entity.first, nEntity + 1))
                text.replace(nEntity, std::strlen(entity.first), entity.second);
        }
        report.failures.push_back(text);
    }
    return report;
}

} // namespace

TEST_F(DialogLayoutTest, EveryLabelShowsWholeAt96And144DotsPerInch)
{
    if (ChildDpi() != 0) {
        ASSERT_EQ(ChildDpi(), ScreenResolution()) << "the child does not run at the resolution it was started for";
    }
    for (const DialogCase& dialogCase : Dialogs()) {
        SCOPED_TRACE(dialogCase.pszName);
        const DialogTemplate dialog = LoadTemplate(dialogCase.nTemplate);
        const LiveDialog live = OpenAndRead(dialogCase);
        ASSERT_EQ(dialog.items.size(), live.controls.size());

        // The reckoning must give what the dialog manager gave.
        const Layout screen = LayoutAt(live.font, dialog.nPoints, ScreenResolution());
        ASSERT_EQ(screen.font.lfHeight, live.font.lfHeight);
        for (size_t i = 0; i < dialog.items.size(); ++i) {
            ASSERT_EQ(dialog.items[i].nId, live.controls[i].nId);
            if (!IsLabel(dialog.items[i]) || !live.controls[i].bDialogFont)
                continue;
            const RECT expected = screen.Map(dialog.items[i].place);
            EXPECT_TRUE(EqualRect(&expected, &live.controls[i].rect) != FALSE) << Narrow(dialog.items[i].text);
        }

        for (int nDpi : { 96, 144 }) {
            const Layout layout = LayoutAt(live.font, dialog.nPoints, nDpi);
            for (size_t i = 0; i < dialog.items.size(); ++i) {
                const TemplateItem& item = dialog.items[i];
                if (KindOf(item) == LabelKind::None || !live.controls[i].bDialogFont)
                    continue;
                ExpectTextFits(layout, item, item.text);
                ExpectTextFits(layout, item, live.controls[i].text);
            }
            ExpectNoCollisions(layout, dialog);
        }
    }
}

TEST_F(DialogLayoutTest, AccessKeysAreUniqueInEveryDialog)
{
    for (const DialogCase& dialogCase : Dialogs()) {
        SCOPED_TRACE(dialogCase.pszName);
        const DialogTemplate dialog = LoadTemplate(dialogCase.nTemplate);
        const LiveDialog live = OpenAndRead(dialogCase);
        std::map<wchar_t, std::wstring> seen;
        for (const auto& key : AccessKeys(dialog, live)) {
            const auto inserted = seen.emplace(key.first, key.second);
            EXPECT_TRUE(inserted.second) << "the key " << Narrow(std::wstring(1, key.first)) << " of \""
                                         << Narrow(key.second) << "\" is also \""
                                         << Narrow(inserted.first->second) << "\"";
        }
        EXPECT_FALSE(seen.empty());
    }
}

TEST_F(DialogLayoutTest, IconButtonsHaveGermanNamesAndTooltips)
{
    const struct
    {
        WORD nTemplate;
        int nId;
        const wchar_t* pszName;
        const wchar_t* pszTip;
    } buttons[] = {
        { IDD_MANIPULATE, IDC_MOVE_UP, L"Nach &oben", L"Die ausgewählten Einträge eine Zeile nach oben schieben (Strg+Pfeil nach oben)" },
        { IDD_MANIPULATE, IDC_MOVE_DOWN, L"Nach &unten", L"Die ausgewählten Einträge eine Zeile nach unten schieben (Strg+Pfeil nach unten)" },
        { IDD_REGISTER, IDC_SEPARATOR_TOGGLE, L"&Trennlinie", L"Diesen Eintrag als Trennlinie im Menü zeigen" },
        { IDD_REGISTER, IDC_BROWSE, L"&Durchsuchen \u2026", L"Eine Datei auswählen und alle Felder aus ihr füllen" },
    };
    const int nToolTipsBefore = ThreadToolTipCount();
    std::map<WORD, LiveDialog> lives;
    for (const DialogCase& dialogCase : Dialogs()) {
        if (dialogCase.nTemplate == IDD_MANIPULATE || dialogCase.nTemplate == IDD_REGISTER)
            lives[dialogCase.nTemplate] = OpenAndRead(dialogCase);
    }
    EXPECT_EQ(nToolTipsBefore, ThreadToolTipCount()) << "the tooltips go with their dialogs";
    for (const auto& button : buttons) {
        SCOPED_TRACE(Narrow(button.pszName));
        LiveDialog& live = lives[button.nTemplate];
        std::wstring name;
        for (const LiveControl& control : live.controls) {
            if (control.nId == button.nId)
                name = control.text;
        }
        EXPECT_EQ(button.pszName, name);
        EXPECT_EQ(button.pszTip, live.tips[button.nId]);
    }
}

// The same checks, with the dialogs laid out by the dialog manager at 144
// dots per inch, in a child process of this test program. Windows takes a
// new resolution only at the next logon.
TEST_F(DialogLayoutTest, EveryDialogLaidOutAt144DotsPerInchPassesTheSameChecks)
{
    if (ChildDpi() != 0)
        GTEST_SKIP() << "this is the child run";
    if (!IsWine())
        GTEST_SKIP() << "a resolution set in the registry takes effect at the next logon";
    CTempDir folder;
    const std::wstring report = folder.File(L"child.xml");
    {
        // Back to what it was as soon as the child has ended, so that no
        // later process of the prefix starts at 144.
        CRegistryValueGuard keep(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels");
        const DWORD nDpi = 144;
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels",
                                                 REG_DWORD, &nDpi, sizeof(nDpi)));
        wchar_t szProgram[MAX_PATH + 1] = {};
        GetModuleFileNameW(nullptr, szProgram, MAX_PATH);
        CChildProcess child(szProgram,
                            L"--gtest_filter=DialogLayoutTest.*-" + std::wstring(kChildTest) + L" --gtest_output=xml:\""
                                + report + L"\"",
                            L"", { { kChildDpiVariable, L"144" } });
        ASSERT_TRUE(child.Started());
        DWORD nExitCode = 1;
        ASSERT_TRUE(child.Wait(40000, &nExitCode)) << "the child did not end within 40 s";
        EXPECT_EQ(0u, nExitCode);
    }
    const ChildReport result = ReadChildReport(report);
    EXPECT_LT(0, result.nTests) << "the child ran no checks";
    for (const std::string& failure : result.failures)
        ADD_FAILURE() << "at 144 dpi: " << failure;
}
