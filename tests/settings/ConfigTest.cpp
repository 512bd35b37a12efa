#include "SettingsTestSupport.h"

#include "settings/CConfig.h"

#include <gtest/gtest.h>

#include <string>

using namespace settingstest;

namespace {

class ConfigTest : public SettingsTest
{
};

std::wstring ReadText(const wchar_t* pszSection, const wchar_t* pszKey, DWORD nSize, bool& bRead)
{
    std::wstring buffer(nSize, L'#');
    bRead = g_config.ReadString(pszSection, pszKey, &buffer[0], nSize);
    return bRead ? std::wstring(buffer.c_str()) : buffer;
}

} // namespace

TEST_F(ConfigTest, ReadStringAcceptsOnlyValuesThatFitTheBuffer)
{
    const std::wstring v1023(1023, L'a');
    const std::wstring v1024(1024, L'b');
    WriteSettings(L"[s]\r\nempty=\r\nblank=   \r\nfits=" + v1023 + L"\r\ntoolong=" + v1024
                  + L"\r\nquoted=\"x y\"\r\nnoequals\r\n");
    struct Case
    {
        const wchar_t* pszSection;
        const wchar_t* pszKey;
        bool bRead;
        std::wstring expected;
    };
    const Case cases[] = {
        { L"s", L"empty", false, L"" },
        { L"s", L"blank", false, L"" },
        { L"s", L"fits", true, v1023 },
        { L"s", L"toolong", false, L"" },
        { L"S", L"QUOTED", true, L"x y" },
        { L"s", L"noequals", false, L"" },
        { L"s", L"missing", false, L"" },
        { L"missing", L"fits", false, L"" },
        { L"", L"fits", false, L"" },
        { L"s", L"", false, L"" },
    };
    for (const Case& c : cases) {
        bool bRead = false;
        const std::wstring value = ReadText(c.pszSection, c.pszKey, 1024, bRead);
        EXPECT_EQ(c.bRead, bRead) << c.pszSection << L"/" << c.pszKey;
        const std::wstring expected = c.bRead ? c.expected : std::wstring(1024, L'#');
        EXPECT_EQ(expected, value) << L"after reading " << c.pszKey;
    }
    wchar_t szBuffer[4] = {};
    EXPECT_FALSE(g_config.ReadString(L"s", L"fits", nullptr, 1024));
    EXPECT_FALSE(g_config.ReadString(L"s", L"fits", szBuffer, 0));
}

TEST_F(ConfigTest, ReadBoolKnowsFourWordsAndKeepsTheValueOtherwise)
{
    WriteSettings(L"[b]\r\nt1=true\r\nt2=True\r\nt3=1\r\nt4=TRUE\r\nf1=FALSE\r\nf2=0\r\nf3=false\r\n"
                  L"x1=yes\r\nx2=2\r\nx3=TRUEx\r\nx4=\r\nx5=01\r\n");
    struct Case
    {
        const wchar_t* pszKey;
        bool bRead;
        bool bValue;
    };
    const Case cases[] = {
        { L"t1", true, true },   { L"t2", true, true },   { L"t3", true, true },  { L"t4", true, true },
        { L"f1", true, false },  { L"f2", true, false },  { L"f3", true, false },  { L"x1", false, false },
        { L"x2", false, false }, { L"x3", false, false }, { L"x4", false, false }, { L"x5", false, false },
    };
    for (const Case& c : cases) {
        for (const bool bBefore : { false, true }) {
            bool bValue = bBefore;
            EXPECT_EQ(c.bRead, g_config.ReadBool(L"b", c.pszKey, bValue)) << c.pszKey;
            EXPECT_EQ(c.bRead ? c.bValue : bBefore, bValue) << c.pszKey;
        }
    }
}

TEST_F(ConfigTest, NumbersReadAsDecimalWithClamping)
{
    WriteSettings(L"[n]\r\npx=12px\r\nletters=px\r\nneg=-5\r\nbig=99999999999\r\nsmall=-99999999999\r\n"
                  L"minus1=-1\r\nover=4294967296\r\nhigh=3000000000\r\nlong40=" + std::wstring(40, L'1') + L"\r\n");
    struct LongCase
    {
        const wchar_t* pszKey;
        bool bRead;
        LONG nValue;
    };
    const LongCase longCases[] = {
        { L"px", true, 12 },          { L"letters", true, 0 },       { L"neg", true, -5 },
        { L"big", true, 2147483647 }, { L"small", true, -2147483647 - 1 }, { L"long40", false, 77 },
        { L"missing", false, 77 },
    };
    for (const LongCase& c : longCases) {
        LONG nValue = 77;
        EXPECT_EQ(c.bRead, g_config.ReadLong(L"n", c.pszKey, nValue)) << c.pszKey;
        EXPECT_EQ(c.nValue, nValue) << c.pszKey;
    }
    struct ULongCase
    {
        const wchar_t* pszKey;
        ULONG nValue;
    };
    const ULongCase ulongCases[] = {
        { L"minus1", 4294967295ul }, { L"over", 4294967295ul }, { L"high", 3000000000ul }, { L"letters", 0ul },
    };
    for (const ULongCase& c : ulongCases) {
        ULONG nValue = 77;
        EXPECT_TRUE(g_config.ReadULong(L"n", c.pszKey, nValue)) << c.pszKey;
        EXPECT_EQ(c.nValue, nValue) << c.pszKey;
    }
}

