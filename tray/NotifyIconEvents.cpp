#include "tray/NotifyIconEvents.h"

#include <shellapi.h>
#include <windowsx.h>

namespace {

STrayRequest Request(ETrayMenu eMenu, bool bFromKeyboard)
{
    return STrayRequest{ eMenu, bFromKeyboard, false, POINT{} };
}

} // namespace

CNotifyIconDecoder::CNotifyIconDecoder() : m_bVersion4(false), m_bLeftClickOpen(false), m_bRightClickOpen(false)
{
}

CNotifyIconDecoder::~CNotifyIconDecoder() = default;

void CNotifyIconDecoder::SetVersion4(bool bVersion4)
{
    m_bVersion4 = bVersion4;
    m_bLeftClickOpen = false;
    m_bRightClickOpen = false;
}

// The button messages open the menus in both versions: a shell that took
// version 4 and still sends no NIN_SELECT keeps working, and the follower
// of a click is recognised by the flag its button message left.
STrayRequest CNotifyIconDecoder::Decode(WPARAM wParam, LPARAM lParam)
{
    STrayRequest request = Request(ETrayMenu::None, false);
    switch (LOWORD(lParam)) {
    case WM_LBUTTONUP:
        m_bLeftClickOpen = m_bVersion4;
        request = Request(ETrayMenu::Tools, false);
        break;
    case WM_RBUTTONUP:
        m_bRightClickOpen = m_bVersion4;
        request = Request(ETrayMenu::Program, false);
        break;
    case NIN_SELECT:
        if (m_bLeftClickOpen) {
            m_bLeftClickOpen = false;
            return request;
        }
        request = Request(ETrayMenu::Tools, true);
        break;
    case NIN_KEYSELECT:
        request = Request(ETrayMenu::Tools, true);
        break;
    case WM_CONTEXTMENU:
        if (m_bRightClickOpen) {
            m_bRightClickOpen = false;
            return request;
        }
        request = Request(ETrayMenu::Program, true);
        break;
    default:
        return request;
    }
    // A click opens where the pointer is, which is also the shell's point
    // then; a key opens at the icon, which only the shell knows.
    if (m_bVersion4 && request.bFromKeyboard) {
        request.bHasAnchor = true;
        request.ptAnchor = POINT{ GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam) };
    }
    return request;
}
