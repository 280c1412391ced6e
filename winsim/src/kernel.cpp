// Last error, directories, the executable's file name, the user name.
#include "internal.h"

using winsim::Enter;
using winsim::machine;

extern "C" {

DWORD WINAPI GetLastError(void) {
    return machine().kernel.lastError;
}

void WINAPI SetLastError(DWORD dwErrCode) {
    machine().kernel.lastError = dwErrCode;
}

DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
    if (Enter("GetCurrentDirectoryA", {}, ERROR_ACCESS_DENIED))
        return 0;
    return winsim::CopyPathOut(machine().kernel.currentDirectory, lpBuffer, nBufferLength);
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName) {
    std::string path = winsim::Text(lpPathName);
    if (Enter("SetCurrentDirectoryA", path, ERROR_FILE_NOT_FOUND))
        return FALSE;
    if (path.empty()) {
        winsim::SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!machine().files.IsDirectory(path)) {
        winsim::SetError(machine().files.Exists(path) ? ERROR_DIRECTORY : ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    // The current directory is kept as the full path in the caller's spelling, without a
    // trailing backslash except at a drive root, as Windows reports it.
    machine().kernel.currentDirectory = machine().files.FullPath(path);
    return TRUE;
}

UINT WINAPI GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
    if (Enter("GetWindowsDirectoryA", {}, ERROR_ACCESS_DENIED))
        return 0;
    return winsim::CopyPathOut(machine().kernel.windowsDirectory, lpBuffer, uSize);
}

UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
    if (Enter("GetSystemDirectoryA", {}, ERROR_ACCESS_DENIED))
        return 0;
    return winsim::CopyPathOut(machine().kernel.systemDirectory, lpBuffer, uSize);
}

DWORD WINAPI GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
    if (Enter("GetTempPathA", {}, ERROR_ACCESS_DENIED))
        return 0;
    return winsim::CopyPathOut(machine().kernel.tempPath, lpBuffer, nBufferLength);
}

// The pseudo handle of the current process, as Windows gives it.
HANDLE WINAPI GetCurrentProcess(void) {
    return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
}

BOOL WINAPI IsWow64Process(HANDLE hProcess, PBOOL Wow64Process) {
    if (Enter("IsWow64Process", {}, ERROR_ACCESS_DENIED))
        return FALSE;
    // The simulated machine has no process but the current one.
    if (hProcess != GetCurrentProcess() || Wow64Process == nullptr) {
        winsim::SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *Wow64Process = machine().kernel.wow64 ? TRUE : FALSE;
    return TRUE;
}

// A buffer too small for the name receives the name cut to nSize - 1 bytes and a zero; the
// call returns nSize and sets ERROR_INSUFFICIENT_BUFFER (the documented behaviour from
// Windows Vista on, and Wine's).
DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    if (Enter("GetModuleFileNameA", {}, ERROR_INVALID_HANDLE))
        return 0;
    if (hModule != nullptr && hModule != winsim::ExecutableModule()) {
        winsim::SetError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    const std::string& name = machine().kernel.moduleFileName;
    if (nSize == 0 || lpFilename == nullptr) {
        winsim::SetError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (name.size() + 1 > nSize) {
        std::memcpy(lpFilename, name.data(), nSize - 1);
        lpFilename[nSize - 1] = '\0';
        winsim::SetError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    std::memcpy(lpFilename, name.c_str(), name.size() + 1);
    return static_cast<DWORD>(name.size());
}

// On success *pcbBuffer receives the length with the terminating zero; when the buffer is
// too small it receives the size needed and the call fails with ERROR_INSUFFICIENT_BUFFER.
BOOL WINAPI GetUserNameA(LPSTR lpBuffer, LPDWORD pcbBuffer) {
    if (Enter("GetUserNameA", {}, ERROR_ACCESS_DENIED))
        return FALSE;
    const std::string& name = machine().kernel.userName;
    if (pcbBuffer == nullptr) {
        winsim::SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD needed = static_cast<DWORD>(name.size() + 1);
    if (lpBuffer == nullptr || *pcbBuffer < needed) {
        *pcbBuffer = needed;
        winsim::SetError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(lpBuffer, name.c_str(), needed);
    *pcbBuffer = needed;
    return TRUE;
}

} // extern "C"
