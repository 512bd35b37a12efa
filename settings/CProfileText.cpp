#include "settings/CProfileText.h"

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
    AppendProfileValue(m_text, pszValue);
    m_text.append(L"\r\n");
}

void AppendProfileValue(std::wstring& text, const wchar_t* pszValue)
{
    if (pszValue == nullptr)
        return;
    for (const wchar_t* pch = pszValue; *pch != L'\0'; ++pch)
        text.push_back(*pch == L'\r' || *pch == L'\n' ? L' ' : *pch);
}
