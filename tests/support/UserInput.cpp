#include "support/UserInput.h"

namespace testsupport {

INPUT KeyInput(WORD nKey, bool bUp)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = nKey;
    input.ki.dwFlags = bUp ? KEYEVENTF_KEYUP : 0;
    return input;
}

INPUT MouseInput(DWORD nFlags, POINT pt)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(pt.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(pt.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = nFlags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    return input;
}

bool SendInputs(const std::vector<INPUT>& inputs)
{
    std::vector<INPUT> copy(inputs);
    return SendInput(static_cast<UINT>(copy.size()), copy.data(), sizeof(INPUT)) == copy.size();
}

void PostKeys(HWND hWnd, const std::vector<UINT>& keys)
{
    for (UINT nKey : keys) {
        PostMessageW(hWnd, WM_KEYDOWN, nKey, 1);
        PostMessageW(hWnd, WM_KEYUP, nKey, 0xC0000001);
    }
}

} // namespace testsupport
