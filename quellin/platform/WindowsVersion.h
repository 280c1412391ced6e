// The one query of the Windows version that the resolvers and the platform record make.
#pragma once

#include <windows.h>

// Fills `info` (its size field set to 148) with GetVersionExA and returns the call's result.
// When the query fails the record is all zero but for its size field: platform 0, which is
// neither the Windows 95 family nor NT.
BOOL QueryWindowsVersion(OSVERSIONINFOA& info);
