#include "resolve/EntryResolver.h"

#include "resolve/ResolveFixtures.h"
#include "settings/CRecord.h"
#include "support/Shortcut.h"
#include "support/TempDir.h"
#include "support/Wine.h"

#include <shlobj.h>

#include <gtest/gtest.h>

using resolvetest::CRegisteredType;
using testsupport::ShortcutContents;
using testsupport::WriteShortcut;
using tessvald::string::CString;
using testsupport::CTempDir;
using testsupport::ExeFolder;

namespace {

struct ExpectedEntry
{
    std::wstring name;
    std::wstring path;
    std::wstring param;
    std::wstring working;
    std::wstring description;
    std::wstring iconFile;
    LONG nShow;
    LONG nIconIndex;
    bool bRunAs = false;
};

void ExpectEntry(const ExpectedEntry& expected, const CRecord& record)
{
    EXPECT_STREQ(L"", record.m_strSection.GetData());
    EXPECT_STREQ(expected.name.c_str(), record.m_strName.GetData());
    EXPECT_STREQ(expected.path.c_str(), record.m_strPath.GetData());
    EXPECT_STREQ(expected.param.c_str(), record.m_strParam.GetData());
    EXPECT_STREQ(expected.working.c_str(), record.m_strWorking.GetData());
    EXPECT_STREQ(expected.description.c_str(), record.m_strDescription.GetData());
    EXPECT_STREQ(expected.iconFile.c_str(), record.m_strIconFile.GetData());
    EXPECT_EQ(expected.nShow, record.m_nShow);
    EXPECT_EQ(expected.nIconIndex, record.m_nIconIndex);
    EXPECT_EQ(expected.bRunAs, record.m_bRunAs);
}

std::wstring Expanded(const wchar_t* pszText)
{
    wchar_t szResult[2048] = {};
    ExpandEnvironmentStringsW(pszText, szResult, 2048);
    return szResult;
}

} // namespace

