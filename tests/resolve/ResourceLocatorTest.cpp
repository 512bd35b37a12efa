#include "foundation/ScopedHandle.h"
#include "resolve/CResourceLocator.h"
#include "resolve/IconIndex.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

using tessvald::CModuleHandle;
using tessvald::resources::CResourceLocator;
using testsupport::ExeFolder;

namespace {

// Three icon groups, written in the order 300, ZULU, 7; the system lists
// them string names first, then numbers ascending.
std::wstring IconModulePath()
{
    return ExeFolder() + L"\\icongroups.dll";
}

CModuleHandle LoadIconModule()
{
    return CModuleHandle(LoadLibraryExW(IconModulePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
}

// The found resource as "#7" or "ZULU".
std::wstring Found(const CResourceLocator& locator)
{
    const wchar_t* pszName = locator.GetName();
    if (IS_INTRESOURCE(pszName))
        return L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(pszName));
    return pszName;
}

int CountGroups(HMODULE hModule)
{
    CResourceLocator locator;
    int nCount = 0;
    while (locator.Locate(hModule, RT_GROUP_ICON, nCount))
        ++nCount;
    return nCount;
}

} // namespace

TEST(ResourceLocator, FindsIconGroupsInTheSystemsOrder)
{
    CModuleHandle module = LoadIconModule();
    ASSERT_TRUE(module);
    const struct
    {
        LONG nIndex;
        bool bFound;
        const wchar_t* pszName;
    } cases[] = {
        { 0, true, L"ZULU" },
        { 1, true, L"#7" },
        { 2, true, L"#300" },
        { 3, false, nullptr },
        { 1000, false, nullptr },
        { -1, false, nullptr },
        { LONG_MIN, false, nullptr },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nIndex);
        CResourceLocator locator;
        ASSERT_EQ(c.bFound, locator.Locate(module.Get(), RT_GROUP_ICON, c.nIndex));
        if (c.bFound) {
            EXPECT_EQ(c.pszName, Found(locator));
            // What GetName gives is what the icon loader accepts.
            HANDLE hIcon = LoadImageW(module.Get(), locator.GetName(), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR);
            EXPECT_NE(nullptr, hIcon);
            DestroyIcon(static_cast<HICON>(hIcon));
        }
    }
    EXPECT_EQ(3, CountGroups(module.Get()));
}

TEST(ResourceLocator, KeepsTypesApart)
{
    CModuleHandle module = LoadIconModule();
    ASSERT_TRUE(module);
    CResourceLocator locator;
    ASSERT_TRUE(locator.Locate(module.Get(), RT_RCDATA, 0));
    EXPECT_EQ(L"ALPHA", Found(locator));
    ASSERT_TRUE(locator.Locate(module.Get(), RT_RCDATA, 1));
    EXPECT_EQ(L"BETA", Found(locator));
    EXPECT_FALSE(locator.Locate(module.Get(), RT_RCDATA, 2));

    // A string type matches the same string only, case included.
    ASSERT_TRUE(locator.Locate(module.Get(), L"TRAYDATA", 0));
    EXPECT_EQ(L"#5", Found(locator));
    EXPECT_FALSE(locator.Locate(module.Get(), L"traydata", 0));
    EXPECT_FALSE(locator.Locate(module.Get(), RT_BITMAP, 0));
}

TEST(ResourceLocator, RefusesBeforeSearchingAndKeepsThePreviousResult)
{
    CModuleHandle module = LoadIconModule();
    ASSERT_TRUE(module);
    CResourceLocator locator;
    EXPECT_FALSE(locator.Locate(nullptr, RT_GROUP_ICON, 0));
    EXPECT_EQ(nullptr, locator.m_pszName);
    EXPECT_EQ(0u, locator.m_nId);

    ASSERT_TRUE(locator.Locate(module.Get(), RT_GROUP_ICON, 0));
    EXPECT_FALSE(locator.Locate(nullptr, RT_GROUP_ICON, 1));
    EXPECT_FALSE(locator.Locate(module.Get(), nullptr, 1));
    EXPECT_EQ(L"ZULU", Found(locator));

    // A search that runs and fails forgets what was found before.
    ASSERT_TRUE(locator.Locate(module.Get(), RT_GROUP_ICON, 1));
    EXPECT_FALSE(locator.Locate(module.Get(), RT_GROUP_ICON, 5));
    EXPECT_EQ(nullptr, locator.m_pszName);
    EXPECT_EQ(0u, locator.m_nId);

    // A module without icon groups has none to count.
    CModuleHandle own(LoadLibraryExW((ExeFolder() + L"\\launch_recorder.exe").c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(own);
    EXPECT_EQ(0, CountGroups(own.Get()));
}

TEST(FindIconIndex, TurnsResourceNumbersIntoPositions)
{
    const std::wstring module = IconModulePath();
    const std::wstring missing = ExeFolder() + L"\\no such module.dll";
    const struct
    {
        const std::wstring* pPath;
        LONG nId;
        bool bFound;
        LONG nIndex;
    } cases[] = {
        { &module, -7, true, 1 },
        { &module, -300, true, 2 },
        { &module, -5, false, 0 },   // a number that names no icon group (it names other data)
        { &module, 7, false, 0 },    // positions are not resource numbers
        { &module, 0, false, 0 },
        { &module, -65836, false, 0 }, // 300 beyond the 16-bit range must not match 300
        { &module, LONG_MIN, false, 0 },
        { &missing, -7, false, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nId);
        LONG nIndex = 42;
        EXPECT_EQ(c.bFound, FindIconIndex(c.pPath->c_str(), c.nId, nIndex));
        EXPECT_EQ(c.bFound ? c.nIndex : 42, nIndex) << "the position changes only when found";
    }
    LONG nIndex = 42;
    EXPECT_FALSE(FindIconIndex(nullptr, -7, nIndex));
    EXPECT_EQ(42, nIndex);
}
