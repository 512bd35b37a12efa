#pragma once

#include <windows.h>

namespace testsupport {

// A hidden window of the class and name by which a running tray
// application is recognised, as if one were running, while it lives.
class CInstanceMark
{
public:
    CInstanceMark();
    CInstanceMark(const CInstanceMark&) = delete;
    CInstanceMark& operator=(const CInstanceMark&) = delete;
    virtual ~CInstanceMark();

    HWND Get() const { return m_hWnd; }

private:
    HWND m_hWnd;
};

} // namespace testsupport
