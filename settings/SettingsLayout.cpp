#include "settings/SettingsLayout.h"

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
