#include "TrayProcess.h"

#include "support/ChildProcess.h"

#include <shellapi.h>

namespace e2e {

using testsupport::FindProcessWindow;

namespace {

constexpr wchar_t kClassName[] = L"AmbertilleWindowClass";
constexpr UINT kTrayNotify = WM_USER + 100;

} // namespace

CTrayProcess::CTrayProcess(const std::string& settings) : m_exePath(m_dir.File(L"ambertille.exe"))
{
    CopyFileW((testsupport::ExeFolder() + L"\\ambertille.exe").c_str(), m_exePath.c_str(), FALSE);
    std::string bytes;
    for (char ch : settings) {
        if (ch == '\n')
            bytes += '\r';
        bytes += ch;
    }
    testsupport::WriteFileBytes(m_dir.File(L"ambertille.ini"), bytes);
}

CTrayProcess::~CTrayProcess()
{
    for (size_t i = 0; i < m_processes.size(); ++i) {
        if (IsRunning(i) && m_hWnd != nullptr)
            PostMessageW(m_hWnd, WM_QUERYENDSESSION, 0, 0);
        if (!WaitForExit(i, 5000))
            TerminateProcess(m_processes[i], 1);
        WaitForSingleObject(m_processes[i], 5000);
        CloseHandle(m_processes[i]);
    }
}

bool CTrayProcess::Start(const wchar_t* pszArguments)
{
    std::wstring commandLine = L"\"" + m_exePath + L"\" " + pszArguments;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(m_exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        m_dir.Path().c_str(), &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    m_processes.push_back(pi.hProcess);
    m_ids.push_back(pi.dwProcessId);
    return true;
}

HWND CTrayProcess::WaitForWindow(DWORD nTimeoutMs)
{
    WaitUntil(nTimeoutMs, [&] {
        HWND hWnd = FindWindowW(kClassName, L"Ambertille");
        DWORD nOwner = 0;
        GetWindowThreadProcessId(hWnd, &nOwner);
        m_hWnd = (hWnd != nullptr && !m_ids.empty() && nOwner == m_ids.front()) ? hWnd : nullptr;
        return m_hWnd != nullptr;
    });
    return m_hWnd;
}

bool CTrayProcess::IconShown() const
{
    // Changing nothing succeeds only for an icon the shell holds.
    NOTIFYICONDATAW nid = {};
    nid.cbSize = sizeof(nid);
    nid.hWnd = m_hWnd;
    nid.uID = 0;
    return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

bool CTrayProcess::WaitForIcon(bool bShown, DWORD nTimeoutMs) const
{
    return WaitUntil(nTimeoutMs, [&] { return IconShown() == bShown; });
}

bool CTrayProcess::StartWithIcon(DWORD nTimeoutMs)
{
    return Start() && WaitForWindow(nTimeoutMs) != nullptr && WaitForIcon(true, nTimeoutMs);
}

void CTrayProcess::Notify(UINT nMouseMessage) const
{
    PostMessageW(m_hWnd, kTrayNotify, 0, nMouseMessage);
}

bool CTrayProcess::WaitForExit(size_t nIndex, DWORD nTimeoutMs, DWORD* pExitCode) const
{
    if (WaitForSingleObject(m_processes.at(nIndex), nTimeoutMs) != WAIT_OBJECT_0)
        return false;
    if (pExitCode != nullptr)
        GetExitCodeProcess(m_processes.at(nIndex), pExitCode);
    return true;
}

bool CTrayProcess::IsRunning(size_t nIndex) const
{
    return WaitForSingleObject(m_processes.at(nIndex), 0) == WAIT_TIMEOUT;
}

HWND WaitForProcessWindow(DWORD nProcessId, const wchar_t* pszClass, DWORD nTimeoutMs)
{
    HWND hFound = nullptr;
    WaitUntil(nTimeoutMs, [&] { return (hFound = FindProcessWindow(nProcessId, pszClass, nullptr)) != nullptr; });
    return hFound;
}

bool WaitForNoProcessWindow(DWORD nProcessId, const wchar_t* pszClass, DWORD nTimeoutMs)
{
    return WaitUntil(nTimeoutMs, [&] { return FindProcessWindow(nProcessId, pszClass, nullptr) == nullptr; });
}

void SendKeys(HWND hWnd, const std::vector<UINT>& keys)
{
    for (UINT nKey : keys) {
        PostMessageW(hWnd, WM_KEYDOWN, nKey, 1);
        PostMessageW(hWnd, WM_KEYUP, nKey, 0xC0000001);
    }
}

bool BalloonShown()
{
    bool bShown = false;
    EnumWindows(
        [](HWND hWnd, LPARAM lParam) {
            wchar_t szClass[64] = {};
            GetClassNameW(hWnd, szClass, 64);
            RECT rc = {};
            if (IsWindowVisible(hWnd) && lstrcmpW(szClass, L"tooltips_class32") == 0 && GetWindowRect(hWnd, &rc)
                && rc.bottom - rc.top >= 40)
                *reinterpret_cast<bool*>(lParam) = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&bShown));
    return bShown;
}

} // namespace e2e
