#pragma once

#include "foundation/CString.h"
#include "settings/CRecord.h"

#include <windows.h>

#include <cstddef>
#include <string>

// The layout of the settings file: its sections, and the keys of one tool
// in the order a save writes them. Reading and writing both walk the tool
// table, so a new key of a tool is one line here.

// "[tools]" holds the count and the options but the font; "[font]" the
// font; "[tool1]", "[tool2]", ... the tools.
constexpr wchar_t kToolsSection[] = L"tools";
constexpr wchar_t kCountKey[] = L"count";
constexpr wchar_t kFontSection[] = L"font";
constexpr wchar_t kToolSectionPrefix[] = L"tool";
// The key a save always writes last in a tool's section.
constexpr wchar_t kLastToolKey[] = L"iconindex";

enum class EToolFieldKind
{
    Text,    // written when not empty
    Number,  // always written
    Flag,    // written only when set, so files without it read as before
};

struct SToolField
{
    const wchar_t* pszKey;
    EToolFieldKind eKind;
    tessvald::string::CString CRecord::*pText;
    LONG CRecord::*pNumber;
    bool CRecord::*pFlag;
    const wchar_t* pszLabel;  // the field as the entry editor names it
};

inline const SToolField kToolFields[] = {
    { L"name", EToolFieldKind::Text, &CRecord::m_strName, nullptr, nullptr, L"Programmname" },
    { L"path", EToolFieldKind::Text, &CRecord::m_strPath, nullptr, nullptr, L"Programmpfad" },
    { L"show", EToolFieldKind::Number, nullptr, &CRecord::m_nShow, nullptr, L"Anzeigemodus" },
    { L"param", EToolFieldKind::Text, &CRecord::m_strParam, nullptr, nullptr, L"Parameterliste" },
    { L"working", EToolFieldKind::Text, &CRecord::m_strWorking, nullptr, nullptr, L"Arbeitsverzeichnis" },
    { L"description", EToolFieldKind::Text, &CRecord::m_strDescription, nullptr, nullptr, L"Beschreibung" },
    { L"iconfile", EToolFieldKind::Text, &CRecord::m_strIconFile, nullptr, nullptr, L"Icondatei" },
    { L"iconindex", EToolFieldKind::Number, nullptr, &CRecord::m_nIconIndex, nullptr, L"Iconindex" },
    { L"runas", EToolFieldKind::Flag, nullptr, nullptr, &CRecord::m_bRunAs, L"Als Administrator ausf\u00FChren" },
    { L"group", EToolFieldKind::Text, &CRecord::m_strGroup, nullptr, nullptr, L"Gruppe" },
    { L"submenu", EToolFieldKind::Flag, nullptr, nullptr, &CRecord::m_bSubmenu, L"Inhalt als Untermen\u00FC zeigen" },
};

// Whether the key (any case) is one of the table's.
bool IsToolFieldKey(const wchar_t* pszKey);

// The longest text a value may have: the reader refuses longer ones.
constexpr std::size_t kMaxValueLength = 1023;

// Section "tool<n>", as both the menus and the list editor number tools.
void SetToolSection(CRecord& record, ULONG nTool);
std::wstring ToolSectionName(ULONG nTool);

// The first text field of the record longer than kMaxValueLength, or null.
const SToolField* FindOverlongField(const CRecord& record);

// Whether a save would write the same keys and values for both records;
// their section names do not count.
bool HaveSameFields(const CRecord& first, const CRecord& second);

// A separator line as the editors make it: name "@", show mode and icon
// index -1, every other field empty.
void MakeSeparator(CRecord& record);
