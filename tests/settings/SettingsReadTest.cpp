#include "SettingsTestSupport.h"

#include "settings/CRecord.h"
#include "settings/SettingsFile.h"
#include "tray/AppGlobals.h"

#include <gtest/gtest.h>

#include <string>

using namespace settingstest;

namespace {

class SettingsReadTest : public SettingsTest
{
};

CRecord ReadTool(ULONG n)
{
    CRecord record;
    record.SetSection(L"tool%lu", n);
    EXPECT_TRUE(ReadRecord(&record));
    return record;
}

} // namespace

TEST_F(SettingsReadTest, CountBoundsTheToolsAndMissingSectionsReadAsDefaults)
{
    WriteSettings(L"[tools]\r\ncount=2\r\n"
                  L"[tool1]\r\nname=Editor\r\npath=C:\\e.exe\r\nshow=1\r\nparam=/n\r\nworking=C:\\w\r\n"
                  L"description=Texte\r\niconfile=C:\\i.dll\r\niconindex=-104\r\n"
                  L"[tool3]\r\nname=Drei\r\n");
    ULONG nCount = 99;
    ASSERT_TRUE(ReadToolCount(nCount));
    EXPECT_EQ(2ul, nCount);

    const CRecord first = ReadTool(1);
    EXPECT_STREQ(L"Editor", first.m_strName.GetData());
    EXPECT_STREQ(L"C:\\e.exe", first.m_strPath.GetData());
    EXPECT_EQ(1, first.m_nShow);
    EXPECT_STREQ(L"/n", first.m_strParam.GetData());
    EXPECT_STREQ(L"C:\\w", first.m_strWorking.GetData());
    EXPECT_STREQ(L"Texte", first.m_strDescription.GetData());
    EXPECT_STREQ(L"C:\\i.dll", first.m_strIconFile.GetData());
    EXPECT_EQ(-104, first.m_nIconIndex);

    const CRecord second = ReadTool(2);
    EXPECT_STREQ(L"", second.m_strName.GetData());
    EXPECT_EQ(3, second.m_nShow);
    EXPECT_EQ(0, second.m_nIconIndex);
    EXPECT_FALSE(ReadRecord(nullptr));
}

TEST_F(SettingsReadTest, ReadRecordKeepsValuesOfMissingOrRefusedKeys)
{
    WriteSettings(L"[tool1]\r\nname=" + std::wstring(1024, L'n') + L"\r\npath=\r\nshow=abc\r\niconindex=\r\n"
                  L"[tool2]\r\nname=@\r\n[tool3]\r\nname=- Gruppe -\r\n");
    CRecord record;
    record.SetSection(L"tool%lu", 1ul);
    record.SetName(L"vorher");
    record.SetPath(L"C:\\vorher.exe");
    record.SetIconIndex(5);
    ASSERT_TRUE(ReadRecord(&record));
    EXPECT_STREQ(L"vorher", record.m_strName.GetData()) << "a 1024-character name is refused";
    EXPECT_STREQ(L"C:\\vorher.exe", record.m_strPath.GetData());
    EXPECT_EQ(0, record.m_nShow) << "a number without digits reads as 0";
    EXPECT_EQ(5, record.m_nIconIndex);

    EXPECT_TRUE(ReadTool(2).IsSeparator());
    EXPECT_TRUE(ReadTool(3).IsSeparator());
}

// A section far beyond every real list keeps the caps below apart from the
// cap at the highest section present.
TEST_F(SettingsReadTest, HostileCountsGiveNoToolsOrAreCapped)
{
    struct Case
    {
        const wchar_t* pszCount;
        bool bRead;
        ULONG nTools;
    };
    const Case cases[] = {
        { L"3000000000", true, 0 },    { L"2000000000", true, kMaxToolCount }, { L"-1", true, 0 },
        { L"4294967295", true, 0 },    { L"2147483648", true, 0 },             { L"2147483647", true, kMaxToolCount },
        { L"63512", true, kMaxToolCount }, { L"63511", true, 63511 },         { L"0", true, 0 },
        { L"abc", true, 0 },           { L"", false, 0 },                      { nullptr, false, 0 },
    };
    for (const Case& c : cases) {
        WriteSettings(c.pszCount != nullptr ? L"[tools]\r\ncount=" + std::wstring(c.pszCount) + L"\r\n[tool70000]\r\n"
                                            : L"");
        ULONG nCount = 12345;
        EXPECT_EQ(c.bRead, ReadToolCount(nCount)) << (c.pszCount ? c.pszCount : L"(none)");
        EXPECT_EQ(c.nTools, nCount) << (c.pszCount ? c.pszCount : L"(none)");
    }
    // The last command id of the tools menu still fits 16 bits.
    EXPECT_EQ(65535ul, 2024ul + kMaxToolCount);
}

