#include "resolve/FileTypes.h"

#include "foundation/ScopedHandle.h"
#include "resolve/IconIndex.h"

#include <shellapi.h>

using tessvald::CRegKeyHandle;
using tessvald::string::CString;

namespace {

enum class SizeFallback { None, QueryValueEx };

// An empty name would open HKEY_CLASSES_ROOT itself and read the root's own
// value as if it were a registration.
bool OpenClassesKey(const wchar_t* pszName, CRegKeyHandle& key)
{
    if (pszName == nullptr || pszName[0] == L'\0')
        return false;
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, pszName, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return false;
    key.Reset(hKey);
    return true;
}

// Size in bytes of the key's unnamed value. Some values that the old query
// cannot size are still sized by the extended one, where a lookup allows it.
bool QueryDefaultSize(HKEY hKey, SizeFallback fallback, LONG& nBytes)
{
    nBytes = 0;
    if (RegQueryValueW(hKey, nullptr, nullptr, &nBytes) == ERROR_SUCCESS)
        return true;
    if (fallback == SizeFallback::None)
        return false;
    DWORD nType = 0;
    DWORD nExBytes = 0;
    if (RegQueryValueExW(hKey, nullptr, nullptr, &nType, nullptr, &nExBytes) != ERROR_SUCCESS)
        return false;
    nBytes = static_cast<LONG>(nExBytes);
    return true;
}

// Reads the unnamed value of the reported size. The scratch buffer has two
// characters to spare and starts zeroed, so a value stored without its
// terminator still ends in one.
bool ReadDefaultValue(HKEY hKey, LONG nBytes, CString& strValue)
{
    const auto nChars = static_cast<std::uint32_t>(static_cast<std::uint32_t>(nBytes) / sizeof(wchar_t) + 2u);
    wchar_t* pszBuffer = strValue.GetBuffer(nChars);
    LONG nRead = nBytes;
    const bool bRead = RegQueryValueW(hKey, nullptr, pszBuffer, &nRead) == ERROR_SUCCESS;
    if (bRead)
        strValue.ReleaseBuffer();
    strValue.FreeBuffer();
    return bRead;
}

bool ReadDefault(HKEY hKey, SizeFallback fallback, CString& strValue)
{
    LONG nBytes = 0;
    return QueryDefaultSize(hKey, fallback, nBytes) && ReadDefaultValue(hKey, nBytes, strValue);
}

// "file,number": the file as written (quotes and environment references
// stay), the number signed; a negative one names an icon group by its
// resource number and becomes that group's position where the file has it.
bool SplitIconLocation(const CString& strLocation, CString& strIconFile, LONG& nIconIndex)
{
    const std::int32_t nComma = strLocation.ReverseFind(L',');
    if (nComma < 0)
        return false;
    strIconFile = strLocation.Substring(0, static_cast<std::uint32_t>(nComma));
    LONG nIndex = strLocation.Substring(static_cast<std::uint32_t>(nComma) + 1u).ToLong();
    if (nIndex < 0)
        FindIconIndex(strIconFile.GetData(), nIndex, nIndex);
    nIconIndex = nIndex;
    return true;
}

} // namespace

bool GetDefaultIcon(const CString& strExtension, CString& strIconFile, LONG& nIconIndex)
{
    CRegKeyHandle extensionKey;
    if (!OpenClassesKey(strExtension.GetData(), extensionKey))
        return false;
    CString strClass;
    if (!ReadDefault(extensionKey.Get(), SizeFallback::None, strClass))
        return false;
    if (strClass.IsEmpty() || !strClass.Append(L"\\DefaultIcon"))
        return false;

    CRegKeyHandle iconKey;
    if (!OpenClassesKey(strClass.GetData(), iconKey))
        return false;
    CString strLocation;
    if (!ReadDefault(iconKey.Get(), SizeFallback::QueryValueEx, strLocation))
        return false;

    CString strFile;
    LONG nIndex = 0;
    if (!SplitIconLocation(strLocation, strFile, nIndex))
        return false;
    strIconFile = strFile;
    nIconIndex = nIndex;
    return true;
}

// The name Explorer shows in its "Typ" column, which may differ from the
// class's raw default value (a friendly name, the system's language). Only
// the name is asked for, so the file itself is never touched.
bool GetFileTypeName(const wchar_t* pszPath, CString& strTypeName)
{
    if (pszPath == nullptr || pszPath[0] == L'\0')
        return false;
    SHFILEINFOW info = {};
    if (SHGetFileInfoW(pszPath, FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES)
            == 0
        || info.szTypeName[0] == L'\0')
        return false;
    strTypeName.Assign(info.szTypeName);
    return true;
}
