// The ANSI code page: lead bytes and upper-case mapping of code pages 1252 and 932, served
// through GetACP, IsDBCSLeadByte, CharUpperA and CharUpperBuffA.
#include "internal.h"

namespace winsim {

bool CodePage::IsLeadByte(BYTE b) const {
    if (acp == 932)
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    return false;
}

BYTE CodePage::UpperSingle(BYTE b) const {
    if (b >= 'a' && b <= 'z')
        return static_cast<BYTE>(b - 0x20);
    if (acp != 1252)
        return b; // 932: single bytes beyond ASCII are half-width katakana, without case
    switch (b) {
    case 0x9A: // s caron
    case 0x9C: // oe
    case 0x9E: // z caron
        return static_cast<BYTE>(b - 0x10);
    case 0xFF: // y diaeresis
        return 0x9F;
    default:
        break;
    }
    if (b >= 0xE0 && b <= 0xFE && b != 0xF7)
        return static_cast<BYTE>(b - 0x20);
    return b;
}

void CodePage::UpperDouble(BYTE& lead, BYTE& trail) const {
    if (acp != 932)
        return;
    unsigned c = (static_cast<unsigned>(lead) << 8) | trail;
    unsigned u = c;
    if (c >= 0x8281 && c <= 0x829A) // full-width a to z
        u = c - 0x21;
    else if (c >= 0x83BF && c <= 0x83D6) // Greek small letters
        u = c - 0x20;
    else if (c >= 0x8470 && c <= 0x8491 && c != 0x847F) { // Cyrillic small letters
        // The small letters skip 0x7F, the capitals do not.
        u = c - 0x30 - (c > 0x847F ? 1 : 0);
    }
    lead = static_cast<BYTE>(u >> 8);
    trail = static_cast<BYTE>(u & 0xFF);
}

} // namespace winsim

using winsim::machine;

extern "C" {

UINT WINAPI GetACP(void) {
    return machine().codePage.acp;
}

BOOL WINAPI IsDBCSLeadByte(BYTE TestChar) {
    return machine().codePage.IsLeadByte(TestChar);
}

DWORD WINAPI CharUpperBuffA(LPSTR lpsz, DWORD cchLength) {
    if (lpsz == nullptr)
        return 0;
    const winsim::CodePage& cp = machine().codePage;
    BYTE* p = reinterpret_cast<BYTE*>(lpsz);
    DWORD i = 0;
    while (i < cchLength) {
        if (cp.IsLeadByte(p[i]) && i + 1 < cchLength) {
            cp.UpperDouble(p[i], p[i + 1]);
            i += 2;
        } else {
            p[i] = cp.UpperSingle(p[i]);
            ++i;
        }
    }
    return cchLength;
}

// With a pointer whose high-order word is zero, the low byte is one character to upper-case
// and the result carries it in its low byte; otherwise the zero-terminated string is
// upper-cased in place and returned.
LPSTR WINAPI CharUpperA(LPSTR lpsz) {
    uintptr_t value = reinterpret_cast<uintptr_t>(lpsz);
    if ((value >> 16) == 0) {
        BYTE c = machine().codePage.UpperSingle(static_cast<BYTE>(value & 0xFF));
        return reinterpret_cast<LPSTR>(static_cast<uintptr_t>(c));
    }
    CharUpperBuffA(lpsz, static_cast<DWORD>(std::strlen(lpsz)));
    return lpsz;
}

} // extern "C"
