// Local memory blocks (LocalAlloc/LocalFree), counted.
#pragma once

#include <windef.h>

#include <cstddef>
#include <map>

namespace winsim {

struct Memory {
    std::map<void*, size_t> live; // blocks not yet freed, with their sizes
    int allocations = 0;
    int frees = 0;

    void Reset();
};

} // namespace winsim
