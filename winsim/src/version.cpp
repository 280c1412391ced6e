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
// any other size fails with ERROR_INSUFFICIENT_BUFFER and leaves the record alone. On the
// Windows 95 family the build number carries the major and minor version in its high word.
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
    if (v.platformId == VER_PLATFORM_WIN32_NT)
        info->dwBuildNumber = v.build;
    else
        info->dwBuildNumber =
            ((v.major & 0xFF) << 24) | ((v.minor & 0xFF) << 16) | (v.build & 0xFFFF);
    info->dwPlatformId = v.platformId;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    std::strncpy(info->szCSDVersion, v.servicePack.c_str(), sizeof info->szCSDVersion - 1);
    if (info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXA)) {
        LPOSVERSIONINFOEXA ex = reinterpret_cast<LPOSVERSIONINFOEXA>(info);
        ex->wServicePackMajor = 0;
        ex->wServicePackMinor = 0;
        ex->wSuiteMask = v.terminalServer ? VER_SUITE_TERMINAL : 0;
        ex->wProductType = v.platformId == VER_PLATFORM_WIN32_NT ? 1 : 0; // VER_NT_WORKSTATION
        ex->wReserved = 0;
    }
    return TRUE;
}

// Three bits of condition per type bit, at the position of the highest type bit given; a
// zero type mask or condition leaves the mask as it was.
ULONGLONG WINAPI VerSetConditionMask(ULONGLONG ConditionMask, DWORD TypeMask, BYTE Condition) {
    Enter("VerSetConditionMask");
    if ((TypeMask & 0xFF) == 0 || (Condition & 7) == 0)
        return ConditionMask;
    int shift = 0;
    for (DWORD bit = TypeMask & 0xFF; bit > 1; bit >>= 1)
        ++shift;
    return ConditionMask | (static_cast<ULONGLONG>(Condition & 7) << (shift * 3));
}

// The suite test: the condition stored for VER_SUITENAME decides whether every asked suite
// (VER_AND) or at least one (VER_OR) must be present. A mismatch fails with
// ERROR_OLD_WIN_VERSION; a zero type or condition mask, or another condition for the suite,
// with ERROR_BAD_ARGUMENTS. The machine answers only the suite test: a type mask with any
// other bit fails with ERROR_CALL_NOT_IMPLEMENTED rather than give an invented answer.
BOOL WINAPI VerifyVersionInfoA(LPOSVERSIONINFOEXA info, DWORD dwTypeMask,
                               DWORDLONG dwlConditionMask) {
    const DWORD kBadArguments = 160, kOldWinVersion = 1150, kCallNotImplemented = 120;
    const BYTE kOr = 7;
    if (Enter("VerifyVersionInfoA", {}, kBadArguments))
        return FALSE;
    if (info == nullptr || dwTypeMask == 0 || dwlConditionMask == 0) {
        winsim::SetError(kBadArguments);
        return FALSE;
    }
    if (dwTypeMask != VER_SUITENAME) {
        winsim::SetError(kCallNotImplemented);
        return FALSE;
    }
    WORD present = machine().version.terminalServer ? VER_SUITE_TERMINAL : 0;
    WORD asked = info->wSuiteMask;
    bool matches;
    switch ((dwlConditionMask >> (6 * 3)) & 7) {
    case VER_AND:
        matches = (asked & present) == asked;
        break;
    case kOr:
        matches = asked == 0 || (asked & present) != 0;
        break;
    default:
        winsim::SetError(kBadArguments);
        return FALSE;
    }
    if (!matches) {
        winsim::SetError(kOldWinVersion);
        return FALSE;
    }
    return TRUE;
}

} // extern "C"
