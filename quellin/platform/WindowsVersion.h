// The one query of the Windows version that the attach makes.
#pragma once

#include <windows.h>

// What GetVersionExA answered (its record's size field set to 148) and whether it answered.
// When the query failed the record is all zero but for its size field: platform 0, which is
// neither the Windows 95 family nor NT.
struct WindowsVersion {
    OSVERSIONINFOA info;
    BOOL answered;
};

WindowsVersion QueryWindowsVersion();
