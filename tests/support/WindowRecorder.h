#pragma once

#include "support/DialogAutomation.h"

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// What a modal window looked like when it opened.
struct ShownWindow
{
    bool bMessageBox;
    std::wstring caption;
    std::wstring text;  // a message box's text; empty for other windows
};

// Records every window that the code under test opens on this thread while
// the recorder lives, and closes it: a message box with the given button
// (or OK where it has none), any other dialog with Esc's command.
class CWindowRecorder
{
public:
    explicit CWindowRecorder(int nAnswer = IDOK);
    CWindowRecorder(const CWindowRecorder&) = delete;
    CWindowRecorder& operator=(const CWindowRecorder&) = delete;
    virtual ~CWindowRecorder() = default;

    const std::vector<ShownWindow>& Windows() const { return m_windows; }
    bool TimedOut() const { return m_automation.TimedOut(); }

private:
    void OnWindow(HWND hWnd);

    int m_nAnswer;
    std::vector<ShownWindow> m_windows;
    CDialogAutomation m_automation;
};

} // namespace testsupport
