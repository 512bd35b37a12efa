#pragma once

#include <windows.h>

#include <string>

namespace resolvetest {

// The target string with which the shell writes an installer-advertised
// shortcut for a product's feature and component (codes in braces).
std::wstring AdvertisedTarget(const wchar_t* pszProduct, const wchar_t* pszFeature,
                              const wchar_t* pszComponent);

// One file type (extension, class, readable name, default icon) registered
// for the life of the object and removed with it. It is written under
// HKCU\Software\Classes; where HKEY_CLASSES_ROOT does not show that branch
// (Wine 8 does not merge it) it goes to HKEY_CLASSES_ROOT directly.
class CRegisteredType
{
public:
    // An empty class name registers the extension without a class; without
    // bCreateClass the extension names a class that does not exist.
    CRegisteredType(const std::wstring& extension, const std::wstring& className, bool bCreateClass = true);
    CRegisteredType(const CRegisteredType&) = delete;
    CRegisteredType& operator=(const CRegisteredType&) = delete;
    virtual ~CRegisteredType();

    void SetTypeName(const std::wstring& name);
    void SetDefaultIcon(const std::wstring& location, DWORD type = REG_SZ);

private:
    HKEY m_hRoot;
    std::wstring m_prefix;
    std::wstring m_extension;
    std::wstring m_className;

    void Remove();
    void SetDefaultValue(const std::wstring& key, const std::wstring& value, DWORD type);
};

// Starts a program and waits for it; its exit code, or ~0 when it could not
// be run or did not end within a minute.
DWORD RunAndWait(const std::wstring& commandLine);

// Wine loads its own built-in DLL even where a file of that name lies in
// the search path. For the life of the object, programs named exeName take
// a native dllName first (Wine's per-program DllOverrides key; a variable
// WINEDLLOVERRIDES set inside a Wine process does not reach its children).
// Elsewhere the key means nothing.
class CNativeFirst
{
public:
    CNativeFirst(const std::wstring& exeName, const std::wstring& dllName);
    CNativeFirst(const CNativeFirst&) = delete;
    CNativeFirst& operator=(const CNativeFirst&) = delete;
    virtual ~CNativeFirst();

private:
    std::wstring m_key;
};

// Writes an RCDATA resource of a module to a file.
bool ExtractResource(const std::wstring& modulePath, WORD nId, const std::wstring& targetPath);

} // namespace resolvetest
