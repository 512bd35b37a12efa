#include "tray/IconLoader.h"

#include "foundation/BackgroundWork.h"
#include "foundation/ComApartment.h"
#include "foundation/LockScope.h"


#include <algorithm>

using tessvald::CLockScope;

CIconLoader::CShared::CShared()
    : m_lock(), m_wake(), m_bStop(false), m_bNotified(false), m_hNotify(nullptr), m_nMessage(0)
{
    InitializeSRWLock(&m_lock);
    InitializeConditionVariable(&m_wake);
}

CIconLoader::CIconLoader() : m_pShared(std::make_shared<CShared>()), m_bRunning(false)
{
}

CIconLoader::~CIconLoader()
{
    Stop();
}

bool CIconLoader::Start(HWND hNotify, UINT nMessage)
{
    Stop();
    m_pShared = std::make_shared<CShared>();
    m_pShared->m_hNotify = hNotify;
    m_pShared->m_nMessage = nMessage;
    // The thread holds the shared block for as long as it runs.
    auto* pThreadShare = new std::shared_ptr<CShared>(m_pShared);
    BeginBackgroundWork();
    const tessvald::CKernelHandle hThread(CreateThread(nullptr, 0, ThreadProc, pThreadShare, 0, nullptr));
    if (!hThread) {
        EndBackgroundWork();
        delete pThreadShare;
        return false;
    }
    // Start-up and the menus come first; icons fill in when they have time.
    SetThreadPriority(hThread.Get(), THREAD_PRIORITY_BELOW_NORMAL);
    m_bRunning = true;
    return true;
}

// A thread stuck in a read keeps the old block; the loader starts afresh.
void CIconLoader::Stop()
{
    if (!m_bRunning)
        return;
    m_bRunning = false;
    {
        CLockScope scope(m_pShared->m_lock);
        m_pShared->m_bStop = true;
    }
    WakeAllConditionVariable(&m_pShared->m_wake);
    m_pShared = std::make_shared<CShared>();
}

void CIconLoader::Queue(const CIconCache::CIcon& icon, CIconCache::LoadFunction pfnLoad)
{
    {
        CLockScope scope(m_pShared->m_lock);
        m_pShared->m_waiting.push_back({ icon.m_nSerial, icon.m_strFile.GetText(), icon.m_nIndex,
                                         icon.m_strPath.GetText(), icon.m_nWidth, icon.m_nHeight, pfnLoad });
    }
    WakeConditionVariable(&m_pShared->m_wake);
}

void CIconLoader::Prioritise(ULONG nSerial)
{
    CLockScope scope(m_pShared->m_lock);
    auto& waiting = m_pShared->m_waiting;
    const auto found = std::find_if(waiting.begin(), waiting.end(),
                                    [nSerial](const CRequest& request) { return request.m_nSerial == nSerial; });
    if (found == waiting.end())
        return;
    m_pShared->m_urgent.push_back(std::move(*found));
    waiting.erase(found);
}

void CIconLoader::Retain(const std::function<bool(ULONG)>& isWanted)
{
    CLockScope scope(m_pShared->m_lock);
    for (auto* pQueue : { &m_pShared->m_urgent, &m_pShared->m_waiting })
        pQueue->erase(std::remove_if(pQueue->begin(), pQueue->end(),
                                     [&](const CRequest& request) { return !isWanted(request.m_nSerial); }),
                      pQueue->end());
}

std::vector<CIconLoader::CResult> CIconLoader::TakeResults()
{
    CLockScope scope(m_pShared->m_lock);
    m_pShared->m_bNotified = false;
    std::vector<CResult> results;
    results.swap(m_pShared->m_results);
    return results;
}

DWORD WINAPI CIconLoader::ThreadProc(void* pParameter)
{
    {
        std::unique_ptr<std::shared_ptr<CShared>> pShare(static_cast<std::shared_ptr<CShared>*>(pParameter));
        Run(**pShare);
    }
    EndBackgroundWork();
    return 0;
}

void CIconLoader::Run(CShared& shared)
{
    CRequest request;
    while (WaitForRequest(shared, request))
        AddResult(shared, request.m_nSerial,
                  request.m_pfnLoad(request.m_strFile.c_str(), request.m_nIndex, request.m_strPath.c_str(),
                                    request.m_nWidth, request.m_nHeight));
    // The shell's icons for the entries' paths may have entered COM here.
    LeaveComApartment();
}

bool CIconLoader::WaitForRequest(CShared& shared, CRequest& request)
{
    CLockScope scope(shared.m_lock);
    while (!shared.m_bStop && shared.m_urgent.empty() && shared.m_waiting.empty())
        SleepConditionVariableSRW(&shared.m_wake, &shared.m_lock, INFINITE, 0);
    if (shared.m_bStop)
        return false;
    auto& queue = shared.m_urgent.empty() ? shared.m_waiting : shared.m_urgent;
    request = std::move(queue.front());
    queue.pop_front();
    return true;
}

void CIconLoader::AddResult(CShared& shared, ULONG nSerial, HICON hIcon)
{
    bool bNotify = false;
    {
        CLockScope scope(shared.m_lock);
        // A loader that was stopped meanwhile wants nothing any more.
        if (shared.m_bStop) {
            tessvald::CIconHandle unwanted(hIcon);
            return;
        }
        shared.m_results.push_back({ nSerial, tessvald::CIconHandle(hIcon) });
        bNotify = !shared.m_bNotified;
        shared.m_bNotified = true;
    }
    // One message stands for every result that gathers until it is handled.
    if (bNotify)
        PostMessageW(shared.m_hNotify, shared.m_nMessage, 0, 0);
}
