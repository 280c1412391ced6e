// The drives, directories and files of the simulated machine.
#pragma once

#include <windef.h>

#include <string>
#include <vector>

namespace winsim {

struct FileSystem {
    // Lookups used by other areas (SetCurrentDirectoryA, LoadLibraryA).
    bool IsDirectory(const std::string& path) const;
    bool Exists(const std::string& path) const;

    // What is still open or held (one line each), for the leak checks of the tests.
    std::vector<std::string> OpenResources() const { return {}; }
    void Reset() { *this = FileSystem(); }
};

} // namespace winsim
