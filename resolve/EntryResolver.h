#pragma once

#include "foundation/CString.h"

class CRecord;

// Turns a dropped or chosen file (program, document, shortcut, installer
// shortcut) into a complete tool entry. The record comes freshly reset.
// False only for a shortcut that cannot be read.
bool ResolveData(const tessvald::string::CString& strPath, CRecord& record);

// Expands environment references; true when the result is not empty.
bool ExpandEnvironment(const wchar_t* pszText, tessvald::string::CString& strResult);
