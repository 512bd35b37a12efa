#pragma once

#include <windows.h>

// The icon's callback messages turned into what the user asked for. With
// NOTIFYICON_VERSION_4 the shell reports a mouse click twice (the button
// message, then NIN_SELECT or WM_CONTEXTMENU) and the keyboard once
// (NIN_KEYSELECT, or WM_CONTEXTMENU for Shift+F10 and the menu key), with
// the point to open at in wParam. Shells that refused version 4 send the
// button messages alone. Every message goes through one decoder, also those
// that arrive while a menu is open, so that the second half of a click is
// never taken for a click of its own.

enum class ETrayMenu { None, Tools, Program };

struct STrayRequest
{
    ETrayMenu eMenu;
    bool bFromKeyboard;  // the menu opens with its first entry selected
    bool bHasAnchor;     // ptAnchor is the shell's point (keyboard, version 4); else the cursor's
    POINT ptAnchor;
};

class CNotifyIconDecoder
{
public:
    CNotifyIconDecoder();
    virtual ~CNotifyIconDecoder();

    // Set after NIM_SETVERSION succeeded; wParam carries the anchor only then.
    void SetVersion4(bool bVersion4);
    bool IsVersion4() const { return m_bVersion4; }

    STrayRequest Decode(WPARAM wParam, LPARAM lParam);

private:
    bool m_bVersion4;
    bool m_bLeftClickOpen;   // a button-up opened the tools menu; NIN_SELECT follows
    bool m_bRightClickOpen;  // likewise the program menu; WM_CONTEXTMENU follows
};
