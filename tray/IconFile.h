#pragma once

#include <windows.h>

// The pictures of menu entries. Safe on any thread: they touch no window,
// menu or shared state. The shell's icons need COM on the calling thread.

// What Explorer shows for a path: the file's own icon, its type's or the
// folder's; for a path that is not there, or none, the generic icon of a
// program or a document.
HICON LoadShellIcon(const wchar_t* pszPath, int nWidth, int nHeight);

// An entry's picture: its icon, or, where that cannot be had (no icon
// file, a file without icon groups, a damaged or missing one), the shell's
// icon for the entry's path, so that no entry shows a gap.
HICON LoadEntryIcon(const wchar_t* pszFile, LONG nIndex, const wchar_t* pszPath, int nWidth, int nHeight);
