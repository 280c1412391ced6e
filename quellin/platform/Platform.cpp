// The platform record, filled when the library is attached.
#include "platform/Platform.h"

namespace {

// The code of one platform and version, tested in this order.
DWORD PlatformCode(DWORD platformId, DWORD major, DWORD minor) {
    switch (platformId) {
    case VER_PLATFORM_WIN32s:
        return 0x0200;
    case VER_PLATFORM_WIN32_WINDOWS:
        if (major == 4 && minor == 0)
            return 0x0008;
        if (major == 4)
            return 0x0002;
        return 0x2000;
    case VER_PLATFORM_WIN32_NT:
        if (major == 3 && minor == 51)
            return 0x0100;
        if (major == 4 && minor == 0)
            return 0x0004;
        if (major == 5 && minor == 0)
            return 0x0001;
        return 0x4000;
    default:
        return 0x1000;
    }
}

} // namespace

CPlatformFlags::CPlatformFlags(const WindowsVersion& version)
    : versionInfo(version.info), platformCode(0x1000), version4OrLater(0) {
    if (!version.answered) {
        platformCode = 0;
        return;
    }
    platformCode = PlatformCode(versionInfo.dwPlatformId, versionInfo.dwMajorVersion,
                                versionInfo.dwMinorVersion);
    if (versionInfo.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ||
        (versionInfo.dwPlatformId == VER_PLATFORM_WIN32_NT && versionInfo.dwMajorVersion >= 4))
        version4OrLater = 1;
}
