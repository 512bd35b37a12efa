#include "dialogs/CVersionInfo.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

using tessvald::version::CVersionInfo;
using testsupport::ExeFolder;

namespace {

std::wstring Fixture(const wchar_t* pszName)
{
    return ExeFolder() + L"\\" + pszName;
}

std::wstring OrEmpty(const wchar_t* pszText)
{
    return pszText != nullptr ? pszText : L"";
}

} // namespace

TEST(VersionInfo, ReadsEveryValueOfTheFirstTranslation)
{
    CVersionInfo info;
    ASSERT_TRUE(info.Load(Fixture(L"verinfo_private.dll").c_str()));
    const struct
    {
        const wchar_t* pszName;
        const wchar_t* pszValue;
        const wchar_t* pszExpected;
    } values[] = {
        { L"fixed file version", info.GetFixedFileVersion(), L"10.0.65535.7" },
        { L"fixed product version", info.GetFixedProductVersion(), L"3.1.0.2" },
        { L"Comments", info.GetComments(), L"Ein Prüfmodul für das Über-Fenster." },
        { L"InternalName", info.GetInternalName(), L"Prüfling" },
        { L"ProductName", info.GetProductName(), L"Prüfling Gesamt" },
        { L"CompanyName", info.GetCompanyName(), L"Prüfwerk" },
        { L"LegalCopyright", info.GetLegalCopyright(), L"Copyright © 2031" },
        { L"ProductVersion", info.GetProductVersion(), L"3, 1, 0, 2" },
        { L"FileDescription", info.GetFileDescription(), L"Prüfmodul" },
        { L"LegalTrademarks", info.GetLegalTrademarks(), L"Keine" },
        { L"PrivateBuild", info.GetPrivateBuild(), L"test" },
        { L"FileVersion", info.GetFileVersion(), L"10, 0, 65535, 7" },
        { L"OriginalFilename", info.GetOriginalFilename(), L"verinfo_private.dll" },
        { L"SpecialBuild", info.GetSpecialBuild(), L"Sonderbau" },
    };
    for (const auto& value : values)
        EXPECT_EQ(std::wstring(value.pszExpected), OrEmpty(value.pszValue)) << value.pszName;
}

TEST(VersionInfo, TakesTheStringTableThatTheFirstTranslationNames)
{
    CVersionInfo info;
    ASSERT_TRUE(info.Load(Fixture(L"verinfo_english.dll").c_str()));
    EXPECT_EQ(L"Probe", OrEmpty(info.GetInternalName()));
    EXPECT_EQ(L"A test module in English.", OrEmpty(info.GetComments()));
    EXPECT_EQ(L"1.2.3.4", OrEmpty(info.GetFixedFileVersion()));
    // Keys that table lacks stay absent, even though another table has values.
    EXPECT_EQ(nullptr, info.GetPrivateBuild());
    EXPECT_EQ(nullptr, info.GetProductName());
}

TEST(VersionInfo, WithoutAReadableResourceEveryValueStaysAbsent)
{
    const std::wstring missing = ExeFolder() + L"\\no_such_module.dll";
    const std::wstring none = Fixture(L"verinfo_none.dll");
    const wchar_t* names[] = { nullptr, L"", missing.c_str(), none.c_str() };
    for (const wchar_t* pszName : names) {
        CVersionInfo info;
        EXPECT_FALSE(info.Load(pszName)) << OrEmpty(pszName);
        EXPECT_EQ(nullptr, info.GetFixedFileVersion());
        EXPECT_EQ(nullptr, info.GetInternalName());
        EXPECT_EQ(nullptr, info.GetComments());
    }
}

TEST(VersionInfo, LoadingAgainKeepsNothingOfTheFileBefore)
{
    const std::wstring none = Fixture(L"verinfo_none.dll");
    const std::wstring english = Fixture(L"verinfo_english.dll");
    const struct
    {
        const wchar_t* pszSecond;
        const wchar_t* pszInternalName;
        const wchar_t* pszFixedFileVersion;
    } cases[] = {
        { english.c_str(), L"Probe", L"1.2.3.4" },
        { none.c_str(), L"", L"" },
        { L"", L"", L"" },
    };
    for (const auto& sample : cases) {
        CVersionInfo info;
        ASSERT_TRUE(info.Load(Fixture(L"verinfo_private.dll").c_str()));
        info.Load(sample.pszSecond);
        EXPECT_EQ(sample.pszInternalName, OrEmpty(info.GetInternalName())) << sample.pszSecond;
        EXPECT_EQ(sample.pszFixedFileVersion, OrEmpty(info.GetFixedFileVersion())) << sample.pszSecond;
        EXPECT_EQ(nullptr, info.GetPrivateBuild()) << sample.pszSecond;
    }
}
