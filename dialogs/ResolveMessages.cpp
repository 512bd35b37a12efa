#include "dialogs/ResolveMessages.h"

#include "resolve/EntryResolver.h"
#include "settings/CRecord.h"
#include "tray/MessageBoxes.h"

using tessvald::string::CString;

bool ResolveWithMessage(HWND hOwner, const wchar_t* pszPath, CRecord& record)
{
    CResolveOutcome outcome;
    if (ResolveData(CString(pszPath), record, &outcome))
        return true;
    if (outcome.m_eFailure == EResolveFailure::NotInstalled) {
        ShowError(hOwner, kNoSystemText, L"Ambertille",
                  L"Die Verknüpfung „%s“ gehört zu einem Programm, das auf diesem Computer nicht installiert "
                  L"ist. Installieren Sie das Programm, oder wählen Sie eine andere Datei.",
                  pszPath);
        return false;
    }
    // The system's reason follows on a line of its own, where it gave one.
    ShowError(hOwner, outcome.m_nErrorCode != 0 ? outcome.m_nErrorCode : kNoSystemText, L"Ambertille",
              L"Die Verknüpfung „%s“ kann nicht gelesen werden. Wählen Sie eine andere Datei, oder legen Sie die "
              L"Verknüpfung neu an.",
              pszPath);
    return false;
}