// Numbers beyond the last section would all be empty entries; gaps below
// it still are, as the count says. Sections count under the names that
// "tool%lu" looks up: case and blanks around the name do not matter,
// leading zeros do.
TEST_F(SettingsReadTest, TheCountStopsAtTheHighestToolSectionPresent)
{
    struct Case
    {
        const wchar_t* pszSections;
        const wchar_t* pszCount;
        ULONG nTools;
    };
    const Case cases[] = {
        { L"[tool1]\r\n[tool2]\r\n", L"2147483647", 2 },
        { L"[tool1]\r\n[tool5]\r\n", L"100000", 5 },
        { L"[tool1]\r\n[tool5]\r\n", L"3", 3 },
        { L"", L"100000", 0 },
        { L"[TOOL7]\r\n", L"100", 7 },
        { L"  [ tool7 ]  \r\n", L"100", 7 },
        { L"[tool07]\r\n[tool2]\r\n", L"100", 2 },
        { L"[tool0]\r\n", L"100", 0 },
        { L"[tool4294967296]\r\n[tool3]\r\n", L"100", 3 },
        { L"[tool 9]\r\n[xtool9]\r\n[tool9x]\r\n[tool1]\r\n", L"100", 1 },
        { L"[tool8]\r\n[tool3]\r\n", L"100", 8 },
    };
    for (const Case& c : cases) {
        WriteSettings(L"[tools]\r\ncount=" + std::wstring(c.pszCount) + L"\r\n" + c.pszSections);
        ULONG nCount = 12345;
        EXPECT_TRUE(ReadToolCount(nCount)) << c.pszSections;
        EXPECT_EQ(c.nTools, nCount) << c.pszSections;
    }
}

TEST_F(SettingsReadTest, IconOptionTakesLargeOrSmallInAnyCase)
{
    struct Case
    {
        const wchar_t* pszLine;
        bool bBefore;
        bool bAfter;
    };
    const Case cases[] = {
        { L"icons=LARGE", false, true }, { L"icons=large", false, true }, { L"icons=Small", true, false },
        { L"icons=big", true, true },    { L"icons=big", false, false },  { L"icons=", true, true },
        { L"", false, false },
    };
    for (const Case& c : cases) {
        WriteSettings(L"[tools]\r\n" + std::wstring(c.pszLine) + L"\r\n");
        g_bLargeIcons = c.bBefore;
        LoadIconOptions();
        EXPECT_EQ(c.bAfter, g_bLargeIcons) << c.pszLine;
    }
}

TEST_F(SettingsReadTest, FontOptionsLoadOnlyWhatReadsCleanly)
{
    ASSERT_EQ(96, ScreenDpi()) << "the size conversions below assume 96 dots per inch";
    WriteSettings(L"[tools]\r\nshortpath=TRUE\r\nsystemfont=false\r\n"
                  L"[font]\r\nname=Courier New\r\nsize=8\r\nbold=1\r\nitalic=TRUE\r\nunderline=0\r\n");
    g_logFont.lfUnderline = 1;
    LoadFontOptions();
    EXPECT_TRUE(g_bShortPath);
    EXPECT_FALSE(g_bSystemFont);
    EXPECT_STREQ(L"Courier New", g_logFont.lfFaceName);
    EXPECT_EQ(-11, g_logFont.lfHeight);
    EXPECT_EQ(700, g_logFont.lfWeight);
    EXPECT_EQ(1, g_logFont.lfItalic);
    EXPECT_EQ(0, g_logFont.lfUnderline);

    const std::wstring name31(31, L'F');
    WriteSettings(L"[font]\r\nname=" + name31 + L"\r\nsize=12\r\nbold=no\r\nitalic=0\r\n");
    LoadFontOptions();
    EXPECT_EQ(name31, g_logFont.lfFaceName);
    EXPECT_EQ(-16, g_logFont.lfHeight);
    EXPECT_EQ(700, g_logFont.lfWeight) << "'no' is not a boolean and leaves the weight";
    EXPECT_EQ(0, g_logFont.lfItalic);
    EXPECT_TRUE(g_bShortPath) << "a missing key leaves the option";

    WriteSettings(L"[font]\r\nname=" + std::wstring(32, L'G') + L"\r\nbold=FALSE\r\n");
    LoadFontOptions();
    EXPECT_EQ(name31, g_logFont.lfFaceName) << "a 32-character name is ignored";
    EXPECT_EQ(400, g_logFont.lfWeight);
}

TEST_F(SettingsReadTest, SetupNamesTheIniFileBesideTheProgram)
{
    const std::wstring savedPath = g_strModulePath.GetData() != nullptr ? g_strModulePath.GetData() : L"";
    const std::wstring program = m_dir.File(L"Ambertille.exe");
    g_strModulePath.Assign(program.c_str());
    EXPECT_TRUE(SetupConfigFile());
    EXPECT_EQ(m_dir.File(L"Ambertille.ini"), g_config.GetFileName());
    g_strModulePath.Assign(savedPath.c_str());
}
