#include "tray/Startup.h"

#include "foundation/BackgroundWork.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR pszCommandLine, int)
{
    const int nExitCode = RunProgram(hInstance, pszCommandLine);
    EndProcessIfWorkAbandoned(static_cast<UINT>(nExitCode));
    return nExitCode;
}
