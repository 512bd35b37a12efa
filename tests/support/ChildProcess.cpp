#include "support/ChildProcess.h"

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

} // namespace

CChildProcess::CChildProcess(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder,
                             const Environment& environment)
    : m_info()
{
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    std::wstring block = MakeEnvironmentBlock(environment);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                        &block[0], folder.empty() ? nullptr : folder.c_str(), &startup, &m_info))
        m_info = PROCESS_INFORMATION();
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

bool CChildProcess::Wait(DWORD nTimeoutMs, DWORD* pExitCode)
{
    if (m_info.hProcess == nullptr)
        return false;
    const DWORD nStart = GetTickCount();
    for (;;) {
        const DWORD nElapsed = GetTickCount() - nStart;
        if (nElapsed >= nTimeoutMs)
            return false;
        const DWORD nResult = MsgWaitForMultipleObjects(1, &m_info.hProcess, FALSE, nTimeoutMs - nElapsed, QS_ALLINPUT);
        if (nResult == WAIT_OBJECT_0)
            break;
        PumpMessages();
    }
    if (pExitCode != nullptr)
        GetExitCodeProcess(m_info.hProcess, pExitCode);
    return true;
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void PumpFor(DWORD nMs)
{
    const DWORD nStart = GetTickCount();
    while (GetTickCount() - nStart < nMs) {
        PumpMessages();
        Sleep(20);
    }
}

HWND FindProcessWindow(DWORD nProcessId, const wchar_t* pszClass, const wchar_t* pszTitle)
{
    WindowSearch search = { nProcessId, pszClass, pszTitle, nullptr };
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

HWND WaitForProcessWindow(DWORD nProcessId, const wchar_t* pszClass, const wchar_t* pszTitle, DWORD nTimeoutMs)
{
    const DWORD nStart = GetTickCount();
    do {
        if (HWND hFound = FindProcessWindow(nProcessId, pszClass, pszTitle))
            return hFound;
        PumpFor(50);
    } while (GetTickCount() - nStart < nTimeoutMs);
    return nullptr;
}

std::wstring RemoteWindowText(HWND hWnd)
{
    wchar_t szText[4096] = {};
    DWORD_PTR nResult = 0;
    SendMessageTimeoutW(hWnd, WM_GETTEXT, 4095, reinterpret_cast<LPARAM>(szText), SMTO_ABORTIFHUNG, 5000, &nResult);
    return szText;
}

} // namespace testsupport
