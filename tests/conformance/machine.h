// What the checks do differently on the simulated machine and on Windows: choosing the ANSI
// code page, and making what only wide calls can make (names and values the ANSI code page
// cannot write), which the simulated machine takes from its set-up instead.
#pragma once

#include <windows.h>

#include <string>

// Makes `codePage` the process's ANSI code page where the platform lets a program choose it,
// and tells whether it is the active one. On Windows the code page comes from the system's
// locale (set before the program starts); the simulated machine takes it from here.
bool SelectCodePage(UINT codePage);
// Makes the directory (its parent exists); true when it was made.
bool MakeWideDirectory(const std::wstring& path);
// Makes the existing directory the current one.
bool EnterWideDirectory(const std::wstring& path);
// Sets a string value (REG_SZ) of the key below HKEY_CURRENT_USER.
bool SetWideValue(const char* keyPath, const char* name, const std::wstring& value);
// Sets an environment variable of the process.
void SetVariable(const char* name, const std::wstring& value);
// A folder the shell and the folder service know: CSIDL_FONTS. On the simulated machine
// both answer the Windows directory's Fonts folder.
void KnowFontsFolder();
