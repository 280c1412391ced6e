// The ANSI code page of the simulated machine: 1252 (Western) or 932 (Japanese, double-byte,
// trail bytes include 0x5C).
#pragma once

#include <windef.h>

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

    void Reset() { acp = 1252; }
};

} // namespace winsim
