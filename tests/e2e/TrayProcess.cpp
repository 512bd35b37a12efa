#include "TrayProcess.h"

#include "support/TextReport.h"
#include "support/UserInput.h"

#include <shellapi.h>

namespace e2e {

using testsupport::CChildProcess;
using testsupport::WaitFor;

namespace {

constexpr wchar_t kClassName[] = L"AmbertilleWindowClass";
constexpr wchar_t kWindowName[] = L"Ambertille";

DWORD ThreadOf(HWND hWnd)
{
    return GetWindowThreadProcessId(hWnd, nullptr);
}

} // namespace

CTrayProcess::CTrayProcess(const std::string& settings, const std::wstring& exeName)
    : m_folder(m_dir.File(L"Amber Tille")), m_exePath(m_folder + L"\\" + exeName)
{
    CreateDirectoryW(m_folder.c_str(), nullptr);
    if (!CopyFileW((testsupport::ExeFolder() + L"\\ambertille.exe").c_str(), m_exePath.c_str(), FALSE))
        m_nCopyError = GetLastError();
    if (!settings.empty())
        WriteSettings(settings);
}

// The end of the session ends the program however it stands (a menu or a
// box open included) and takes its icon away; a process that does not end
// soon after is ended by its holder.
CTrayProcess::~CTrayProcess()
{
    for (size_t i = 0; i < m_processes.size(); ++i) {
        HWND hWnd = m_processes[i]->IsRunning() ? FindWindowOf(i) : nullptr;
        if (hWnd == nullptr)
            continue;
        PostMessageW(hWnd, WM_QUERYENDSESSION, 0, 0);
        PostMessageW(hWnd, WM_ENDSESSION, TRUE, 0);
    }
    for (const auto& process : m_processes)
        process->Wait(testsupport::kStepMs);
}

void CTrayProcess::WriteSettings(const std::string& lines) const
{
    std::string bytes;
    for (char ch : lines) {
        if (ch == '\n')
            bytes += '\r';
        bytes += ch;
    }
    testsupport::WriteFileBytes(SettingsFile(), bytes);
}

testing::AssertionResult CTrayProcess::Start(const wchar_t* pszArguments)
{
    if (m_nCopyError != ERROR_SUCCESS)
        return testing::AssertionFailure() << "the program was not copied: error " << m_nCopyError;
    auto process = std::make_unique<CChildProcess>(m_exePath, pszArguments, m_folder);
    if (!process->Started())
        return testing::AssertionFailure() << "the program did not start: error " << process->StartError();
    m_processes.push_back(std::move(process));
    return testing::AssertionSuccess();
}

testing::AssertionResult CTrayProcess::StartWithIcon()
{
    testing::AssertionResult result = Start();
    if (result)
        result = WaitForWindow();
    if (result)
        result = WaitForIcon(true);
    return result;
}

testing::AssertionResult CTrayProcess::WaitForExit(size_t nIndex, DWORD* pExitCode)
{
    return m_processes.at(nIndex)->Wait(testsupport::kStepMs, pExitCode);
}

HWND CTrayProcess::FindWindowOf(size_t nIndex) const
{
    const DWORD nProcessId = ProcessId(nIndex);
    for (HWND hWnd = FindWindowExW(nullptr, nullptr, kClassName, kWindowName); hWnd != nullptr;
         hWnd = FindWindowExW(nullptr, hWnd, kClassName, kWindowName)) {
        DWORD nOwner = 0;
        GetWindowThreadProcessId(hWnd, &nOwner);
        if (nOwner == nProcessId)
            return hWnd;
    }
    return nullptr;
}

testing::AssertionResult CTrayProcess::WaitForWindow(size_t nIndex, HWND* phWnd)
{
    HWND hWnd = nullptr;
    testing::AssertionResult found =
        WaitFor("the tray window", [&] { return (hWnd = FindWindowOf(nIndex)) != nullptr; }, testsupport::kStartMs);
    if (nIndex == 0)
        m_hWnd = hWnd;
    if (phWnd != nullptr)
        *phWnd = hWnd;
    return found;
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

testing::AssertionResult CTrayProcess::WaitForIcon(bool bShown) const
{
    return WaitFor(bShown ? "the icon in the notification area" : "the icon to leave the notification area",
                   [&] { return IconShown() == bShown; });
}

testing::AssertionResult CTrayProcess::WaitForShown(const wchar_t* pszClass, HWND* phWnd, const wchar_t* pszTitle,
                                                    size_t nIndex) const
{
    return testsupport::WaitForProcessWindow(ProcessId(nIndex), pszClass, pszTitle, phWnd);
}

testing::AssertionResult CTrayProcess::WaitForGone(const wchar_t* pszClass, size_t nIndex) const
{
    return testsupport::WaitForNoProcessWindow(ProcessId(nIndex), pszClass);
}

void CTrayProcess::Notify(UINT nMouseMessage) const
{
    PostMessageW(m_hWnd, kTrayNotify, 0, nMouseMessage);
}

bool CTrayProcess::MenuShown() const
{
    return testsupport::FindProcessWindow(ProcessId(), kMenuClass, nullptr) != nullptr;
}

testing::AssertionResult CTrayProcess::OpenMenu(UINT nButton, HWND* phMenu) const
{
    Notify(nButton);
    return WaitForShown(kMenuClass, phMenu);
}

// A menu shows before its loop runs; keys typed meanwhile wait in the
// queue of the thread that has the keyboard, which must be the program's.
testing::AssertionResult CTrayProcess::WaitForMenuReady() const
{
    return WaitFor("the open menu to take keys", [&] {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        return GetGUIThreadInfo(ThreadOf(m_hWnd), &info) && (info.flags & GUI_INMENUMODE) != 0
               && ThreadOf(GetForegroundWindow()) == ThreadOf(m_hWnd);
    });
}

testing::AssertionResult CTrayProcess::MenuOpensAndCloses(UINT nButton) const
{
    HWND hMenu = nullptr;
    testing::AssertionResult result = OpenMenu(nButton, &hMenu);
    if (!result)
        return result;
    testsupport::PostKeys(hMenu, { VK_ESCAPE });
    return WaitForGone(kMenuClass);
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
