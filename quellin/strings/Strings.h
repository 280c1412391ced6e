// String helpers on byte strings in the active ANSI code page, and the few the library needs on
// wide text too (one body for both). Every scan steps from character to character, a
// double-byte character being a lead byte and one trail byte, so no search, cut or trim starts
// or ends inside a double-byte character. Wide text is compared without regard to case in its
// ASCII letters only.
#pragma once

#include <string>
#include <vector>

// An ordered, growable array of strings, indexed from 0.
typedef std::vector<std::string> CStringArray;

// Case flag: nonzero compares exactly, zero compares upper-cased copies of both sides. Callers
// name it.
const int kExactCase = 1;
const int kAnyCase = 0;
int StrContains(const std::string& text, const std::string& pattern, int caseFlag);
int StrContains(const std::wstring& text, const std::wstring& pattern, int caseFlag);
int StrEqual(const std::string& text, const std::string& other, int caseFlag);

std::string StrBefore(const std::string& text, const std::string& pattern);
std::wstring StrBefore(const std::wstring& text, const std::wstring& pattern);
std::string StrBeforeNoCase(const std::string& text, const std::string& pattern);
std::string StrAfter(const std::string& text, const std::string& pattern);
std::string StrAfterNoCase(const std::string& text, const std::string& pattern);

std::string StrTrim(const std::string& text);
std::wstring StrTrim(const std::wstring& text);
std::string StrUpper(const std::string& text);
std::string StrReverse(const std::string& text);

std::string StrStripLeading(const std::string& text, const std::string& pattern);
std::string StrStripTrailing(const std::string& text, const std::string& pattern);
std::wstring StrStripTrailing(const std::wstring& text, const std::wstring& pattern);

std::string StrReplace(const std::string& text, const std::string& pattern,
                       const std::string& replacement, int caseFlag);
std::wstring StrReplace(const std::wstring& text, const std::wstring& pattern,
                        const std::wstring& replacement, int caseFlag);
std::string StrField(const std::string& text, const std::string& separator, int field);
int StrSplit(const std::string& text, CStringArray& items, char separator);
int StrSplit(const std::wstring& text, std::vector<std::wstring>& items, wchar_t separator);

// The number's digits in base 10 or 16 (upper case), with leading zeros to at least `width`.
std::string StrDigits(unsigned long value, unsigned base, size_t width);
