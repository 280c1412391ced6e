// String helpers. Character boundaries come from the active ANSI code page (IsDBCSLeadByte);
// upper-casing from the system (CharUpperBuffA).
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

// Leftmost occurrence of `pattern` in `text` that starts on a character boundary, scanning
// from `from` (itself taken as a boundary). An empty pattern is found at `from` when text
// remains there.
size_t Find(const std::string& text, const std::string& pattern, size_t from = 0) {
    for (size_t i = from; i < text.size(); i += CharLength(text, i))
        if (text.compare(i, pattern.size(), pattern) == 0)
            return i;
    return npos;
}

inline bool IsWhiteSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Finds without regard to case: both sides upper-cased; positions are those of the text.
size_t FindNoCase(const std::string& text, const std::string& pattern) {
    return Find(StrUpper(text), StrUpper(pattern));
}

} // namespace

int StrContains(const std::string& text, const std::string& pattern, int caseFlag) {
    return (caseFlag ? Find(text, pattern) : FindNoCase(text, pattern)) != npos;
}

int StrEqual(const std::string& text, const std::string& other, int caseFlag) {
    return caseFlag ? text == other : StrUpper(text) == StrUpper(other);
}

std::string StrBefore(const std::string& text, const std::string& pattern) {
    size_t p = Find(text, pattern);
    return p == npos ? text : text.substr(0, p);
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

// White space is the six bytes tab, line feed, vertical tab, form feed, carriage return and
// space; none of them is a lead byte, and a trail byte is never tested.
std::string StrTrim(const std::string& text) {
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

// Runs of single-byte characters are upper-cased together, each double-byte character on its
// own; a mapping that would not leave a double-byte character whole is not taken, so the
// length and the character boundaries never change.
std::wstring StrTrimW(const std::wstring& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && text[first] < 0x80 && IsWhiteSpace(static_cast<char>(text[first])))
        ++first;
    while (last > first && text[last - 1] < 0x80 && IsWhiteSpace(static_cast<char>(text[last - 1])))
        --last;
    return text.substr(first, last - first);
}

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

// The pattern is removed once from the end when it ends the text and its first byte starts a
// character of the text.
std::string StrStripTrailing(const std::string& text, const std::string& pattern) {
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
// occurrence the search goes on from the byte that follows it, taken as a character boundary.
std::string StrReplace(const std::string& text, const std::string& pattern,
                       const std::string& replacement, int caseFlag) {
    if (pattern.empty())
        return text;
    const std::string key = caseFlag ? pattern : StrUpper(pattern);
    // The text searched, upper-cased for a case-insensitive pass. Upper-casing runs from a
    // character boundary; when an occurrence ends inside a character of that run, the rest is
    // upper-cased afresh from there.
    size_t base = 0;
    std::string searched = caseFlag ? text : StrUpper(text);
    std::string result;
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
                searched = StrUpper(text.substr(next));
            }
        }
        from = next;
    }
    return result.append(text, from, npos);
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
    items.clear();
    if (text.empty())
        return 0;
    const std::string sep(1, separator);
    size_t from = 0;
    for (size_t p; (p = Find(text, sep, from)) != npos; from = p + 1)
        items.push_back(StrTrim(text.substr(from, p - from)));
    items.push_back(StrTrim(text.substr(from)));
    return static_cast<int>(items.size());
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
