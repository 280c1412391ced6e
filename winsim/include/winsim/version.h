// The Windows version the simulated machine reports, and its Terminal Server suite.
#pragma once

#include <windef.h>

#include <string>

namespace winsim {

struct Versions {
    DWORD platformId = 2; // VER_PLATFORM_WIN32_NT
    DWORD major = 5;
    DWORD minor = 1;
    DWORD build = 2600;
    std::string servicePack;
    bool terminalServer = false; // answer of VerifyVersionInfoA for VER_SUITE_TERMINAL

    // Convenience settings for the platforms the library distinguishes.
    void Windows95() { Set(1, 4, 0, 950); }
    void Windows98() { Set(1, 4, 10, 1998); }
    void WindowsMe() { Set(1, 4, 90, 3000); }
    void NT351() { Set(2, 3, 51, 1057); }
    void NT4() { Set(2, 4, 0, 1381); }
    void Windows2000() { Set(2, 5, 0, 2195); }
    void WindowsXP() { Set(2, 5, 1, 2600); }
    void Set(DWORD platform, DWORD maj, DWORD min, DWORD bld) {
        platformId = platform;
        major = maj;
        minor = min;
        build = bld;
    }
    void Reset() { *this = Versions(); }
};

} // namespace winsim
