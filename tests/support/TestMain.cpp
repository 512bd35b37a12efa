#include "support/TestDeadline.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <gtest/gtest.h>

// The program runs in a single-threaded COM apartment with the common
// controls registered; every test program starts the same way, and none
// of its tests may run for longer than the deadline.
int main(int argc, char** argv)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES };
    InitCommonControlsEx(&icc);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new testsupport::CTestDeadline());
    const int nResult = RUN_ALL_TESTS();
    CoUninitialize();
    return nResult;
}
