// The platform record. Not filled yet: it keeps its zeroed state.
#include "platform/platform.h"

#include <cstring>

CPlatformFlags::CPlatformFlags() : platformCode(0), version4OrLater(0) {
    std::memset(&versionInfo, 0, sizeof versionInfo);
}

int IsTerminalServer() { return 0; }
