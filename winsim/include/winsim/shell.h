// The shell's special folders, item-id lists and task allocator (SHGetMalloc).
#pragma once

#include <windef.h>

#include <map>
#include <string>
#include <vector>

namespace winsim {

struct ShellFolder {
    std::string path;          // what SHGetPathFromIDListA writes for the folder's list
    bool convertFails = false; // the shell knows the folder but cannot give its path
};

class Shell {
  public:
    // Folders the shell knows, per CSIDL; any other identifier is unknown to
    // SHGetSpecialFolderLocation.
    std::map<int, ShellFolder> folders;

    // What the code did.
    int mallocAcquired = 0; // successful SHGetMalloc calls (each adds a reference)
    int mallocReleased = 0; // Release calls on the allocator
    int listsAllocated = 0; // item-id lists handed out by SHGetSpecialFolderLocation
    int listsFreed = 0;     // lists given back through the allocator's Free
    int nullFrees = 0;      // Free calls with a null pointer (harmless)

    std::vector<std::string> OpenResources() const; // unreleased references, unfreed lists
    void Reset();
};

} // namespace winsim