TEST_F(ConfigTest, EveryOperationFailsWithoutAFileName)
{
    WriteSettings(L"[s]\r\nk=v\r\n");
    EXPECT_FALSE(g_config.SetFileName(L""));
    wchar_t szValue[16] = {};
    bool bValue = false;
    LONG nLong = 0;
    ULONG nULong = 0;
    EXPECT_FALSE(g_config.ReadString(L"s", L"k", szValue, 16));
    EXPECT_FALSE(g_config.ReadBool(L"s", L"k", bValue));
    EXPECT_FALSE(g_config.ReadLong(L"s", L"k", nLong));
    EXPECT_FALSE(g_config.ReadULong(L"s", L"k", nULong));
    EXPECT_FALSE(g_config.WriteString(L"s", L"k", L"w"));
    EXPECT_FALSE(g_config.WriteBool(L"s", L"k", true, true));
    EXPECT_FALSE(g_config.WriteLong(L"s", L"k", 1));
    EXPECT_FALSE(g_config.WriteULong(L"s", L"k", 1));
    EXPECT_EQ(kFileAlone, Entries());
}

TEST_F(ConfigTest, WritesCreateAUtf16FileAndNeverWriteEmptyValues)
{
    EXPECT_FALSE(g_config.WriteString(L"tools", L"name", L""));
    EXPECT_FALSE(g_config.WriteString(L"tools", L"name", nullptr));
    EXPECT_FALSE(testsupport::FileExists(m_file)) << "an empty write created the file";

    // Characters outside the ANSI code page, one outside the BMP too.
    const std::wstring text = L"\u2713 \u041f\u0440\u0438\u0432\u0435\u0442 \u65e5\u672c \U0001F600";
    EXPECT_TRUE(g_config.WriteString(L"tools", L"name", text.c_str()));
    EXPECT_TRUE(g_config.WriteBool(L"tools", L"word", true, true));
    EXPECT_TRUE(g_config.WriteBool(L"tools", L"digit", false, false));
    EXPECT_TRUE(g_config.WriteLong(L"tools", L"long", -2147483647 - 1));
    EXPECT_TRUE(g_config.WriteULong(L"tools", L"ulong", 4294967295ul));
    EXPECT_TRUE(g_config.WriteString(L"tools", L"quoted", L"a b", true));

    EXPECT_EQ(L"[tools]\r\nname=" + text + L"\r\nword=TRUE\r\ndigit=0\r\nlong=-2147483648\r\n"
                  L"ulong=4294967295\r\nquoted=\"a b\"\r\n",
              ReadUtf16File(m_file));
    EXPECT_EQ(text, PlatformRead(m_file, L"tools", L"name"));
}

TEST_F(ConfigTest, LineBreaksInAValueAreWrittenAsBlanks)
{
    ASSERT_TRUE(g_config.WriteString(L"tool1", L"name", L"Editor"));
    ASSERT_TRUE(g_config.WriteString(L"tool1", L"description", L"eins\r\n[tool2]\r\nname=evil\nzwei\rdrei", false));
    ASSERT_TRUE(g_config.WriteString(L"tool1", L"param", L"a\nb", true));

    wchar_t szValue[1024] = {};
    ASSERT_TRUE(g_config.ReadString(L"tool1", L"description", szValue, 1024));
    EXPECT_STREQ(L"eins  [tool2]  name=evil zwei drei", szValue);
    EXPECT_EQ(L"eins  [tool2]  name=evil zwei drei", PlatformRead(m_file, L"tool1", L"description"));
    EXPECT_EQ(L"a b", PlatformRead(m_file, L"tool1", L"param"));
    EXPECT_EQ(std::vector<std::wstring>{ L"tool1" }, PlatformSectionNames(m_file));
}

