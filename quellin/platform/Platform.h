// The platform record filled at attach, the Terminal Server test and the WoW64 question.
#pragma once

#include "platform/WindowsVersion.h"

#include <windows.h>

// Filled once when the library is attached, after the folder table, from the version query the
// attach made; read by nothing in the library. Its teardown does nothing.
struct CPlatformFlags {
    explicit CPlatformFlags(const WindowsVersion& version);

    // As GetVersionExA fills it (size field 148).
    OSVERSIONINFOA versionInfo;
    // One bit naming the platform and version; 0 when the version query failed.
    DWORD platformCode;
    // 1 on the Windows 95 family and on Windows NT from version 4 on.
    BYTE version4OrLater;
};

// Nonzero when the machine runs Terminal Server; asked afresh at every call, 0 whenever the
// answer cannot be found.
int IsTerminalServer();

// Nonzero when this 32-bit process runs on 64-bit Windows (IsWow64Process, looked up by name);
// 0 where Windows has no such function and whenever the answer cannot be found.
int IsWow64();
