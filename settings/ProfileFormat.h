#pragma once

#include <string>

// Every settings file the program creates begins with this mark, so that
// the profile functions keep writing UTF-16 (little endian) into it. (A
// UTF-8 mark would not do: Windows' profile functions do not honour it.)
constexpr unsigned char kUtf16Bom[2] = { 0xFF, 0xFE };

// The whole file, shared for reading and writing by others. False when it
// cannot be opened or read.
bool ReadWholeFile(const wchar_t* pszPath, std::string& bytes);

bool HasUtf16Bom(const std::string& bytes);

// The blanks that the profile functions drop around names and values: the
// ASCII white space and ^Z, which old editors left at the end of a file.
bool IsProfileBlank(wchar_t ch);

// The text of a profile file: UTF-16 in either byte order or UTF-8 after
// the matching byte order mark. Without a mark, UTF-8 when the bytes are
// valid UTF-8 and not all ASCII, else the ANSI code page.
std::wstring DecodeProfileBytes(const std::string& bytes);

// True for a text of nothing but blanks and NULs: what a file holds that
// lost its contents (cut to nothing, or to the mark alone, or zero-filled
// by a crash).
bool IsEmptyProfileText(const std::wstring& text);

// A digest of a file's bytes (64-bit FNV-1a), never 0: 0 stands for no
// file at all.
unsigned long long HashProfileBytes(const std::string& bytes);

// Whether a failed open means that the file is not there, rather than that
// it cannot be read right now.
bool IsMissingFileError(unsigned long nError);
