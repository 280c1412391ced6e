// String helpers, each written once for both character types. Character boundaries of byte
// strings come from the active ANSI code page (IsDBCSLeadByte), their upper-casing from the
// system (CharUpperBuffA); a wide character is one character, upper-cased in its ASCII letters
// (the patterns the library looks for without regard to case are ASCII).
#include "strings/Strings.h"

#include <windows.h>

#include <cstddef>

namespace {

const size_t npos = std::string::npos;

// Length in bytes of the character that starts at `i`: two for a lead byte followed by a trail
// byte, one otherwise (a lead byte at the very end stands alone).
inline size_t CharLength(const std::string& text, size_t i) {
    return (i + 1 < text.size() && IsDBCSLeadByte(static_cast<BYTE>(text[i]))) ? 2 : 1;
}

inline size_t CharLength(const std::wstring&, size_t) {
    return 1;
}

std::string Upper(const std::string& text) {
    return StrUpper(text);
}

std::wstring Upper(const std::wstring& text) {
    std::wstring out = text;
    for (wchar_t& c : out)
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    return out;
}

// Leftmost occurrence of `pattern` in `text` that starts on a character boundary, scanning
// from `from` (itself taken as a boundary). An empty pattern is found at `from` when text
// remains there.
template <typename Text> size_t Find(const Text& text, const Text& pattern, size_t from = 0) {
    for (size_t i = from; i < text.size(); i += CharLength(text, i))
        if (text.compare(i, pattern.size(), pattern) == 0)
            return i;
    return npos;
}

template <typename Char> inline bool IsWhiteSpace(Char c) {
    return c == Char(' ') || (c >= Char('\t') && c <= Char('\r'));
}

// Finds without regard to case: both sides upper-cased; positions are those of the text.
template <typename Text> size_t FindNoCase(const Text& text, const Text& pattern) {
    return Find(Upper(text), Upper(pattern));
}

template <typename Text> int Contains(const Text& text, const Text& pattern, int caseFlag) {
    return (caseFlag ? Find(text, pattern) : FindNoCase(text, pattern)) != npos;
}

template <typename Text> Text Before(const Text& text, const Text& pattern) {
    size_t p = Find(text, pattern);
    return p == npos ? text : text.substr(0, p);
}

// White space is the six characters tab, line feed, vertical tab, form feed, carriage return
// and space; none of them is a lead byte, and a trail byte is never tested.
template <typename Text> Text Trim(const Text& text) {
    size_t begin = 0;
    while (begin < text.size() && IsWhiteSpace(text[begin]))
        ++begin;
    size_t end = begin;
    for (size_t i = begin; i < text.size();) {
        size_t n = CharLength(text, i);
        if (n == 2 || !IsWhiteSpace(text[i]))
            end = i + n;
        i += n;
    }
    return text.substr(begin, end - begin);
}

// The pattern is removed once from the end when it ends the text and its first character
// starts a character of the text.
template <typename Text> Text StripTrailing(const Text& text, const Text& pattern) {
    if (pattern.empty() || pattern.size() > text.size())
        return text;
    size_t start = text.size() - pattern.size();
    if (text.compare(start, npos, pattern) != 0)
        return text;
    size_t i = 0;
    while (i < start)
        i += CharLength(text, i);
    return i == start ? text.substr(0, start) : text;
}

// One left-to-right pass; text that was replaced is never searched again. After each
// occurrence the search goes on from the character that follows it, taken as a character
// boundary.
template <typename Text>
Text Replace(const Text& text, const Text& pattern, const Text& replacement, int caseFlag) {
    if (pattern.empty())
        return text;
    const Text key = caseFlag ? pattern : Upper(pattern);
    // The text searched, upper-cased for a case-insensitive pass. Upper-casing runs from a
    // character boundary; when an occurrence ends inside a character of that run, the rest is
    // upper-cased afresh from there.
    size_t base = 0;
    Text searched = caseFlag ? text : Upper(text);
    Text result;
    size_t from = 0;
    for (;;) {
        size_t p = Find(searched, key, from - base);
        if (p == npos)
            break;
        p += base;
        result.append(text, from, p - from).append(replacement);
        size_t next = p + pattern.size();
        if (!caseFlag) {
            size_t boundary = p;
            while (boundary < next)
                boundary += CharLength(searched, boundary - base);
            if (boundary != next) {
                base = next;
                searched = Upper(text.substr(next));
            }
        }
        from = next;
    }
    return result.append(text, from, npos);
}

template <typename Text>
int Split(const Text& text, std::vector<Text>& items, typename Text::value_type separator) {
    items.clear();
    if (text.empty())
        return 0;
    const Text sep(1, separator);
    size_t from = 0;
    for (size_t p; (p = Find(text, sep, from)) != npos; from = p + 1)
        items.push_back(Trim(text.substr(from, p - from)));
    items.push_back(Trim(text.substr(from)));
    return static_cast<int>(items.size());
}

} // namespace

