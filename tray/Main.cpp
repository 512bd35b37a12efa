#include "tray/Startup.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR pszCommandLine, int)
{
    return RunProgram(hInstance, pszCommandLine);
}
