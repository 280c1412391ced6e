// Local memory blocks and the kernel's string compare and length.
#include "internal.h"

#include <cctype>
#include <cstdlib>
#include <utility>
#include <vector>

namespace winsim {

void Memory::Reset() {
    for (auto& block : live)
        std::free(block.first);
    *this = Memory();
}

namespace {

// The string at `text` as far as the kernel would read it: up to its zero, or, for a string
// that starts inside a live block and has no zero there, up to the block's end (counted as a
// read past the block).
std::string ReadString(LPCSTR text) {
    if (text == nullptr)
        return std::string();
    Memory& m = machine().memory;
    auto block = m.live.upper_bound(const_cast<char*>(text));
    if (block != m.live.begin()) {
        --block;
        const char* start = static_cast<const char*>(block->first);
        const char* end = start + block->second;
        if (text >= start && text < end) {
            const void* zero = std::memchr(text, 0, static_cast<size_t>(end - text));
            if (zero == nullptr) {
                ++m.readsPastBlock;
                return std::string(text, end);
            }
            return std::string(text, static_cast<const char*>(zero));
        }
    }
    return std::string(text);
}

// The weights of one character in a word sort: letters compare by their base letter first,
// then by accent, then by case (lower first); symbols sort before digits and digits before
// letters. The hyphen, the apostrophe and control characters are left out of the first three
// comparisons and only break a tie, the string that holds them sorting after.
struct Weights {
    int primary = 0;
    int accent = 0;
    int upper = 0;
    bool special = false;
};

// The letters of 0x80 to 0xBF, with their base letter and their lower-case form.
struct Letter {
    unsigned char code;
    char base;
    unsigned char lower;
};
const Letter kLetters[] = {{0x83, 'F', 0x83}, {0x8A, 'S', 0x9A}, {0x8C, 'O', 0x9C},
                           {0x8E, 'Z', 0x9E}, {0x9A, 'S', 0x9A}, {0x9C, 'O', 0x9C},
                           {0x9E, 'Z', 0x9E}, {0x9F, 'Y', 0xFF}};

Weights WeightsOf(unsigned char c) {
    // Base letters of 0xC0 to 0xFF; '*' marks a symbol, '~' a letter of its own after 'Z'.
    static const char kBase[] = "AAAAAAACEEEEIIIIDNOOOOO*OUUUUY~S"
                                "AAAAAAACEEEEIIIIDNOOOOO*OUUUUY~Y";
    Weights w;
    const bool control = c < 0x20 && !std::isspace(c);
    if (control || c == '-' || c == '\'' || c == 0x7F || c == 0xAD) {
        w.special = true;
        return w;
    }
    char base = 0;
    unsigned char lower = c;
    if (c < 0x80 && std::isalpha(c)) {
        base = static_cast<char>(std::toupper(c));
        lower = static_cast<unsigned char>(std::tolower(c));
    } else if (c >= 0xC0) {
        base = kBase[c - 0xC0];
        lower = c < 0xE0 && c != 0xD7 && c != 0xDF ? static_cast<unsigned char>(c + 0x20) : c;
    } else {
        for (const Letter& l : kLetters)
            if (l.code == c) {
                base = l.base;
                lower = l.lower;
            }
    }
    if (base == 0 || base == '*') {
        w.primary = std::isdigit(c) ? 0x200 + c : c; // symbols first, then digits
        return w;
    }
    w.primary = 0x300 + (base == '~' ? 'Z' + 1 : base);
    // Plain letters carry no accent weight; an accented letter the one of its lower case.
    w.accent = c < 0x80 ? 0 : lower;
    w.upper = lower != c ? 1 : 0;
    return w;
}

// Compares as a word sort: base letters and symbols, then accents, then case, then the
// hyphens, apostrophes and control characters; byte order only between strings that tie on
// all of these, so that only identical strings are equal.
int Collate(const std::string& first, const std::string& second) {
    std::vector<Weights> a, b;
    std::vector<std::pair<size_t, unsigned char>> specialA, specialB;
    for (size_t i = 0; i < first.size(); ++i) {
        Weights w = WeightsOf(static_cast<unsigned char>(first[i]));
        if (w.special)
            specialA.emplace_back(i, static_cast<unsigned char>(first[i]));
        else
            a.push_back(w);
    }
    for (size_t i = 0; i < second.size(); ++i) {
        Weights w = WeightsOf(static_cast<unsigned char>(second[i]));
        if (w.special)
            specialB.emplace_back(i, static_cast<unsigned char>(second[i]));
        else
            b.push_back(w);
    }
    auto level = [&a, &b](int Weights::*weight) {
        for (size_t i = 0; i < a.size() && i < b.size(); ++i)
            if (a[i].*weight != b[i].*weight)
                return a[i].*weight < b[i].*weight ? -1 : 1;
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    };
    for (int Weights::*weight : {&Weights::primary, &Weights::accent, &Weights::upper})
        if (int order = level(weight))
            return order;
    if (specialA != specialB)
        return specialA.empty() ? -1 : specialB.empty() ? 1 : (specialA < specialB ? -1 : 1);
    return first == second ? 0 : (first < second ? -1 : 1);
}

} // namespace
} // namespace winsim

using winsim::Enter;
using winsim::machine;

extern "C" {

// Fixed blocks only: the pointer is the handle. LMEM_ZEROINIT clears the block.
HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes) {
    if (Enter("LocalAlloc", std::to_string(uBytes), ERROR_NOT_ENOUGH_MEMORY))
        return nullptr;
    void* block = std::malloc(uBytes ? uBytes : 1);
    if (block == nullptr) {
        winsim::SetError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (uFlags & LMEM_ZEROINIT)
        std::memset(block, 0, uBytes ? uBytes : 1);
    winsim::Memory& m = machine().memory;
    m.live[block] = uBytes;
    ++m.allocations;
    return block;
}

// Returns null on success, the block itself when it is not a live block.
HLOCAL WINAPI LocalFree(HLOCAL hMem) {
    Enter("LocalFree");
    if (hMem == nullptr)
        return nullptr;
    winsim::Memory& m = machine().memory;
    auto it = m.live.find(hMem);
    if (it == m.live.end()) {
        winsim::SetError(ERROR_INVALID_HANDLE);
        return hMem;
    }
    std::free(hMem);
    m.live.erase(it);
    ++m.frees;
    return nullptr;
}

// A word-sort comparison as a Western user locale makes it, in code page 1252 (see Collate).
// Equal only when byte-identical. A null pointer sorts before every string, the empty one
// included; two nulls are equal.
int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2) {
    std::string first = winsim::ReadString(lpString1);
    std::string second = winsim::ReadString(lpString2);
    Enter("lstrcmpA", first);
    if (lpString1 == nullptr || lpString2 == nullptr)
        return lpString1 == lpString2 ? 0 : (lpString1 == nullptr ? -1 : 1);
    return winsim::Collate(first, second);
}

// The length without the terminating zero; 0 for a null pointer.
int WINAPI lstrlenA(LPCSTR lpString) {
    std::string text = winsim::ReadString(lpString);
    Enter("lstrlenA", text);
    return static_cast<int>(text.size());
}

} // extern "C"
