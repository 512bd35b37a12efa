#include "settings/ToolFields.h"

void SetToolSection(CRecord& record, ULONG nTool)
{
    record.SetSection(L"tool%lu", nTool);
}

const SToolField* FindOverlongField(const CRecord& record)
{
    for (const SToolField& field : kToolFields) {
        if (field.eKind == EToolFieldKind::Text && (record.*field.pText).GetLength() > kMaxValueLength)
            return &field;
    }
    return nullptr;
}
