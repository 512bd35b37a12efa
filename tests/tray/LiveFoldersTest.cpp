#include "TrayTestSupport.h"

#include "foundation/ScopedHandle.h"
#include "support/HungShare.h"
#include "support/TextReport.h"
#include "support/Wait.h"
#include "tray/FolderListing.h"
#include "tray/LiveFolders.h"
#include "tray/MenuFont.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::Narrow;
using traytest::CTraySettings;
using traytest::DescribeMenu;

namespace {

// A folder as a user has one: Explorer sorts numbers by value, puts the
// folders first, hides shortcuts' extensions and (by default) those of
// registered types, and hidden and protected system files.
class CSampleFolder
{
public:
    explicit CSampleFolder(const CTraySettings& settings) : m_folder(settings.File(L"Beispiel"))
    {
        CreateDirectoryW(m_folder.c_str(), nullptr);
        for (const wchar_t* pszFolder : { L"Zeta", L"alpha" })
            CreateDirectoryW(File(pszFolder).c_str(), nullptr);
        for (const wchar_t* pszFile : { L"Notiz 10.ambfremd", L"Notiz 2.ambfremd", L"b.lnk", L"k.ambbekannt",
                                        L"h.ambfremd", L"s.ambfremd" })
            testsupport::WriteFileBytes(File(pszFile), "x");
        SetFileAttributesW(File(L"h.ambfremd").c_str(), FILE_ATTRIBUTE_HIDDEN);
        SetFileAttributesW(File(L"s.ambfremd").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        RegCreateKeyExW(HKEY_CLASSES_ROOT, L".ambbekannt", 0, nullptr, 0, KEY_WRITE, nullptr, &m_hType, nullptr);
    }
    CSampleFolder(const CSampleFolder&) = delete;
    CSampleFolder& operator=(const CSampleFolder&) = delete;
    virtual ~CSampleFolder()
    {
        RegCloseKey(m_hType);
        RegDeleteKeyW(HKEY_CLASSES_ROOT, L".ambbekannt");
    }

    const std::wstring& Path() const { return m_folder; }
    std::wstring File(const std::wstring& name) const { return m_folder + L"\\" + name; }

private:
    std::wstring m_folder;
    HKEY m_hType = nullptr;
};

// Hands the worker's messages and the deadline's timer to the live folders,
// as the tray window does.
LRESULT CALLBACK ForwardingProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    auto* pFolders = reinterpret_cast<CLiveFolders*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (pFolders != nullptr && nMsg == WM_TIMER)
        pFolders->OnTimer(wParam);
    if (pFolders != nullptr && nMsg == WM_FOLDERLISTED)
        pFolders->OnListed();
    return DefWindowProcW(hWnd, nMsg, wParam, lParam);
}

std::wstring Names(const SFolderListing& listing)
{
    std::wstring text;
    for (const SFolderEntry& entry : listing.entries)
        text += (text.empty() ? L"" : L"|") + entry.strName + (entry.bFolder ? L"/" : L"");
    return text;
}

} // namespace

TEST(FolderListing, ShowsWhatExplorerShowsInItsOrder)
{
    CTraySettings settings;
    const CSampleFolder folder(settings);
    const struct
    {
        const char* pszView;
        SFolderView view;
        std::size_t nCap;
        const wchar_t* pszNames;
        bool bMore;
    } cases[] = {
        { "Explorer's defaults", { false, false, true }, 100,
          L"alpha/|Zeta/|b|k|Notiz 2.ambfremd|Notiz 10.ambfremd", false },
        { "known extensions shown", { false, false, false }, 100,
          L"alpha/|Zeta/|b|k.ambbekannt|Notiz 2.ambfremd|Notiz 10.ambfremd", false },
        { "hidden files shown", { true, false, true }, 100,
          L"alpha/|Zeta/|b|h.ambfremd|k|Notiz 2.ambfremd|Notiz 10.ambfremd", false },
        { "system files shown too", { true, true, true }, 100,
          L"alpha/|Zeta/|b|h.ambfremd|k|Notiz 2.ambfremd|Notiz 10.ambfremd|s.ambfremd", false },
        { "cut at the cap", { false, false, true }, 3, L"alpha/|Zeta/|b", true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszView);
        const SFolderListing listing = ListFolder(folder.Path(), c.view, c.nCap);
        EXPECT_TRUE(listing.bReachable);
        EXPECT_EQ(c.pszNames, Names(listing));
        EXPECT_EQ(c.bMore, listing.bMore);
    }
    const std::wstring empty = settings.File(L"leer");
    CreateDirectoryW(empty.c_str(), nullptr);
    EXPECT_TRUE(ListFolder(empty, { false, false, true }, 100).bReachable);
    EXPECT_FALSE(ListFolder(settings.File(L"fehlt"), { false, false, true }, 100).bReachable);
}

