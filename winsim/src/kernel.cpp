// Last error, directories, the executable's file name, the user name, the environment.
#include "internal.h"

#include <winsim/paths.h>

namespace winsim {

std::string AnsiAnswer(const std::string& ansi, const std::wstring& wide) {
    return wide.empty() ? ansi : machine().codePage.ToAnsi(wide);
}

std::wstring WideAnswer(const std::string& ansi, const std::wstring& wide) {
    return wide.empty() ? machine().codePage.ToWide(ansi) : wide;
}

void Kernel::SetEnvironment(const std::string& name, const std::string& value) {
    environment_[Upper(name)] = machine().codePage.ToWide(value);
}

void Kernel::SetEnvironment(const std::string& name, const std::wstring& value) {
    environment_[Upper(name)] = value;
}

void Kernel::RemoveEnvironment(const std::string& name) {
    environment_.erase(Upper(name));
}

const std::wstring* Kernel::Environment(const std::string& name) const {
    auto it = environment_.find(Upper(name));
    return it == environment_.end() ? nullptr : &it->second;
}

namespace {

// A reference whose name is no variable stays as written, both percent signs with it, and the
// text goes on after it; a percent sign without a second one stays as well.
std::wstring Expand(const std::wstring& text) {
    const Kernel& k = machine().kernel;
    const CodePage& cp = machine().codePage;
    std::wstring out;
    for (size_t i = 0; i < text.size();) {
        size_t close = text[i] == L'%' ? text.find(L'%', i + 1) : std::wstring::npos;
        if (close == std::wstring::npos) {
            out += text[i++];
            continue;
        }
        const std::wstring name = text.substr(i + 1, close - i - 1);
        const std::wstring* value = cp.CanWrite(name) ? k.Environment(cp.ToAnsi(name)) : nullptr;
        out += value != nullptr ? *value : text.substr(i, close - i + 1);
        i = close + 1;
    }
    return out;
}

// The size rule of GetModuleFileNameA and W: a buffer too small receives the name cut to
// nSize - 1 characters and a zero; the call returns nSize and sets ERROR_INSUFFICIENT_BUFFER
// (the documented behaviour from Windows Vista on, and Wine's).
template <typename Char>
DWORD CopyModuleName(const std::basic_string<Char>& name, Char* buffer, DWORD size) {
    if (size == 0 || buffer == nullptr) {
        SetError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (name.size() + 1 > size) {
        std::memcpy(buffer, name.data(), (size - 1) * sizeof(Char));
        buffer[size - 1] = 0;
        SetError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(buffer, name.c_str(), (name.size() + 1) * sizeof(Char));
    return static_cast<DWORD>(name.size());
}

template <typename Char> std::basic_string<Char> Answer(const std::string&, const std::wstring&);
template <> std::string Answer<char>(const std::string& ansi, const std::wstring& wide) {
    return AnsiAnswer(ansi, wide);
}
template <> std::wstring Answer<WCHAR>(const std::string& ansi, const std::wstring& wide) {
    return WideAnswer(ansi, wide);
}

// One of the kernel's folders by the size rule of CopyPathOut; `emptyWhenShort`: a buffer
// too small receives zeros.
template <typename Char>
DWORD Folder(const char* api, const std::string& ansi, const std::wstring& wide, Char* buffer,
             DWORD size, bool emptyWhenShort = false) {
    if (Enter(api, {}, ERROR_ACCESS_DENIED))
        return 0;
    const std::basic_string<Char> text = Answer<Char>(ansi, wide);
    if (emptyWhenShort && buffer != nullptr && text.size() + 1 > size)
        std::memset(buffer, 0, size * sizeof(Char));
    return CopyPathOut(text, buffer, size);
}

bool OtherModule(HMODULE module) {
    if (module != nullptr && module != ExecutableModule()) {
        SetError(ERROR_MOD_NOT_FOUND);
        return true;
    }
    return false;
}

} // namespace
} // namespace winsim

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
    const winsim::Kernel& k = machine().kernel;
    return winsim::Folder("GetCurrentDirectoryA", k.currentDirectory, k.currentDirectoryW, lpBuffer,
                          nBufferLength);
}

DWORD WINAPI GetCurrentDirectoryW(DWORD nBufferLength, LPWSTR lpBuffer) {
    const winsim::Kernel& k = machine().kernel;
    return winsim::Folder("GetCurrentDirectoryW", k.currentDirectory, k.currentDirectoryW, lpBuffer,
                          nBufferLength);
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
    winsim::Kernel& k = machine().kernel;
    std::wstring wide;
    k.currentDirectory = machine().files.FullPath(path, &wide);
    k.currentDirectoryW = wide;
    return TRUE;
}

UINT WINAPI GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
    const winsim::Kernel& k = machine().kernel;
    return winsim::Folder("GetWindowsDirectoryA", k.windowsDirectory, k.windowsDirectoryW, lpBuffer,
                          uSize);
}

