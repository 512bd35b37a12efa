#include "tray/IconLoader.h"

#include <objbase.h>

#include <algorithm>

CIconLoader::CIconLoader()
    : m_lock(), m_wake(), m_bStop(false), m_bNotified(false), m_hNotify(nullptr), m_nMessage(0)
{
    InitializeSRWLock(&m_lock);
    InitializeConditionVariable(&m_wake);
}

CIconLoader::~CIconLoader()
{
    Stop();
}

bool CIconLoader::Start(HWND hNotify, UINT nMessage)
{
    Stop();
    m_hNotify = hNotify;
    m_nMessage = nMessage;
    m_bStop = false;
    m_hThread.Reset(CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr));
    if (!m_hThread)
        return false;
    // Start-up and the menus come first; icons fill in when they have time.
    SetThreadPriority(m_hThread.Get(), THREAD_PRIORITY_BELOW_NORMAL);
    return true;
}

void CIconLoader::Stop()
{
    if (!m_hThread)
        return;
    {
        CLockScope scope(m_lock);
        m_bStop = true;
    }
    WakeAllConditionVariable(&m_wake);
    WaitForSingleObject(m_hThread.Get(), INFINITE);
    m_hThread.Reset();
    m_urgent.clear();
    m_waiting.clear();
    m_results.clear();
    m_bNotified = false;
}

void CIconLoader::Queue(const CIconCache::CIcon& icon, CIconCache::LoadFunction pfnLoad)
{
    {
        CLockScope scope(m_lock);
        m_waiting.push_back({ icon.m_nSerial, icon.m_strFile.GetText(), icon.m_nIndex, icon.m_strPath.GetText(),
                              icon.m_nWidth, icon.m_nHeight, pfnLoad });
    }
    WakeConditionVariable(&m_wake);
}

void CIconLoader::Prioritise(ULONG nSerial)
{
    CLockScope scope(m_lock);
    const auto found = std::find_if(m_waiting.begin(), m_waiting.end(),
                                    [nSerial](const CRequest& request) { return request.m_nSerial == nSerial; });
    if (found == m_waiting.end())
        return;
    m_urgent.push_back(std::move(*found));
    m_waiting.erase(found);
}

void CIconLoader::Retain(const std::function<bool(ULONG)>& isWanted)
{
    CLockScope scope(m_lock);
    for (auto* pQueue : { &m_urgent, &m_waiting })
        pQueue->erase(std::remove_if(pQueue->begin(), pQueue->end(),
                                     [&](const CRequest& request) { return !isWanted(request.m_nSerial); }),
                      pQueue->end());
}

std::vector<CIconLoader::CResult> CIconLoader::TakeResults()
{
    CLockScope scope(m_lock);
    m_bNotified = false;
    std::vector<CResult> results;
    results.swap(m_results);
    return results;
}

DWORD WINAPI CIconLoader::ThreadProc(void* pParameter)
{
    static_cast<CIconLoader*>(pParameter)->Run();
    return 0;
}

void CIconLoader::Run()
{
    // The shell's icons for the entries' paths want COM on the thread that
    // asks for them.
    const bool bCom = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    CRequest request;
    while (WaitForRequest(request))
        AddResult(request.m_nSerial, request.m_pfnLoad(request.m_strFile.c_str(), request.m_nIndex,
                                                       request.m_strPath.c_str(), request.m_nWidth, request.m_nHeight));
    if (bCom)
        CoUninitialize();
}

bool CIconLoader::WaitForRequest(CRequest& request)
{
    CLockScope scope(m_lock);
    while (!m_bStop && m_urgent.empty() && m_waiting.empty())
        SleepConditionVariableSRW(&m_wake, &m_lock, INFINITE, 0);
    if (m_bStop)
        return false;
    auto& queue = m_urgent.empty() ? m_waiting : m_urgent;
    request = std::move(queue.front());
    queue.pop_front();
    return true;
}

void CIconLoader::AddResult(ULONG nSerial, HICON hIcon)
{
    bool bNotify = false;
    {
        CLockScope scope(m_lock);
        m_results.push_back({ nSerial, tessvald::CIconHandle(hIcon) });
        bNotify = !m_bNotified;
        m_bNotified = true;
    }
    // One message stands for every result that gathers until it is handled.
    if (bNotify)
        PostMessageW(m_hNotify, m_nMessage, 0, 0);
}
