#include "foundation/SystemLibrary.h"

namespace tessvald {

HMODULE LoadSystemLibrary(const wchar_t* pszName)
{
    if (pszName == nullptr)
        return nullptr;
    return LoadLibraryExW(pszName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

} // namespace tessvald
