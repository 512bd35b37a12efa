#include "foundation/CString.h"

#include <gtest/gtest.h>

using tessvald::string::CString;

TEST(CStringFormat, PercentSReadsWideStrings)
{
    CString text;
    EXPECT_TRUE(CString::Format(text, L"%s%s", L"ab", L"c"));
    EXPECT_STREQ(L"abc", text.GetData());
    EXPECT_EQ(4u, text.GetLength());
}
