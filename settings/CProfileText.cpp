#include "settings/CProfileText.h"

#include "settings/ProfileFormat.h"

CProfileText::CProfileText() = default;

CProfileText::~CProfileText() = default;

void CProfileText::AddValue(const wchar_t* pszSection, const wchar_t* pszKey, const wchar_t* pszValue)
{
    if (pszSection == nullptr || pszKey == nullptr || pszValue == nullptr || pszValue[0] == L'\0')
        return;
    if (m_text.empty() || m_section != pszSection) {
        m_section = pszSection;
        m_text.append(L"[").append(pszSection).append(L"]\r\n");
    }
    m_text.append(pszKey).append(L"=");
    AppendProfileValue(m_text, pszValue, false);
    m_text.append(L"\r\n");
}

namespace {

bool IsQuote(wchar_t ch)
{
    return ch == L'"' || ch == L'\'';
}

bool NeedsQuotes(const std::wstring& value)
{
    if (value.empty())
        return false;
    if (IsProfileBlank(value.front()) || IsProfileBlank(value.back()))
        return true;
    return value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front();
}

} // namespace

void AppendProfileValue(std::wstring& text, const wchar_t* pszValue, bool bQuote)
{
    if (pszValue == nullptr)
        return;
    std::wstring value(pszValue);
    for (wchar_t& ch : value) {
        if (ch == L'\r' || ch == L'\n')
            ch = L' ';
    }
    const bool bEnclose = bQuote || NeedsQuotes(value);
    if (bEnclose)
        text.push_back(L'"');
    text.append(value);
    if (bEnclose)
        text.push_back(L'"');
}
