// Which platform calls the sweep makes fail, and with which errors: for each API the errors
// Windows gives when that call fails for a reason outside the program (no access, nothing
// there, no memory, no network, a full disk).
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace sweep {

// Calls that do not fail on Windows, and are not made to: GetVersion, VerSetConditionMask,
// lstrlenA and lstrcmpA have no failure result; LocalFree fails only for a block that is not
// one. (CharUpperA, CharUpperBuffA, IsDBCSLeadByte, GetACP, GetLastError and SetLastError
// cannot fail either; the machine does not even record them.)
inline bool CannotFail(const std::string& api) {
    static const std::set<std::string> kNever = {"GetVersion", "VerSetConditionMask", "lstrlenA",
                                                 "lstrcmpA", "LocalFree"};
    return kNever.count(api) != 0;
}

// Calls that give back what the library obtained. Windows refuses them only for a handle that
// is not one, or (a probe file, a test directory) when another program holds the object; a
// refused release leaves that one resource behind, which no caller can prevent. The sweep
// makes them fail as well and then allows exactly that resource to remain.
inline bool IsRelease(const std::string& api) {
    static const std::set<std::string> kRelease = {"RegCloseKey", "CloseHandle",
                                                   "DeleteFileA", "RemoveDirectoryA",
                                                   "FreeLibrary", "WNetCancelConnectionA"};
    return kRelease.count(api) != 0;
}

const DWORD kNaturalError = 0; // the error the machine gives for that API's failure

// The errors each call is made to fail with, one attach per error. APIs not listed fail
// with their natural error (the kernel's directory queries, GetVersionExA, GetUserNameA,
// GetLogicalDrives, SHGetPathFromIDListA, VerifyVersionInfoA, ...).
inline std::vector<DWORD> ErrorsFor(const std::string& api) {
    static const std::map<std::string, std::vector<DWORD>> kErrors = {
        {"RegOpenKeyExA", {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND}},
        {"RegOpenKeyA", {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND}},
        {"RegQueryValueExA", {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED}},
        {"CreateFileA", {ERROR_ACCESS_DENIED, ERROR_DISK_FULL}},
        {"CreateDirectoryA", {ERROR_ACCESS_DENIED, ERROR_DISK_FULL}},
        {"GetFileAttributesA", {ERROR_ACCESS_DENIED}},
        {"DeleteFileA", {ERROR_ACCESS_DENIED}},
        {"RemoveDirectoryA", {ERROR_ACCESS_DENIED}},
        {"LocalAlloc", {ERROR_NOT_ENOUGH_MEMORY}},
        {"WNetAddConnectionA", {ERROR_NO_NETWORK}},
        {"WNetCancelConnectionA", {ERROR_NO_NETWORK}},
        {"SHGetMalloc", {static_cast<DWORD>(E_OUTOFMEMORY)}},
        {"SHGetSpecialFolderLocation", {static_cast<DWORD>(E_OUTOFMEMORY)}},
        // S_FALSE: the folder service's answer for a folder that does not exist; only S_OK
        // counts as an answer.
        {"SHGetFolderPathA", {static_cast<DWORD>(E_FAIL), static_cast<DWORD>(S_FALSE)}},
        {"LoadLibraryA", {ERROR_MOD_NOT_FOUND}},
        {"GetModuleHandleA", {ERROR_MOD_NOT_FOUND}},
        {"GetProcAddress", {ERROR_PROC_NOT_FOUND}},
    };
    auto it = kErrors.find(api);
    return it != kErrors.end() ? it->second : std::vector<DWORD>{kNaturalError};
}

} // namespace sweep
