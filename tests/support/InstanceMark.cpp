#include "support/InstanceMark.h"

namespace testsupport {

namespace {

constexpr wchar_t kClassName[] = L"AmbertilleWindowClass";

} // namespace

CInstanceMark::CInstanceMark()
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
    m_hWnd = CreateWindowExW(0, kClassName, L"Ambertille", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr, nullptr,
                             wc.hInstance, nullptr);
}

CInstanceMark::~CInstanceMark()
{
    DestroyWindow(m_hWnd);
    UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
}

} // namespace testsupport
