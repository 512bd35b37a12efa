#include "settings/SettingsLayout.h"

#include <cwchar>

std::wstring ToolSectionName(ULONG nTool)
{
    return kToolSectionPrefix + std::to_wstring(nTool);
}

void SetToolSection(CRecord& record, ULONG nTool)
{
    record.m_strSection.Assign(ToolSectionName(nTool).c_str());
}

bool IsToolFieldKey(const wchar_t* pszKey)
{
    for (const SToolField& field : kToolFields) {
        if (CompareStringOrdinal(field.pszKey, -1, pszKey, -1, TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

const SToolField* FindOverlongField(const CRecord& record)
{
    for (const SToolField& field : kToolFields) {
        if (field.eKind == EToolFieldKind::Text && (record.*field.pText).GetLength() > kMaxValueLength)
            return &field;
    }
    return nullptr;
}

bool HaveSameFields(const CRecord& first, const CRecord& second)
{
    for (const SToolField& field : kToolFields) {
        switch (field.eKind) {
        case EToolFieldKind::Text:
            // A string without data is an empty value, as a save sees it.
            if (std::wcscmp((first.*field.pText).GetText(), (second.*field.pText).GetText()) != 0)
                return false;
            break;
        case EToolFieldKind::Number:
            if (first.*field.pNumber != second.*field.pNumber)
                return false;
            break;
        case EToolFieldKind::Flag:
            if (first.*field.pFlag != second.*field.pFlag)
                return false;
            break;
        }
    }
    return true;
}

void MakeSeparator(CRecord& record)
{
    record.Reset();
    record.SetName(L"@");
    record.SetShow(-1);
    record.SetIconIndex(-1);
}
