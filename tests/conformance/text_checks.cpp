// Text: lstrcmpA and lstrlenA, the ANSI code page, its lead bytes and upper case, conversions
// between multibyte and wide text.
#include "checks.h"

#include <cstring>

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

namespace {

void ToWide(const char* name, UINT cp, DWORD flags, const char* text, int length) {
    WCHAR out[64];
    Arm();
    int ret = MultiByteToWideChar(cp, flags, text, length, out, 64);
    Check(std::string("MultiByteToWideChar.") + name,
          ret > 0 ? Fmt("ret=%d ", ret) + HexW(out, static_cast<size_t>(ret))
                  : Fmt("ret=%d ", ret) + Err());
}

void ToMultiByte(const char* name, UINT cp, DWORD flags, const WCHAR* text, int length) {
    char out[64];
    BOOL used = 7;
    Arm();
    int ret = WideCharToMultiByte(cp, flags, text, length, out, sizeof out, nullptr,
                                  cp == CP_UTF8 ? nullptr : &used);
    std::string result = ret > 0 ? Fmt("ret=%d ", ret) + Hex(out, static_cast<size_t>(ret))
                                 : Fmt("ret=%d ", ret) + Err();
    if (cp != CP_UTF8)
        result += Fmt(" used=%d", used);
    Check(std::string("WideCharToMultiByte.") + name, result);
}

} // namespace

