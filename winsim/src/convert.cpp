// Conversions between multibyte and wide text: code pages 1252 and 932 (the machine's ANSI code
// page, CP_ACP), and UTF-8 (also as the ANSI code page, as Windows 10 and 11 may have it), served
// through MultiByteToWideChar and WideCharToMultiByte with the flags, size and error rules of
// Windows as Wine 8 shows them. Code page 932 takes its double-byte table from the C library's
// iconv ("CP932"); the single bytes Windows maps beyond it (0x80, 0xA0, 0xFD to 0xFF) are added
// here.
//
// On the host a wide character is 32 bits: a character beyond the Basic Multilingual Plane is
// one WCHAR here and a surrogate pair on Windows.
//
// Best fit (WideCharToMultiByte without WC_NO_BEST_FIT_CHARS, and every ANSI call that hands
// out text): a character the code page lacks may come out as a look-alike instead of '?'.
// Simulated: in 1252 the Latin letters with diacritics of U+0100 to U+017F as their base
// letters (a few as Wine gives them: U+0110 as 0xD0, U+0141 as 'L') and full-width ASCII as
// ASCII; in 932 the Latin-1 letters as their base letters and U+00A5 as 0x5C. Windows' tables
// hold more.
#include "internal.h"

#include <iconv.h>

#include <map>
#include <vector>