TEST(ResolveData, PlainFilesOpenThemselvesInTheirFolder)
{
    const std::wstring icons = ExeFolder() + L"\\resolve_icons.dll";
    SetEnvironmentVariableW(L"AMB_FIXTURES", ExeFolder().c_str());
    CRegisteredType document(L".ambdoc", L"Ambertille.Test.Document");
    document.SetDefaultIcon(icons + L",-153");
    CRegisteredType envDocument(L".ambenv", L"Ambertille.Test.EnvDocument");
    envDocument.SetDefaultIcon(L"%AMB_FIXTURES%\\resolve_icons.dll,-153", REG_EXPAND_SZ);
    // Longer than the 255 characters that a directory part may have.
    const std::wstring tooLong = L"C:\\" + std::wstring(300, L'a') + L"\\Tool.lnk";
    const std::wstring systemTool = Expanded(L"%SystemRoot%\\Tool.exe");

    const struct
    {
        std::wstring path;
        ExpectedEntry expected;
    } cases[] = {
        { L"C:\\Apps\\Tool.EXE",
          { L"Tool", L"C:\\Apps\\Tool.EXE", L"", L"C:\\Apps\\", L"", L"C:\\Apps\\Tool.EXE", 3, 0 } },
        { L"Tool.exe", { L"Tool", L"Tool.exe", L"", L"", L"", L"Tool.exe", 3, 0 } },
        { L"C:\\Docs\\Guide.ambdoc", { L"Guide", L"C:\\Docs\\Guide.ambdoc", L"", L"C:\\Docs\\", L"", icons, 3, 2 } },
        { L"C:\\Docs\\Guide.ambnone", { L"Guide", L"C:\\Docs\\Guide.ambnone", L"", L"C:\\Docs\\", L"", L"", 3, 0 } },
        { L"C:\\Docs\\", { L"<empty>", L"C:\\Docs\\", L"", L"C:\\Docs\\", L"", L"", 3, 0 } },
        // The group number is placed before expansion, on a name the loader
        // cannot open, so it stays a number.
        { L"C:\\Docs\\Notes.ambenv", { L"Notes", L"C:\\Docs\\Notes.ambenv", L"", L"C:\\Docs\\", L"", icons, 3, -153 } },
        { L"%SystemRoot%\\Tool.exe", { L"Tool", systemTool, L"", L"%SystemRoot%\\", L"", systemTool, 3, 0 } },
        // The splitter gives up: no name, no folder, and no shortcut either.
        { tooLong, { L"<empty>", tooLong, L"", L"", L"", L"", 3, 0 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "path " << testing::PrintToString(c.path));
        CRecord record;
        EXPECT_TRUE(ResolveData(CString(c.path.c_str()), record));
        ExpectEntry(c.expected, record);
    }
}

TEST(ResolveData, ShortcutsGiveTheirTargetAndSettings)
{
    CTempDir dir;
    const std::wstring target = dir.File(L"Editor.exe");
    ASSERT_TRUE(testsupport::WriteFileBytes(target, "MZ"));
    const std::wstring document = dir.File(L"Guide.ambdoc");
    const std::wstring folder = dir.File(L"Ordner");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring icons = ExeFolder() + L"\\resolve_icons.dll";
    CRegisteredType documentType(L".ambdoc", L"Ambertille.Test.Document");
    documentType.SetDefaultIcon(icons + L",-153");

    ShortcutContents full;
    full.target = target;
    full.arguments = L"-n %TEMP%\\new.txt";
    full.workingDirectory = L"%SystemRoot%";
    full.description = L"Bearbeitet Texte";
    full.iconFile = L"C:\\Icons\\set.dll";
    full.iconIndex = -153;
    ASSERT_TRUE(WriteShortcut(dir.File(L"Editor.lnk"), full));
    const auto plain = [](const std::wstring& path, const std::wstring& description = L"") {
        ShortcutContents contents;
        contents.target = path;
        contents.description = description;
        return contents;
    };
    ASSERT_TRUE(WriteShortcut(dir.File(L"NoIcon.LNK"), plain(target)));
    ASSERT_TRUE(WriteShortcut(dir.File(L"Guide.lnk"), plain(document)));
    ASSERT_TRUE(WriteShortcut(dir.File(L"Ordner.lnk"), plain(folder)));
    ASSERT_TRUE(WriteShortcut(dir.File(L"Named.lnk"), plain(target, L"@" + icons + L",-101")));
    const std::wstring missingText = L"@" + dir.File(L"fehlt.dll") + L",-101";
    ASSERT_TRUE(WriteShortcut(dir.File(L"Unnamed.lnk"), plain(target, missingText)));
    ShortcutContents computer;
    computer.virtualTarget = true;
    ASSERT_TRUE(WriteShortcut(dir.File(L"Computer.lnk"), computer));
    const std::wstring admin = dir.File(L"Admin.lnk");
    ASSERT_TRUE(WriteShortcut(admin, plain(target)));
    ASSERT_TRUE(testsupport::AddHeaderFlags(admin, SLDF_RUNAS_USER));
    // Wine's link object reports only the flags it keeps itself, never this
    // one, so there the row shows only that nothing else sets the box.
    const bool bAdminReported = (testsupport::ReportedFlags(admin) & SLDF_RUNAS_USER) != 0;
    EXPECT_TRUE(bAdminReported || testsupport::IsWine());

    // Only SW_SHOWNORMAL survives a shortcut's round trip under Wine, whose
    // loader reads every stored show command back as 1; it still tells the
    // shortcut's value from the record's default of 3. Without an icon of
    // its own a shortcut shows what its target would: a program its own, a
    // document its type's, a folder the folder icon.
    const struct
    {
        const wchar_t* pszFile;
        ExpectedEntry expected;
    } cases[] = {
        { L"Editor.lnk",
          { L"Editor", target, L"-n %TEMP%\\new.txt", L"%SystemRoot%", L"Bearbeitet Texte", L"C:\\Icons\\set.dll", 1,
            -153 } },
        { L"NoIcon.LNK", { L"NoIcon", target, L"", L"", L"", target, 1, 0 } },
        { L"Guide.lnk", { L"Guide", document, L"", L"", L"", icons, 1, 2 } },
        { L"Ordner.lnk", { L"Ordner", folder, L"", L"", L"", Expanded(L"%SystemRoot%\\system32\\shell32.dll"), 1, -4 } },
        { L"Named.lnk", { L"Named", target, L"", L"", L"Zeigt die Testdokumente", target, 1, 0 } },
        { L"Unnamed.lnk", { L"Unnamed", target, L"", L"", missingText, target, 1, 0 } },
        { L"Admin.lnk", { L"Admin", target, L"", L"", L"", target, 1, 0, bAdminReported } },
        { L"Computer.lnk", { L"Computer", L"", L"", L"", L"", L"", 1, 0 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "shortcut " << testing::PrintToString(std::wstring(c.pszFile)));
        CRecord record;
        EXPECT_TRUE(ResolveData(CString(dir.File(c.pszFile).c_str()), record));
        ExpectEntry(c.expected, record);
    }
}

// A shortcut that gives no entry says why: it cannot be read (with the
// system's reason where it gave one), or it belongs to an installer's
// product that is not installed here.
TEST(ResolveData, ShortcutWithoutEntryKeepsOnlyItsNameAndSaysWhy)
{
    CTempDir dir;
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"Broken.lnk"), "this is no shortcut"));
    ShortcutContents advertised;
    advertised.target = resolvetest::AdvertisedTarget(L"{5B6D1C8E-3F0A-4C55-9E21-7A1B2C3D4E5F}", L"Main",
                                                      L"{0E9D8C7B-6A59-4837-A625-14F3E2D1C0B9}");
    ASSERT_TRUE(WriteShortcut(dir.File(L"Uninstalled.lnk"), advertised));

    const struct
    {
        const wchar_t* pszFile;
        EResolveFailure eFailure;
        DWORD nCode;  // 0: any code the system gives
    } cases[] = {
        { L"Broken.lnk", EResolveFailure::Unreadable, 0 },
        { L"Missing.lnk", EResolveFailure::Unreadable, ERROR_FILE_NOT_FOUND },
        { L"Uninstalled.lnk", EResolveFailure::NotInstalled, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.pszFile)));
        CRecord record;
        CResolveOutcome outcome;
        EXPECT_FALSE(ResolveData(CString(dir.File(c.pszFile).c_str()), record, &outcome));
        const std::wstring name(c.pszFile, std::wcslen(c.pszFile) - 4);
        ExpectEntry({ name, L"", L"", L"", L"", L"", 3, 0 }, record);
        EXPECT_EQ(c.eFailure, outcome.m_eFailure);
        if (c.nCode != 0) {
            EXPECT_EQ(c.nCode, outcome.m_nErrorCode);
        }
    }
}

TEST(ExpandEnvironment, ExpandsKnownReferencesAndKeepsTheRest)
{
    SetEnvironmentVariableW(L"AMB_EXPAND", L"C:\\Werkzeuge");
    SetEnvironmentVariableW(L"AMB_UNDEFINED", nullptr);
    const struct
    {
        const wchar_t* pszText;
        const wchar_t* pszExpected;
        bool bResult;
    } cases[] = {
        { L"%AMB_EXPAND%\\run.exe", L"C:\\Werkzeuge\\run.exe", true },
        { L"%AMB_UNDEFINED%\\run.exe", L"%AMB_UNDEFINED%\\run.exe", true },
        { L"100% sicher", L"100% sicher", true },
        { L"", L"", false },
        { nullptr, L"", false },
    };
    for (const auto& c : cases) {
        CString strResult(L"old");
        EXPECT_EQ(c.bResult, ExpandEnvironment(c.pszText, strResult));
        EXPECT_STREQ(c.pszExpected, strResult.GetData());
    }
}
