// The one query of the Windows version.
#include "platform/WindowsVersion.h"

#include <cstring>

BOOL QueryWindowsVersion(OSVERSIONINFOA& info) {
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    const BOOL answered = GetVersionExA(&info);
    if (!answered) {
        // Whatever a failing call left in the record is not an answer.
        std::memset(&info, 0, sizeof info);
        info.dwOSVersionInfoSize = sizeof info;
    }
    return answered;
}
