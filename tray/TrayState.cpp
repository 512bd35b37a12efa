#include "tray/TrayState.h"

#include "foundation/Dpi.h"

#include <shellapi.h>

namespace {

CTrayState* s_pCurrent = nullptr;

} // namespace

CTrayState::CTrayState()
    : m_bQuitAfterClick(false), m_nMenuDpi(tessvald::SystemDpi()), m_nFirstFreeId(0), m_registeredHotkey{ 0, 0 },
      m_reportedHotkey{ 0, 0 }, m_eNotifyIconMode(EColourMode::Light), m_pfnShellExecute(ShellExecuteExW),
      m_pShellMenu(nullptr), m_ePendingAction(EEntryAction::None),
      m_pendingEntry{ SMenuEntry::EKind::Tool, 0, L"", L"", false }, m_hWnd(nullptr), m_pPrevious(nullptr)
{
}

CTrayState::~CTrayState()
{
    Detach();
}

CTrayState* CTrayState::Current()
{
    return s_pCurrent;
}

void CTrayState::Attach(HWND hWnd)
{
    m_hWnd = hWnd;
    m_pPrevious = s_pCurrent;
    s_pCurrent = this;
}

void CTrayState::Detach()
{
    if (s_pCurrent != this)
        return;
    s_pCurrent = m_pPrevious;
    m_pPrevious = nullptr;
}
