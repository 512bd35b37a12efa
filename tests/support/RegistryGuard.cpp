#include "support/RegistryGuard.h"

#include <aclapi.h>

namespace testsupport {

CRegistryValueGuard::CRegistryValueGuard(HKEY hRoot, const std::wstring& key, const wchar_t* pszValue)
    : m_hRoot(hRoot), m_key(key), m_value(pszValue != nullptr ? pszValue : L""), m_bNamed(pszValue != nullptr),
      m_bExisted(false), m_nType(REG_NONE)
{
    m_bExisted = ReadRegistryValue(hRoot, key, pszValue, &m_nType, &m_data);
}

CRegistryValueGuard::~CRegistryValueGuard()
{
    const wchar_t* pszValue = m_bNamed ? m_value.c_str() : nullptr;
    HKEY hKey = nullptr;
    if (!m_bExisted) {
        if (RegOpenKeyExW(m_hRoot, m_key.c_str(), 0, KEY_SET_VALUE, &hKey) == ERROR_SUCCESS) {
            RegDeleteValueW(hKey, pszValue);
            RegCloseKey(hKey);
        }
        return;
    }
    if (RegCreateKeyExW(m_hRoot, m_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(hKey, pszValue, 0, m_nType, m_data.empty() ? nullptr : m_data.data(),
                   static_cast<DWORD>(m_data.size()));
    RegCloseKey(hKey);
}

CAutostartValue::CAutostartValue() : m_guard(HKEY_CURRENT_USER, kRunKey, kRunValue)
{
    SetRegistryText(HKEY_CURRENT_USER, kRunKey, kRunValue, L"\"C:\\Ambertille\\ambertille.exe\" -run");
}

bool CAutostartValue::Present()
{
    DWORD nType = 0;
    std::vector<BYTE> data;
    return ReadRegistryValue(HKEY_CURRENT_USER, kRunKey, kRunValue, &nType, &data);
}

CKeySecurityGuard::CKeySecurityGuard(HKEY hRoot, const std::wstring& key) : m_hRoot(hRoot), m_key(key)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(hRoot, key.c_str(), 0, READ_CONTROL, &hKey) != ERROR_SUCCESS)
        return;
    DWORD nSize = 0;
    RegGetKeySecurity(hKey, DACL_SECURITY_INFORMATION, nullptr, &nSize);
    m_descriptor.resize(nSize);
    if (nSize == 0 || RegGetKeySecurity(hKey, DACL_SECURITY_INFORMATION, m_descriptor.data(), &nSize) != ERROR_SUCCESS)
        m_descriptor.clear();
    RegCloseKey(hKey);
}

CKeySecurityGuard::~CKeySecurityGuard()
{
    if (m_descriptor.empty())
        return;
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(m_hRoot, m_key.c_str(), 0, WRITE_DAC, &hKey) != ERROR_SUCCESS)
        return;
    RegSetKeySecurity(hKey, DACL_SECURITY_INFORMATION, m_descriptor.data());
    RegCloseKey(hKey);
}

bool CKeySecurityGuard::Deny(REGSAM nRights)
{
    if (m_descriptor.empty())
        return false;
    BOOL bPresent = FALSE;
    BOOL bDefaulted = FALSE;
    PACL pOldDacl = nullptr;
    GetSecurityDescriptorDacl(m_descriptor.data(), &bPresent, &pOldDacl, &bDefaulted);

    BYTE everyone[SECURITY_MAX_SID_SIZE] = {};
    DWORD nSidSize = sizeof(everyone);
    if (!CreateWellKnownSid(WinWorldSid, nullptr, everyone, &nSidSize))
        return false;
    EXPLICIT_ACCESSW deny = {};
    deny.grfAccessPermissions = nRights;
    deny.grfAccessMode = DENY_ACCESS;
    deny.grfInheritance = NO_INHERITANCE;
    deny.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    deny.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    deny.Trustee.ptstrName = reinterpret_cast<LPWSTR>(everyone);
    PACL pNewDacl = nullptr;
    if (SetEntriesInAclW(1, &deny, bPresent ? pOldDacl : nullptr, &pNewDacl) != ERROR_SUCCESS)
        return false;

    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, pNewDacl, FALSE);
    HKEY hKey = nullptr;
    LONG nResult = RegOpenKeyExW(m_hRoot, m_key.c_str(), 0, WRITE_DAC, &hKey);
    if (nResult == ERROR_SUCCESS) {
        nResult = RegSetKeySecurity(hKey, DACL_SECURITY_INFORMATION, &descriptor);
        RegCloseKey(hKey);
    }
    LocalFree(pNewDacl);
    return nResult == ERROR_SUCCESS;
}

namespace {

std::wstring OverridesKey(const std::wstring& program)
{
    return L"Software\\Wine\\AppDefaults\\" + program + L"\\DllOverrides";
}

} // namespace

CWineDllOrder::CWineDllOrder(const std::wstring& program, const wchar_t* pszDll, const std::wstring& order)
    : m_guard(HKEY_CURRENT_USER, OverridesKey(program), pszDll),
      m_bSet(SetRegistryText(HKEY_CURRENT_USER, OverridesKey(program), pszDll, order))
{
}

bool SetRegistryText(HKEY hRoot, const std::wstring& key, const wchar_t* pszValue, const std::wstring& text, DWORD nType)
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExW(hRoot, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG nResult = RegSetValueExW(hKey, pszValue, 0, nType, reinterpret_cast<const BYTE*>(text.c_str()),
                                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(hKey);
    return nResult == ERROR_SUCCESS;
}

bool ReadRegistryValue(HKEY hRoot, const std::wstring& key, const wchar_t* pszValue, DWORD* pType,
                       std::vector<BYTE>* pData)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(hRoot, key.c_str(), 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return false;
    DWORD nSize = 0;
    LONG nResult = RegQueryValueExW(hKey, pszValue, nullptr, pType, nullptr, &nSize);
    if (nResult == ERROR_SUCCESS) {
        pData->resize(nSize);
        nResult = RegQueryValueExW(hKey, pszValue, nullptr, pType, pData->empty() ? nullptr : pData->data(), &nSize);
        pData->resize(nSize);
    }
    RegCloseKey(hKey);
    return nResult == ERROR_SUCCESS;
}

} // namespace testsupport
