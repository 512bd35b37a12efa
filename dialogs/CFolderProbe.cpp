#include "dialogs/CFolderProbe.h"

#include "foundation/BackgroundWork.h"
#include "foundation/CString.h"
#include "foundation/LockScope.h"
#include "resolve/EntryResolver.h"

#include <new>
#include <string>

// Shared by the probe and its workers, so that a worker that outlives the
// dialog finds no window to post to.
struct CFolderProbe::CTarget
{
    SRWLOCK m_lock = SRWLOCK_INIT;
    HWND m_hWnd = nullptr;
    UINT m_nMessage = 0;
};

struct CFolderProbe::CQuestion
{
    std::shared_ptr<CTarget> m_pTarget;
    std::wstring m_strPath;
    ULONG m_nNumber;
};

namespace {

bool IsExistingFolder(const std::wstring& path)
{
    tessvald::string::CString strExpanded;
    if (!ExpandEnvironment(path.c_str(), strExpanded))
        return false;
    const DWORD nAttributes = GetFileAttributesW(strExpanded.GetText());
    return nAttributes != INVALID_FILE_ATTRIBUTES && (nAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

VOID CALLBACK RunQuestion(PTP_CALLBACK_INSTANCE, PVOID pContext)
{
    std::unique_ptr<CFolderProbe::CQuestion> pQuestion(static_cast<CFolderProbe::CQuestion*>(pContext));
    const bool bFolder = IsExistingFolder(pQuestion->m_strPath);
    {
        CFolderProbe::CTarget& target = *pQuestion->m_pTarget;
        tessvald::CLockScope lock(target.m_lock);
        if (target.m_hWnd != nullptr)
            PostMessageW(target.m_hWnd, target.m_nMessage, pQuestion->m_nNumber, bFolder ? 1 : 0);
    }
    pQuestion.reset();
    EndBackgroundWork();
}

} // namespace

CFolderProbe::CFolderProbe() : m_pTarget(std::make_shared<CTarget>()), m_nLatest(0)
{
}

CFolderProbe::~CFolderProbe()
{
    SetWindow(nullptr, 0);
}

void CFolderProbe::SetWindow(HWND hWnd, UINT nMessage)
{
    tessvald::CLockScope lock(m_pTarget->m_lock);
    m_pTarget->m_hWnd = hWnd;
    m_pTarget->m_nMessage = nMessage;
}

ULONG CFolderProbe::Ask(const wchar_t* pszPath)
{
    // 0 stays free for "no question".
    ULONG nNumber = m_nLatest + 1;
    if (nNumber == 0)
        nNumber = 1;
    m_nLatest = nNumber;
    auto* pQuestion = new (std::nothrow) CQuestion{ m_pTarget, pszPath != nullptr ? pszPath : L"", nNumber };
    if (pQuestion == nullptr)
        return 0;
    BeginBackgroundWork();
    if (!TrySubmitThreadpoolCallback(RunQuestion, pQuestion, nullptr)) {
        EndBackgroundWork();
        delete pQuestion;
        return 0;
    }
    return nNumber;
}
