// Version queries: GetVersion, GetVersionExA, and the version verification pair that the
// library looks up by name in ntdll.dll and KERNEL32.DLL.
#include "internal.h"

using winsim::Enter;
using winsim::machine;

extern "C" {

// The NT family clears bit 31 and reports the build number in bits 16 to 30; the Windows 95
// family sets bit 31.
DWORD WINAPI GetVersion(void) {
    Enter("GetVersion");
    const winsim::Versions& v = machine().version;
    DWORD value = (v.major & 0xFF) | ((v.minor & 0xFF) << 8);
    if (v.platformId == VER_PLATFORM_WIN32_NT)
        value |= (v.build & 0x7FFF) << 16;
    else
        value |= 0x80000000u | ((v.build & 0x3FFF) << 16);
    return value;
}

// The caller must set the size field to the size of OSVERSIONINFOA (or OSVERSIONINFOEXA);
// any other size fails with ERROR_INSUFFICIENT_BUFFER and leaves the record alone.
BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
    if (Enter("GetVersionExA", {}, ERROR_INVALID_PARAMETER))
        return FALSE;
    if (info == nullptr) {
        winsim::SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) &&
        info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXA)) {
        winsim::SetError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const winsim::Versions& v = machine().version;
    info->dwMajorVersion = v.major;
    info->dwMinorVersion = v.minor;
    info->dwBuildNumber = v.platformId == VER_PLATFORM_WIN32_NT ? v.build : (v.build & 0xFFFF);
    info->dwPlatformId = v.platformId;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    std::strncpy(info->szCSDVersion, v.servicePack.c_str(), sizeof info->szCSDVersion - 1);
    return TRUE;
}

// Three bits of condition per type bit, as the documented macro lays them out.
ULONGLONG WINAPI VerSetConditionMask(ULONGLONG ConditionMask, DWORD TypeMask, BYTE Condition) {
    Enter("VerSetConditionMask");
    int shift = 0;
    for (DWORD bit = TypeMask; bit > 1; bit >>= 1)
        ++shift;
    if (TypeMask == 0)
        return ConditionMask;
    return ConditionMask | (static_cast<ULONGLONG>(Condition & 7) << (shift * 3));
}

// Only the suite test is simulated: with VER_SUITENAME and VER_AND, the call succeeds when
// every asked suite bit is present; otherwise it fails with ERROR_OLD_WIN_VERSION (1150).
BOOL WINAPI VerifyVersionInfoA(LPOSVERSIONINFOEXA info, DWORD dwTypeMask,
                               DWORDLONG dwlConditionMask) {
    if (Enter("VerifyVersionInfoA", {}, ERROR_INVALID_PARAMETER))
        return FALSE;
    (void)dwlConditionMask;
    if (info == nullptr || dwTypeMask == 0) {
        winsim::SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    WORD present = machine().version.terminalServer ? VER_SUITE_TERMINAL : 0;
    if ((dwTypeMask & VER_SUITENAME) && (info->wSuiteMask & present) == info->wSuiteMask)
        return TRUE;
    winsim::SetError(1150);
    return FALSE;
}

} // extern "C"
