#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// Where the program registers itself to start with the session.
constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"AmbertilleWatchDog";

// Keeps a registry value as it was: remembers its type and data (or that it
// was missing) and puts that back when the object goes, so a test may change
// values of the shared prefix, such as a file association.
class CRegistryValueGuard
{
public:
    CRegistryValueGuard(HKEY hRoot, const std::wstring& key, const wchar_t* pszValue);
    CRegistryValueGuard(const CRegistryValueGuard&) = delete;
    CRegistryValueGuard& operator=(const CRegistryValueGuard&) = delete;
    virtual ~CRegistryValueGuard();

private:
    HKEY m_hRoot;
    std::wstring m_key;
    std::wstring m_value;
    bool m_bNamed;
    bool m_bExisted;
    DWORD m_nType;
    std::vector<BYTE> m_data;
};

// The program's autostart value in the user's Run key, set as "-install"
// sets it for a program elsewhere, for as long as the object lives.
class CAutostartValue
{
public:
    CAutostartValue();
    CAutostartValue(const CAutostartValue&) = delete;
    CAutostartValue& operator=(const CAutostartValue&) = delete;
    virtual ~CAutostartValue() = default;

    // Whether the user's value is there (any data).
    static bool Present();

private:
    CRegistryValueGuard m_guard;
};

// Keeps a key's access rules (its DACL) and puts them back when the object
// goes, so a test may deny access to a key for a while.
class CKeySecurityGuard
{
public:
    CKeySecurityGuard(HKEY hRoot, const std::wstring& key);
    CKeySecurityGuard(const CKeySecurityGuard&) = delete;
    CKeySecurityGuard& operator=(const CKeySecurityGuard&) = delete;
    virtual ~CKeySecurityGuard();

    // Denies everyone the given rights on the key; false when the platform
    // refused to change the rules.
    bool Deny(REGSAM nRights);

private:
    HKEY m_hRoot;
    std::wstring m_key;
    std::vector<BYTE> m_descriptor;
};

// Wine's load order of one DLL for one program (by its file name), from the
// registry's per-program overrides; put back when the object goes. Wine
// prefers its own system DLLs, so a DLL planted beside a program can only
// be loaded when native ones come first ("native,builtin"); an empty order
// switches the DLL off. A WINEDLLOVERRIDES in a child's environment block
// does not reach Wine's loader, which reads its Unix environment.
class CWineDllOrder
{
public:
    CWineDllOrder(const std::wstring& program, const wchar_t* pszDll, const std::wstring& order);
    CWineDllOrder(const CWineDllOrder&) = delete;
    CWineDllOrder& operator=(const CWineDllOrder&) = delete;
    virtual ~CWineDllOrder() = default;

    bool IsSet() const { return m_bSet; }

private:
    CRegistryValueGuard m_guard;
    bool m_bSet;
};

// Sets a value of type REG_SZ or REG_EXPAND_SZ, creating the key.
bool SetRegistryText(HKEY hRoot, const std::wstring& key, const wchar_t* pszValue, const std::wstring& text,
                     DWORD nType = REG_SZ);
// Reads a value's raw data; false when it is missing.
bool ReadRegistryValue(HKEY hRoot, const std::wstring& key, const wchar_t* pszValue, DWORD* pType,
                       std::vector<BYTE>* pData);

} // namespace testsupport
