#pragma once

#include "foundation/CString.h"
#include "foundation/ScopedHandle.h"

#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// The pictures of the menu entries, one per file, icon index, entry path
// (whose shell icon stands in when the icon cannot be had) and size: all
// entries that show the same icon share one load and one handle, which the
// cache alone destroys when the last of them lets go. Lives on the user
// interface thread; loads made elsewhere come back through Deliver.
class CIconCache
{
public:
    using LoadFunction = HICON (*)(const wchar_t* pszFile, LONG nIndex, const wchar_t* pszPath, int nWidth,
                                   int nHeight);

    class CIcon
    {
    public:
        enum class EState { Pending, Loaded, Failed };

        CIcon(std::wstring strKey, const wchar_t* pszFile, LONG nIndex, const wchar_t* pszPath, int nWidth,
              int nHeight, ULONG nSerial);
        CIcon(const CIcon&) = delete;
        CIcon& operator=(const CIcon&) = delete;
        virtual ~CIcon();

        std::wstring m_strKey;
        tessvald::string::CString m_strFile;  // environment references expanded
        LONG m_nIndex;
        tessvald::string::CString m_strPath;  // the entry's path, expanded too
        int m_nWidth;
        int m_nHeight;
        ULONG m_nSerial;  // names the icon to a loader on another thread
        EState m_eState;
        tessvald::CIconHandle m_hIcon;
        ULONG m_nUsers;
    };

    CIconCache();
    CIconCache(const CIconCache&) = delete;
    CIconCache& operator=(const CIconCache&) = delete;
    virtual ~CIconCache();

    // The shared icon, made pending when it is new; null when neither an
    // icon file nor a path is named. Every Acquire is matched by one Release.
    CIcon* Acquire(const wchar_t* pszFile, LONG nIndex, const wchar_t* pszPath, int nWidth, int nHeight);
    void Release(CIcon* pIcon);

    // Loads a pending icon on this thread. A failed load is final: the
    // icon is not tried again at the next draw.
    void LoadNow(CIcon& icon);
    // Hands over a picture loaded elsewhere for the icon with this serial
    // (null: the load failed). False when that icon is no longer pending;
    // the picture is then destroyed.
    bool Deliver(ULONG nSerial, HICON hIcon);
    bool IsPending(ULONG nSerial) const;
    // The icons made since the last call that are still pending, in the
    // order they were asked for.
    std::vector<const CIcon*> TakeNew();

    std::size_t Count() const { return m_icons.size(); }
    // The pictures the cache holds: the handles it owns.
    std::size_t LoadedCount() const;
    std::size_t PendingCount() const;

    // The way pictures are loaded; replaced by tests to count loads.
    LoadFunction GetLoadFunction() const { return m_pfnLoad; }
    void SetLoadFunction(LoadFunction pfnLoad) { m_pfnLoad = pfnLoad; }

private:
    std::unordered_map<std::wstring, std::unique_ptr<CIcon>> m_icons;
    std::unordered_map<ULONG, CIcon*> m_bySerial;
    std::vector<ULONG> m_newSerials;
    ULONG m_nNextSerial;
    LoadFunction m_pfnLoad;

    CIcon* FindPending(ULONG nSerial) const;
};
