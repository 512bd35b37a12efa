#include "settings/CRecord.h"
#include "settings/ShowModes.h"

#include <gtest/gtest.h>

namespace {

void ExpectDefaults(const CRecord& record)
{
    for (const auto* pText : { &record.m_strSection, &record.m_strName, &record.m_strPath, &record.m_strParam,
                               &record.m_strWorking, &record.m_strDescription, &record.m_strIconFile })
        EXPECT_STREQ(L"", pText->GetData());
    EXPECT_EQ(3, record.m_nShow);
    EXPECT_EQ(0, record.m_nIconIndex);
}

void Fill(CRecord& record, const wchar_t* pszTag)
{
    record.SetSection(L"tool%lu", 7ul);
    record.SetName(pszTag);
    record.SetPath(L"C:\\p.exe");
    record.SetParam(L"/x");
    record.SetWorking(L"C:\\");
    record.SetDescription(L"d");
    record.SetIconFile(L"C:\\i.dll");
    record.SetShow(7);
    record.SetIconIndex(-104);
}

} // namespace

TEST(CRecordTest, SeparatorsAreAtOrBeginWithMinus)
{
    struct Case
    {
        const wchar_t* pszName;
        bool bSeparator;
    };
    const Case cases[] = {
        { L"@", true },  { L"-", true },   { L"--", true },  { L"- Tools -", true },
        { L"a-b", false }, { L"@x", false }, { L"", false }, { L" -", false },
    };
    for (const Case& c : cases) {
        CRecord record;
        record.SetName(c.pszName);
        EXPECT_EQ(c.bSeparator, record.IsSeparator()) << c.pszName;
    }
}

TEST(CRecordTest, ShowTextNamesTheModeOrTheSeparator)
{
    struct Case
    {
        const wchar_t* pszName;
        LONG nShow;
        const wchar_t* pszText;
    };
    const Case cases[] = {
        { L"@", 3, L"Separator" },    { L"-x", -1, L"Separator" },  { L"Editor", 3, L"Maximize" },
        { L"Editor", 10, L"Default" }, { L"Editor", 1, L"Normal" },   { L"Editor", 7, L"Minimize" },
        { L"Editor", 5, L"" },         { L"Editor", -1, L"" },
    };
    for (const Case& c : cases) {
        CRecord record;
        record.SetName(c.pszName);
        record.SetShow(c.nShow);
        EXPECT_STREQ(c.pszText, record.GetShowText()) << c.pszName << L" " << c.nShow;
    }
}

TEST(CRecordTest, ShowModeTableLookups)
{
    EXPECT_EQ(4ul, GetShowModeCount());
    const LONG values[] = { 10, 1, 7, 3 };
    for (ULONG nRow = 0; nRow < 4; ++nRow) {
        EXPECT_EQ(values[nRow], GetShowModeValue(nRow));
        EXPECT_EQ(static_cast<LONG>(nRow), FindShowMode(values[nRow]));
    }
    EXPECT_EQ(-1, GetShowModeValue(4));
    EXPECT_STREQ(L"", GetShowModeName(4));
    EXPECT_STREQ(L"", GetShowModeName(static_cast<ULONG>(-1)));
    EXPECT_EQ(-1, FindShowMode(5));
    EXPECT_STREQ(L"", GetShowModeNameByValue(0));
}

TEST(CRecordTest, ResetCopyAndKeepSection)
{
    CRecord source;
    Fill(source, L"Quelle");

    CRecord copy(source);
    EXPECT_STREQ(L"tool7", copy.m_strSection.GetData());
    EXPECT_STREQ(L"Quelle", copy.m_strName.GetData());
    EXPECT_EQ(-104, copy.m_nIconIndex);

    CRecord target;
    target.SetSection(L"tool%lu", 2ul);
    target.CopyFrom(&source, true);
    EXPECT_STREQ(L"tool2", target.m_strSection.GetData());
    EXPECT_STREQ(L"Quelle", target.m_strName.GetData());
    EXPECT_STREQ(L"C:\\i.dll", target.m_strIconFile.GetData());
    EXPECT_EQ(7, target.m_nShow);
    target.CopyFrom(nullptr, false);
    EXPECT_STREQ(L"tool2", target.m_strSection.GetData());

    target.Reset();
    ExpectDefaults(target);
    ExpectDefaults(CRecord());
}
