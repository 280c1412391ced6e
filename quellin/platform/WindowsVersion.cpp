// The one query of the Windows version.
#include "platform/WindowsVersion.h"

#include <cstring>

WindowsVersion QueryWindowsVersion() {
    WindowsVersion version;
    std::memset(&version.info, 0, sizeof version.info);
    version.info.dwOSVersionInfoSize = sizeof version.info;
    version.answered = GetVersionExA(&version.info);
    if (!version.answered) {
        // Whatever a failing call left in the record is not an answer.
        std::memset(&version.info, 0, sizeof version.info);
        version.info.dwOSVersionInfoSize = sizeof version.info;
    }
    return version;
}
