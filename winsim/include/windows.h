// The Win32 subset used by the library, the launcher and their tools, served on the host
// by the simulated machine (libwinsim).
#pragma once

#include "windef.h"
#include "winerror.h"
#include "winbase.h"
#include "winnls.h"
#include "winreg.h"
#include "winuser.h"
