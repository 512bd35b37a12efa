#pragma once

#include <string>

// Builds the text of a whole profile file in one pass, line for line as
// the platform's profile functions would write it key by key: a section
// line is written before the first value of a section, keys follow in the
// order they are added, lines end in CR/LF. Writing a list of a thousand
// tools key by key rewrites the growing file once per key; this writes it
// once.
class CProfileText
{
public:
    CProfileText();
    virtual ~CProfileText();

    // An empty or null value is skipped, as the profile writer refuses it;
    // a section that gets no value gets no line either.
    void AddValue(const wchar_t* pszSection, const wchar_t* pszKey, const wchar_t* pszValue);
    const std::wstring& GetText() const { return m_text; }

private:
    std::wstring m_text;
    std::wstring m_section;
};

// Appends a value as it must stand after "key=" to read back unchanged.
// The profile functions write values raw, so a line break inside one (a
// shortcut's description may hold one) would start lines such as "[tool1]"
// of its own: breaks are written as blanks. Reading drops blanks around a
// value and one pair of equal quotation marks around it, so a parameter
// such as "C:\My Files\a.txt" in quotes would lose them: such values, and
// any value when asked, are written inside an extra pair of double quotes.
void AppendProfileValue(std::wstring& text, const wchar_t* pszValue, bool bQuote);
