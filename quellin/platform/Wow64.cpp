// Whether this 32-bit process runs on 64-bit Windows. IsWow64Process came with Windows XP SP2
// and Server 2003 SP1; Windows 95 and NT 4 have none, and run no 32-bit process on 64-bit
// Windows either.
#include "platform/ModuleFunction.h"
#include "platform/Platform.h"

namespace {

typedef BOOL(WINAPI* PFNISWOW64PROCESS)(HANDLE, PBOOL);

} // namespace

int IsWow64() {
    BOOL wow64 = FALSE;
    return QueryWow64(wow64) && wow64 ? 1 : 0;
}

BOOL QueryWow64(BOOL& wow64) {
    wow64 = FALSE;
    auto isWow64Process = LoadedModuleFunction<PFNISWOW64PROCESS>("KERNEL32.DLL", "IsWow64Process");
    return isWow64Process != nullptr && isWow64Process(GetCurrentProcess(), &wow64);
}
