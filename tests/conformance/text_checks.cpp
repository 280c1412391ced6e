// Text: lstrcmpA and lstrlenA, the ANSI code page, its lead bytes and upper case.
#include "checks.h"

void StringChecks() {
    struct Case {
        const char* name;
        const char* a;
        const char* b;
    } cases[] = {
        {"equal", "Terminal Server", "Terminal Server"},
        {"case", "terminal server", "Terminal Server"},
        {"case-reversed", "Terminal Server", "terminal server"},
        {"prefix", "Terminal", "Terminal Server"},
        {"order", "abc", "abd"},
        {"order-across-case", "abc", "ABD"},
        {"empty-empty", "", ""},
        {"empty-text", "", "a"},
        {"null-null", nullptr, nullptr},
        {"null-empty", nullptr, ""},
        {"empty-null", "", nullptr},
        {"text-null", "a", nullptr},
        {"hyphen", "co-op", "coop"},
        {"apostrophe", "can't", "cant"},
        {"space", "Terminal Server", "TerminalServer"},
        {"control-character", "Terminal\x01Server", "TerminalServer"},
        {"digits", "10", "9"},
        {"ignored-control-character",
         "a\x01"
         "c",
         "ab"},
        {"hyphen-ignored-first", "a-c", "ab"},
        {"underscore-is-a-symbol", "a_c", "ab"},
        {"symbol-before-digit", "!", "1"},
        {"digit-before-letter", "9", "a"},
        {"space-before-letter", "a b", "ab"},
        {"hyphen-after-case", "co-op", "Coop"},
    };
    for (const Case& c : cases)
        Check(std::string("lstrcmpA.") + c.name, Sign(lstrcmpA(c.a, c.b)));
    // Accented letters of code page 1252 (in a double-byte code page these bytes are no text).
    const Case accents[] = {
        {"accent", "r\xe9sum\xe9", "resume"},
        {"accent-order", "\xe9", "f"},
        {"accent-after-plain", "e", "\xe9"},
        {"accent-before-case", "\xe9", "E"},
        {"accent-then-case", "\xc9", "\xe9"},
        {"accent-ordered-first",
         "\xe9"
         "a",
         "eb"},
        {"s-caron", "\x9a", "t"},
        {"y-diaeresis-case", "\xff", "\x9f"},
    };
    if (!IsDBCSLeadByte(0xE9))
        for (const Case& c : accents)
            Check(std::string("lstrcmpA.") + c.name, Sign(lstrcmpA(c.a, c.b)));
    Check("lstrlenA.text", Fmt("%d", lstrlenA("Terminal Server")));
    Check("lstrlenA.empty", Fmt("%d", lstrlenA("")));
    Check("lstrlenA.null", Fmt("%d", lstrlenA(nullptr)));
}

namespace {

// Bytes in [first, last] as ranges "81-9f e0-fc".
template <typename Test> std::string ByteRanges(int first, int last, Test test) {
    std::string out;
    for (int b = first; b <= last;) {
        if (!test(b)) {
            ++b;
            continue;
        }
        int end = b;
        while (end + 1 <= last && test(end + 1))
            ++end;
        out += Fmt(out.empty() ? "%02x" : " %02x", b);
        if (end > b)
            out += Fmt("-%02x", end);
        b = end + 1;
    }
    return out.empty() ? std::string("none") : out;
}

} // namespace

void CodePageChecks() {
    Check("GetACP", Fmt("%u", GetACP()));
    Check("IsDBCSLeadByte",
          ByteRanges(0, 255, [](int b) { return IsDBCSLeadByte(static_cast<BYTE>(b)) != 0; }));

    // Every byte alone, through the buffer form and the single-character form.
    std::string changes;
    std::string single;
    for (int b = 1; b < 256; ++b) {
        char one = static_cast<char>(b);
        CharUpperBuffA(&one, 1);
        if (static_cast<BYTE>(one) != b)
            changes += Fmt(" %02x>%02x", b, static_cast<BYTE>(one));
        UINT_PTR r = reinterpret_cast<UINT_PTR>(
            CharUpperA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(b))));
        if (r != static_cast<BYTE>(one))
            single += Fmt(" %02x>%llx", b, static_cast<unsigned long long>(r));
    }
    Check("CharUpperBuffA.single-bytes", changes.empty() ? "none" : changes.substr(1));
    Check("CharUpperA.character-differs-from-buffer", single.empty() ? "none" : single.substr(1));

    // Accented letters of code page 1252 in a string (in a double-byte code page these bytes
    // are no text).
    if (!IsDBCSLeadByte(0xE9)) {
        char text[] = "caf\xe9 \xe0\xe7\xf1\xf6\xfe\xff \x9a\x9c\x9e \xdf\xb5\xf7 x";
        LPSTR ret = CharUpperA(text);
        Check("CharUpperA.string",
              Fmt("same-pointer=%d ", ret == text) + Hex(text, sizeof text - 1));
    }
    char part[] = "abcdef";
    DWORD count = CharUpperBuffA(part, 3);
    Check("CharUpperBuffA.part", Fmt("ret=%lu text=%s", U(count), part));
    Check("CharUpperBuffA.zero-length", Fmt("ret=%lu", U(CharUpperBuffA(part, 0))));

    // Double-byte characters: every pair of a lead byte and a trail byte, alone.
    if (!IsDBCSLeadByte(0x81))
        return;
    int pairs = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsDBCSLeadByte(static_cast<BYTE>(lead)))
            continue;
        std::string row;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            CharUpperBuffA(pair, 2);
            BYTE l = static_cast<BYTE>(pair[0]), t = static_cast<BYTE>(pair[1]);
            if (l != lead || t != trail) {
                row += Fmt(" %02x>%02x%02x", trail, l, t);
                ++pairs;
            }
        }
        if (!row.empty())
            Check(Fmt("CharUpperBuffA.pairs-%02x", lead), row.substr(1));
    }
    Check("CharUpperBuffA.pairs-changed", Fmt("%d", pairs));
    // A trail byte that is a lower-case letter or a backslash stays as it is; a lead byte cut
    // off at the end of the buffer.
    char mixed[] = "a\x82\x61"
                   "b\x95\x5c"
                   "c\x82";
    CharUpperBuffA(mixed, sizeof mixed - 1);
    Check("CharUpperBuffA.mixed", Hex(mixed, sizeof mixed - 1));
    char cut[] = "\x82\x81";
    CharUpperBuffA(cut, 1);
    Check("CharUpperBuffA.cut-pair", Hex(cut, 2));
}
