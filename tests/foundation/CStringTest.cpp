#include "foundation/CString.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <new>
#include <string>

using tessvald::string::CString;

namespace {

// The text a string holds over its counted length, NULs included.
std::wstring Counted(const CString& text)
{
    if (text.GetData() == nullptr)
        return L"<no data>";
    return std::wstring(text.GetData(), text.GetLength());
}

CString Formatted(const wchar_t* pszText)
{
    CString result;
    CString::Format(result, L"%s", pszText);
    return result;
}

} // namespace

TEST(CStringConstruction, EmptyStringsWithAndWithoutData)
{
    CString byDefault;
    ASSERT_NE(nullptr, byDefault.GetData());
    EXPECT_STREQ(L"", byDefault.GetData());
    EXPECT_TRUE(byDefault.IsEmpty());

    CString fromNull(static_cast<const wchar_t*>(nullptr));
    EXPECT_EQ(nullptr, fromNull.GetData());
    EXPECT_TRUE(fromNull.IsEmpty());

    CString copyOfNull(fromNull);
    EXPECT_EQ(nullptr, copyOfNull.GetData());

    CString copy(CString(L"abc"));
    EXPECT_STREQ(L"abc", copy.GetData());
    EXPECT_EQ(3u, copy.GetLength());
}

TEST(CStringFormat, LengthCountsTheTerminator)
{
    CString text;
    EXPECT_TRUE(CString::Format(text, L"%s%s", L"ab", L"c"));
    EXPECT_STREQ(L"abc", text.GetData());
    EXPECT_EQ(4u, text.GetLength());
    // The buffer keeps one more NUL behind the counted terminator.
    EXPECT_EQ(L'\0', text.GetData()[3]);
    EXPECT_EQ(L'\0', text.GetData()[4]);

    struct Case { const wchar_t* pszFormat; long nValue; const wchar_t* pszExpected; };
    const Case cases[] = {
        { L"%d", -5, L"-5" },
        { L"%ld", 2147483647L, L"2147483647" },
        { L"tool%lu", 12, L"tool12" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszFormat);
        EXPECT_TRUE(CString::Format(text, c.pszFormat, c.nValue));
        EXPECT_STREQ(c.pszExpected, text.GetData());
        EXPECT_EQ(std::wcslen(c.pszExpected) + 1, text.GetLength());
    }

    EXPECT_TRUE(CString::Format(text, L"\"%s\" -run", L"C:\\Program Files\\a.exe"));
    EXPECT_STREQ(L"\"C:\\Program Files\\a.exe\" -run", text.GetData());
}

TEST(CStringFormat, EmptyResultAndNullFormat)
{
    CString text(L"old");
    EXPECT_FALSE(CString::Format(text, L"%s", L""));
    EXPECT_EQ(1u, text.GetLength());
    EXPECT_EQ(L'\0', text.GetData()[0]);
    EXPECT_TRUE(text.IsEmpty());

    CString kept(L"kept");
    EXPECT_FALSE(CString::Format(kept, nullptr));
    EXPECT_STREQ(L"kept", kept.GetData());
    EXPECT_EQ(4u, kept.GetLength());
}

TEST(CStringFormat, TargetsOwnTextMayBeAnArgument)
{
    CString text(L"Ambertille");
    EXPECT_TRUE(CString::Format(text, L"%s - %s", text.GetData(), text.GetData()));
    EXPECT_STREQ(L"Ambertille - Ambertille", text.GetData());

    CString twice(L"ab");
    EXPECT_TRUE(twice.Append(twice.GetData()));
    EXPECT_STREQ(L"abab", twice.GetData());

    CString tail(L"-run");
    EXPECT_TRUE(tail.Assign(tail.GetData() + 1));
    EXPECT_STREQ(L"run", tail.GetData());
    EXPECT_EQ(3u, tail.GetLength());
}

TEST(CStringAppend, FormatsOldAndNewText)
{
    CString title(L"\u00dcber ");
    EXPECT_TRUE(title.Append(L"Ambertille"));
    EXPECT_STREQ(L"\u00dcber Ambertille", title.GetData());
    EXPECT_EQ(16u, title.GetLength());

    CString unchanged(L"x");
    EXPECT_FALSE(unchanged.Append(nullptr));
    EXPECT_STREQ(L"x", unchanged.GetData());
    EXPECT_EQ(1u, unchanged.GetLength());

    CString noData(static_cast<const wchar_t*>(nullptr));
    EXPECT_TRUE(noData.Append(L"y"));
    EXPECT_STREQ(L"y", noData.GetData());
}

