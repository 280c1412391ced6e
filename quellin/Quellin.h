// The folder table as the library offers it to its callers: read-only, by slot number.
#pragma once

#include <windows.h>

#define QUELLIN_SLOT_COUNT 20

extern "C" {

// Copies slot 0 to 19 with its terminating zero and returns its length without the zero. When
// `size` is too small (or `buffer` is null) copies nothing and returns the size needed, the
// zero included. Any other slot: returns 0, last error ERROR_INVALID_PARAMETER. An empty slot
// returns 0 and writes an empty string when `size` is at least 1.
DWORD WINAPI QuellinGetFolder(DWORD slot, LPSTR buffer, DWORD size);

// The slot's member name ("BdeFolder" ... "SuiteDestinationFolder"), or null outside 0 to 19.
LPCSTR WINAPI QuellinFolderName(DWORD slot);

typedef DWORD(WINAPI* PFNQUELLINGETFOLDER)(DWORD, LPSTR, DWORD);
typedef LPCSTR(WINAPI* PFNQUELLINFOLDERNAME)(DWORD);
}
