// Whether the machine runs Terminal Server. Windows 2000 and later answer through the suite
// bit of VerifyVersionInfoA; Windows NT 4 and earlier list their product suites in the
// registry; the Windows 95 family never runs it.
#include "platform/Handles.h"
#include "platform/ModuleFunction.h"
#include "platform/Platform.h"

#include <cstring>

namespace {

// Looked up by name: Windows NT 4 and the Windows 95 family lack them.
typedef ULONGLONG(WINAPI* PFNVERSETCONDITIONMASK)(ULONGLONG, DWORD, BYTE);
typedef BOOL(WINAPI* PFNVERIFYVERSIONINFOA)(LPOSVERSIONINFOEXA, DWORD, DWORDLONG);

const char kTerminalServer[] = "Terminal Server";

// Windows 2000 and later: the Terminal Server suite bit, as VerifyVersionInfoA reports it.
int SuiteBitSaysTerminalServer() {
    auto setConditionMask =
        LoadedModuleFunction<PFNVERSETCONDITIONMASK>("ntdll.dll", "VerSetConditionMask");
    if (setConditionMask == nullptr)
        return 0;
    ULONGLONG conditionMask = setConditionMask(0, VER_SUITENAME, VER_AND);
    auto verifyVersionInfo =
        LoadedModuleFunction<PFNVERIFYVERSIONINFOA>("KERNEL32.DLL", "VerifyVersionInfoA");
    if (verifyVersionInfo == nullptr)
        return 0;
    OSVERSIONINFOEXA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    info.wSuiteMask = VER_SUITE_TERMINAL;
    return verifyVersionInfo(&info, VER_SUITENAME, conditionMask);
}

// Windows NT 4 and earlier: "Terminal Server", exactly, among the strings of the
// "ProductSuite" list.
int ProductSuiteListsTerminalServer() {
    RegistryKey key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\ProductOptions",
                    key.Receive()) != ERROR_SUCCESS)
        return 0;
    DWORD size = 0;
    if (RegQueryValueExA(key.Get(), "ProductSuite", nullptr, nullptr, nullptr, &size) !=
            ERROR_SUCCESS ||
        size == 0 || size > static_cast<DWORD>(-1) - 2)
        return 0;
    // Two zero bytes beyond the data: a value stored without the zeros that end its last
    // string and the list still ends inside the block.
    LocalMemory block(LocalAlloc(LMEM_ZEROINIT, static_cast<SIZE_T>(size) + 2));
    if (!block.Valid())
        return 0;
    BYTE* data = static_cast<BYTE*>(block.Get());
    DWORD type = REG_NONE;
    if (RegQueryValueExA(key.Get(), "ProductSuite", nullptr, &type, data, &size) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ)
        return 0;
    const char* list = reinterpret_cast<const char*>(data);
    for (DWORD at = 0; at < size && list[at] != '\0';
         at += static_cast<DWORD>(lstrlenA(list + at)) + 1) {
        if (lstrcmpA(list + at, kTerminalServer) == 0)
            return 1;
    }
    return 0;
}

} // namespace

int IsTerminalServer() {
    DWORD version = GetVersion();
    if (version & 0x80000000u)
        return 0;
    if (LOBYTE(version) >= 5)
        return SuiteBitSaysTerminalServer();
    return ProductSuiteListsTerminalServer();
}
