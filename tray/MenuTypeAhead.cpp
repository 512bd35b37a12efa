#include "tray/MenuTypeAhead.h"

#include <oleacc.h>

#include <vector>

namespace {

struct SMenuEntry
{
    wchar_t chFirst;
    bool bGreyed;
    bool bHighlighted;
};

bool IsSeparatorEntry(HMENU hMenu, UINT nPosition)
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    return !GetMenuItemInfoW(hMenu, nPosition, TRUE, &info) || (info.fType & MFT_SEPARATOR) != 0;
}

bool IsBlank(wchar_t ch)
{
    return ch == L' ' || ch == L'\t';
}

wchar_t FirstLetter(const wchar_t* pszText, std::size_t nLength)
{
    std::size_t i = 0;
    while (i < nLength && IsBlank(pszText[i]))
        ++i;
    return i < nLength ? pszText[i] : L'\0';
}

// The first character of an entry's name; NUL when it has none.
wchar_t EntryLetter(HMENU hMenu, UINT nPosition, const MENUITEMINFOW& info)
{
    if ((info.fType & MFT_OWNERDRAW) != 0) {
        const auto* pMsaa = reinterpret_cast<const MSAAMENUINFO*>(info.dwItemData);
        if (pMsaa == nullptr || pMsaa->dwMSAASignature != MSAA_MENU_SIG || pMsaa->pszWText == nullptr)
            return L'\0';
        return FirstLetter(pMsaa->pszWText, pMsaa->cchWText);
    }
    wchar_t szText[256] = {};
    const int nLength = GetMenuStringW(hMenu, nPosition, szText, 256, MF_BYPOSITION);
    return nLength > 0 ? FirstLetter(szText, static_cast<std::size_t>(nLength)) : L'\0';
}

std::vector<SMenuEntry> ReadEntries(HMENU hMenu)
{
    std::vector<SMenuEntry> entries;
    const int nCount = GetMenuItemCount(hMenu);
    for (int i = 0; i < nCount; ++i) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_DATA;
        SMenuEntry entry = { L'\0', false, false };
        if (GetMenuItemInfoW(hMenu, static_cast<UINT>(i), TRUE, &info) && (info.fType & MFT_SEPARATOR) == 0) {
            entry.chFirst = EntryLetter(hMenu, static_cast<UINT>(i), info);
            entry.bGreyed = (info.fState & MFS_DISABLED) != 0;
            entry.bHighlighted = (info.fState & MFS_HILITE) != 0;
        }
        entries.push_back(entry);
    }
    return entries;
}

bool SameLetter(wchar_t chA, wchar_t chB)
{
    return chA != L'\0' && CompareStringOrdinal(&chA, 1, &chB, 1, TRUE) == CSTR_EQUAL;
}

// Enter as a character (see CElevationChordWatch) starts the selected
// entry, unless it is greyed.
LRESULT AnswerEnter(const std::vector<SMenuEntry>& entries)
{
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].bHighlighted && !entries[i].bGreyed)
            return MAKELRESULT(i, MNC_EXECUTE);
    }
    return MAKELRESULT(0, MNC_IGNORE);
}

} // namespace

LRESULT AnswerMenuChar(HMENU hMenu, wchar_t chTyped)
{
    const std::vector<SMenuEntry> entries = ReadEntries(hMenu);
    if (chTyped == L'\r')
        return AnswerEnter(entries);
    std::size_t nHighlighted = entries.size();
    std::vector<std::size_t> matches;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].bHighlighted)
            nHighlighted = i;
        if (SameLetter(entries[i].chFirst, chTyped))
            matches.push_back(i);
    }
    if (matches.empty())
        return MAKELRESULT(0, MNC_IGNORE);
    if (matches.size() == 1 && !entries[matches[0]].bGreyed)
        return MAKELRESULT(matches[0], MNC_EXECUTE);
    // The next match after the selection, from the top again past the end.
    std::size_t nNext = matches[0];
    for (std::size_t nMatch : matches) {
        if (nHighlighted < entries.size() && nMatch > nHighlighted) {
            nNext = nMatch;
            break;
        }
    }
    return MAKELRESULT(nNext, MNC_SELECT);
}

// The arrow keys pass over separators only, greyed entries included, and
// wrap around at the end; with nothing selected the first press selects
// the first entry.
void FollowMenuSelection(HWND hOwner, HMENU hMenu, UINT nPosition)
{
    const std::vector<SMenuEntry> entries = ReadEntries(hMenu);
    if (nPosition >= entries.size() || entries[nPosition].bHighlighted || IsSeparatorEntry(hMenu, nPosition))
        return;
    std::size_t nFrom = entries.size();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].bHighlighted)
            nFrom = i;
    }
    unsigned nPresses = 0;
    std::size_t i = nFrom;
    do {
        i = i + 1 >= entries.size() ? 0 : i + 1;
        if (!IsSeparatorEntry(hMenu, static_cast<UINT>(i)))
            ++nPresses;
    } while (i != nPosition);
    for (unsigned n = 0; n < nPresses; ++n)
        PostMessageW(hOwner, WM_KEYDOWN, VK_DOWN, 0);
}