TEST(CStringAssign, CopiesAndFrees)
{
    CString text;
    EXPECT_TRUE(text.Assign(L"abc"));
    EXPECT_EQ(3u, text.GetLength());
    EXPECT_FALSE(text.Assign(static_cast<const wchar_t*>(nullptr)));
    EXPECT_EQ(nullptr, text.GetData());
    EXPECT_EQ(0u, text.GetLength());

    CString source(L"copy me");
    text = source;
    EXPECT_STREQ(L"copy me", text.GetData());
    text = text;
    EXPECT_STREQ(L"copy me", text.GetData());
    text.Clear();
    EXPECT_EQ(nullptr, text.GetData());
}

TEST(CStringSubstring, Bounds)
{
    struct Case { const wchar_t* pszText; std::uint32_t nStart; std::uint32_t nEnd; const wchar_t* pszExpected; };
    const Case cases[] = {
        { L"abcd", 2, CString::npos, L"cd" },
        { L"abcd", 4, CString::npos, L"" },
        { L"abcd", 3, 1, L"" },
        { L"abc", 1, 99, L"bc" },
        { L"abc", 0, 1, L"a" },
        { L"abc", 5, 9, L"" },
        { L"abc", 2, 2, L"" },
        { L"", 0, CString::npos, L"" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nStart << ".." << c.nEnd);
        const CString part = CString(c.pszText).Substring(c.nStart, c.nEnd);
        ASSERT_NE(nullptr, part.GetData());
        EXPECT_STREQ(c.pszExpected, part.GetData());
        EXPECT_EQ(std::wcslen(c.pszExpected), part.GetLength());
    }

    // The counted terminator of a formatted text is part of the range.
    const CString formatted = Formatted(L"abc");
    EXPECT_EQ(std::wstring(L"abc\0", 4), Counted(formatted.Substring(0)));
    EXPECT_EQ(std::wstring(L"c\0", 2), Counted(formatted.Substring(2)));

    const CString noData(static_cast<const wchar_t*>(nullptr));
    EXPECT_STREQ(L"", noData.Substring(0).GetData());
}

TEST(CStringSearch, FirstAndLastOccurrence)
{
    struct Case { const wchar_t* pszText; wchar_t ch; std::int32_t nFirst; std::int32_t nLast; };
    const Case cases[] = {
        { L"a,b,c", L',', 1, 3 },
        { L",abc", L',', 0, 0 },
        { L"abc", L',', -1, -1 },
        { L"a,b", L',', 1, 1 },
        { L"", L',', -1, -1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszText);
        EXPECT_EQ(c.nFirst, CString(c.pszText).Find(c.ch));
        EXPECT_EQ(c.nLast, CString(c.pszText).ReverseFind(c.ch));
    }
    const CString noData(static_cast<const wchar_t*>(nullptr));
    EXPECT_EQ(-1, noData.Find(L'a'));
    EXPECT_EQ(-1, noData.ReverseFind(L'a'));
}

TEST(CStringTrim, BlanksTabsAndCountedTerminators)
{
    struct Case { const wchar_t* pszText; const wchar_t* pszLeft; const wchar_t* pszRight; const wchar_t* pszBoth; };
    const Case cases[] = {
        { L"a  ", L"a  ", L"a", L"a" },
        { L"x", L"x", L"x", L"x" },
        { L" \t ", L"", L"", L"" },
        { L" \t-run \t", L"-run \t", L" \t-run", L"-run" },
        { L"a\n", L"a\n", L"a\n", L"a\n" },  // only blanks and tabs count
        { L"\u00a0a", L"\u00a0a", L"\u00a0a", L"\u00a0a" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszText);
        const CString text(c.pszText);
        EXPECT_STREQ(c.pszLeft, text.TrimLeft().GetData());
        EXPECT_STREQ(c.pszRight, text.TrimRight().GetData());
        EXPECT_STREQ(c.pszBoth, text.Trim().GetData());
        EXPECT_EQ(std::wcslen(c.pszBoth), text.Trim().GetLength());
    }

    // A formatted text counts its terminator; trimming right drops it,
    // trimming left keeps it counted.
    EXPECT_EQ(3u, Formatted(L"abc").Trim().GetLength());
    EXPECT_EQ(std::wstring(L"ab", 2), Counted(Formatted(L"ab \t").TrimRight()));
    EXPECT_EQ(std::wstring(L"ab\0", 3), Counted(Formatted(L" ab").TrimLeft()));

    const CString noData(static_cast<const wchar_t*>(nullptr));
    EXPECT_STREQ(L"", noData.Trim().GetData());
}

