// The path utilities and the file and registry calls they make, against Windows itself:
// run under Wine by paths.test.sh. Arguments: the sandbox directory ('C:\qpaths', which must
// not exist) and the key under HKEY_CURRENT_USER that holds the probe's values.
#include "paths_probe.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: paths SANDBOX KEY\n");
        return 2;
    }
    PathProbe probe(argv[1], argv[2]);
    const std::vector<std::string> failures = probe.Run();
    for (const std::string& f : failures)
        std::printf("FAIL %s\n", f.c_str());
    std::printf("%d checks, %d failed\n", probe.Checks(), static_cast<int>(failures.size()));
    return failures.empty() ? 0 : 1;
}