UINT WINAPI GetWindowsDirectoryW(LPWSTR lpBuffer, UINT uSize) {
    const winsim::Kernel& k = machine().kernel;
    return winsim::Folder("GetWindowsDirectoryW", k.windowsDirectory, k.windowsDirectoryW, lpBuffer,
                          uSize);
}

UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
    const winsim::Kernel& k = machine().kernel;
    return winsim::Folder("GetSystemDirectoryA", k.systemDirectory, k.systemDirectoryW, lpBuffer,
                          uSize);
}

UINT WINAPI GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize) {
    const winsim::Kernel& k = machine().kernel;
    return winsim::Folder("GetSystemDirectoryW", k.systemDirectory, k.systemDirectoryW, lpBuffer,
                          uSize);
}

DWORD WINAPI GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
    const winsim::Kernel& k = machine().kernel;
    return winsim::Folder("GetTempPathA", k.tempPath, k.tempPathW, lpBuffer, nBufferLength);
}

// Unlike the ANSI call, a buffer too small is emptied (Wine).
DWORD WINAPI GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer) {
    const winsim::Kernel& k = machine().kernel;
    return winsim::Folder("GetTempPathW", k.tempPath, k.tempPathW, lpBuffer, nBufferLength, true);
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

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    if (Enter("GetModuleFileNameA", {}, ERROR_INVALID_HANDLE))
        return 0;
    if (winsim::OtherModule(hModule))
        return 0;
    const winsim::Kernel& k = machine().kernel;
    return winsim::CopyModuleName(winsim::Answer<char>(k.moduleFileName, k.moduleFileNameW),
                                  lpFilename, nSize);
}

DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
    if (Enter("GetModuleFileNameW", {}, ERROR_INVALID_HANDLE))
        return 0;
    if (winsim::OtherModule(hModule))
        return 0;
    const winsim::Kernel& k = machine().kernel;
    return winsim::CopyModuleName(winsim::Answer<WCHAR>(k.moduleFileName, k.moduleFileNameW),
                                  lpFilename, nSize);
}

// The return value is the size of the expanded text in wide characters with its zero, for the
// ANSI call too (Wine; in a double-byte code page the ANSI text may need more bytes). A
// buffer too small receives the text cut, and ERROR_INSUFFICIENT_BUFFER is set.
DWORD WINAPI ExpandEnvironmentStringsW(LPCWSTR lpSrc, LPWSTR lpDst, DWORD nSize) {
    const winsim::CodePage& cp = machine().codePage;
    std::wstring source = lpSrc != nullptr ? std::wstring(lpSrc) : std::wstring();
    if (Enter("ExpandEnvironmentStringsW", cp.ToAnsi(source), ERROR_NOT_ENOUGH_MEMORY))
        return 0;
    if (lpSrc == nullptr) {
        winsim::SetError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::wstring out = winsim::Expand(source);
    const DWORD needed = static_cast<DWORD>(out.size() + 1);
    if (lpDst != nullptr && nSize > 0) {
        size_t n = needed <= nSize ? out.size() : nSize - 1;
        std::memcpy(lpDst, out.data(), n * sizeof(WCHAR));
        lpDst[n] = 0;
    }
    if (needed > nSize || lpDst == nullptr)
        winsim::SetError(ERROR_INSUFFICIENT_BUFFER);
    return needed;
}

// The wide expansion into a wide buffer of nSize characters, converted into the nSize bytes
// of the caller's buffer whole character by whole character (no zero when the bytes ran out).
DWORD WINAPI ExpandEnvironmentStringsA(LPCSTR lpSrc, LPSTR lpDst, DWORD nSize) {
    const winsim::CodePage& cp = machine().codePage;
    std::string source = winsim::Text(lpSrc);
    if (Enter("ExpandEnvironmentStringsA", source, ERROR_NOT_ENOUGH_MEMORY))
        return 0;
    if (lpSrc == nullptr) {
        winsim::SetError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::wstring out = winsim::Expand(cp.ToWide(source));
    const DWORD needed = static_cast<DWORD>(out.size() + 1);
    bool fits = lpDst != nullptr && needed <= nSize;
    if (lpDst != nullptr && nSize > 0) {
        std::wstring kept = out.substr(0, needed <= nSize ? out.size() : nSize - 1);
        kept += L'\0';
        size_t written = 0;
        for (WCHAR c : kept) {
            std::string bytes = c == 0 ? std::string(1, '\0') : cp.ToAnsi(std::wstring(1, c));
            if (written + bytes.size() > nSize) {
                fits = false;
                break;
            }
            std::memcpy(lpDst + written, bytes.data(), bytes.size());
            written += bytes.size();
        }
    }
    if (!fits)
        winsim::SetError(ERROR_INSUFFICIENT_BUFFER);
    return needed;
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
