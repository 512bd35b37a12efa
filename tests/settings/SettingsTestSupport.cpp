#include "SettingsTestSupport.h"

#include "foundation/ScopedDC.h"

#include <algorithm>
#include <cstring>

namespace settingstest {

std::string Utf16FileBytes(const std::wstring& text)
{
    std::string bytes = "\xFF\xFE";
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return bytes;
}

std::wstring ReadUtf16File(const std::wstring& path)
{
    const std::string bytes = testsupport::ReadFileBytes(path);
    if (bytes.size() < 2 || bytes.compare(0, 2, "\xFF\xFE") != 0)
        return std::wstring();
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    std::memcpy(&text[0], bytes.data() + 2, text.size() * sizeof(wchar_t));
    return text;
}

std::wstring Widen(const std::string& utf8)
{
    if (utf8.empty())
        return std::wstring();
    const int nChars = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(nChars), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0], nChars);
    return text;
}

std::wstring ReplaceAll(std::wstring text, const std::wstring& from, const std::wstring& to)
{
    for (std::size_t nPos = text.find(from); nPos != std::wstring::npos; nPos = text.find(from, nPos + to.size()))
        text.replace(nPos, from.size(), to);
    return text;
}

std::wstring PlatformRead(const std::wstring& path, const wchar_t* pszSection, const wchar_t* pszKey)
{
    std::vector<wchar_t> buffer(4096);
    const DWORD nRead = GetPrivateProfileStringW(pszSection, pszKey, L"", buffer.data(),
                                                 static_cast<DWORD>(buffer.size()), path.c_str());
    return std::wstring(buffer.data(), nRead);
}

namespace {

std::vector<std::wstring> SplitDoubleNul(const std::vector<wchar_t>& buffer, DWORD nLength)
{
    std::vector<std::wstring> items;
    for (DWORD i = 0; i < nLength;) {
        std::wstring item(&buffer[i]);
        i += static_cast<DWORD>(item.size()) + 1;
        if (!item.empty())
            items.push_back(item);
    }
    return items;
}

} // namespace

std::vector<std::wstring> PlatformSectionNames(const std::wstring& path)
{
    std::vector<wchar_t> buffer(65536);
    const DWORD nLength = GetPrivateProfileSectionNamesW(buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
    return SplitDoubleNul(buffer, nLength);
}

std::vector<std::wstring> PlatformSection(const std::wstring& path, const wchar_t* pszSection)
{
    std::vector<wchar_t> buffer(65536);
    const DWORD nLength = GetPrivateProfileSectionW(pszSection, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                    path.c_str());
    return SplitDoubleNul(buffer, nLength);
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(hFind, &data));
    FindClose(hFind);
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

// The hook takes no context: one fault at a time.
struct SFault
{
    EReplaceStep step;
    int nCall;
    DWORD nError;
    int nCalls;
};
SFault s_fault = {};

} // namespace

CReplaceFault::CReplaceFault(EReplaceStep step, int nCall, DWORD nError)
{
    s_fault = SFault{ step, nCall, nError, 0 };
    SetReplaceFaultHook(Inject);
}

CReplaceFault::~CReplaceFault()
{
    SetReplaceFaultHook(nullptr);
}

DWORD CReplaceFault::Inject(EReplaceStep step)
{
    if (step != s_fault.step)
        return ERROR_SUCCESS;
    return ++s_fault.nCalls == s_fault.nCall ? s_fault.nError : ERROR_SUCCESS;
}

int ScreenDpi()
{
    tessvald::CClientDC dc(nullptr);
    return GetDeviceCaps(dc.Get(), LOGPIXELSY);
}

std::wstring SourceFile(const char* pszSourcePath, const wchar_t* pszName)
{
    std::wstring path = Widen(pszSourcePath);
    // A source path from the Linux side is reached through Wine's drive Z:.
    if (!path.empty() && path[0] == L'/')
        path = L"Z:" + path;
    for (wchar_t& ch : path) {
        if (ch == L'/')
            ch = L'\\';
    }
    return path.substr(0, path.find_last_of(L'\\') + 1) + pszName;
}

void SettingsTest::SetUp()
{
    m_bSavedLargeIcons = g_bLargeIcons;
    m_bSavedShortPath = g_bShortPath;
    m_bSavedSystemFont = g_bSystemFont;
    m_savedFont = g_logFont;
    m_file = m_dir.File(L"Ambertille.ini");
    ASSERT_TRUE(g_config.SetFileName(m_file.c_str()));
}

void SettingsTest::TearDown()
{
    SetReplaceFaultHook(nullptr);
    g_config.SetFileName(L"");
    g_bLargeIcons = m_bSavedLargeIcons;
    g_bShortPath = m_bSavedShortPath;
    g_bSystemFont = m_bSavedSystemFont;
    g_logFont = m_savedFont;
}

void SettingsTest::WriteSettings(const std::wstring& text) const
{
    ASSERT_TRUE(testsupport::WriteFileBytes(m_file, Utf16FileBytes(text)));
}

} // namespace settingstest
