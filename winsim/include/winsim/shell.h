// The shell's special folders, item-id lists and task allocator.
#pragma once

#include <windef.h>

#include <string>
#include <vector>

namespace winsim {

struct Shell {
    // What is still open or held (one line each), for the leak checks of the tests.
    std::vector<std::string> OpenResources() const { return {}; }
    void Reset() { *this = Shell(); }
};

} // namespace winsim
