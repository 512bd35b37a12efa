#include "foundation/CSplitPath.h"

#include <gtest/gtest.h>

#include <string>

using tessvald::string::CSplitPath;

TEST(CSplitPathSplit, PartsOfAPath)
{
    struct Case { const wchar_t* pszPath; const wchar_t* pszDrive; const wchar_t* pszDir; const wchar_t* pszName; const wchar_t* pszExt; };
    const Case cases[] = {
        { L"C:\\Tools\\run.exe", L"C:", L"\\Tools\\", L"run", L".exe" },
        { L"C:\\Tools\\noext", L"C:", L"\\Tools\\", L"noext", L"" },
        { L"a.b.c", L"", L"", L"a.b", L".c" },
        { L"\\\\server\\share\\dir\\f.txt", L"", L"\\\\server\\share\\dir\\", L"f", L".txt" },
        { L"C:file.txt", L"C:", L"", L"file", L".txt" },
        { L"dir/sub\\file.tar.gz", L"", L"dir/sub\\", L"file.tar", L".gz" },
        { L"C:\\dir.d\\file", L"C:", L"\\dir.d\\", L"file", L"" },
        { L"C:\\Tools\\", L"C:", L"\\Tools\\", L"", L"" },
        { L".hidden", L"", L"", L"", L".hidden" },
        { L"", L"", L"", L"", L"" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszPath);
        CSplitPath path(c.pszPath);
        EXPECT_STREQ(c.pszDrive, path.m_szDrive);
        EXPECT_STREQ(c.pszDir, path.m_szDir);
        EXPECT_STREQ(c.pszName, path.m_szName);
        EXPECT_STREQ(c.pszExt, path.m_szExt);
    }
}

TEST(CSplitPathSplit, PartsThatDoNotFitEmptyEverything)
{
    const std::wstring name255(255, L'n');
    const std::wstring name256(256, L'n');
    const std::wstring dir255 = L"\\" + std::wstring(253, L'd') + L"\\";

    CSplitPath fits((L"C:" + dir255 + name255 + L".ext").c_str());
    EXPECT_STREQ(L"C:", fits.m_szDrive);
    EXPECT_EQ(dir255, fits.m_szDir);
    EXPECT_EQ(name255, fits.m_szName);

    const std::wstring tooLong[] = {
        L"C:\\" + name256 + L".exe",
        L"C:\\" + std::wstring(255, L'd') + L"\\run.exe",
        L"C:\\run." + std::wstring(255, L'e'),
    };
    for (const std::wstring& path : tooLong) {
        CSplitPath split(L"C:\\old\\name.txt");
        EXPECT_FALSE(split.Split(path.c_str()));
        EXPECT_STREQ(L"", split.m_szDrive);
        EXPECT_STREQ(L"", split.m_szDir);
        EXPECT_STREQ(L"", split.m_szName);
        EXPECT_STREQ(L"", split.m_szExt);
        // Callers go on with what is left: the new extension alone.
        EXPECT_STREQ(L".chm", split.MakePath(L".chm", false));
        EXPECT_STREQ(L"\".chm\"", split.MakePath(L".chm", true));
    }

    CSplitPath kept(L"C:\\Tools\\run.exe");
    EXPECT_FALSE(kept.Split(nullptr));
    EXPECT_STREQ(L"run", kept.m_szName);
}

TEST(CSplitPathMake, AnotherExtensionOrTheFolder)
{
    CSplitPath path(L"C:\\Program Files\\Ambertille\\ambertille.exe");
    EXPECT_STREQ(L"C:\\Program Files\\Ambertille\\ambertille.ini", path.MakePath(L".ini", false));
    EXPECT_STREQ(L"\"C:\\Program Files\\Ambertille\\ambertille.chm\"", path.MakePath(L".chm", true));
    EXPECT_STREQ(L"C:\\Program Files\\Ambertille\\ambertille", path.MakePath(nullptr, false));
    EXPECT_STREQ(L"C:\\Program Files\\Ambertille\\", path.GetFolder(false));
    EXPECT_STREQ(L"\"C:\\Program Files\\Ambertille\\\"", path.GetFolder(true));

    // Formatting characters in a path are text, not format.
    CSplitPath percent(L"C:\\50%s\\a%d.exe");
    EXPECT_STREQ(L"C:\\50%s\\a%d.ini", percent.MakePath(L".ini", false));

    // The longest path that the parts can hold assembles completely.
    const std::wstring dir = L"\\" + std::wstring(253, L'd') + L"\\";
    const std::wstring name(255, L'n');
    CSplitPath longest((L"C:" + dir + name + L"." + std::wstring(254, L'e')).c_str());
    const std::wstring expected = L"\"C:" + dir + name + L".ini\"";
    EXPECT_EQ(expected, std::wstring(longest.MakePath(L".ini", true)));
}

TEST(CSplitPathIsEqual, ToleratesNullTexts)
{
    struct Case { const wchar_t* pszA; const wchar_t* pszB; bool bIgnoreCase; bool bEqual; };
    const Case cases[] = {
        { nullptr, nullptr, false, true },
        { nullptr, L"", false, false },
        { L"", nullptr, true, false },
        { L".LNK", L".lnk", true, true },
        { L".LNK", L".lnk", false, false },
        { L".exe", L".exe", false, true },
        { L".\u00c4", L".\u00e4", true, false },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.bEqual, CSplitPath::IsEqual(c.pszA, c.pszB, c.bIgnoreCase));
    }
}
