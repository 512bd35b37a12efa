#include "tray/NotifyIconEvents.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

// One callback message as the shell sends it: the event in the low word,
// the anchor point in wParam for version 4.
struct SCallback
{
    UINT nEvent;
    short x;
    short y;
};

// What each message of the sequence asked for: "-" nothing, "T"/"P" a menu
// by mouse, "t"/"p" by keyboard, with "@x,y" for the shell's point.
std::string Decode(bool bVersion4, const std::vector<SCallback>& callbacks)
{
    CNotifyIconDecoder decoder;
    decoder.SetVersion4(bVersion4);
    std::string result;
    for (const SCallback& callback : callbacks) {
        const WPARAM wParam = MAKEWPARAM(static_cast<WORD>(callback.x), static_cast<WORD>(callback.y));
        const STrayRequest request = decoder.Decode(wParam, MAKELPARAM(callback.nEvent, 0));
        if (!result.empty())
            result += " ";
        if (request.eMenu == ETrayMenu::None) {
            result += "-";
            continue;
        }
        const bool bTools = request.eMenu == ETrayMenu::Tools;
        result += request.bFromKeyboard ? (bTools ? "t" : "p") : (bTools ? "T" : "P");
        if (request.bHasAnchor)
            result += "@" + std::to_string(request.ptAnchor.x) + "," + std::to_string(request.ptAnchor.y);
    }
    return result;
}

} // namespace

TEST(NotifyIconDecoder, EachClickOrKeyOpensOneMenu)
{
    struct Case
    {
        const char* pszName;
        bool bVersion4;
        std::vector<SCallback> callbacks;
        const char* pszExpected;
    };
    const Case cases[] = {
        { "left click, version 4", true,
          { { WM_MOUSEMOVE, 5, 6 }, { WM_LBUTTONDOWN, 5, 6 }, { WM_LBUTTONUP, 5, 6 }, { NIN_SELECT, 5, 6 } },
          "- - T -" },
        { "right click, version 4", true,
          { { WM_RBUTTONDOWN, 5, 6 }, { WM_RBUTTONUP, 5, 6 }, { WM_CONTEXTMENU, 5, 6 } }, "- P -" },
        { "two clicks in a row", true,
          { { WM_LBUTTONUP, 1, 1 }, { NIN_SELECT, 1, 1 }, { WM_LBUTTONUP, 1, 1 }, { NIN_SELECT, 1, 1 } },
          "T - T -" },
        { "Enter or Space on the icon", true, { { NIN_KEYSELECT, 1270, 790 } }, "t@1270,790" },
        { "selected without a button", true, { { NIN_SELECT, 10, 20 } }, "t@10,20" },
        { "Shift+F10 or the menu key", true, { { WM_CONTEXTMENU, -3, 790 } }, "p@-3,790" },
        { "a right click, then the menu key", true,
          { { WM_RBUTTONUP, 1, 1 }, { WM_CONTEXTMENU, 1, 1 }, { WM_CONTEXTMENU, 2, 2 } }, "P - p@2,2" },
        { "old shell: the buttons alone", false,
          { { WM_LBUTTONUP, 0, 0 }, { WM_RBUTTONUP, 0, 0 }, { WM_LBUTTONDBLCLK, 0, 0 }, { WM_MBUTTONUP, 0, 0 } },
          "T P - -" },
        { "old shell: keys carry no point", false, { { NIN_KEYSELECT, 0, 0 } }, "t" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.pszExpected, Decode(c.bVersion4, c.callbacks)) << c.pszName;
}
