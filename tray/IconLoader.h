#pragma once

#include "foundation/ScopedHandle.h"
#include "tray/IconCache.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Loads the menus' icons ahead of time on a thread of its own, so that
// neither start-up nor a rebuild nor the first showing of a long menu waits
// for hundreds of files. It works on copies of what it is asked for and
// never touches a menu, window or cached icon: each picture it loads waits
// in its results until the user interface thread takes it, told by one
// posted message per batch. A file on a share that stopped answering may
// hold the thread in a read for good: everything the thread touches lives
// in a block it shares, so the loader never waits for it. The thread counts
// as background work (foundation/BackgroundWork), which the end of the run
// waits for with a bound.
class CIconLoader
{
public:
    struct CResult
    {
        ULONG m_nSerial;
        tessvald::CIconHandle m_hIcon;  // empty: the load failed
    };

    CIconLoader();
    CIconLoader(const CIconLoader&) = delete;
    CIconLoader& operator=(const CIconLoader&) = delete;
    virtual ~CIconLoader();

    // nMessage goes to hNotify whenever results wait. False when the thread
    // cannot be made; icons are then loaded where they are drawn.
    bool Start(HWND hNotify, UINT nMessage);
    // Tells the thread to end, without waiting for it; what was asked for or
    // loaded and not yet taken is dropped.
    void Stop();
    bool IsRunning() const { return m_bRunning; }

    void Queue(const CIconCache::CIcon& icon, CIconCache::LoadFunction pfnLoad);
    // An icon being drawn right now is loaded before the others.
    void Prioritise(ULONG nSerial);
    // Drops the waiting requests whose icons are no longer wanted.
    void Retain(const std::function<bool(ULONG)>& isWanted);
    std::vector<CResult> TakeResults();

private:
    struct CRequest
    {
        ULONG m_nSerial;
        std::wstring m_strFile;
        LONG m_nIndex;
        std::wstring m_strPath;
        int m_nWidth;
        int m_nHeight;
        CIconCache::LoadFunction m_pfnLoad;
    };

    // What the thread and the user interface thread share, under m_lock.
    struct CShared
    {
        CShared();
        SRWLOCK m_lock;
        CONDITION_VARIABLE m_wake;
        std::deque<CRequest> m_urgent;
        std::deque<CRequest> m_waiting;
        std::vector<CResult> m_results;
        bool m_bStop;
        bool m_bNotified;
        HWND m_hNotify;
        UINT m_nMessage;
    };

    static DWORD WINAPI ThreadProc(void* pParameter);
    static void Run(CShared& shared);
    static bool WaitForRequest(CShared& shared, CRequest& request);
    static void AddResult(CShared& shared, ULONG nSerial, HICON hIcon);

    std::shared_ptr<CShared> m_pShared;
    bool m_bRunning;
};
