// The ANSI code page of the simulated machine: 1252 (Western) or 932 (Japanese, double-byte,
// trail bytes include 0x5C).
#pragma once

#include <windef.h>

#include <string>

namespace winsim {

struct CodePage {
    UINT acp = 1252;

    bool IsLeadByte(BYTE b) const;
    // Upper-case mapping of one single-byte character.
    BYTE UpperSingle(BYTE b) const;
    // Upper-case mapping of one double-byte character (lead, trail), in place, as Windows makes
    // it through Unicode: a code that stands for no character (or has an invalid trail byte)
    // becomes the default character 0x8145, and a character the code page holds under more
    // than one code comes back under its preferred code.
    void UpperDouble(BYTE& lead, BYTE& trail) const;

    // Conversions between the ANSI code page and wide text, as the ANSI calls make them
    // internally (not recorded as calls). ToWide converts every byte: a code that stands for
    // no character becomes the code page's default character (U+30FB in 932). ToAnsi writes
    // a character the code page lacks as its best-fit character when Windows has one (with
    // `bestFit`; the ANSI calls do so), else as '?', and then sets *usedDefault.
    std::wstring ToWide(const std::string& text) const;
    std::string ToAnsi(const std::wstring& text, bool bestFit = true,
                       bool* usedDefault = nullptr) const;
    // Every character of the text has a code of its own in the code page (no '?', no best fit).
    bool CanWrite(const std::wstring& text) const;

    void Reset() { acp = 1252; }
};

} // namespace winsim
