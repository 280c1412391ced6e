// Common ground of the fuzz targets. The first input byte chooses the ANSI code page of the
// simulated machine (odd: 932, even: 1252); the targets read the rest as their data. The
// character boundaries of a text are computed here from the code page's own lead-byte ranges,
// independently of the helpers under test, so that a fault in their stepping shows.
#pragma once

#include <winsim/machine.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzz {

// Stops the run with the property that failed; libFuzzer keeps the input as a crash file.
[[noreturn]] inline void Fail(const char* property) {
    std::fprintf(stderr, "property violated: %s\n", property);
    std::abort();
}

#define FUZZ_REQUIRE(condition, property)                                                          \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::fuzz::Fail(property);                                                                \
    } while (0)

// The fuzz data, consumed from the front. Every piece is copied into a string of its exact
// size, so that AddressSanitizer sees any read past it.
class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t Left() const { return size_ - used_; }
    // The next byte, 0 when the data is used up.
    uint8_t Byte() { return used_ < size_ ? data_[used_++] : 0; }
    // The next `n` bytes, fewer when the data runs out.
    std::string Take(size_t n) {
        n = n < Left() ? n : Left();
        std::string s(reinterpret_cast<const char*>(data_ + used_), n);
        used_ += n;
        return s;
    }
    std::string Rest() { return Take(Left()); }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t used_ = 0;
};

// Chooses the code page from the first byte; returns it.
inline unsigned ChooseCodePage(Input& in) {
    unsigned acp = (in.Byte() & 1) ? 932 : 1252;
    winsim::machine().codePage.acp = acp;
    return acp;
}

// Lead bytes of code page 932; code page 1252 has none.
inline bool IsLead(unsigned char b) {
    if (winsim::machine().codePage.acp != 932)
        return false;
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// One character of a text as a byte range.
struct Char {
    size_t begin;
    size_t size;
};

// The characters of a text: a lead byte and the byte after it make one character; a lead
// byte at the very end stands alone.
inline std::vector<Char> Chars(const std::string& text) {
    std::vector<Char> chars;
    for (size_t i = 0; i < text.size();) {
        size_t n = (IsLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
        chars.push_back({i, n});
        i += n;
    }
    return chars;
}

// boundary[i] is true when a character starts at byte i; boundary[size] is true.
inline std::vector<bool> Boundaries(const std::string& text) {
    std::vector<bool> boundary(text.size() + 1, false);
    for (const Char& c : Chars(text))
        boundary[c.begin] = true;
    boundary[text.size()] = true;
    return boundary;
}

// The text's last character is a lead byte standing alone.
inline bool EndsInLoneLead(const std::string& text) {
    return !text.empty() && IsLead(static_cast<unsigned char>(text.back())) &&
           Chars(text).back().size == 1;
}

// StrReverse twice gives the text back: its last character is not a lead byte standing alone
// after other characters (reversed, such a byte comes first and pairs with the byte after it).
inline bool ReversibleText(const std::string& text) {
    return !EndsInLoneLead(text) || Chars(text).size() == 1;
}

// The double-byte characters of a text, in order, concatenated.
inline std::string DoubleBytes(const std::string& text) {
    std::string out;
    for (const Char& c : Chars(text))
        if (c.size == 2)
            out.append(text, c.begin, 2);
    return out;
}

// The text's characters in reverse order, each kept whole.
inline std::string ReversedChars(const std::string& text) {
    std::string out;
    std::vector<Char> chars = Chars(text);
    for (size_t k = chars.size(); k-- > 0;)
        out.append(text, chars[k].begin, chars[k].size);
    return out;
}

// Leftmost position, on a character boundary, where `pattern` occurs; npos when none. An
// empty pattern occurs at 0 of a non-empty text.
inline size_t FindOnBoundary(const std::string& text, const std::string& pattern) {
    for (const Char& c : Chars(text))
        if (text.compare(c.begin, pattern.size(), pattern) == 0)
            return c.begin;
    return std::string::npos;
}

// `piece` is text[begin, begin + piece.size()) and both ends fall on character boundaries.
inline bool IsWholePiece(const std::string& text, const std::vector<bool>& boundary, size_t begin,
                         const std::string& piece) {
    return begin + piece.size() <= text.size() && text.compare(begin, piece.size(), piece) == 0 &&
           boundary[begin] && boundary[begin + piece.size()];
}

inline bool IsWhiteSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The text without leading and trailing white space, cut at character boundaries: from the
// first character that is not a white-space byte to the end of the last such character.
inline std::string Trimmed(const std::string& text) {
    size_t begin = text.size(), end = 0;
    for (const Char& c : Chars(text)) {
        if (c.size == 1 && IsWhiteSpace(text[c.begin]))
            continue;
        if (begin == text.size())
            begin = c.begin;
        end = c.begin + c.size;
    }
    return begin < end ? text.substr(begin, end - begin) : std::string();
}

} // namespace fuzz
