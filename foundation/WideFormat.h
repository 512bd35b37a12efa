#pragma once

#include <cstdarg>
#include <cstddef>

namespace tessvald::string {

// Formats into a fixed buffer with the Windows wide printf convention
// ("%s" takes a wide string), whatever the compiler's own stdio reads.
// At most capacity - 1 characters are written and the text is always
// terminated; a longer result is cut. Returns the characters written, or
// -1 for a null buffer, zero capacity or a null format.
int FormatBuffer(wchar_t* pszBuffer, std::size_t nCapacity, const wchar_t* pszFormat, ...);
int FormatBufferV(wchar_t* pszBuffer, std::size_t nCapacity, const wchar_t* pszFormat, va_list args);

// Number of characters the format produces, or -1 when it cannot be counted.
int CountFormattedV(const wchar_t* pszFormat, va_list args);

// Compares whole texts, folding only the ASCII letters when asked.
bool TextEquals(const wchar_t* pszA, const wchar_t* pszB, bool bIgnoreCase);

} // namespace tessvald::string
