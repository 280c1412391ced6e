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
    // The folder as wide text, when set: SHGetPathFromIDListW writes it and
    // SHGetPathFromIDListA its ANSI conversion ('?' for what the code page cannot write).
    std::wstring widePath{};
};

class Shell {
  public:
    // Folders the shell knows, per CSIDL; any other identifier is unknown to
    // SHGetSpecialFolderLocation (E_INVALIDARG). SHGetMalloc fails through fault injection
    // (calls.FailApi("SHGetMalloc")).
    std::map<int, ShellFolder> folders;

    // What the code did.
    int mallocAcquired = 0; // successful SHGetMalloc calls and AddRef calls (one reference each)
    int mallocReleased = 0; // Release calls on the allocator
    int listsAllocated = 0; // item-id lists handed out by SHGetSpecialFolderLocation
    int listsFreed = 0;     // lists given back through the allocator's Free
    int nullFrees = 0;      // Free calls with a null pointer (harmless)
    // Misuse: Free of a pointer the allocator never handed out (or freed twice), a list
    // passed to SHGetPathFromIDListA or W after it was freed, an allocator used after its last
    // reference was released, more releases than references.
    std::vector<std::string> misuse;

    // Blocks the allocator holds, with the CSIDL of a folder's list (-1 for Alloc blocks).
    std::map<void*, int> liveBlocks;

    // Unreleased allocator references, unfreed lists and blocks, and any misuse.
    std::vector<std::string> OpenResources() const;
    void Reset();
};

} // namespace winsim
