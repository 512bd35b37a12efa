#include "RecordingShell.h"

#include "tray/ToolLauncher.h"

namespace traytest {

namespace {

std::wstring Text(const wchar_t* pszText)
{
    return pszText != nullptr ? pszText : L"";
}

BOOL WINAPI RecordingShellExecute(SHELLEXECUTEINFOW* pInfo)
{
    SShellCall& call = CRecordingShell::Call();
    ++call.nCalls;
    call.verb = Text(pInfo->lpVerb);
    call.file = Text(pInfo->lpFile);
    call.parameters = Text(pInfo->lpParameters);
    call.directory = Text(pInfo->lpDirectory);
    call.fMask = pInfo->fMask;
    pInfo->hInstApp = reinterpret_cast<HINSTANCE>(call.nInstApp);
    SetLastError(call.nError);
    return call.bResult;
}

} // namespace

CRecordingShell::CRecordingShell() : m_pState(CTrayState::Current()), m_pfnPrevious(nullptr)
{
    Call() = SShellCall();
    if (m_pState == nullptr)
        return;
    m_pfnPrevious = m_pState->m_pfnShellExecute;
    m_pState->m_pfnShellExecute = RecordingShellExecute;
}

CRecordingShell::~CRecordingShell()
{
    if (m_pState != nullptr)
        m_pState->m_pfnShellExecute = m_pfnPrevious;
}

ShellExecuteHook CRecordingShell::Hook()
{
    return RecordingShellExecute;
}

SShellCall& CRecordingShell::Call()
{
    static SShellCall s_call;
    return s_call;
}

} // namespace traytest
