// Code-page services (kernel32): the ANSI code page and its lead bytes.
#pragma once

#include "windef.h"

extern "C" {
UINT WINAPI GetACP(void);
BOOL WINAPI IsDBCSLeadByte(BYTE TestChar);
}
