#include "tray/Autostart.h"

#include "support/RegistryGuard.h"
#include "support/WindowRecorder.h"
#include "tray/AppGlobals.h"
#include "tray/Startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testsupport;

namespace {

// Both Run values as they were before the test, and the module path too.
class AutostartTest : public testing::Test
{
protected:
    AutostartTest()
        : m_user(HKEY_CURRENT_USER, kRunKey, kRunValue), m_all(HKEY_LOCAL_MACHINE, kRunKey, kRunValue),
          m_savedPath(g_strModulePath)
    {
        RemoveAutostart();
    }
    ~AutostartTest() override { g_strModulePath = m_savedPath; }

    static bool Read(HKEY hRoot, DWORD* pType, std::vector<BYTE>* pData)
    {
        return ReadRegistryValue(hRoot, kRunKey, kRunValue, pType, pData);
    }
    static bool Exists(HKEY hRoot)
    {
        DWORD nType = 0;
        std::vector<BYTE> data;
        return Read(hRoot, &nType, &data);
    }

private:
    CRegistryValueGuard m_user;
    CRegistryValueGuard m_all;
    tessvald::string::CString m_savedPath;
};

} // namespace

TEST_F(AutostartTest, ValueIsTheQuotedPathWithRunAndItsTerminator)
{
    struct Case { const wchar_t* pszModule; HKEY hRoot; };
    const Case cases[] = {
        { L"C:\\Program Files\\Amber Tille\\ambertille.exe", HKEY_CURRENT_USER },
        { L"D:\\Werkzeuge\\ambertille.exe", HKEY_LOCAL_MACHINE },
        { L"C:\\50% sicher\\a%sb.exe", HKEY_CURRENT_USER },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszModule);
        g_strModulePath = c.pszModule;
        ASSERT_TRUE(InstallAutostart(c.hRoot));
        DWORD nType = 0;
        std::vector<BYTE> data;
        ASSERT_TRUE(Read(c.hRoot, &nType, &data));
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), nType);
        const std::wstring expected = L"\"" + std::wstring(c.pszModule) + L"\" -run";
        ASSERT_EQ((expected.size() + 1) * sizeof(wchar_t), data.size());
        EXPECT_EQ(expected, std::wstring(reinterpret_cast<const wchar_t*>(data.data())));
        EXPECT_EQ(L'\0', reinterpret_cast<const wchar_t*>(data.data())[expected.size()]);
    }
}

TEST_F(AutostartTest, OneValueUnderTheRootOfTheLastInstall)
{
    g_strModulePath = L"C:\\first\\ambertille.exe";
    ASSERT_TRUE(InstallAutostart(HKEY_CURRENT_USER));
    g_strModulePath = L"C:\\second\\ambertille.exe";
    ASSERT_TRUE(InstallAutostart(HKEY_CURRENT_USER));
    DWORD nType = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(Read(HKEY_CURRENT_USER, &nType, &data));
    EXPECT_EQ(std::wstring(L"\"C:\\second\\ambertille.exe\" -run"), reinterpret_cast<const wchar_t*>(data.data()));
    EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE));

    ASSERT_TRUE(InstallAutostart(HKEY_LOCAL_MACHINE));
    EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER));

    // -install after -install:all moves the value back to the user.
    ASSERT_TRUE(InstallAutostart(HKEY_CURRENT_USER));
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER));
    EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE));

    EXPECT_TRUE(RemoveAutostart());
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER));
    EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE));
    EXPECT_TRUE(RemoveAutostart());
}

TEST_F(AutostartTest, NoRootFailsWithAReasonAfterRemoving)
{
    g_strModulePath = L"C:\\Tools\\ambertille.exe";
    ASSERT_TRUE(InstallAutostart(HKEY_CURRENT_USER));
    SetLastError(0);
    EXPECT_FALSE(InstallAutostart(nullptr));
    EXPECT_NE(0u, GetLastError());
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER));
}

TEST_F(AutostartTest, DeniedMachineKeyFailsWithTheSystemsReason)
{
    CKeySecurityGuard security(HKEY_LOCAL_MACHINE, kRunKey);
    if (!security.Deny(KEY_SET_VALUE))
        GTEST_SKIP() << "the platform does not let a test deny access to the Run key";
    HKEY hProbe = nullptr;
    const LONG nProbe = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &hProbe);
    if (nProbe == ERROR_SUCCESS) {
        RegCloseKey(hProbe);
        GTEST_SKIP() << "the platform does not enforce a denied registry key";
    }

    g_strModulePath = L"C:\\Tools\\ambertille.exe";
    ASSERT_TRUE(InstallAutostart(HKEY_CURRENT_USER));
    SetLastError(0);
    EXPECT_FALSE(InstallAutostart(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    // The removal ran first, so the user's value is gone as well.
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER));
    EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE));

    // Through the command line the failure shows with the system's reason.
    CWindowRecorder recorder;
    RunProgram(GetModuleHandleW(nullptr), L"-install:all");
    ASSERT_EQ(1u, recorder.Windows().size());
    wchar_t szReason[1024] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_ACCESS_DENIED,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), szReason, 1024, nullptr);
    EXPECT_EQ(L"Ambertille", recorder.Windows()[0].caption);
    EXPECT_EQ(std::wstring(L"Die Installation des Programmes schlug fehl!\n") + szReason, recorder.Windows()[0].text);
}

TEST_F(AutostartTest, AllUsersValueLeftAfterRemovalIsReportedWithTheWayOut)
{
    // The value stands for one that a removal without administrator rights
    // left behind: the report goes by what is there.
    g_strModulePath = L"C:\\Amber Tille\\ambertille.exe";
    ASSERT_TRUE(InstallAutostart(HKEY_LOCAL_MACHINE));
    {
        CWindowRecorder recorder;
        ReportAutostartLeft(nullptr);
        ASSERT_EQ(1u, recorder.Windows().size());
        EXPECT_NE(std::wstring::npos, recorder.Windows()[0].text.find(L"\"C:\\Amber Tille\\ambertille.exe\" -remove"));
    }
    RemoveAutostart();
    CWindowRecorder recorder;
    ReportAutostartLeft(nullptr);
    EXPECT_TRUE(recorder.Windows().empty());
}
