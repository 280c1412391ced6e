// Functions looked up by name in modules the process has loaded (ntdll.dll and KERNEL32.DLL in
// every process, ADVAPI32.DLL and SHELL32.DLL, which the library imports): a function that
// older Windows lacks is never imported, or the library would not load there.
#pragma once

#include <windows.h>

// The function `functionName` of the loaded module `moduleName`, or null when the module is
// not loaded or does not export it.
template <typename F> F LoadedModuleFunction(const char* moduleName, const char* functionName) {
    HMODULE module = GetModuleHandleA(moduleName);
    if (module == nullptr)
        return nullptr;
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, functionName)));
}
