#include "resolve/CShellResolver.h"

#include "resolve/ResolveFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>


using resolvetest::ShortcutSpec;
using resolvetest::WriteShortcut;
using tessvald::shelllink::CShellResolver;
using testsupport::CTempDir;

TEST(ShellResolver, ReadsEveryValueOfAShortcut)
{
    CTempDir dir;
    const std::wstring target = dir.File(L"Editor.exe");
    ASSERT_TRUE(testsupport::WriteFileBytes(target, "MZ"));
    ShortcutSpec spec;
    spec.target = target;
    spec.arguments = L"-n \"file one.txt\"";
    spec.workingDirectory = L"C:\\Work";
    spec.description = L"Bearbeitet Texte";
    spec.iconFile = L"C:\\Icons\\set.dll";
    spec.iconIndex = -153;
    ASSERT_TRUE(WriteShortcut(dir.File(L"Editor.lnk"), spec));

    CShellResolver shell;
    ASSERT_TRUE(shell.CreateInstance());
    ASSERT_TRUE(shell.Load(dir.File(L"Editor.lnk").c_str()));
    wchar_t szValue[1025] = {};
    ASSERT_TRUE(shell.GetPath(szValue, 1024));
    EXPECT_STREQ(target.c_str(), szValue);
    ASSERT_TRUE(shell.GetArguments(szValue, 1024));
    EXPECT_STREQ(spec.arguments.c_str(), szValue);
    ASSERT_TRUE(shell.GetWorkingDirectory(szValue, 1024));
    EXPECT_STREQ(L"C:\\Work", szValue);
    ASSERT_TRUE(shell.GetDescription(szValue, 1024));
    EXPECT_STREQ(L"Bearbeitet Texte", szValue);
    int nIndex = 0;
    ASSERT_TRUE(shell.GetIconLocation(szValue, 1024, nIndex));
    EXPECT_STREQ(L"C:\\Icons\\set.dll", szValue);
    EXPECT_EQ(-153, nIndex);
    int nShow = 0;
    ASSERT_TRUE(shell.GetShowCmd(nShow));
    EXPECT_EQ(SW_SHOWNORMAL, nShow);
}

TEST(ShellResolver, AsksNothingWithoutObjectOrBufferAndPresetsTheNumbers)
{
    CShellResolver shell;
    wchar_t szValue[16] = {};
    int nIndex = 5;
    int nShow = 5;
    EXPECT_FALSE(shell.Load(L"C:\\any.lnk"));
    EXPECT_FALSE(shell.GetPath(szValue, 16));
    EXPECT_FALSE(shell.GetIconLocation(szValue, 16, nIndex));
    EXPECT_EQ(-1, nIndex);
    EXPECT_FALSE(shell.GetShowCmd(nShow));
    EXPECT_EQ(-1, nShow);

    ASSERT_TRUE(shell.CreateInstance());
    EXPECT_TRUE(shell.CreateInstance());
    EXPECT_FALSE(shell.Load(nullptr));
    EXPECT_FALSE(shell.GetArguments(nullptr, 16));
    EXPECT_FALSE(shell.GetWorkingDirectory(szValue, 0));
    EXPECT_FALSE(shell.GetDescription(szValue, -1));
    nIndex = 5;
    EXPECT_FALSE(shell.GetIconLocation(nullptr, 16, nIndex));
    EXPECT_EQ(-1, nIndex);
}

TEST(ShellResolver, ShortcutWithoutFileSystemTargetGivesAnEmptyPath)
{
    CTempDir dir;
    ShortcutSpec spec;
    spec.virtualTarget = true;
    ASSERT_TRUE(WriteShortcut(dir.File(L"Computer.lnk"), spec));

    CShellResolver shell;
    ASSERT_TRUE(shell.CreateInstance());
    ASSERT_TRUE(shell.Load(dir.File(L"Computer.lnk").c_str()));
    wchar_t szValue[1025] = L"stale";
    EXPECT_TRUE(shell.GetPath(szValue, 1024));
    EXPECT_STREQ(L"", szValue);
}

namespace {

// What one thread saw: the object created, the apartment left once the
// resolver was gone, and whether COM ended with the thread's own
// uninitialisation.
struct ComProbe
{
    bool bInit;
    DWORD nModel;
    bool bCreated;
    HRESULT hrAfterResolver;
    APTTYPE type;
    HRESULT hrAfterOwnEnd;
};

DWORD WINAPI RunResolverOnThread(void* pParam)
{
    auto& probe = *static_cast<ComProbe*>(pParam);
    if (probe.bInit)
        CoInitializeEx(nullptr, probe.nModel);
    {
        CShellResolver shell;
        probe.bCreated = shell.CreateInstance();
    }
    APTTYPEQUALIFIER qualifier;
    probe.hrAfterResolver = CoGetApartmentType(&probe.type, &qualifier);
    if (probe.bInit)
        CoUninitialize();
    APTTYPE type;
    probe.hrAfterOwnEnd = CoGetApartmentType(&type, &qualifier);
    return 0;
}

} // namespace

// The resolver must neither take away its caller's COM nor leave a
// reference of its own behind (COM counts an "already initialised" answer
// too), so the thread's own uninitialisation still ends COM.
TEST(ShellResolver, LeavesTheThreadsComAsItFoundIt)
{
    const struct
    {
        const char* pszName;
        bool bInit;
        DWORD nModel;
        HRESULT hrAfterResolver;
        APTTYPE type;
    } cases[] = {
        { "no COM", false, 0, CO_E_NOTINITIALIZED, APTTYPE_CURRENT },
        { "apartment", true, COINIT_APARTMENTTHREADED, S_OK, APTTYPE_STA },
        { "multithreaded", true, COINIT_MULTITHREADED, S_OK, APTTYPE_MTA },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        ComProbe probe = { c.bInit, c.nModel, false, E_FAIL, APTTYPE_CURRENT, E_FAIL };
        HANDLE hThread = CreateThread(nullptr, 0, RunResolverOnThread, &probe, 0, nullptr);
        ASSERT_NE(nullptr, hThread);
        WaitForSingleObject(hThread, INFINITE);
        CloseHandle(hThread);
        EXPECT_TRUE(probe.bCreated);
        EXPECT_EQ(c.hrAfterResolver, probe.hrAfterResolver);
        if (c.hrAfterResolver == S_OK) {
            EXPECT_EQ(c.type, probe.type);
        }
        EXPECT_EQ(CO_E_NOTINITIALIZED, probe.hrAfterOwnEnd);
    }
}
