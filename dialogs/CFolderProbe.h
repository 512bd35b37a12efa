#pragma once

#include <windows.h>

#include <memory>

// Asks whether a path names an existing folder, on a worker: a path on a
// share whose server stopped answering holds the look-up for tens of
// seconds, and the dialog that asks must not wait for it. Each answer is
// posted to the window as the message, with the number of the question in
// wParam and 1 (a folder) or 0 in lParam; a question asked since makes an
// earlier answer stale. Environment references are expanded first, as the
// tools menu does. A look-up still stuck when the window goes is left
// behind and posts nothing; it counts as background work
// (foundation/BackgroundWork) until it ends.
class CFolderProbe
{
public:
    CFolderProbe();
    CFolderProbe(const CFolderProbe&) = delete;
    CFolderProbe& operator=(const CFolderProbe&) = delete;
    virtual ~CFolderProbe();

    // Where answers go from now on; a null window stops them.
    void SetWindow(HWND hWnd, UINT nMessage);
    // The number of the question; 0 when no worker could take it.
    ULONG Ask(const wchar_t* pszPath);
    // Whether the answer is to the latest question.
    bool IsLatest(WPARAM nQuestion) const { return nQuestion != 0 && nQuestion == m_nLatest; }

    struct CTarget;
    struct CQuestion;

private:
    std::shared_ptr<CTarget> m_pTarget;
    ULONG m_nLatest;
};
