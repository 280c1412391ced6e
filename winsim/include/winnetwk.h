// Network connections (mpr).
#pragma once

#include "windef.h"

extern "C" {
DWORD WINAPI WNetAddConnectionA(LPCSTR lpRemoteName, LPCSTR lpPassword, LPCSTR lpLocalName);
DWORD WINAPI WNetCancelConnectionA(LPCSTR lpName, BOOL fForce);
}