// The program's reader must agree with the platform's profile functions on
// every file, including ones written by hand. A NUL ends a name or a value
// there, as the platform keeps them as NUL-terminated strings.
TEST_F(ConfigTest, ReadsEveryFileAsTheProfileFunctionsDo)
{
    static const wchar_t kText[] =
        L"top=1\r\n"
        L"[dup]\r\nname=first\r\nname=second\r\nNAME2=upper\r\n[DUP]\r\npath=p2\r\n"
        L"  [ spaced ]  \r\nk=v\r\n[bad\r\nbadkey=bv\r\n[a]b]\r\nk=ab\r\n[cr]\rk1=v1\rk2=v2\n\n"
        L"[ws]\r\n\tk1\t=\tv1\t\r\nk2=\u3000v2\u3000\r\nk3=\x1av3\x1a\r\n k5 = \" q \" \r\nk6='x'\r\n"
        L"k7=\"x'\r\nk8=\"\r\nk9=\"\"\r\nnokey\r\n;k10=c\r\nk11 = a = b\r\nk12=\x0bv\x0c\r\n"
        L"[long]\r\nv9=123456789\r\nv10=1234567890\r\n"
        L"[nul]\r\nv1=ab\0cd\r\nv2=\"x\0y\"\r\nv3=ab \0 cd\r\nk\0ey=kv\r\nv5=\"ab\"\0\r\nv6='a'\0'\r\n"
        L"v7= \0x\r\n\0lead=1\r\n[tool7\0junk]\r\nn=seven\r\n[ tool8 \0x]\r\nn=eight\r\n[tool9\0]x]\r\nn=nine\r\n"
        L"[last]\r\nk=\u00e4\u00f6\u00fc\U0001F600end";
    const std::wstring text(kText, ARRAYSIZE(kText) - 1);
    const wchar_t* const queries[][2] = {
        { L"dup", L"name" },   { L"dup", L"name2" },  { L"dup", L"path" },   { L"spaced", L"k" },
        { L"spaced", L"[bad" }, { L"spaced", L"badkey" }, { L"bad", L"badkey" }, { L"a]b", L"k" },
        { L"a", L"k" },        { L"cr", L"k1" },      { L"cr", L"k2" },      { L"ws", L"k1" },
        { L"ws", L"k2" },      { L"ws", L"k3" },      { L"ws", L"k5" },      { L"ws", L"k6" },
        { L"ws", L"k7" },      { L"ws", L"k8" },      { L"ws", L"k9" },      { L"ws", L"nokey" },
        { L"ws", L";k10" },    { L"ws", L"k10" },     { L"ws", L"k11" },     { L"ws", L"k12" },
        { L"long", L"v9" },    { L"long", L"v10" },   { L"last", L"k" },
        { L"nul", L"v1" },     { L"nul", L"v2" },     { L"nul", L"v3" },     { L"nul", L"k" },
        { L"nul", L"key" },    { L"nul", L"v5" },     { L"nul", L"v6" },     { L"nul", L"v7" },
        { L"nul", L"lead" },   { L"tool7", L"n" },    { L"tool8", L"n" },    { L"tool8 ", L"n" },
        { L"tool9", L"n" },
        { L"nowhere", L"k" },
    };
    struct Encoding
    {
        const char* pszName;
        std::string bytes;
    };
    const int nLength = static_cast<int>(text.size());
    const int nUtf8 = WideCharToMultiByte(CP_UTF8, 0, text.data(), nLength, nullptr, 0, nullptr, nullptr);
    std::string body(static_cast<std::size_t>(nUtf8), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), nLength, &body[0], nUtf8, nullptr, nullptr);
    std::string ansi;
    for (wchar_t ch : text)
        ansi.push_back(ch < 0x80 ? static_cast<char>(ch) : '?');
    const Encoding encodings[] = {
        { "UTF-16LE", Utf16FileBytes(text) },
        { "UTF-8 with mark", "\xEF\xBB\xBF" + body },
        { "ANSI", ansi },
    };
    for (const Encoding& encoding : encodings) {
        ASSERT_TRUE(testsupport::WriteFileBytes(m_file, encoding.bytes));
        for (const auto& query : queries) {
            for (const DWORD nSize : { 10ul, 1024ul }) {
                std::wstring platform(nSize + 1, L'\0');
                const DWORD nRead = GetPrivateProfileStringW(query[0], query[1], L"", &platform[0], nSize + 1,
                                                             m_file.c_str());
                const bool bPlatformAccepts = nRead > 0 && nRead < nSize;
                platform.resize(nRead);
                bool bRead = false;
                const std::wstring value = ReadText(query[0], query[1], nSize, bRead);
                EXPECT_EQ(bPlatformAccepts, bRead)
                    << encoding.pszName << " [" << query[0] << "] " << query[1] << " size " << nSize;
                if (bRead && bPlatformAccepts) {
                    EXPECT_EQ(platform, value) << encoding.pszName << " [" << query[0] << "] " << query[1];
                }
            }
        }
    }
}

