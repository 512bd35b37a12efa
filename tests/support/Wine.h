#pragma once

namespace testsupport {

// Whether the tests run under Wine, for the few places where its platform
// answers differently from Windows and a test says so.
bool IsWine();

} // namespace testsupport
