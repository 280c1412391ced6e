// Text between the ANSI code page and wide (UTF-16) text. Both calls are there on Windows 95.
#pragma once

#include <string>

// The wide text in the ANSI code page, when every character has a code of its own there
// (WideCharToMultiByte with CP_ACP, no best-fit characters, and the used-default check); false
// when one has none.
bool AnsiFromWide(const std::wstring& text, std::string& ansi);
// The ANSI text as wide text (MultiByteToWideChar with CP_ACP); empty when it cannot be
// converted.
std::wstring WideFromAnsi(const std::string& text);
