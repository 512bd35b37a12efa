// The floor for the tray program's start-up figure: the least a program in
// the notification area must do — register a class, create a hidden window,
// add an icon — and nothing else. It waits for WM_CLOSE, then removes the
// icon. Started and timed by bench_tray_bench with "-run"; started any
// other way (as a run of all benchmarks does) it ends at once.

#include <windows.h>
#include <shellapi.h>

namespace {

constexpr wchar_t kClassName[] = L"AmbertilleFloorWindow";
constexpr UINT kCallback = WM_USER + 100;

LRESULT CALLBACK FloorWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (nMsg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hWnd, nMsg, wParam, lParam);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || lstrcmpA(argv[1], "-run") != 0)
        return 0;
    HINSTANCE hInstance = GetModuleHandleW(nullptr);
    HICON hIcon = static_cast<HICON>(LoadImageW(hInstance, MAKEINTRESOURCEW(101), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = FloorWndProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc))
        return 1;
    HWND hWnd = CreateWindowExW(0, kClassName, L"Floor", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr, nullptr,
                                hInstance, nullptr);
    if (hWnd == nullptr)
        return 1;
    NOTIFYICONDATAW nid = {};
    nid.cbSize = sizeof(nid);
    nid.hWnd = hWnd;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = kCallback;
    nid.hIcon = hIcon;
    lstrcpynW(nid.szTip, L"Floor", ARRAYSIZE(nid.szTip));
    if (!Shell_NotifyIconW(NIM_ADD, &nid))
        return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    Shell_NotifyIconW(NIM_DELETE, &nid);
    if (hIcon != nullptr)
        DestroyIcon(hIcon);
    return 0;
}
