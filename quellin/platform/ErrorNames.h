// The symbolic names of the Win32 errors and HRESULTs that the library meets, from one table.
#pragma once

#include <windows.h>

// "ERROR_ACCESS_DENIED" for 5; null for an error the table does not name.
const char* ErrorName(DWORD error);
// "E_FAIL" for 0x80004005; for an HRESULT made from a Win32 error (0x8007xxxx) that error's
// name; null when the table names neither.
const char* HResultName(HRESULT result);
