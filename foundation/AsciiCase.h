#pragma once

#include <string>

namespace tessvald::string {

// The case the profile functions and the file system's names ignore: the
// ASCII letters only. Other letters keep their case, so a name never
// changes with the user's locale.
inline wchar_t AsciiUpper(wchar_t ch)
{
    return (ch >= L'a' && ch <= L'z') ? static_cast<wchar_t>(ch - L'a' + L'A') : ch;
}

inline wchar_t AsciiLower(wchar_t ch)
{
    return (ch >= L'A' && ch <= L'Z') ? static_cast<wchar_t>(ch - L'A' + L'a') : ch;
}

inline std::wstring AsciiUpper(std::wstring text)
{
    for (wchar_t& ch : text)
        ch = AsciiUpper(ch);
    return text;
}

inline std::wstring AsciiLower(std::wstring text)
{
    for (wchar_t& ch : text)
        ch = AsciiLower(ch);
    return text;
}

} // namespace tessvald::string
