// Text between the ANSI code page and wide (UTF-16) text. Both calls are there on Windows 95.
#pragma once

#include <string>

// The wide text in the ANSI code page: Exact when every character has a code of its own there
// and the bytes convert back to the same wide text (WideCharToMultiByte with CP_ACP and no
// best-fit characters, then MultiByteToWideChar), Inexact when one has none, Failed when a
// conversion call failed (GetLastError tells why). In code page 65001, which refuses
// WC_NO_BEST_FIT_CHARS, the way back alone decides. `ansi` is set only for an exact form.
enum class AnsiForm { Exact, Inexact, Failed };
AnsiForm AnsiFromWide(const std::wstring& text, std::string& ansi);
// The wide text as the ANSI calls of the NT family give it: best-fit characters (a look-alike)
// where the code page lacks a character and has one, '?' where it has none.
std::string AnsiBestFit(const std::wstring& text);
// The ANSI text as wide text (MultiByteToWideChar with CP_ACP); empty when it cannot be
// converted.
std::wstring WideFromAnsi(const std::string& text);
