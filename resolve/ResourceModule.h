#pragma once

#include "foundation/ScopedHandle.h"

#include <windows.h>

// A file opened only to read its resources (icons, version text), never
// run. Every place that reads icons out of a file the user named goes
// through here, so a damaged file is turned away in one place.
tessvald::CModuleHandle LoadResourceModule(const wchar_t* pszPath);
