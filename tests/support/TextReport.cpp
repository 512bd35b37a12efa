#include "support/TextReport.h"

#include "support/TempDir.h"

namespace testsupport {

std::string Narrow(const std::wstring& text)
{
    const int nBytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(nBytes > 0 ? nBytes : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &result[0], nBytes, nullptr, nullptr);
    result.resize(result.size() - 1);
    return result;
}

std::wstring WaitForTextFile(const std::wstring& path, DWORD nTimeoutMs)
{
    const DWORD nStart = GetTickCount();
    while (!FileExists(path) && GetTickCount() - nStart < nTimeoutMs)
        Sleep(25);
    const std::string bytes = ReadFileBytes(path);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

std::wstring ReportValue(const std::wstring& report, const std::wstring& key)
{
    const std::wstring line = L"\n" + report;
    const size_t nStart = line.find(L"\n" + key + L"=");
    if (nStart == std::wstring::npos)
        return L"<missing>";
    const size_t nValue = nStart + key.size() + 2;
    return line.substr(nValue, line.find(L'\n', nValue) - nValue);
}

} // namespace testsupport
