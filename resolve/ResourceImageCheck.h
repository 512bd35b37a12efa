#pragma once

// Whether every structure that the platform's resource functions read from
// a file loaded as a data file lies within the file: the DOS and PE
// headers, the section table, the resource directory tree with its name
// strings and data entries, and the icon group directories that LoadImage
// walks. The platform reads them from the mapped file unchecked, so a file
// cut short (a broken download, a copy onto a full stick) or made to harm
// has it read past the mapping, and the fault ends the program. The file is
// read here with bounds; the mapped image is never trusted.
bool IsResourceImageSound(const wchar_t* pszPath);
