#pragma once

#include <windows.h>

namespace tessvald::resources {

// Finds the n-th resource of a type in a module, in the order the system
// enumerates them: string names first, then numbers ascending. Icon indexes
// stored in the settings file count icon groups this way.
class CResourceLocator
{
public:
    CResourceLocator();
    CResourceLocator(const CResourceLocator&) = delete;
    CResourceLocator& operator=(const CResourceLocator&) = delete;
    virtual ~CResourceLocator();

    // False at once for a null module or type 0, keeping the previous result.
    bool Locate(HMODULE hModule, LPCWSTR lpType, LONG nIndex);
    // The found resource as LoadImageW's name argument.
    LPCWSTR GetName() const;

    static BOOL CALLBACK EnumTypeProc(HMODULE hModule, LPWSTR lpType, LONG_PTR lParam);
    static BOOL CALLBACK EnumNameProc(HMODULE hModule, LPCWSTR lpType, LPWSTR lpName, LONG_PTR lParam);

    volatile LONG m_nCounter;
    ULONG m_nId;
    wchar_t* m_pszName;
    LPCWSTR m_lpType;
    LONG m_nIndex;
};

} // namespace tessvald::resources