// A live folder's submenu is filled when it opens and emptied when it
// closes; a folder that is missing or does not answer says so, and one that
// does not answer never holds the menu.
TEST(LiveFolders, ASubmenuIsFilledWhenItOpensAndEmptiedWhenItCloses)
{
    CTraySettings settings;
    const CSampleFolder sample(settings);
    const std::wstring empty = settings.File(L"leer");
    CreateDirectoryW(empty.c_str(), nullptr);
    const std::wstring many = settings.File(L"viele");
    CreateDirectoryW(many.c_str(), nullptr);
    for (int i = 0; i < 1002; ++i)
        testsupport::WriteFileBytes(many + L"\\f" + std::to_wstring(i) + L".ambfremd", "");
    const std::wstring share = testsupport::HungSharePath();

    WNDCLASSW wc = {};
    wc.lpfnWndProc = ForwardingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"AmbertilleLiveFolderTest";
    RegisterClassW(&wc);
    HWND hWnd = CreateWindowExW(0, wc.lpszClassName, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                nullptr);
    CLiveFolders folders;
    SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&folders));
    folders.SetWindow(hWnd);
    const struct
    {
        const char* pszCase;
        std::wstring folder;
        std::wstring first;  // the menu at its opening, cut after this many characters
        std::wstring later;  // after the deadline; empty: as at its opening
    } cases[] = {
        { "a folder", sample.Path(),
          L"1000 Ordner \u00F6ffnen|-|alpha[]|Zeta[]|1001 b|1002 k|1003 Notiz 2.ambfremd|1004 Notiz 10.ambfremd", L"" },
        { "an empty folder", empty, L"1000 Ordner \u00F6ffnen|-|0 (leer)", L"" },
        { "a missing folder", settings.File(L"fehlt"), L"0 (nicht erreichbar)", L"" },
        { "past the cap", many, L"1000 Ordner \u00F6ffnen|-|1001 f0.ambfremd|1002 f1.ambfremd|", L"" },
        { "a share that does not answer", share.empty() ? L"" : share + L"\\dead\\x", L"0 (wird gelesen \u2026)",
          L"0 (nicht erreichbar)" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        if (c.folder.empty())
            continue;
        const tessvald::CMenuHandle submenu(CreatePopupMenu());
        folders.Register(submenu.Get(), c.folder);
        folders.BeginShowing(1000, CMenuFont());
        const DWORD nStart = GetTickCount();
        ASSERT_TRUE(folders.OnInitMenuPopup(submenu.Get()));
        EXPECT_LT(GetTickCount() - nStart, 3000u) << "the opening waited for the folder";
        const std::wstring opened = DescribeMenu(submenu.Get());
        EXPECT_EQ(c.first, opened.substr(0, c.first.size()));
        if (!c.later.empty()) {
            EXPECT_TRUE(testsupport::WaitFor("the folder's entries in the open submenu",
                                             [&] { return DescribeMenu(submenu.Get()) == c.later; }))
                << testsupport::Narrow(DescribeMenu(submenu.Get()));
        }
        if (c.folder == many) {
            EXPECT_EQ(1003, GetMenuItemCount(submenu.Get()));
            EXPECT_NE(std::wstring::npos, opened.find(L"Weitere Eintr\u00E4ge im Ordner \u00F6ffnen \u2026"));
        }
        folders.OnUninitMenuPopup(submenu.Get());
        EXPECT_EQ(0, GetMenuItemCount(submenu.Get())) << "what the submenu held stays after it closed";
        folders.EndShowing();
    }
    SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
    DestroyWindow(hWnd);
}
