#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

// UTF-8 for test messages and for settings lines that hold paths.
std::string Narrow(const std::wstring& text);

// Waits up to the timeout for a UTF-16 text file that another process
// writes in one piece; its contents, or empty when it never came.
std::wstring WaitForTextFile(const std::wstring& path, DWORD nTimeoutMs);

// The value of "key=value" on its own line of a report, or "<missing>".
std::wstring ReportValue(const std::wstring& report, const std::wstring& key);

} // namespace testsupport
