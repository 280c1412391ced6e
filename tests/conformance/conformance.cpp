// Conformance checks of the Win32 calls the library and the launcher make. The same program
// runs on the simulated machine and on Windows (Wine); each check prints one line, a stable
// name and what the call did, and the two runs must print the same lines:
//
//   conformance C:\scratch [--codepage 932]
//
// The scratch folder must not exist; the program creates it, works inside it and removes it.
// Nothing that legitimately differs between two machines is printed: of the Windows, system,
// temporary and module paths only their lengths relative to the call's results. The last
// error is printed only where the documentation defines it ("err=unset" when the call left it
// alone).
#include "checks.h"
#include "machine.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    UINT codePage = 0;
    std::string scratch;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--codepage") == 0 && i + 1 < argc)
            codePage = static_cast<UINT>(std::strtoul(argv[++i], nullptr, 10));
        else
            scratch = argv[i];
    }
    if (scratch.empty()) {
        std::fprintf(stderr, "usage: conformance C:\\scratch [--codepage 932]\n");
        return 2;
    }
    if (codePage != 0 && !SelectCodePage(codePage)) {
        std::fprintf(stderr, "code page %u is not active\n", codePage);
        return 2;
    }
    ConstantChecks();
    CodePageChecks();
    StringChecks();
    ConversionChecks();
    RegistryChecks();
    ScratchChecks(scratch);
    FolderSizeChecks();
    RemoveScratchChecks();
    VersionChecks();
    SystemChecks();
    return 0;
}
