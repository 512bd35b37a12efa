#pragma once

// The program's resource ids for code that also sees the system headers:
// resource.h names a dialog control IDC_SIZE, which winuser.h defines as
// an old cursor, and a second definition would be a redefinition.
#include <windows.h>
#undef IDC_SIZE
#include "resources/resource.h"
