// The platform record filled at attach, and the Terminal Server test.
#pragma once

#include <windows.h>

// Filled once when the library is attached, after the folder table; read by nothing in the
// library. Its teardown does nothing.
struct CPlatformFlags {
    CPlatformFlags();

    OSVERSIONINFOA versionInfo;
    DWORD platformCode;
    BYTE version4OrLater;
};

// Nonzero when the machine runs Terminal Server; asked afresh at every call.
int IsTerminalServer();
