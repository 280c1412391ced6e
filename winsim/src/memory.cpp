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

} // namespace winsim

using winsim::Enter;
using winsim::machine;

extern "C" {

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
int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2) {
    const unsigned char* a = reinterpret_cast<const unsigned char*>(lpString1 ? lpString1 : "");
    const unsigned char* b = reinterpret_cast<const unsigned char*>(lpString2 ? lpString2 : "");
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

int WINAPI lstrlenA(LPCSTR lpString) {
    return lpString ? static_cast<int>(std::strlen(lpString)) : 0;
}

} // extern "C"