int StrContains(const std::string& text, const std::string& pattern, int caseFlag) {
    return Contains(text, pattern, caseFlag);
}

int StrContains(const std::wstring& text, const std::wstring& pattern, int caseFlag) {
    return Contains(text, pattern, caseFlag);
}

int StrEqual(const std::string& text, const std::string& other, int caseFlag) {
    return caseFlag ? text == other : StrUpper(text) == StrUpper(other);
}

std::string StrBefore(const std::string& text, const std::string& pattern) {
    return Before(text, pattern);
}

std::wstring StrBefore(const std::wstring& text, const std::wstring& pattern) {
    return Before(text, pattern);
}

std::string StrBeforeNoCase(const std::string& text, const std::string& pattern) {
    size_t p = FindNoCase(text, pattern);
    return p == npos ? text : text.substr(0, p);
}

std::string StrAfter(const std::string& text, const std::string& pattern) {
    size_t p = Find(text, pattern);
    return p == npos ? std::string() : text.substr(p + pattern.size());
}

std::string StrAfterNoCase(const std::string& text, const std::string& pattern) {
    size_t p = FindNoCase(text, pattern);
    return p == npos ? std::string() : text.substr(p + pattern.size());
}

std::string StrTrim(const std::string& text) {
    return Trim(text);
}

std::wstring StrTrim(const std::wstring& text) {
    return Trim(text);
}

// Runs of single-byte characters are upper-cased together, each double-byte character on its
// own; a mapping that would not leave a double-byte character whole is not taken, so the
// length and the character boundaries never change.
std::string StrUpper(const std::string& text) {
    std::string out = text;
    size_t run = 0;
    auto flush = [&out, &run](size_t end) {
        if (end > run)
            CharUpperBuffA(&out[run], static_cast<DWORD>(end - run));
    };
    for (size_t i = 0; i < out.size();) {
        if (CharLength(out, i) == 1) {
            ++i;
            continue;
        }
        flush(i);
        char pair[2] = {out[i], out[i + 1]};
        CharUpperBuffA(pair, 2);
        if (IsDBCSLeadByte(static_cast<BYTE>(pair[0]))) {
            out[i] = pair[0];
            out[i + 1] = pair[1];
        }
        i += 2;
        run = i;
    }
    flush(out.size());
    return out;
}

// Characters in reverse order, each double-byte character kept whole, lead byte first.
std::string StrReverse(const std::string& text) {
    std::string out(text.size(), '\0');
    size_t w = text.size();
    for (size_t i = 0; i < text.size();) {
        size_t n = CharLength(text, i);
        w -= n;
        out.replace(w, n, text, i, n);
        i += n;
    }
    return out;
}

std::string StrStripLeading(const std::string& text, const std::string& pattern) {
    size_t p = Find(text, pattern);
    return p == 0 ? text.substr(pattern.size()) : text;
}

std::string StrStripTrailing(const std::string& text, const std::string& pattern) {
    return StripTrailing(text, pattern);
}

std::wstring StrStripTrailing(const std::wstring& text, const std::wstring& pattern) {
    return StripTrailing(text, pattern);
}

std::string StrReplace(const std::string& text, const std::string& pattern,
                       const std::string& replacement, int caseFlag) {
    return Replace(text, pattern, replacement, caseFlag);
}

std::wstring StrReplace(const std::wstring& text, const std::wstring& pattern,
                        const std::wstring& replacement, int caseFlag) {
    return Replace(text, pattern, replacement, caseFlag);
}

std::string StrField(const std::string& text, const std::string& separator, int field) {
    if (field < 1)
        return std::string();
    size_t from = 0;
    for (int i = 1; i < field; ++i) {
        size_t p = Find(text, separator, from);
        if (p == npos)
            return std::string();
        from = p + separator.size();
    }
    size_t p = Find(text, separator, from);
    return StrTrim(text.substr(from, p == npos ? npos : p - from));
}

int StrSplit(const std::string& text, CStringArray& items, char separator) {
    return Split(text, items, separator);
}

int StrSplit(const std::wstring& text, std::vector<std::wstring>& items, wchar_t separator) {
    return Split(text, items, separator);
}

std::string StrDigits(unsigned long value, unsigned base, size_t width) {
    std::string digits;
    do {
        digits.insert(digits.begin(), "0123456789ABCDEF"[value % base]);
        value /= base;
    } while (value != 0);
    if (digits.size() < width)
        digits.insert(0, width - digits.size(), '0');
    return digits;
}
