#include "support/WindowRecorder.h"

namespace testsupport {

CWindowRecorder::CWindowRecorder(int nAnswer)
    : m_nAnswer(nAnswer), m_automation([this](HWND hWnd) { OnWindow(hWnd); })
{
}

void CWindowRecorder::OnWindow(HWND hWnd)
{
    if (!IsMessageBox(hWnd)) {
        m_windows.push_back({ false, WindowText(hWnd), std::wstring() });
        PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
        return;
    }
    m_windows.push_back({ true, WindowText(hWnd), MessageBoxText(hWnd) });
    ClickButton(hWnd, GetDlgItem(hWnd, m_nAnswer) != nullptr ? m_nAnswer : IDOK);
}

} // namespace testsupport
