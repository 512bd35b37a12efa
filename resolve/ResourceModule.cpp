#include "resolve/ResourceModule.h"

tessvald::CModuleHandle LoadResourceModule(const wchar_t* pszPath)
{
    if (pszPath == nullptr || pszPath[0] == L'\0')
        return tessvald::CModuleHandle();
    return tessvald::CModuleHandle(LoadLibraryExW(pszPath, nullptr, LOAD_LIBRARY_AS_DATAFILE));
}
