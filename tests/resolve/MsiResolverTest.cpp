#include "resolve/CMsiResolver.h"

#include "resolve/EntryResolver.h"
#include "resolve/ResolveFixtures.h"
#include "settings/CRecord.h"
#include "support/Shortcut.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

using resolvetest::RunAndWait;
using testsupport::ShortcutContents;
using testsupport::WriteShortcut;
using tessvald::shelllink::CMsiResolver;
using tessvald::string::CString;
using testsupport::CTempDir;
using testsupport::ExeFolder;

namespace {

// The codes of tests/fixtures/resolve_package.wxs.
const wchar_t kProduct[] = L"{03CDA30E-D9B0-45C4-A894-8C004E450629}";
const wchar_t kComponent[] = L"{C6524185-9EDD-449F-ABB8-43AFB0ECD131}";

std::wstring Msiexec(const std::wstring& arguments)
{
    wchar_t szSystem[MAX_PATH + 1] = {};
    GetSystemDirectoryW(szSystem, MAX_PATH);
    return std::wstring(L"\"") + szSystem + L"\\msiexec.exe\" " + arguments;
}

} // namespace

TEST(MsiResolver, AsksTheInstallerNothingBeforeInitializeOrForOrdinaryShortcuts)
{
    CTempDir dir;
    ShortcutContents contents;
    contents.target = ExeFolder() + L"\\test_resolve.exe";
    const std::wstring link = dir.File(L"Plain.lnk");
    ASSERT_TRUE(WriteShortcut(link, contents));
    wchar_t szPath[64] = {};
    DWORD nCapacity = 64;

    CMsiResolver idle;
    EXPECT_FALSE(idle.IsAdvertised(link.c_str()));
    EXPECT_FALSE(idle.GetTargetPath(link.c_str(), szPath, nCapacity));

    CMsiResolver msi;
    ASSERT_TRUE(msi.Initialize());
    EXPECT_FALSE(msi.IsAdvertised(link.c_str()));
    EXPECT_FALSE(msi.IsAdvertised(nullptr));
    EXPECT_FALSE(msi.GetTargetPath(link.c_str(), szPath, nCapacity));
    EXPECT_FALSE(msi.GetTargetPath(nullptr, szPath, nCapacity));
    EXPECT_EQ(64u, nCapacity);
}

// A program in a Downloads folder or on a stick must never run an msi.dll
// that lies beside it. The bare-name control shows that the planted file is
// within reach of an ordinary load, so the check means something.
TEST(MsiResolver, PlantedLibraryBesideTheProgramIsNeverLoaded)
{
    CTempDir dir;
    const std::wstring probe = dir.File(L"resolve_msiprobe.exe");
    ASSERT_TRUE(CopyFileW((ExeFolder() + L"\\resolve_msiprobe.exe").c_str(), probe.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((ExeFolder() + L"\\resolve_plant.dll").c_str(), dir.File(L"msi.dll").c_str(), FALSE));
    resolvetest::CNativeFirst nativeFirst(L"resolve_msiprobe.exe", L"msi");

    ASSERT_EQ(10u, RunAndWait(L"\"" + probe + L"\" bare")) << "the planted file is out of reach: no proof";
    EXPECT_EQ(20u, RunAndWait(L"\"" + probe + L"\""));
}

// The package of tests/fixtures/resolve_package.wxs, installed once for the
// suite into a scratch folder, and an advertised shortcut to its component
// written the way the shell writes one for the installer.
class InstalledPackage : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<CTempDir>();
        const std::wstring package = s_dir->File(L"package.msi");
        if (!resolvetest::ExtractResource(ExeFolder() + L"\\resolve_package.dll", 1, package))
            return;
        // An interrupted earlier run may have left it installed.
        RunAndWait(Msiexec(std::wstring(L"/x ") + kProduct + L" /qn"));
        const std::wstring folder = s_dir->File(L"inst");
        if (RunAndWait(Msiexec(L"/i \"" + package + L"\" /qn INSTALLDIR=\"" + folder + L"\"")) != 0)
            return;
        s_payload = folder + L"\\payload.txt";
        ShortcutContents contents;
        contents.target = resolvetest::AdvertisedTarget(kProduct, L"Main", kComponent);
        contents.arguments = L"--open %TEMP%";
        contents.workingDirectory = L"C:\\Work";
        contents.description = L"Installiertes Werkzeug";
        contents.iconFile = L"C:\\Icons\\set.dll";
        contents.iconIndex = 3;
        s_installed = WriteShortcut(s_dir->File(L"Advertised.lnk"), contents);
    }

    static void TearDownTestSuite()
    {
        RunAndWait(Msiexec(std::wstring(L"/x ") + kProduct + L" /qn"));
        s_dir.reset();
    }

    void SetUp() override { ASSERT_TRUE(s_installed) << "the test package could not be installed"; }

    static std::wstring Link() { return s_dir->File(L"Advertised.lnk"); }

    static inline std::unique_ptr<CTempDir> s_dir;
    static inline std::wstring s_payload;
    static inline bool s_installed = false;
};

TEST_F(InstalledPackage, AdvertisedShortcutNamesTheInstalledComponent)
{
    CMsiResolver msi;
    ASSERT_TRUE(msi.Initialize());
    EXPECT_TRUE(msi.IsAdvertised(Link().c_str()));
    wchar_t szPath[1025] = {};
    DWORD nCapacity = 1024;
    ASSERT_TRUE(msi.GetTargetPath(Link().c_str(), szPath, nCapacity));
    EXPECT_STREQ(s_payload.c_str(), szPath);
    EXPECT_EQ(s_payload.size(), nCapacity);
}

// The capacity counts the terminator: a path exactly as long as the
// capacity does not fit and is refused, the capacity left as it came.
TEST_F(InstalledPackage, TargetPathMustFitWithItsTerminator)
{
    CMsiResolver msi;
    ASSERT_TRUE(msi.Initialize());
    const auto nLength = static_cast<DWORD>(s_payload.size());
    const struct
    {
        DWORD nCapacity;
        bool bFits;
    } cases[] = { { 0, false }, { nLength - 1, false }, { nLength, false }, { nLength + 1, true } };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "capacity " << c.nCapacity);
        wchar_t szPath[1025] = {};
        DWORD nCapacity = c.nCapacity;
        EXPECT_EQ(c.bFits, msi.GetTargetPath(Link().c_str(), szPath, nCapacity));
        EXPECT_EQ(c.bFits ? nLength : c.nCapacity, nCapacity);
        if (c.bFits) {
            EXPECT_STREQ(s_payload.c_str(), szPath);
        }
    }
}

TEST_F(InstalledPackage, EntryTakesTheComponentPathAndEverythingElseFromTheShortcut)
{
    CRecord record;
    ASSERT_TRUE(ResolveData(CString(Link().c_str()), record));
    EXPECT_STREQ(L"Advertised", record.m_strName.GetData());
    EXPECT_STREQ(s_payload.c_str(), record.m_strPath.GetData());
    EXPECT_STREQ(L"--open %TEMP%", record.m_strParam.GetData());
    EXPECT_STREQ(L"C:\\Work", record.m_strWorking.GetData());
    EXPECT_STREQ(L"Installiertes Werkzeug", record.m_strDescription.GetData());
    EXPECT_STREQ(L"C:\\Icons\\set.dll", record.m_strIconFile.GetData());
    EXPECT_EQ(3, record.m_nIconIndex);
    EXPECT_EQ(SW_SHOWNORMAL, record.m_nShow);
}
