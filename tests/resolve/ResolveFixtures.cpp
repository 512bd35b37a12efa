#include "resolve/ResolveFixtures.h"

#include "support/TempDir.h"
#include "support/Wait.h"

#include <cstring>
#include <vector>

namespace resolvetest {

namespace {

// The shell's component marker in an advertised target, and the alphabet in
// which the installer packs a GUID into 20 characters (four 32-bit words,
// five digits each, lowest first).
const wchar_t kComponentMarker[] = L"{9db1186e-40df-11d1-aa8c-00c04fb67863}";
const char kBase85[] = "!$%&'()*+,-.0123456789=?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[]^_`abcdefghijklmnopqrstuvwxyz{}~";

std::wstring PackGuid(const wchar_t* pszGuid)
{
    GUID guid = {};
    CLSIDFromString(pszGuid, &guid);
    DWORD words[4] = {};
    std::memcpy(words, &guid, sizeof(words));
    std::wstring packed;
    for (DWORD word : words) {
        for (int digit = 0; digit < 5; ++digit, word /= 85)
            packed.push_back(static_cast<wchar_t>(kBase85[word % 85]));
    }
    return packed;
}

bool ClassesRootShowsUserClasses()
{
    const wchar_t kProbe[] = L".ambertille-merge-probe";
    HKEY hKey = nullptr;
    const std::wstring userKey = std::wstring(L"Software\\Classes\\") + kProbe;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, userKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &hKey,
                        nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    const bool bMerged = RegOpenKeyExW(HKEY_CLASSES_ROOT, kProbe, 0, KEY_READ, &hKey) == ERROR_SUCCESS;
    if (bMerged)
        RegCloseKey(hKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, userKey.c_str());
    return bMerged;
}

} // namespace

std::wstring AdvertisedTarget(const wchar_t* pszProduct, const wchar_t* pszFeature,
                              const wchar_t* pszComponent)
{
    return std::wstring(L"::") + kComponentMarker + L":" + PackGuid(pszProduct) + pszFeature + L">"
        + PackGuid(pszComponent) + L"::";
}

CRegisteredType::CRegisteredType(const std::wstring& extension, const std::wstring& className, bool bCreateClass)
    : m_hRoot(HKEY_CURRENT_USER), m_prefix(L"Software\\Classes\\"), m_extension(extension),
      m_className(className)
{
    static const bool s_bMerged = ClassesRootShowsUserClasses();
    if (!s_bMerged) {
        m_hRoot = HKEY_CLASSES_ROOT;
        m_prefix.clear();
    }
    Remove();
    SetDefaultValue(m_extension, m_className, REG_SZ);
    if (bCreateClass && !m_className.empty()) {
        HKEY hKey = nullptr;
        if (RegCreateKeyExW(m_hRoot, (m_prefix + m_className).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            &hKey, nullptr) == ERROR_SUCCESS)
            RegCloseKey(hKey);
    }
}

CRegisteredType::~CRegisteredType()
{
    Remove();
}

void CRegisteredType::Remove()
{
    RegDeleteTreeW(m_hRoot, (m_prefix + m_extension).c_str());
    if (!m_className.empty())
        RegDeleteTreeW(m_hRoot, (m_prefix + m_className).c_str());
}

void CRegisteredType::SetDefaultValue(const std::wstring& key, const std::wstring& value, DWORD type)
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExW(m_hRoot, (m_prefix + key).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &hKey,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(hKey, nullptr, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(hKey);
}

void CRegisteredType::SetTypeName(const std::wstring& name)
{
    SetDefaultValue(m_className, name, REG_SZ);
}

void CRegisteredType::SetDefaultIcon(const std::wstring& location, DWORD type)
{
    SetDefaultValue(m_className + L"\\DefaultIcon", location, type);
}

DWORD RunAndWait(const std::wstring& commandLine)
{
    std::vector<wchar_t> command(commandLine.begin(), commandLine.end());
    command.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return ~0u;
    DWORD nExitCode = ~0u;
    if (WaitForSingleObject(process.hProcess, testsupport::kStartMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &nExitCode);
    else
        TerminateProcess(process.hProcess, ~0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return nExitCode;
}

CNativeFirst::CNativeFirst(const std::wstring& exeName, const std::wstring& dllName)
    : m_key(L"Software\\Wine\\AppDefaults\\" + exeName)
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, (m_key + L"\\DllOverrides").c_str(), 0, nullptr, 0, KEY_WRITE,
                        nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return;
    const wchar_t kOrder[] = L"native,builtin";
    RegSetValueExW(hKey, dllName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(kOrder), sizeof(kOrder));
    RegCloseKey(hKey);
}

CNativeFirst::~CNativeFirst()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, m_key.c_str());
}

bool ExtractResource(const std::wstring& modulePath, WORD nId, const std::wstring& targetPath)
{
    HMODULE hModule = LoadLibraryExW(modulePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (hModule == nullptr)
        return false;
    bool bWritten = false;
    HRSRC hInfo = FindResourceW(hModule, MAKEINTRESOURCEW(nId), RT_RCDATA);
    HGLOBAL hData = hInfo != nullptr ? LoadResource(hModule, hInfo) : nullptr;
    if (hData != nullptr) {
        const std::string bytes(static_cast<const char*>(LockResource(hData)), SizeofResource(hModule, hInfo));
        bWritten = testsupport::WriteFileBytes(targetPath, bytes);
    }
    FreeLibrary(hModule);
    return bWritten;
}

} // namespace resolvetest
