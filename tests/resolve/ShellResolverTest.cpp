#include "resolve/CShellResolver.h"

#include <gtest/gtest.h>

using tessvald::shelllink::CShellResolver;

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
