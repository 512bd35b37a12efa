#pragma once

#include "foundation/CString.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// One tool of the tools menu, or a separator line.
class CRecord
{
public:
    CRecord();
    CRecord(const CRecord& other);
    CRecord& operator=(const CRecord&) = delete;
    virtual ~CRecord();

    void Reset();
    void CopyFrom(const CRecord* pOther, bool bKeepSection);

    void SetSection(const wchar_t* pszFormat, ...);
    void SetName(const wchar_t* pszName) { m_strName.Assign(pszName); }
    void SetPath(const wchar_t* pszPath) { m_strPath.Assign(pszPath); }
    void SetParam(const wchar_t* pszParam) { m_strParam.Assign(pszParam); }
    void SetWorking(const wchar_t* pszWorking) { m_strWorking.Assign(pszWorking); }
    void SetDescription(const wchar_t* pszDescription) { m_strDescription.Assign(pszDescription); }
    void SetIconFile(const wchar_t* pszIconFile) { m_strIconFile.Assign(pszIconFile); }
    void SetShow(LONG nShow) { m_nShow = nShow; }
    void SetIconIndex(LONG nIconIndex) { m_nIconIndex = nIconIndex; }
    void SetRunAs(bool bRunAs) { m_bRunAs = bRunAs; }
    void SetGroup(const wchar_t* pszGroup) { m_strGroup.Assign(pszGroup); }
    void SetSubmenu(bool bSubmenu) { m_bSubmenu = bSubmenu; }

    // A name that is "@" or begins with "-".
    bool IsSeparator() const;
    const wchar_t* GetShowText() const;

    tessvald::string::CString m_strSection;
    tessvald::string::CString m_strName;
    tessvald::string::CString m_strPath;
    tessvald::string::CString m_strParam;
    tessvald::string::CString m_strWorking;
    tessvald::string::CString m_strDescription;
    tessvald::string::CString m_strIconFile;
    LONG m_nShow;
    LONG m_nIconIndex;
    bool m_bRunAs;  // always started with administrator rights
    tessvald::string::CString m_strGroup;  // "Büro\Tabellen": the submenus it stands in; empty: the top menu
    bool m_bSubmenu;  // a folder whose content is shown as a submenu
    // Keys of the tool's section that this program does not know, as read:
    // a file written by a later version keeps them through a save.
    std::vector<std::pair<std::wstring, std::wstring>> m_extraKeys;
};
