// Local memory blocks (LocalAlloc/LocalFree), counted, and string reads that run past the end
// of a block.
#pragma once

#include <windef.h>

#include <cstddef>
#include <map>

namespace winsim {

struct Memory {
    std::map<void*, size_t> live; // blocks not yet freed, with their sizes
    int allocations = 0;
    int frees = 0;
    // lstrlenA or lstrcmpA was given a string inside a live block that has no terminating
    // zero before the block's end. Windows would read on into whatever follows; the machine
    // stops at the block's end and counts the fault here.
    int readsPastBlock = 0;

    void Reset();
};

} // namespace winsim
