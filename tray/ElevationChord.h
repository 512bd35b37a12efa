#pragma once

#include <windows.h>

// Ctrl+Shift+Enter on a menu entry starts it as administrator, as in the
// rest of Windows. Not every menu implementation starts an entry on Enter
// with Ctrl held (Wine's reads Enter from the character it makes, and Ctrl
// turns that into a line feed), so while a watch lives, that chord is taken
// from the menu's loop, noted, and handed back as a plain Enter character,
// which AnswerMenuChar or the menu itself turns into the choice.
class CElevationChordWatch
{
public:
    explicit CElevationChordWatch(HWND hOwner);
    CElevationChordWatch(const CElevationChordWatch&) = delete;
    CElevationChordWatch& operator=(const CElevationChordWatch&) = delete;
    virtual ~CElevationChordWatch();

    bool WasPressed() const { return m_bPressed; }

private:
    static LRESULT CALLBACK FilterProc(int nCode, WPARAM wParam, LPARAM lParam);

    HWND m_hOwner;
    HHOOK m_hHook;
    bool m_bPressed;
};

// Ctrl and Shift held in the key state of the moment: for a click, which
// ends the menu before the keys are let go.
bool IsElevationChordHeld();
