// The network shares the simulated machine can reach, and the drive mappings made to them.
#pragma once

#include <windef.h>

#include <string>
#include <vector>

namespace winsim {

struct Network {
    // What is still open or held (one line each), for the leak checks of the tests.
    std::vector<std::string> OpenResources() const { return {}; }
    void Reset() { *this = Network(); }
};

} // namespace winsim