namespace winsim {
namespace {

const WCHAR kDefault932 = 0x30FB;  // what a 932 code that stands for no character becomes
const WCHAR kReplacement = 0xFFFD; // what invalid UTF-8 becomes

// Code page 1252, bytes 0x80 to 0x9F; the five codes without a character map to the C1
// controls of the same number.
const WCHAR k1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                             0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                             0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                             0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Base letters of U+0100 to U+017F ('.' for none) and of U+00C0 to U+00FF.
const char kLatinExtendedA[] = "AaAaAaCcCcCcCcDd..EeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi..JjKk.LlLlLl"
                               "....NnNnNn...OoOoOo..RrRrRrSsSsSsSsTtTt..UuUuUuUuUuUuWwYyYZzZzZz.";
const char kLatin1Letters[] = "AAAAAAACEEEEIIII.NOOOOO.OUUUUY..aaaaaaaceeeeiiii.nooooo.ouuuuy.y";

struct Iconv {
    iconv_t handle;
    Iconv(const char* to, const char* from) : handle(iconv_open(to, from)) {}
    ~Iconv() {
        if (handle != reinterpret_cast<iconv_t>(-1))
            iconv_close(handle);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    // Converts `in` whole, or returns false.
    bool Convert(const char* in, size_t inSize, char* out, size_t outSize, size_t* written) {
        if (handle == reinterpret_cast<iconv_t>(-1))
            return false;
        iconv(handle, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in);
        char* dst = out;
        size_t left = inSize, room = outSize;
        if (iconv(handle, &src, &left, &dst, &room) == static_cast<size_t>(-1) || left != 0)
            return false;
        *written = outSize - room;
        return true;
    }
};

// The character of a double-byte code of 932, or 0 for a code that stands for none.
WCHAR Decode932Pair(BYTE lead, BYTE trail) {
    static std::map<unsigned, WCHAR> cache;
    unsigned code = (static_cast<unsigned>(lead) << 8) | trail;
    auto it = cache.find(code);
    if (it != cache.end())
        return it->second;
    static Iconv decoder("UTF-32LE", "CP932");
    const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    unsigned char out[8];
    size_t written = 0;
    WCHAR c = 0;
    if (decoder.Convert(in, 2, reinterpret_cast<char*>(out), sizeof out, &written) && written == 4)
        c = static_cast<WCHAR>(out[0] | (out[1] << 8) | (out[2] << 16) |
                               (static_cast<unsigned>(out[3]) << 24));
    cache[code] = c;
    return c;
}

// One character of multibyte text at `i`: its wide character, the bytes it takes, and whether
// the bytes were valid.
struct Decoded {
    WCHAR c;
    size_t length;
    bool valid;
};

Decoded DecodeAnsi(UINT cp, const std::string& text, size_t i) {
    BYTE b = static_cast<BYTE>(text[i]);
    if (cp == 1252)
        return {b >= 0x80 && b <= 0x9F ? k1252High[b - 0x80] : static_cast<WCHAR>(b), 1, true};
    if (b < 0x80)
        return {static_cast<WCHAR>(b), 1, true};
    if (b == 0x80)
        return {0x0080, 1, true};
    // 0xA0 and 0xFD to 0xFF have private-use characters, but count as invalid for
    // MB_ERR_INVALID_CHARS.
    if (b == 0xA0)
        return {0xF8F0, 1, false};
    if (b >= 0xA1 && b <= 0xDF)
        return {static_cast<WCHAR>(0xFF61 + (b - 0xA1)), 1, true};
    if (b >= 0xFD)
        return {static_cast<WCHAR>(0xF8F1 + (b - 0xFD)), 1, false};
    // A lead byte: with the byte after it (a zero excepted), valid or not.
    if (i + 1 >= text.size() || text[i + 1] == '\0')
        return {kDefault932, 1, false};
    WCHAR c = Decode932Pair(b, static_cast<BYTE>(text[i + 1]));
    return c != 0 ? Decoded{c, 2, true} : Decoded{kDefault932, 2, false};
}

// UTF-8 as Wine decodes it: a byte that starts no sequence is one replacement character; a
// sequence cut short is one for the bytes read; a second byte out of the lead byte's range
// (overlong forms, surrogates, beyond U+10FFFF) is one for the two bytes.
Decoded DecodeUtf8(const std::string& text, size_t i) {
    BYTE b = static_cast<BYTE>(text[i]);
    if (b < 0x80)
        return {static_cast<WCHAR>(b), 1, true};
    size_t count = 0;
    unsigned c = 0;
    if (b >= 0xC2 && b <= 0xDF)
        count = 1, c = b & 0x1F;
    else if (b >= 0xE0 && b <= 0xEF)
        count = 2, c = b & 0x0F;
    else if (b >= 0xF0 && b <= 0xF4)
        count = 3, c = b & 0x07;
    else
        return {kReplacement, 1, false};
    for (size_t k = 1; k <= count; ++k) {
        if (i + k >= text.size())
            return {kReplacement, k, false};
        BYTE next = static_cast<BYTE>(text[i + k]);
        if ((next & 0xC0) != 0x80)
            return {kReplacement, k, false};
        if (k == 1) {
            BYTE low = 0x80, high = 0xBF;
            if (b == 0xE0)
                low = 0xA0;
            else if (b == 0xED)
                high = 0x9F;
            else if (b == 0xF0)
                low = 0x90;
            else if (b == 0xF4)
                high = 0x8F;
            if (next < low || next > high)
                return {kReplacement, 2, false};
        }
        c = (c << 6) | (next & 0x3F);
    }
    return {static_cast<WCHAR>(c), count + 1, true};
}

// The best-fit byte for a character the code page lacks, or 0.
char BestFit(UINT cp, WCHAR c) {
    char base = 0;
    if (cp == 1252) {
        if (c >= 0x0100 && c <= 0x017F)
            base = kLatinExtendedA[c - 0x0100];
        if (c == 0x0110)
            return static_cast<char>(0xD0);
        if (c == 0x0111)
            return static_cast<char>(0xF0);
        if (c == 0x0141 || c == 0x0142)
            return c == 0x0141 ? 'L' : 'l';
        if (c >= 0xFF01 && c <= 0xFF5E)
            return static_cast<char>(0x21 + (c - 0xFF01));
    } else {
        if (c >= 0x00C0 && c <= 0x00FF)
            base = kLatin1Letters[c - 0x00C0];
        if (c == 0x00A5)
            return '\\';
    }
    return base == '.' ? 0 : base;
}

// The bytes of one wide character in the ANSI code page: its own code, or (with `bestFit`)
// its best-fit character; empty when it has neither.
std::string EncodeAnsi(UINT cp, WCHAR c, bool bestFit) {
    if (c < 0x80)
        return std::string(1, static_cast<char>(c));
    if (cp == 1252) {
        if (c >= 0xA0 && c <= 0xFF)
            return std::string(1, static_cast<char>(c));
        for (int b = 0; b < 32; ++b)
            if (k1252High[b] == c)
                return std::string(1, static_cast<char>(0x80 + b));
    } else {
        if (c == 0x0080)
            return std::string(1, static_cast<char>(0x80));
        if (c == 0xF8F0)
            return std::string(1, static_cast<char>(0xA0));
        if (c >= 0xF8F1 && c <= 0xF8F3)
            return std::string(1, static_cast<char>(0xFD + (c - 0xF8F1)));
        if (c >= 0xFF61 && c <= 0xFF9F)
            return std::string(1, static_cast<char>(0xA1 + (c - 0xFF61)));
        static std::map<WCHAR, std::string> cache;
        auto it = cache.find(c);
        if (it == cache.end()) {
            static Iconv encoder("CP932", "UTF-32LE");
            unsigned u = static_cast<unsigned>(c);
            const char in[4] = {static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF),
                                static_cast<char>((u >> 16) & 0xFF),
                                static_cast<char>((u >> 24) & 0xFF)};
            char out[8];
            size_t written = 0;
            std::string bytes;
            // Only a code that converts back to the same character is the character's own.
            if (encoder.Convert(in, 4, out, sizeof out, &written) && written == 2 &&
                Decode932Pair(static_cast<BYTE>(out[0]), static_cast<BYTE>(out[1])) == c)
                bytes.assign(out, 2);
            it = cache.emplace(c, bytes).first;
        }
        if (!it->second.empty())
            return it->second;
    }
    char fit = bestFit ? BestFit(cp, c) : 0;
    return fit != 0 ? std::string(1, fit) : std::string();
}

std::string EncodeUtf8(WCHAR wc, bool* invalid) {
    unsigned c = static_cast<unsigned>(wc);
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
        *invalid = true;
        c = kReplacement;
    }
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// The code page a call names: the machine's ANSI code page (CP_ACP or its number), UTF-8, or
// 0 for one the machine does not have.
UINT Resolve(UINT codePage) {
    UINT acp = machine().codePage.acp;
    if (codePage == CP_ACP || codePage == acp)
        return acp;
    if (codePage == CP_UTF8)
        return CP_UTF8;
    return 0;
}

} // namespace

std::wstring CodePage::ToWide(const std::string& text) const {
    std::wstring out;
    for (size_t i = 0; i < text.size();) {
        Decoded d = acp == CP_UTF8 ? DecodeUtf8(text, i) : DecodeAnsi(acp, text, i);
        out += d.c;
        i += d.length;
    }
    return out;
}

std::string CodePage::ToAnsi(const std::wstring& text, bool bestFit, bool* usedDefault) const {
    std::string out;
    bool used = false;
    for (WCHAR c : text) {
        bool invalid = false;
        std::string bytes = acp == CP_UTF8 ? EncodeUtf8(c, &invalid) : EncodeAnsi(acp, c, bestFit);
        if (bytes.empty()) {
            bytes = "?";
            used = true;
        }
        out += bytes;
    }
    if (usedDefault)
        *usedDefault = used;
    return out;
}

bool CodePage::CanWrite(const std::wstring& text) const {
    bool used = false;
    ToAnsi(text, false, &used);
    return !used;
}

} // namespace winsim

