#include "support/ChildProcess.h"

#include "support/TextReport.h"

#include <cwchar>

namespace testsupport {

namespace {

// The current environment with the given variables set or replaced, as a
// double-terminated block for CreateProcessW.
std::wstring MakeEnvironmentBlock(const CChildProcess::Environment& changes)
{
    std::wstring block;
    wchar_t* pszStrings = GetEnvironmentStringsW();
    for (const wchar_t* p = pszStrings; *p != L'\0'; p += std::wcslen(p) + 1) {
        const std::wstring entry = p;
        bool bReplaced = false;
        for (const auto& change : changes)
            bReplaced = bReplaced || _wcsnicmp(entry.c_str(), (change.first + L"=").c_str(), change.first.size() + 1) == 0;
        if (!bReplaced)
            block += entry + L'\0';
    }
    FreeEnvironmentStringsW(pszStrings);
    for (const auto& change : changes)
        block += change.first + L"=" + change.second + L'\0';
    block += L'\0';
    return block;
}

struct WindowSearch
{
    DWORD nProcessId;
    const wchar_t* pszClass;
    const wchar_t* pszTitle;
    HWND hFound;
};

BOOL CALLBACK MatchWindow(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD nProcessId = 0;
    GetWindowThreadProcessId(hWnd, &nProcessId);
    if (nProcessId != search->nProcessId || !IsWindowVisible(hWnd))
        return TRUE;
    wchar_t szClass[256] = {};
    GetClassNameW(hWnd, szClass, 255);
    if (std::wcscmp(szClass, search->pszClass) != 0
        || (search->pszTitle != nullptr && RemoteWindowText(hWnd) != search->pszTitle))
        return TRUE;
    search->hFound = hWnd;
    return FALSE;
}

// The window in a failure's words.
std::string DescribeWindow(DWORD nProcessId, const wchar_t* pszClass, const wchar_t* pszTitle)
{
    std::string text = std::wcscmp(pszClass, L"#32768") == 0   ? "a popup menu"
                       : std::wcscmp(pszClass, L"#32770") == 0 ? "a dialog or message box"
                                                                : "a window of class " + Narrow(pszClass);
    if (pszTitle != nullptr)
        text += " titled \"" + Narrow(pszTitle) + "\"";
    return text + " of process " + std::to_string(nProcessId);
}

} // namespace

CChildProcess::CChildProcess(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder,
                             const Environment& environment)
    : m_program(program), m_info()
{
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    std::wstring block = MakeEnvironmentBlock(environment);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                        &block[0], folder.empty() ? nullptr : folder.c_str(), &startup, &m_info)) {
        m_nStartError = GetLastError();
        m_info = PROCESS_INFORMATION();
    }
}

CChildProcess::~CChildProcess()
{
    if (m_info.hProcess == nullptr)
        return;
    if (WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_info.hProcess, 99);
        WaitForSingleObject(m_info.hProcess, 5000);
    }
    CloseHandle(m_info.hThread);
    CloseHandle(m_info.hProcess);
}

bool CChildProcess::IsRunning() const
{
    return m_info.hProcess != nullptr && WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

testing::AssertionResult CChildProcess::Wait(DWORD nTimeoutMs, DWORD* pExitCode)
{
    const std::string name = Narrow(m_program.substr(m_program.find_last_of(L'\\') + 1));
    const std::string what = "the end of " + name;
    if (m_info.hProcess == nullptr)
        return testing::AssertionFailure() << name << " did not start: error " << m_nStartError;
    testing::AssertionResult ended = WaitFor(what.c_str(), [&] { return !IsRunning(); }, nTimeoutMs);
    if (ended && pExitCode != nullptr)
        GetExitCodeProcess(m_info.hProcess, pExitCode);
    return ended;
}

HWND FindProcessWindow(DWORD nProcessId, const wchar_t* pszClass, const wchar_t* pszTitle)
{
    WindowSearch search = { nProcessId, pszClass, pszTitle, nullptr };
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

testing::AssertionResult WaitForProcessWindow(DWORD nProcessId, const wchar_t* pszClass, const wchar_t* pszTitle,
                                              HWND* phWnd, DWORD nTimeoutMs)
{
    const std::string what = DescribeWindow(nProcessId, pszClass, pszTitle);
    return WaitFor(what.c_str(), [&] { return (*phWnd = FindProcessWindow(nProcessId, pszClass, pszTitle)) != nullptr; },
                   nTimeoutMs);
}

testing::AssertionResult WaitForNoProcessWindow(DWORD nProcessId, const wchar_t* pszClass, DWORD nTimeoutMs)
{
    const std::string what = "the end of " + DescribeWindow(nProcessId, pszClass, nullptr);
    return WaitFor(what.c_str(), [&] { return FindProcessWindow(nProcessId, pszClass, nullptr) == nullptr; },
                   nTimeoutMs);
}

std::wstring RemoteWindowText(HWND hWnd)
{
    wchar_t szText[4096] = {};
    DWORD_PTR nResult = 0;
    SendMessageTimeoutW(hWnd, WM_GETTEXT, 4095, reinterpret_cast<LPARAM>(szText), SMTO_ABORTIFHUNG, 5000, &nResult);
    return szText;
}

} // namespace testsupport
