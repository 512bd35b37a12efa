#include "tray/FolderListing.h"

#include "foundation/AsciiCase.h"
#include "foundation/ScopedHandle.h"

#include <shlwapi.h>

#include <algorithm>
#include <cwchar>
#include <unordered_map>

namespace {

constexpr wchar_t kAdvancedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

bool ReadDword(const wchar_t* pszValue, DWORD& nValue)
{
    DWORD nSize = sizeof(nValue);
    return RegGetValueW(HKEY_CURRENT_USER, kAdvancedKey, pszValue, RRF_RT_REG_DWORD, nullptr, &nValue, &nSize)
        == ERROR_SUCCESS;
}

// The class a file type names, read from HKEY_CLASSES_ROOT\<extension>.
bool ReadTypeClass(const std::wstring& extension, std::wstring& typeClass)
{
    wchar_t szClass[256] = {};
    DWORD nSize = sizeof(szClass);
    if (RegGetValueW(HKEY_CLASSES_ROOT, extension.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, szClass, &nSize)
        != ERROR_SUCCESS)
        return false;
    typeClass = szClass;
    return true;
}

bool HasClassesKey(const std::wstring& key)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return false;
    const tessvald::CRegKeyHandle held(hKey);
    return true;
}

bool HasClassesValue(const std::wstring& key, const wchar_t* pszValue)
{
    return RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), pszValue, RRF_RT_ANY, nullptr, nullptr, nullptr)
        == ERROR_SUCCESS;
}

bool IsShortcutExtension(const std::wstring& extension)
{
    for (const wchar_t* pszShortcut : { L".lnk", L".url", L".pif" }) {
        if (CompareStringOrdinal(extension.c_str(), -1, pszShortcut, -1, TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

// Whether Explorer drops the extension: shortcuts and types marked so never
// show it; other registered types do not when known extensions are hidden.
bool HidesExtension(const std::wstring& extension, const SFolderView& view)
{
    if (IsShortcutExtension(extension))
        return true;
    std::wstring typeClass;
    if (ReadTypeClass(extension, typeClass) && HasClassesValue(typeClass, L"NeverShowExt"))
        return true;
    return view.bHideKnownExtensions && HasClassesKey(extension);
}

// A folder of a thousand files asks the registry once per extension.
class CExtensionRule
{
public:
    explicit CExtensionRule(const SFolderView& view) : m_view(view) {}

    std::wstring Name(const std::wstring& fileName, bool bFolder)
    {
        const std::size_t nDot = fileName.rfind(L'.');
        if (bFolder || nDot == std::wstring::npos || nDot == 0)
            return fileName;
        const std::wstring extension = tessvald::string::AsciiLower(fileName.substr(nDot));
        auto found = m_hides.find(extension);
        if (found == m_hides.end())
            found = m_hides.emplace(extension, HidesExtension(extension, m_view)).first;
        return found->second ? fileName.substr(0, nDot) : fileName;
    }

private:
    const SFolderView& m_view;
    std::unordered_map<std::wstring, bool> m_hides;
};

bool IsShown(const WIN32_FIND_DATAW& data, const SFolderView& view)
{
    if (std::wcscmp(data.cFileName, L".") == 0 || std::wcscmp(data.cFileName, L"..") == 0)
        return false;
    const bool bHidden = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    const bool bSystem = (data.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0;
    if (bHidden && bSystem)
        return view.bShowHidden && view.bShowSystem;
    return !bHidden || view.bShowHidden;
}

void SortAsExplorer(std::vector<SFolderEntry>& entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const SFolderEntry& a, const SFolderEntry& b) {
        if (a.bFolder != b.bFolder)
            return a.bFolder;
        return StrCmpLogicalW(a.strName.c_str(), b.strName.c_str()) < 0;
    });
}

} // namespace

SFolderView ReadExplorerView()
{
    SFolderView view = { false, false, true };
    DWORD nValue = 0;
    if (ReadDword(L"Hidden", nValue))
        view.bShowHidden = nValue == 1;
    if (ReadDword(L"ShowSuperHidden", nValue))
        view.bShowSystem = nValue == 1;
    if (ReadDword(L"HideFileExt", nValue))
        view.bHideKnownExtensions = nValue != 0;
    return view;
}

std::wstring ExplorerName(const std::wstring& fileName, bool bFolder, const SFolderView& view)
{
    return CExtensionRule(view).Name(fileName, bFolder);
}

SFolderListing ListFolder(const std::wstring& folder, const SFolderView& view, std::size_t nCap)
{
    SFolderListing listing;
    std::wstring base = folder;
    if (!base.empty() && base.back() != L'\\')
        base += L'\\';
    WIN32_FIND_DATAW data = {};
    tessvald::CFindHandle find(FindFirstFileExW((base + L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                                nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find)
        return listing;
    listing.bReachable = true;
    CExtensionRule names(view);
    do {
        if (!IsShown(data, view))
            continue;
        const bool bFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        listing.entries.push_back({ names.Name(data.cFileName, bFolder), base + data.cFileName, bFolder });
    } while (FindNextFileW(find.Get(), &data));
    SortAsExplorer(listing.entries);
    if (listing.entries.size() > nCap) {
        listing.entries.resize(nCap);
        listing.bMore = true;
    }
    return listing;
}
