#pragma once

#include "support/Wait.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace testsupport {

// UTF-8 for test messages and for settings lines that hold paths.
std::string Narrow(const std::wstring& text);

// Waits for a UTF-16 text file that another process writes in one piece
// until it can be read, and gives its contents; the failure names the file.
testing::AssertionResult WaitForTextFile(const std::wstring& path, std::wstring* pText = nullptr,
                                         DWORD nTimeoutMs = kStepMs);

// A copy of the launch recorder (tests/fixtures) as NAME.exe in the folder:
// started, it reports how in NAME.txt beside itself. Its path.
std::wstring CopyRecorder(const std::wstring& folder, const std::wstring& name);

// The value of "key=value" on its own line of a report, or "<missing>".
std::wstring ReportValue(const std::wstring& report, const std::wstring& key);

} // namespace testsupport
