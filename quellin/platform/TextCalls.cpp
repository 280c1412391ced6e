// The calls of Windows that hand out text, ANSI and wide.
#include "platform/TextCalls.h"

#include "platform/ModuleFunction.h"

namespace {

typedef UINT(WINAPI* PFNGETDIRECTORYW)(LPWSTR, UINT);
typedef DWORD(WINAPI* PFNGETTEMPPATHW)(DWORD, LPWSTR);
typedef DWORD(WINAPI* PFNGETMODULEFILENAMEW)(HMODULE, LPWSTR, DWORD);
typedef DWORD(WINAPI* PFNEXPANDENVIRONMENTSTRINGSW)(LPCWSTR, LPWSTR, DWORD);
typedef LONG(WINAPI* PFNREGQUERYVALUEEXW)(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
typedef BOOL(WINAPI* PFNSHGETPATHFROMIDLISTW)(LPCITEMIDLIST, LPWSTR);

// The wide function `name` of KERNEL32.DLL, or null.
template <typename F> F Kernel32(const char* name) {
    return LoadedModuleFunction<F>("KERNEL32.DLL", name);
}

// What a missing wide function of KERNEL32.DLL returns: 0 and the error.
DWORD NotImplemented() {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return 0;
}

} // namespace

UINT TextCalls<char>::WindowsDirectory(char* buffer, UINT size) {
    return GetWindowsDirectoryA(buffer, size);
}

UINT TextCalls<char>::SystemDirectory(char* buffer, UINT size) {
    return GetSystemDirectoryA(buffer, size);
}

DWORD TextCalls<char>::TempPath(DWORD size, char* buffer) {
    return GetTempPathA(size, buffer);
}

DWORD TextCalls<char>::ModuleFileName(HMODULE module, char* buffer, DWORD size) {
    return GetModuleFileNameA(module, buffer, size);
}

DWORD TextCalls<char>::ExpandReferences(const char* text, char* buffer, DWORD size) {
    return ExpandEnvironmentStringsA(text, buffer, size);
}

LONG TextCalls<char>::QueryValue(HKEY key, const char* valueName, DWORD* type, BYTE* data,
                                 DWORD* size) {
    return RegQueryValueExA(key, valueName, nullptr, type, data, size);
}

BOOL TextCalls<char>::PathFromIDList(LPCITEMIDLIST list, char* buffer) {
    return SHGetPathFromIDListA(list, buffer);
}

UINT TextCalls<WCHAR>::WindowsDirectory(WCHAR* buffer, UINT size) {
    const auto call = Kernel32<PFNGETDIRECTORYW>("GetWindowsDirectoryW");
    return call != nullptr ? call(buffer, size) : NotImplemented();
}

UINT TextCalls<WCHAR>::SystemDirectory(WCHAR* buffer, UINT size) {
    const auto call = Kernel32<PFNGETDIRECTORYW>("GetSystemDirectoryW");
    return call != nullptr ? call(buffer, size) : NotImplemented();
}

DWORD TextCalls<WCHAR>::TempPath(DWORD size, WCHAR* buffer) {
    const auto call = Kernel32<PFNGETTEMPPATHW>("GetTempPathW");
    return call != nullptr ? call(size, buffer) : NotImplemented();
}

DWORD TextCalls<WCHAR>::ModuleFileName(HMODULE module, WCHAR* buffer, DWORD size) {
    const auto call = Kernel32<PFNGETMODULEFILENAMEW>("GetModuleFileNameW");
    return call != nullptr ? call(module, buffer, size) : NotImplemented();
}

DWORD TextCalls<WCHAR>::ExpandReferences(const WCHAR* text, WCHAR* buffer, DWORD size) {
    const auto call = Kernel32<PFNEXPANDENVIRONMENTSTRINGSW>("ExpandEnvironmentStringsW");
    return call != nullptr ? call(text, buffer, size) : NotImplemented();
}

// Value names are ASCII text.
LONG TextCalls<WCHAR>::QueryValue(HKEY key, const char* valueName, DWORD* type, BYTE* data,
                                  DWORD* size) {
    const auto call = LoadedModuleFunction<PFNREGQUERYVALUEEXW>("ADVAPI32.DLL", "RegQueryValueExW");
    if (call == nullptr)
        return ERROR_CALL_NOT_IMPLEMENTED;
    return call(key, Text(valueName).c_str(), nullptr, type, data, size);
}

BOOL TextCalls<WCHAR>::PathFromIDList(LPCITEMIDLIST list, WCHAR* buffer) {
    const auto call =
        LoadedModuleFunction<PFNSHGETPATHFROMIDLISTW>("SHELL32.DLL", "SHGetPathFromIDListW");
    return call != nullptr && call(list, buffer);
}