TEST(CStringCase, FoldsAsciiLettersOnly)
{
    EXPECT_STREQ(L"AMBER\u00e4 42", CString(L"amBer\u00e4 42").ToUpper().GetData());
    EXPECT_STREQ(L"", CString(static_cast<const wchar_t*>(nullptr)).ToUpper().GetData());

    struct Case { const wchar_t* pszA; const wchar_t* pszB; bool bIgnoreCase; bool bEqual; };
    const Case cases[] = {
        { L"large", L"LARGE", true, true },
        { L"large", L"LARGE", false, false },
        { L"\u00e4", L"\u00c4", true, false },
        { L"-Run", L"-run", true, true },
        { L"-run", L"-run ", true, false },
        { L"", L"", false, true },
        { L"@", L"`", true, false },  // neighbours of the letters stay apart
        { L"[", L"{", true, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pszA << " / " << c.pszB);
        EXPECT_EQ(c.bEqual, CString(c.pszA).Equals(c.pszB, c.bIgnoreCase));
    }
    EXPECT_FALSE(CString(L"a").Equals(nullptr, true));
    EXPECT_FALSE(CString(static_cast<const wchar_t*>(nullptr)).Equals(L"", true));
}

TEST(CStringToLong, DecimalWithClamping)
{
    struct Case { const wchar_t* pszText; std::int32_t nValue; };
    const Case cases[] = {
        { L" 12abc", 12 },
        { L"abc", 0 },
        { L"-7", -7 },
        { L"+5", 5 },
        { L"\t 42", 42 },
        { L"", 0 },
        { L"2147483647", INT32_MAX },
        { L"2147483648", INT32_MAX },
        { L"99999999999999999999", INT32_MAX },
        { L"-2147483648", INT32_MIN },
        { L"-2147483649", INT32_MIN },
        { L"0x10", 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszText);
        EXPECT_EQ(c.nValue, CString(c.pszText).ToLong());
    }
    EXPECT_EQ(0, CString(static_cast<const wchar_t*>(nullptr)).ToLong());
}

TEST(CStringBuffer, PlatformWritesThroughScratchBuffer)
{
    CString text;
    text.GetBuffer(5);
    ASSERT_NE(nullptr, text.ReleaseBuffer());
    EXPECT_STREQ(L"", text.GetData());
    EXPECT_EQ(0u, text.GetLength());

    wchar_t* pszBuffer = text.GetBuffer(5);
    wcscpy(pszBuffer, L"hello");
    EXPECT_STREQ(L"hello", text.ReleaseBuffer());
    EXPECT_EQ(5u, text.GetLength());
    // The scratch buffer stays until it is freed.
    EXPECT_STREQ(L"hello", text.ReleaseBuffer());

    text.FreeBuffer();
    const wchar_t* pszResult = text.ReleaseBuffer();
    ASSERT_NE(nullptr, pszResult);
    EXPECT_STREQ(L"", pszResult);
    EXPECT_EQ(nullptr, text.GetData());
}

TEST(CStringAllocation, SizesBeyondThirtyTwoBitsFail)
{
    CString text;
    EXPECT_THROW(text.Allocate(0xFFFFFFFFu), std::bad_alloc);
    EXPECT_THROW(text.Allocate(0x7FFFFFFFu), std::bad_alloc);
    EXPECT_THROW(text.GetBuffer(0x80000000u), std::bad_alloc);

    EXPECT_TRUE(text.Allocate(3));
    EXPECT_EQ(3u, text.GetLength());
    EXPECT_EQ(std::wstring(3, L'\0'), Counted(text));
}

TEST(CStringIsEmpty, EmptyFormattedText)
{
    EXPECT_TRUE(Formatted(L"").IsEmpty());
    EXPECT_FALSE(Formatted(L"a").IsEmpty());
    EXPECT_FALSE(CString(L"a").IsEmpty());
}
