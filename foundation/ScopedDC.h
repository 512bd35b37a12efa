#pragma once

#include <windows.h>

namespace tessvald {

// A window's device context from GetDC, released to the same window.
// A null window gives the screen's context.
class CClientDC
{
public:
    explicit CClientDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(GetDC(hWnd)) {}
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    virtual ~CClientDC()
    {
        if (m_hDC != nullptr)
            ReleaseDC(m_hWnd, m_hDC);
    }

    HDC Get() const { return m_hDC; }
    explicit operator bool() const { return m_hDC != nullptr; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

// Selects a GDI object into a context and puts the previous one back.
class CSelectObject
{
public:
    CSelectObject(HDC hDC, HGDIOBJ hObject)
        : m_hDC(hDC), m_hPrevious(hDC != nullptr && hObject != nullptr ? SelectObject(hDC, hObject) : nullptr) {}
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;
    virtual ~CSelectObject()
    {
        if (m_hPrevious != nullptr)
            SelectObject(m_hDC, m_hPrevious);
    }

private:
    HDC m_hDC;
    HGDIOBJ m_hPrevious;
};

} // namespace tessvald
