// The simulated Windows machine: one per process, shared by the test program and the library
// under test (both link libwinsim). A test configures it through the public members of the
// areas below, lets the code under test run, and inspects what it did.
#pragma once

#include <winsim/calls.h>
#include <winsim/codepage.h>
#include <winsim/filesystem.h>
#include <winsim/kernel.h>
#include <winsim/memory.h>
#include <winsim/modules.h>
#include <winsim/network.h>
#include <winsim/process.h>
#include <winsim/registry.h>
#include <winsim/shell.h>
#include <winsim/version.h>

#include <string>
#include <vector>

namespace winsim {

class Machine {
  public:
    Kernel kernel;
    CodePage codePage;
    Modules modules;
    Versions version;
    Memory memory;
    Registry registry;
    FileSystem files;
    Network network;
    Shell shell;
    Processes processes;
    CallLog calls;

    // Back to a fresh default machine: every area reset, the call log emptied.
    void Reset();
    // Everything the code under test opened or obtained and did not release: open keys and
    // handles, loaded modules, memory blocks, item-id lists, allocator references, drive
    // mappings. Empty when nothing is left.
    std::vector<std::string> OpenResources() const;
};

Machine& machine();

} // namespace winsim
