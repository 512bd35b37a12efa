#include "foundation/WideFormat.h"

#include "foundation/AsciiCase.h"

#include <cstdio>
#include <cwchar>

namespace tessvald::string {

// The Microsoft runtime's _vsnwprintf and _vscwprintf read "%s" as a wide
// string in wide formats; MinGW's C++ mode switches the standard names to
// the C99 reading, so these two are called by their runtime names.
int FormatBufferV(wchar_t* pszBuffer, std::size_t nCapacity, const wchar_t* pszFormat, va_list args)
{
    if (pszBuffer == nullptr || nCapacity == 0 || pszFormat == nullptr)
        return -1;
    int nWritten = _vsnwprintf(pszBuffer, nCapacity - 1, pszFormat, args);
    if (nWritten < 0 || static_cast<std::size_t>(nWritten) >= nCapacity)
        nWritten = static_cast<int>(nCapacity - 1);
    pszBuffer[nWritten] = L'\0';
    return nWritten;
}

int FormatBuffer(wchar_t* pszBuffer, std::size_t nCapacity, const wchar_t* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    const int nWritten = FormatBufferV(pszBuffer, nCapacity, pszFormat, args);
    va_end(args);
    return nWritten;
}

int CountFormattedV(const wchar_t* pszFormat, va_list args)
{
    if (pszFormat == nullptr)
        return -1;
    return _vscwprintf(pszFormat, args);
}

bool TextEquals(const wchar_t* pszA, const wchar_t* pszB, bool bIgnoreCase)
{
    if (pszA == nullptr || pszB == nullptr)
        return pszA == pszB;
    for (;; ++pszA, ++pszB) {
        const wchar_t a = bIgnoreCase ? AsciiUpper(*pszA) : *pszA;
        const wchar_t b = bIgnoreCase ? AsciiUpper(*pszB) : *pszB;
        if (a != b)
            return false;
        if (a == L'\0')
            return true;
    }
}

} // namespace tessvald::string
