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

namespace {

// Double-byte codes of code page 932 that stand for no character, per lead byte: ranges of
// trail bytes. Upper-casing goes through Unicode, so they come back as the code page's
// default character, 0x8145.
struct TrailRange {
    BYTE lead, first, last;
};
const TrailRange kUndefined932[] = {
    {0x81, 0xAD, 0xB7}, {0x81, 0xC0, 0xC7}, {0x81, 0xCF, 0xD9}, {0x81, 0xE9, 0xEF},
    {0x81, 0xF8, 0xFB}, {0x82, 0x40, 0x4E}, {0x82, 0x59, 0x5F}, {0x82, 0x7A, 0x80},
    {0x82, 0x9B, 0x9E}, {0x82, 0xF2, 0xFC}, {0x83, 0x97, 0x9E}, {0x83, 0xB7, 0xBE},
    {0x83, 0xD7, 0xFC}, {0x84, 0x61, 0x6F}, {0x84, 0x92, 0x9E}, {0x84, 0xBF, 0xFC},
    {0x85, 0x40, 0xFC}, {0x86, 0x40, 0xFC}, {0x87, 0x5E, 0x5E}, {0x87, 0x76, 0x7D},
    {0x87, 0x9D, 0xFC}, {0x88, 0x40, 0x9E}, {0x98, 0x73, 0x9E}, {0xEA, 0xA5, 0xFC},
    {0xEB, 0x40, 0xFC}, {0xEC, 0x40, 0xFC}, {0xEE, 0xED, 0xEE}, {0xEF, 0x40, 0xFC},
    {0xFC, 0x4C, 0xFC},
};
const unsigned kDefaultChar932 = 0x8145;

// Characters that code page 932 holds under two or three codes (NEC special characters,
// NEC-selected and IBM extensions): the way back from Unicode gives the preferred code.
struct Preferred {
    unsigned from, to;
};
const Preferred kPreferred932[] = {
    {0x8790, 0x81E0}, {0x8791, 0x81DF}, {0x8792, 0x81E7}, {0x8795, 0x81E3}, {0x8796, 0x81DB},
    {0x8797, 0x81DA}, {0x879A, 0x81E6}, {0x879B, 0x81BF}, {0x879C, 0x81BE}, {0xEEF9, 0x81CA},
    {0xEEFA, 0xFA55}, {0xEEFB, 0xFA56}, {0xEEFC, 0xFA57}, {0xFA54, 0x81CA}, {0xFA58, 0x878A},
    {0xFA59, 0x8782}, {0xFA5A, 0x8784}, {0xFA5B, 0x81E6},
};

bool ValidTrail932(BYTE trail) {
    return trail >= 0x40 && trail <= 0xFC && trail != 0x7F;
}

bool Undefined932(BYTE lead, BYTE trail) {
    if (!ValidTrail932(trail))
        return true;
    for (const TrailRange& r : kUndefined932)
        if (r.lead == lead && trail >= r.first && trail <= r.last)
            return true;
    return false;
}

// Position of a double-byte code in the order of the code page: 188 trail bytes per lead
// byte (0x40 to 0xFC without 0x7F), lead bytes 0x81 to 0x9F, then 0xE0 to 0xFC.
unsigned Index932(unsigned code) {
    unsigned lead = code >> 8, trail = code & 0xFF;
    unsigned row = lead <= 0x9F ? lead - 0x81 : lead - 0xC1;
    return row * 188 + (trail - 0x40) - (trail > 0x7F ? 1 : 0);
}

unsigned Code932(unsigned index) {
    unsigned row = index / 188, column = index % 188;
    unsigned lead = row <= 0x1E ? row + 0x81 : row + 0xC1;
    unsigned trail = column + 0x40 + (column >= 0x3F ? 1 : 0);
    return (lead << 8) | trail;
}

// The upper case of one double-byte character of code page 932, as converting it to Unicode,
// upper-casing and converting back gives it.
unsigned Upper932(BYTE lead, BYTE trail) {
    unsigned c = (static_cast<unsigned>(lead) << 8) | trail;
    if (Undefined932(lead, trail))
        return kDefaultChar932;
    if (c >= 0x8281 && c <= 0x829A) // full-width a to z
        return c - 0x21;
    if (c >= 0x83BF && c <= 0x83D6) // Greek small letters
        return c - 0x20;
    if (c >= 0x8470 && c <= 0x8491 && c != 0x847F) // Cyrillic small letters
        return c - 0x30 - (c > 0x847F ? 1 : 0);    // the small letters skip 0x7F, the capitals not
    // Small Roman numerals (NEC-selected and IBM) and the IBM capitals: the NEC capitals.
    if (c >= 0xEEEF && c <= 0xEEF8)
        return 0x8754 + (c - 0xEEEF);
    if (c >= 0xFA40 && c <= 0xFA49)
        return 0x8754 + (c - 0xFA40);
    if (c >= 0xFA4A && c <= 0xFA53)
        return 0x8754 + (c - 0xFA4A);
    for (const Preferred& p : kPreferred932)
        if (p.from == c)
            return p.to;
    // The NEC-selected IBM extensions come back as the IBM extensions, in the same order.
    if (c >= 0xED40 && c <= 0xEEEC)
        return Code932(Index932(c) - Index932(0xED40) + Index932(0xFA5C));
    return c;
}

} // namespace

void CodePage::UpperDouble(BYTE& lead, BYTE& trail) const {
    if (acp != 932)
        return;
    unsigned u = Upper932(lead, trail);
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