using winsim::Enter;
using winsim::machine;

extern "C" {

// The flags allowed: for UTF-8 only MB_ERR_INVALID_CHARS (Windows; Wine also lets
// MB_PRECOMPOSED pass); for the ANSI code page the composition flags, one of the two at most
// (composite forms are not made: text converts as precomposed).
int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
    if (Enter("MultiByteToWideChar", std::to_string(CodePage), ERROR_NO_UNICODE_TRANSLATION))
        return 0;
    UINT cp = winsim::Resolve(CodePage);
    if (cp == 0 || lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 ||
        cchWideChar < 0 || (lpWideCharStr == nullptr && cchWideChar != 0)) {
        winsim::SetError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const DWORD allowed =
        cp == CP_UTF8 ? MB_ERR_INVALID_CHARS
                      : MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
    if ((dwFlags & ~allowed) != 0 ||
        (dwFlags & (MB_PRECOMPOSED | MB_COMPOSITE)) == (MB_PRECOMPOSED | MB_COMPOSITE)) {
        winsim::SetError(ERROR_INVALID_FLAGS);
        return 0;
    }
    size_t length =
        cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
    const std::string text(lpMultiByteStr, length);
    std::wstring out;
    for (size_t i = 0; i < text.size();) {
        winsim::Decoded d =
            cp == CP_UTF8 ? winsim::DecodeUtf8(text, i) : winsim::DecodeAnsi(cp, text, i);
        if (!d.valid && (dwFlags & MB_ERR_INVALID_CHARS) != 0) {
            winsim::SetError(ERROR_NO_UNICODE_TRANSLATION);
            return 0;
        }
        out += d.c;
        i += d.length;
    }
    if (cchWideChar == 0)
        return static_cast<int>(out.size());
    // A buffer too small receives what fits, and the call fails.
    size_t fits = out.size() < static_cast<size_t>(cchWideChar) ? out.size()
                                                                : static_cast<size_t>(cchWideChar);
    std::memcpy(lpWideCharStr, out.data(), fits * sizeof(WCHAR));
    if (fits < out.size()) {
        winsim::SetError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return static_cast<int>(out.size());
}

// For UTF-8 the flags may be 0 or WC_ERR_INVALID_CHARS and both default-character pointers
// must be null (Windows' rules; Wine lets both pass). A buffer too small receives the whole
// characters that fit, and the call fails.
int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCCH lpDefaultChar,
                               LPBOOL lpUsedDefaultChar) {
    if (Enter("WideCharToMultiByte", std::to_string(CodePage), ERROR_NO_UNICODE_TRANSLATION))
        return 0;
    UINT cp = winsim::Resolve(CodePage);
    if (cp == 0 || lpWideCharStr == nullptr || cchWideChar == 0 || cchWideChar < -1 ||
        cbMultiByte < 0 || (lpMultiByteStr == nullptr && cbMultiByte != 0) ||
        (cp == CP_UTF8 && (lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr))) {
        winsim::SetError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const DWORD allowed = cp == CP_UTF8 ? WC_ERR_INVALID_CHARS
                                        : WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS |
                                              WC_DEFAULTCHAR | WC_NO_BEST_FIT_CHARS;
    if ((dwFlags & ~allowed) != 0) {
        winsim::SetError(ERROR_INVALID_FLAGS);
        return 0;
    }
    size_t length = 0;
    if (cchWideChar == -1) {
        while (lpWideCharStr[length] != 0)
            ++length;
        ++length;
    } else {
        length = static_cast<size_t>(cchWideChar);
    }
    std::string defaultChar = "?";
    if (lpDefaultChar != nullptr && lpDefaultChar[0] != '\0')
        defaultChar.assign(
            lpDefaultChar,
            IsDBCSLeadByte(static_cast<BYTE>(lpDefaultChar[0])) && lpDefaultChar[1] ? 2 : 1);
    std::vector<std::string> characters;
    bool used = false;
    for (size_t i = 0; i < length; ++i) {
        if (cp == CP_UTF8) {
            bool invalid = false;
            characters.push_back(winsim::EncodeUtf8(lpWideCharStr[i], &invalid));
            if (invalid && (dwFlags & WC_ERR_INVALID_CHARS) != 0) {
                winsim::SetError(ERROR_NO_UNICODE_TRANSLATION);
                return 0;
            }
            continue;
        }
        std::string bytes =
            winsim::EncodeAnsi(cp, lpWideCharStr[i], (dwFlags & WC_NO_BEST_FIT_CHARS) == 0);
        if (bytes.empty()) {
            bytes = defaultChar;
            used = true;
        }
        characters.push_back(bytes);
    }
    if (lpUsedDefaultChar != nullptr)
        *lpUsedDefaultChar = used ? TRUE : FALSE;
    size_t total = 0;
    for (const std::string& c : characters)
        total += c.size();
    if (cbMultiByte == 0)
        return static_cast<int>(total);
    size_t written = 0;
    for (const std::string& c : characters) {
        if (written + c.size() > static_cast<size_t>(cbMultiByte)) {
            winsim::SetError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        std::memcpy(lpMultiByteStr + written, c.data(), c.size());
        written += c.size();
    }
    return static_cast<int>(written);
}

} // extern "C"
