#include "resolve/ResourceModule.h"

#include "resolve/ResourceImageCheck.h"

tessvald::CModuleHandle LoadResourceModule(const wchar_t* pszPath)
{
    if (pszPath == nullptr || pszPath[0] == L'\0' || !IsResourceImageSound(pszPath))
        return tessvald::CModuleHandle();
    return tessvald::CModuleHandle(LoadLibraryExW(pszPath, nullptr, LOAD_LIBRARY_AS_DATAFILE));
}
