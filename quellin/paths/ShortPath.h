// Folders whose names the ANSI code page cannot write, named through their short (8.3) names.
#pragma once

#include <string>

// The ANSI form of a wide folder path that ANSI calls can use: the longest part of it that
// exists by its short names (GetShortPathNameW, bound by name: Windows 95 lacks it), the
// levels below that do not exist yet as they are. False when Windows gives no short form, or
// when a character of the result has no code of its own in the ANSI code page.
bool PathShortAnsi(const std::wstring& folder, std::string& ansi);