// The rules of both calls, and what each code page makes of the characters the library meets:
// the bytes every code page has, the codes 1252 maps to C1 controls, double-byte codes of 932
// with and without a character, invalid UTF-8, and characters a code page lacks (with and
// without best fit).
void ConversionChecks() {
    WCHAR wide[16];
    char bytes[16];
    Arm();
    Check("MultiByteToWideChar.size-query",
          Fmt("ret=%d ", MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0)) + Err());
    Check("MultiByteToWideChar.size-query-counted",
          Fmt("ret=%d", MultiByteToWideChar(CP_ACP, 0, "abc", 3, nullptr, 0)));
    Arm();
    Check("MultiByteToWideChar.short-buffer",
          Fmt("ret=%d ", MultiByteToWideChar(CP_ACP, 0, "abcdef", -1, wide, 3)) + Err());
    Arm();
    Check("MultiByteToWideChar.length-0",
          Fmt("ret=%d ", MultiByteToWideChar(CP_ACP, 0, "abc", 0, wide, 16)) + Err());
    Arm();
    Check("MultiByteToWideChar.null-text",
          Fmt("ret=%d ", MultiByteToWideChar(CP_ACP, 0, nullptr, -1, wide, 16)) + Err());
    Arm();
    Check("MultiByteToWideChar.null-buffer-with-size",
          Fmt("ret=%d ", MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 16)) + Err());
    Arm();
    Check("MultiByteToWideChar.unknown-flags",
          Fmt("ret=%d ", MultiByteToWideChar(CP_ACP, 0x1000, "abc", -1, wide, 16)) + Err());
    Arm();
    Check("MultiByteToWideChar.utf8-unknown-flags",
          Fmt("ret=%d ", MultiByteToWideChar(CP_UTF8, 0x1000, "abc", -1, wide, 16)) + Err());
    ToWide("ascii", CP_ACP, 0, "C:\\a~1", -1);
    if (!IsDBCSLeadByte(0x81)) {
        const char c1252[] = "\x80\x81\x8d\x8f\x90\x9d\x9f\xa0\xe9\xff";
        ToWide("1252-high", CP_ACP, 0, c1252, sizeof c1252 - 1);
        ToWide("1252-high-strict", CP_ACP, MB_ERR_INVALID_CHARS, c1252, sizeof c1252 - 1);
    } else {
        const char c932[] = "\x82\xa0\x95\x5c\xb1\x80\xa0\xfd\xfe\xff\x84\x44\xfa\x5c";
        ToWide("932-codes", CP_ACP, 0, c932, sizeof c932 - 1);
        ToWide("932-codes-strict", CP_ACP, MB_ERR_INVALID_CHARS, c932, sizeof c932 - 1);
        ToWide("932-no-character", CP_ACP, 0, "\x85\x40", 2);
        ToWide("932-no-character-strict", CP_ACP, MB_ERR_INVALID_CHARS, "\x85\x40", 2);
        ToWide("932-invalid-trail", CP_ACP, 0, "\x82\x20z", 3);
        ToWide("932-lone-lead", CP_ACP, 0, "a\x82", 2);
        ToWide("932-lone-lead-strict", CP_ACP, MB_ERR_INVALID_CHARS, "a\x82", 2);
        ToWide("932-lead-before-zero", CP_ACP, 0, "\x82", -1);
    }
    const struct {
        const char* name;
        const char* text;
    } utf8[] = {
        {"utf8-text", "\xd0\x94\xe2\x82\xac\xef\xbd\xb1z"},
        {"utf8-invalid-byte", "\xff"},
        {"utf8-overlong", "\xc0\x80"},
        {"utf8-cut", "\xe2\x82"},
        {"utf8-cut-before-ascii", "\xe2\x82z"},
        {"utf8-surrogate", "\xed\xa0\x80"},
        {"utf8-beyond-unicode", "\xf4\x90\x80\x80"},
        {"utf8-lone-continuation", "\x80\x80"},
        {"utf8-bad-second", "\xe2\x28\xa1"},
    };
    for (const auto& c : utf8) {
        ToWide(c.name, CP_UTF8, 0, c.text, static_cast<int>(std::strlen(c.text)));
        ToWide((std::string(c.name) + "-strict").c_str(), CP_UTF8, MB_ERR_INVALID_CHARS, c.text,
               static_cast<int>(std::strlen(c.text)));
    }

    // Cyrillic, x, A with macron, e acute, the euro sign, hiragana a, half-width katakana a,
    // the yen sign, the parallel sign, a lone surrogate, the zero.
    const WCHAR mixed[] = {0x0414, 0x043e, 'x',    0x0100, 0x00e9, 0x20ac,
                           0x3042, 0xff71, 0x00a5, 0x2225, 0xd800, 0};
    ToMultiByte("acp", CP_ACP, 0, mixed, -1);
    ToMultiByte("acp-no-best-fit", CP_ACP, WC_NO_BEST_FIT_CHARS, mixed, -1);
    ToMultiByte("utf8", CP_UTF8, 0, mixed, -1);
    Arm();
    Check("WideCharToMultiByte.utf8-no-best-fit",
          Fmt("ret=%d ", WideCharToMultiByte(CP_UTF8, WC_NO_BEST_FIT_CHARS, mixed, -1, bytes,
                                             sizeof bytes, nullptr, nullptr)) +
              Err());
    Arm();
    Check("WideCharToMultiByte.utf8-strict",
          Fmt("ret=%d ", WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, mixed, -1, bytes,
                                             sizeof bytes, nullptr, nullptr)) +
              Err());
    // ... and the letters of users' names that 1252 lacks: S cedilla, C caron, A macron.
    const WCHAR fits[] = {0x00c0, 0x00c6, 0x0110, 0x0141, 0x00d8, 0xff21, 0x0391, 0x2013,
                          0x0080, 0x0152, 0x0160, 0x00fc, 0x015e, 0x010c, 0x0100, 0};
    ToMultiByte("best-fit", CP_ACP, 0, fits, -1);
    ToMultiByte("best-fit-refused", CP_ACP, WC_NO_BEST_FIT_CHARS, fits, -1);
    BOOL used = 7;
    Arm();
    int ret = WideCharToMultiByte(CP_ACP, 0, mixed, -1, nullptr, 0, nullptr, &used);
    Check("WideCharToMultiByte.size-query", Fmt("ret=%d used=%d ", ret, used) + Err());
    Arm();
    Check(
        "WideCharToMultiByte.short-buffer",
        Fmt("ret=%d ", WideCharToMultiByte(CP_ACP, 0, L"abcdef", -1, bytes, 3, nullptr, nullptr)) +
            Err());
    const WCHAR twoKana[] = {0x3042, 0x3044};
    Arm();
    Check("WideCharToMultiByte.short-buffer-inside-character",
          Fmt("ret=%d ", WideCharToMultiByte(CP_ACP, 0, twoKana, 2, bytes, 3, nullptr, nullptr)) +
              Err());
    const WCHAR cyrillic[] = {'a', 0x0414, 0};
    used = 7;
    Arm();
    ret = WideCharToMultiByte(CP_ACP, 0, cyrillic, -1, bytes, sizeof bytes, "#", &used);
    Check("WideCharToMultiByte.default-character",
          Fmt("ret=%d ", ret) + Hex(bytes, ret > 0 ? static_cast<size_t>(ret) : 0) +
              Fmt(" used=%d", used));
    const WCHAR korean[] = {0xbb38, 0xc11c, 0};
    used = 7;
    ret = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, korean, -1, bytes, sizeof bytes,
                              nullptr, &used);
    Check("WideCharToMultiByte.no-character",
          Fmt("ret=%d ", ret) + Hex(bytes, ret > 0 ? static_cast<size_t>(ret) : 0) +
              Fmt(" used=%d", used));
    used = 7;
    ret = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"C:\\ab", -1, bytes, sizeof bytes,
                              nullptr, &used);
    Check("WideCharToMultiByte.every-character", Fmt("ret=%d used=%d", ret, used));
    Arm();
    Check("WideCharToMultiByte.length-0",
          Fmt("ret=%d ",
              WideCharToMultiByte(CP_ACP, 0, L"abc", 0, bytes, sizeof bytes, nullptr, nullptr)) +
              Err());
    Arm();
    Check("WideCharToMultiByte.unknown-flags",
          Fmt("ret=%d ", WideCharToMultiByte(CP_ACP, 0x1000, L"abc", -1, bytes, sizeof bytes,
                                             nullptr, nullptr)) +
              Err());
}
