#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// A menu as text: "2025 One|-|2027 Three|-|2024 Programme bearbeiten",
// "-" for a separator; owner-drawn entries show the name a screen reader
// reads from their item data; a submenu follows its entry in brackets
// ("Büro[2026 Two]"), an entry that opens one shows its id only when it has
// one.
std::wstring DescribeMenu(HMENU hMenu);
// The name of the entry with this command as accessibility tools read it
// (GetMenuItemInfoW, then the MSAAMENUINFO at the start of the item data);
// empty when the data does not carry the signature.
std::wstring AccessibleName(HMENU hMenu, UINT nCommand);
// The item data of the entry with this command.
ULONG_PTR MenuItemDataOf(HMENU hMenu, UINT nCommand);

// The visible popup menu window of this thread, or null.
HWND FindThreadMenuWindow();

// Keys of a CMenuDriver script besides virtual keys: a typed character,
// and Ctrl+Shift+Enter or a Ctrl+Shift click on the first entry pressed on
// the real keyboard and mouse (the key state that goes with them exists
// only for real input, not for posted messages).
constexpr UINT kTypedFlag = 0x10000;
constexpr UINT Typed(wchar_t ch)
{
    return kTypedFlag | ch;
}
constexpr UINT kElevatedEnter = 0x20000;
constexpr UINT kElevatedClick = 0x20001;

// What happens once a popup menu of this thread shows, from a timer inside
// the menu's loop: the keys go to it one at a time, as a user presses them,
// or without keys it is closed. The menus that opened are noted as text,
// and before each key which entry was selected. A menu still open long
// after the script ran (a second one that should never have opened, keys
// that did not arrive) is closed, so the test fails instead of hanging.
class CMenuDriver
{
public:
    // whileOpen runs once, as soon as the first menu shows.
    explicit CMenuDriver(std::vector<UINT> keys = {}, std::function<void()> whileOpen = nullptr);
    CMenuDriver(const CMenuDriver&) = delete;
    CMenuDriver& operator=(const CMenuDriver&) = delete;
    virtual ~CMenuDriver();

    // Keeps a menu without keys open until the condition, asked at every
    // tick of the timer, holds.
    void CloseWhen(std::function<bool()> condition) { m_closeWhen = std::move(condition); }
    // Sees every message sent to a window of this thread (the menu's own
    // drawing requests to its owner among them).
    void WatchSent(std::function<void(const CWPSTRUCT&)> watch) { m_watchSent = std::move(watch); }

    std::vector<std::wstring> m_opened;
    // The selected position before each key and after the last; -1 for none.
    std::vector<int> m_selected;

private:
    static LRESULT CALLBACK HookProc(int nCode, WPARAM wParam, LPARAM lParam);
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);
    void OnTick(HWND hMenuWnd);
    int SelectedPosition() const;
    void PostInput(HWND hMenuWnd, UINT nKey) const;

    std::vector<UINT> m_keys;
    std::function<void()> m_whileOpen;
    std::function<bool()> m_closeWhen;
    std::function<void(const CWPSTRUCT&)> m_watchSent;
    HHOOK m_hHook = nullptr;
    UINT_PTR m_nTimer = 0;
    bool m_bActed = false;
    DWORD m_nActedAt = 0;
    std::size_t m_nNextKey = 0;
    HMENU m_hMenu = nullptr;
};

} // namespace testsupport
