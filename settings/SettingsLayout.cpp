#include "settings/SettingsLayout.h"

std::wstring ToolSectionName(ULONG nTool)
{
    return kToolSectionPrefix + std::to_wstring(nTool);
}

void SetToolSection(CRecord& record, ULONG nTool)
{
    record.m_strSection.Assign(ToolSectionName(nTool).c_str());
}

const SToolField* FindOverlongField(const CRecord& record)
{
    for (const SToolField& field : kToolFields) {
        if (field.eKind == EToolFieldKind::Text && (record.*field.pText).GetLength() > kMaxValueLength)
            return &field;
    }
    return nullptr;
}

void MakeSeparator(CRecord& record)
{
    record.Reset();
    record.SetName(L"@");
    record.SetShow(-1);
    record.SetIconIndex(-1);
}