// Wine's profile functions give "123456789" for a quoted ten-character value
// read into ten characters: they cut the text and then the last character
// as if it were the closing quotation mark. A value that does not fit is
// refused instead, quoted or not.
TEST_F(ConfigTest, AQuotedValueThatDoesNotFitIsRefusedNotCut)
{
    WriteSettings(L"[long]\r\nq10=\"1234567890\"\r\n");
    wchar_t szValue[11] = L"unchanged";
    EXPECT_FALSE(g_config.ReadString(L"long", L"q10", szValue, 10));
    EXPECT_STREQ(L"unchanged", szValue);
    EXPECT_TRUE(g_config.ReadString(L"long", L"q10", szValue, 11));
    EXPECT_STREQ(L"1234567890", szValue);
}

TEST_F(ConfigTest, ReadsSeeTheFileAsItIsNowExceptWithinABatch)
{
    WriteSettings(L"[s]\r\nk=one\r\n");
    wchar_t szValue[16] = {};
    ASSERT_TRUE(g_config.ReadString(L"s", L"k", szValue, 16));
    EXPECT_STREQ(L"one", szValue);

    // Same size, new contents: a changed last-write time must be enough.
    WriteSettings(L"[s]\r\nk=two\r\n");
    ASSERT_TRUE(g_config.ReadString(L"s", L"k", szValue, 16));
    EXPECT_STREQ(L"two", szValue);

    {
        CConfigReadBatch batch(g_config);
        ASSERT_TRUE(g_config.ReadString(L"s", L"k", szValue, 16));
        WriteSettings(L"[s]\r\nk=three\r\n");
        ASSERT_TRUE(g_config.ReadString(L"s", L"k", szValue, 16));
        EXPECT_STREQ(L"two", szValue) << "a batch reads one state of the file";
        ASSERT_TRUE(g_config.WriteString(L"s", L"own", L"write"));
        ASSERT_TRUE(g_config.ReadString(L"s", L"own", szValue, 16));
        EXPECT_STREQ(L"write", szValue) << "a write of our own is seen inside a batch";
    }
    ASSERT_TRUE(g_config.ReadString(L"s", L"k", szValue, 16));
    EXPECT_STREQ(L"three", szValue);

    ASSERT_TRUE(DeleteFileW(m_file.c_str()));
    EXPECT_FALSE(g_config.ReadString(L"s", L"k", szValue, 16));
    EXPECT_STREQ(L"three", szValue);
}

TEST_F(ConfigTest, AnsiFilesStillRead)
{
    ASSERT_TRUE(testsupport::WriteFileBytes(m_file, "[tools]\r\ncount=2\r\n[font]\r\nname=Gr\xFC\xDF" "e\r\n"));
    wchar_t szName[32] = {};
    ASSERT_TRUE(g_config.ReadString(L"font", L"name", szName, 32));
    EXPECT_EQ(PlatformRead(m_file, L"font", L"name"), szName);
    EXPECT_EQ(5u, std::wstring(szName).size());
    ULONG nCount = 0;
    EXPECT_TRUE(g_config.ReadULong(L"tools", L"count", nCount));
    EXPECT_EQ(2ul, nCount);
}

// Notepad saves UTF-8 without a mark. Such a file reads as UTF-8 once it
// holds text beyond ASCII; a file that is not valid UTF-8 reads in the ANSI
// code page as the platform reads it.
TEST_F(ConfigTest, UnmarkedFilesReadAsUtf8OnlyWhenTheyAreValidUtf8)
{
    struct Case
    {
        const char* pszCase;
        std::string value;
        bool bUtf8;
    };
    const Case cases[] = {
        { "UTF-8 umlauts", "Gr\xC3\xBC\xC3\x9F" "e", true },
        { "UTF-8 outside the BMP", "\xF0\x9F\x98\x80 Bild", true },
        { "ANSI umlauts", "Gr\xFC\xDF" "e", false },
        { "UTF-8 and an ANSI byte", "\xC3\xBC und \xFC", false },
        { "a cut sequence", "ab\xE2\x82", false },
        { "ASCII", "plain", false },
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(testsupport::WriteFileBytes(m_file, "[tools]\r\ncount=1\r\n[tool1]\r\nname=" + c.value + "\r\n"));
        bool bRead = false;
        const std::wstring name = ReadText(L"tool1", L"name", 1024, bRead);
        ASSERT_TRUE(bRead) << c.pszCase;
        EXPECT_EQ(c.bUtf8 ? Widen(c.value) : PlatformRead(m_file, L"tool1", L"name"), name) << c.pszCase;
    }
}
