// Local memory blocks and the kernel's string compare and length.
#include "internal.h"

#include <cctype>
#include <cstdlib>

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

// A word-sort comparison as the user locale makes it, reduced to what a Western locale gives
// for plain text: letters compare without regard to case first, and only where two strings
// differ in case alone does the lower-case letter sort first. Equal only when byte-identical.
// A null pointer sorts before every string, the empty one included; two nulls are equal.
int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2) {
    std::string first = winsim::ReadString(lpString1);
    std::string second = winsim::ReadString(lpString2);
    Enter("lstrcmpA", first);
    if (lpString1 == nullptr || lpString2 == nullptr)
        return lpString1 == lpString2 ? 0 : (lpString1 == nullptr ? -1 : 1);
    const unsigned char* a = reinterpret_cast<const unsigned char*>(first.c_str());
    const unsigned char* b = reinterpret_cast<const unsigned char*>(second.c_str());
    int caseOrder = 0;
    for (;; ++a, ++b) {
        int ca = std::toupper(*a), cb = std::toupper(*b);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (caseOrder == 0 && *a != *b)
            caseOrder = std::islower(*a) ? -1 : 1;
        if (*a == 0)
            return caseOrder;
    }
}

// The length without the terminating zero; 0 for a null pointer.
int WINAPI lstrlenA(LPCSTR lpString) {
    std::string text = winsim::ReadString(lpString);
    Enter("lstrlenA", text);
    return static_cast<int>(text.size());
}

} // extern "C"
