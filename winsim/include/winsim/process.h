// Processes started by the code under test, and the thread's message queue.
#pragma once

#include <windef.h>

#include <string>
#include <vector>

namespace winsim {

struct Processes {
    // What is still open or held (one line each), for the leak checks of the tests.
    std::vector<std::string> OpenResources() const { return {}; }
    void Reset() { *this = Processes(); }
};

} // namespace winsim
