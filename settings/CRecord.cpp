#include "settings/CRecord.h"

#include "settings/ShowModes.h"

#include <cstdarg>

using tessvald::string::CString;

CRecord::CRecord() : m_nShow(SW_SHOWMAXIMIZED), m_nIconIndex(0), m_bRunAs(false), m_bSubmenu(false)
{
    Reset();
}

CRecord::CRecord(const CRecord& other)
    : m_nShow(SW_SHOWMAXIMIZED), m_nIconIndex(0), m_bRunAs(false), m_bSubmenu(false)
{
    CopyFrom(&other, false);
}

CRecord::~CRecord() = default;

void CRecord::Reset()
{
    m_strSection.Assign(L"");
    m_strName.Assign(L"");
    m_strPath.Assign(L"");
    m_strParam.Assign(L"");
    m_strWorking.Assign(L"");
    m_strDescription.Assign(L"");
    m_strIconFile.Assign(L"");
    m_nShow = SW_SHOWMAXIMIZED;
    m_nIconIndex = 0;
    m_bRunAs = false;
    m_strGroup.Assign(L"");
    m_bSubmenu = false;
    m_extraKeys.clear();
}

void CRecord::CopyFrom(const CRecord* pOther, bool bKeepSection)
{
    if (pOther == nullptr || pOther == this)
        return;
    if (!bKeepSection)
        m_strSection.Assign(pOther->m_strSection);
    m_strName.Assign(pOther->m_strName);
    m_strPath.Assign(pOther->m_strPath);
    m_strParam.Assign(pOther->m_strParam);
    m_strWorking.Assign(pOther->m_strWorking);
    m_strDescription.Assign(pOther->m_strDescription);
    m_strIconFile.Assign(pOther->m_strIconFile);
    m_nShow = pOther->m_nShow;
    m_nIconIndex = pOther->m_nIconIndex;
    m_bRunAs = pOther->m_bRunAs;
    m_strGroup.Assign(pOther->m_strGroup);
    m_bSubmenu = pOther->m_bSubmenu;
    m_extraKeys = pOther->m_extraKeys;
}

void CRecord::SetSection(const wchar_t* pszFormat, ...)
{
    if (pszFormat == nullptr)
        return;
    va_list args;
    va_start(args, pszFormat);
    CString::FormatV(m_strSection, pszFormat, args);
    va_end(args);
}

bool CRecord::IsSeparator() const
{
    return m_strName.Substring(0, 1).Equals(L"-", true) || m_strName.Equals(L"@", true);
}

const wchar_t* CRecord::GetShowText() const
{
    if (IsSeparator())
        return L"Separator";
    return GetShowModeNameByValue(m_nShow);
}
