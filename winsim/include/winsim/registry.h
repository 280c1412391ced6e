// The registry of the simulated machine.
#pragma once

#include <windef.h>

#include <string>
#include <vector>

namespace winsim {

struct Registry {
    // What is still open or held (one line each), for the leak checks of the tests.
    std::vector<std::string> OpenResources() const { return {}; }
    void Reset() { *this = Registry(); }
};

} // namespace winsim
