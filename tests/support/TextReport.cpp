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

// The writer renames its finished file into place; for a moment after the
// rename it still holds the file open, and a reader may be refused.
testing::AssertionResult WaitForTextFile(const std::wstring& path, std::wstring* pText, DWORD nTimeoutMs)
{
    std::string bytes;
    const std::string what = "the file " + Narrow(path);
    testing::AssertionResult read = WaitFor(what.c_str(), [&] { return !(bytes = ReadFileBytes(path)).empty(); },
                                            nTimeoutMs);
    if (pText != nullptr)
        pText->assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    return read;
}

std::wstring CopyRecorder(const std::wstring& folder, const std::wstring& name)
{
    const std::wstring target = folder + L"\\" + name + L".exe";
    CopyFileW((ExeFolder() + L"\\launch_recorder.exe").c_str(), target.c_str(), FALSE);
    return target;
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
