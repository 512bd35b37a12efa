#pragma once

#include <string>
#include <vector>

// One key to set in a profile text; an empty value takes the key away.
struct SProfileValue
{
    const wchar_t* pszSection;
    const wchar_t* pszKey;
    std::wstring strValue;
    bool bQuote;  // enclose the value in quotation marks
};

// The text with the keys set, everything else kept as it stands, the way
// the platform's profile writer changes a file key by key: the first
// section and the first key of a name count (ignoring case); a changed key
// keeps its line, a new key follows the last line of its section, a new
// section goes at the end. Lines end in CR LF, the last one included.
std::wstring EditProfileText(const std::wstring& text, const std::vector<SProfileValue>& values);
