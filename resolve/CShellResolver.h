#pragma once

#include "resolve/CComRef.h"

#include <windows.h>
#include <objidl.h>
#include <shobjidl.h>

namespace tessvald::shelllink {

// Reads a shortcut file through the system's shell link object. Each getter
// answers false without asking the shell for a null buffer, a capacity
// below 1 or an object that was not created; the shell's S_FALSE counts as
// success (a shortcut to something that is no file gives an empty path).
class CShellResolver
{
public:
    CShellResolver();
    CShellResolver(const CShellResolver&) = delete;
    CShellResolver& operator=(const CShellResolver&) = delete;
    // Gives back exactly the COM initialisation that this object's own call
    // took: none when the thread runs another apartment model, one reference
    // otherwise, so a thread whose COM was already running keeps it.
    virtual ~CShellResolver();

    // True at once when the object exists already.
    bool CreateInstance();
    // Reads the file; the shell is never asked to look for a moved target.
    bool Load(const wchar_t* pszPath);
    // Why the last CreateInstance or Load failed, as a system error code
    // for the user's message; 0 after a success.
    DWORD GetErrorCode() const { return m_nErrorCode; }

    bool GetPath(wchar_t* pszBuffer, int nCapacity);
    bool GetArguments(wchar_t* pszBuffer, int nCapacity);
    bool GetWorkingDirectory(wchar_t* pszBuffer, int nCapacity);
    bool GetDescription(wchar_t* pszBuffer, int nCapacity);
    // nIndex is -1 until the shell writes it.
    bool GetIconLocation(wchar_t* pszBuffer, int nCapacity, int& nIndex);
    // nShowCmd is -1 until the shell writes it.
    bool GetShowCmd(int& nShowCmd);
    // The shortcut's SLDF_ flags, 0 until the shell writes them.
    bool GetFlags(DWORD& nFlags);
    // Whether the target was a folder when the shortcut was made; the
    // shortcut records it, so the target itself is not touched.
    bool IsTargetFolder();

private:
    bool m_bComInitialized;
    DWORD m_nErrorCode;
    CComRef<IShellLinkW> m_pShellLink;
    CComRef<IPersistFile> m_pPersistFile;

    bool IsCreated() const;
    bool Succeeded(HRESULT hr);
    bool CanFill(const wchar_t* pszBuffer, int nCapacity) const;
};

} // namespace tessvald::shelllink
