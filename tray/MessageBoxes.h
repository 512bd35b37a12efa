#pragma once

#include <windows.h>

// The program's two message boxes outside its dialogs. Both format
// printf-style (Windows wide convention) into one shared text buffer.

// Passed as the code: show the text alone, without the system's text.
constexpr DWORD kNoSystemText = static_cast<DWORD>(-1);

extern wchar_t g_szMsgCaption[64];
extern wchar_t g_szMsgText[3072];

// An error box: the formatted text, a line break and the system's text for
// the code. Code 0 shows nothing at all. A null caption reads "Fehler".
void ShowError(HWND hOwner, DWORD nCode, const wchar_t* pszCaption, const wchar_t* pszFormat, ...);

// A box that offers "Wiederholen" and "Abbrechen" for a failure that may
// pass (a file that another program holds for a moment): the formatted
// text, a line break and the system's text for the code. IDRETRY or
// IDCANCEL.
int AskRetry(HWND hOwner, DWORD nCode, const wchar_t* pszCaption, const wchar_t* pszFormat, ...);

// A Yes/No question; IDYES or IDNO, or 3 without a box when the text is
// empty. A null caption reads "Frage".
int AskQuestion(HWND hOwner, const wchar_t* pszCaption, const wchar_t* pszFormat, ...);
