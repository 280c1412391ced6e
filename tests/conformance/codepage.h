// Choosing the ANSI code page the checks run under.
#pragma once

#include <windows.h>

// Makes `codePage` the process's ANSI code page where the platform lets a program choose it,
// and tells whether it is the active one. On Windows the code page comes from the system's
// locale (set before the program starts); the simulated machine takes it from here.
bool SelectCodePage(UINT codePage);
