#include "dialogs/ListedToolEdit.h"

#include "dialogs/CRegisterDialog.h"
#include "settings/CConfig.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLayout.h"
#include "tray/AppGlobals.h"
#include "tray/MessageBoxes.h"
#include "tray/ToolGroups.h"

#include <string>
#include <vector>

namespace {

CRecord* FindTool(CToolListFile& listFile, ULONG nTool)
{
    const std::wstring section = ToolSectionName(nTool);
    for (CRecord& record : listFile.Tools()) {
        if (record.m_strSection.Equals(section.c_str(), true))
            return &record;
    }
    return nullptr;
}

// What the editor's group field offers: the groups of the other tools.
std::vector<std::wstring> GroupsOfOtherTools(CToolListFile& listFile, const CRecord* pEdited)
{
    std::vector<const wchar_t*> values;
    for (const CRecord& record : listFile.Tools()) {
        if (&record != pEdited)
            values.push_back(record.m_strGroup.GetText());
    }
    return ListGroupPaths(values);
}

bool RefuseOverlong(HWND hOwner, const CRecord& record)
{
    const SToolField* pField = FindOverlongField(record);
    if (pField == nullptr)
        return false;
    ShowError(hOwner, kNoSystemText, kProgramName,
              L"Der Eintrag \u201E%s\u201C kann nicht gespeichert werden: Das Feld \u201E%s\u201C hat mehr als %u "
              L"Zeichen.\n\nK\u00FCrzen Sie den Text, und speichern Sie dann erneut.",
              record.m_strName.GetText(), pField->pszLabel, static_cast<unsigned>(kMaxValueLength));
    return true;
}

bool SaveList(HWND hOwner, CToolListFile& listFile)
{
    if (!listFile.IsUnchangedOnDisk()
        && AskQuestion(hOwner, kProgramName,
                       L"Die Programmliste wurde ge\u00E4ndert, w\u00E4hrend Sie den Eintrag bearbeitet haben.\n\n"
                       L"M\u00F6chten Sie diese \u00C4nderungen mit der Liste \u00FCberschreiben?")
            != IDYES)
        return false;
    std::vector<CRecord*> rows;
    for (CRecord& record : listFile.Tools())
        rows.push_back(&record);
    if (SaveToolList(rows.data(), static_cast<ULONG>(rows.size()), hOwner))
        return true;
    ShowError(hOwner, GetLastError(), kProgramName, L"Die Programmliste konnte nicht gespeichert werden!");
    return false;
}

} // namespace

bool ReadToolListOrGiveUp(HWND hOwner, CToolListFile& listFile)
{
    while (!listFile.Read()) {
        if (AskRetry(hOwner, g_config.GetReadError(), kProgramName,
                     L"Die Programmliste kann gerade nicht gelesen werden, deshalb kann sie nicht bearbeitet "
                     L"werden. Schlie\u00DFen Sie das Programm, das die Einstellungsdatei \u201E%s\u201C "
                     L"ge\u00F6ffnet hat, und w\u00E4hlen Sie dann \u201EWiederholen\u201C.",
                     g_config.GetFileName())
            != IDRETRY)
            return false;
    }
    return true;
}

// The editor stays the judge of its fields; a refused value sends the user
// back into it with what they typed.
bool EditListedTool(HINSTANCE hInstance, HWND hOwner, ULONG nTool)
{
    CToolListFile listFile;
    if (!ReadToolListOrGiveUp(hOwner, listFile))
        return false;
    CRecord* pRecord = FindTool(listFile, nTool);
    if (pRecord == nullptr)
        return false;
    CRecord edited(*pRecord);
    const std::vector<std::wstring> groups = GroupsOfOtherTools(listFile, pRecord);
    for (;;) {
        CRegisterDialog editor;
        editor.m_groups = groups;
        if (editor.DoModal(hInstance, hOwner, &edited, L"Eintrag bearbeiten") != 1)
            return false;
        edited.CopyFrom(&editor.GetRecord(), true);
        if (!RefuseOverlong(hOwner, edited))
            break;
    }
    pRecord->CopyFrom(&edited, true);
    return SaveList(hOwner, listFile);
}
