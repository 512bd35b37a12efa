#pragma once

#include "foundation/CString.h"

#include <windows.h>

// Lookups in the file-type registrations under HKEY_CLASSES_ROOT, keyed by
// a file's extension. Outputs change only on success.

// The registered default icon of documents with this extension (dot included).
bool GetDefaultIcon(const tessvald::string::CString& strExtension, tessvald::string::CString& strIconFile,
                    LONG& nIconIndex);
// The readable name of the path's file type, as Explorer shows it.
bool GetFileTypeName(const wchar_t* pszPath, tessvald::string::CString& strTypeName);
