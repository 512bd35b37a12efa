#include "resolve/FileTypes.h"

#include "resolve/ResolveFixtures.h"
#include "support/TempDir.h"

#include <shlwapi.h>

#include <gtest/gtest.h>

using resolvetest::CRegisteredType;
using tessvald::string::CString;
using testsupport::ExeFolder;

TEST(FileTypeLookups, UnregisteredOrMissingExtensionFindsNoIconAndKeepsTheOutputs)
{
    CRegisteredType noClass(L".ambnocls", L"");
    CRegisteredType deadClass(L".ambdead", L"Ambertille.Test.Missing", false);

    const wchar_t* const extensions[] = { L".ambnone", L"", L".ambnocls", L".ambdead" };
    for (const wchar_t* pszExtension : extensions) {
        CString strFile(L"kept");
        LONG nIndex = 42;
        EXPECT_FALSE(GetDefaultIcon(CString(pszExtension), strFile, nIndex));
        EXPECT_STREQ(L"kept", strFile.GetData());
        EXPECT_EQ(42, nIndex);
    }
}

// The name Explorer shows: the type's readable name, and for a type nobody
// registered one made from its extension. A file need not exist: only its
// name is asked. (Wine's shell finds a class only by its first 19
// characters, hence the short one.)
TEST(FileTypeLookups, TypeNameIsTheOneExplorerShows)
{
    CRegisteredType named(L".ambnamed", L"Amb.Named");
    named.SetTypeName(L"Ambertille-Testdokument");

    const struct
    {
        const wchar_t* pszPath;
        const wchar_t* pszExpected;  // null: any name that holds the extension
    } cases[] = {
        { L"C:\\Docs\\Report.ambnamed", L"Ambertille-Testdokument" },
        { L"C:\\Kein Ordner\\Report.AMBNAMED", L"Ambertille-Testdokument" },
        { L"C:\\Docs\\file.ambnone", nullptr },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "path " << testing::PrintToString(std::wstring(c.pszPath)));
        CString strName;
        ASSERT_TRUE(GetFileTypeName(c.pszPath, strName));
        if (c.pszExpected != nullptr) {
            EXPECT_STREQ(c.pszExpected, strName.GetData());
        } else {
            EXPECT_NE(nullptr, StrStrIW(strName.GetData(), L"ambnone")) << strName.GetData();
        }
    }
    for (const wchar_t* pszPath : { L"", static_cast<const wchar_t*>(nullptr) }) {
        CString strName(L"kept");
        EXPECT_FALSE(GetFileTypeName(pszPath, strName));
        EXPECT_STREQ(L"kept", strName.GetData());
    }
}

TEST(FileTypeLookups, DefaultIconSplitsAtTheLastCommaAndPlacesNegativeGroupNumbers)
{
    const std::wstring icons = ExeFolder() + L"\\resolve_icons.dll";
    const std::wstring noGroup153 = ExeFolder() + L"\\resolve_plant.dll";
    SetEnvironmentVariableW(L"AMB_FIXTURES", ExeFolder().c_str());

    const struct
    {
        std::wstring location;
        DWORD type;
        std::wstring expectedFile;
        LONG expectedIndex;
    } cases[] = {
        // Group 153 is the third group of the file (after "ALPHA" and 7).
        { icons + L",-153", REG_SZ, icons, 2 },
        { noGroup153 + L",-153", REG_SZ, noGroup153, -153 },
        { L"C:\\Programs\\tool.exe,2", REG_SZ, L"C:\\Programs\\tool.exe", 2 },
        { L"C:\\Odd,Name\\lib.dll, 5", REG_SZ, L"C:\\Odd,Name\\lib.dll", 5 },
        { L"\"C:\\Program Files\\lib.dll\",1", REG_SZ, L"\"C:\\Program Files\\lib.dll\"", 1 },
        { L"C:\\Programs\\tool.exe,", REG_SZ, L"C:\\Programs\\tool.exe", 0 },
        // Placed on the name as written, which the loader cannot open.
        { L"%AMB_FIXTURES%\\resolve_icons.dll,-153", REG_EXPAND_SZ, L"%AMB_FIXTURES%\\resolve_icons.dll", -153 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "location " << testing::PrintToString(c.location));
        CRegisteredType type(L".ambicon", L"Ambertille.Test.Icon");
        type.SetDefaultIcon(c.location, c.type);
        CString strFile;
        LONG nIndex = 42;
        ASSERT_TRUE(GetDefaultIcon(CString(L".ambicon"), strFile, nIndex));
        EXPECT_STREQ(c.expectedFile.c_str(), strFile.GetData());
        EXPECT_EQ(c.expectedIndex, nIndex);
    }
}

TEST(FileTypeLookups, DefaultIconWithoutCommaOrWithoutKeyGivesNothing)
{
    CRegisteredType noComma(L".ambnocomma", L"Ambertille.Test.NoComma");
    noComma.SetDefaultIcon(L"%1");
    CRegisteredType noIcon(L".ambnoicon", L"Ambertille.Test.NoIcon");

    for (const wchar_t* pszExtension : { L".ambnocomma", L".ambnoicon" }) {
        CString strFile(L"kept");
        LONG nIndex = 42;
        EXPECT_FALSE(GetDefaultIcon(CString(pszExtension), strFile, nIndex));
        EXPECT_STREQ(L"kept", strFile.GetData());
        EXPECT_EQ(42, nIndex);
    }
}
