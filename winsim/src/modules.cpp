// Module loading and lookup: the executable, ntdll.dll, KERNEL32.DLL, ADVAPI32.DLL and
// SHELL32.DLL (always loaded) and the scriptable shfolder.dll with its SHGetFolderPathA and W.
#include "internal.h"

#include <winsim/paths.h>

#include <shlobj.h>

namespace winsim {
namespace {

HINSTANCE__ executableModule;
HINSTANCE__ shfolderModule;
HINSTANCE__ ntdllModule;
HINSTANCE__ kernel32Module;
HINSTANCE__ advapi32Module;
HINSTANCE__ shell32Module;

// The answer for a folder identifier: the full value first, then without CSIDL_FLAG_CREATE.
const FolderAnswer* AnswerFor(int csidl) {
    const Modules& m = machine().modules;
    auto it = m.shfolderAnswers.find(csidl);
    if (it == m.shfolderAnswers.end())
        it = m.shfolderAnswers.find(csidl & ~CSIDL_FLAG_CREATE);
    return it == m.shfolderAnswers.end() ? nullptr : &it->second;
}

// Writes the answer into the caller's buffer of MAX_PATH characters.
template <typename Char>
void WriteFolder(std::basic_string<Char> path, bool unterminated, Char* buffer) {
    if (unterminated) {
        path.resize(MAX_PATH, Char(' '));
        std::memcpy(buffer, path.data(), MAX_PATH * sizeof(Char));
    } else {
        path = path.substr(0, MAX_PATH - 1);
        std::memcpy(buffer, path.c_str(), (path.size() + 1) * sizeof(Char));
    }
}

// SHGetFolderPathA and W: the call recorded, then the answer set up for the identifier.
template <typename Char>
HRESULT FolderPath(const char* api, HWND owner, int csidl, HANDLE token, DWORD flags,
                   Char* buffer) {
    const bool wide = sizeof(Char) != 1;
    machine().modules.folderPathCalls.push_back(FolderPathCall{owner, csidl, token, flags, wide});
    DWORD error = 0;
    if (Enter(api, std::to_string(csidl), static_cast<DWORD>(E_FAIL), &error))
        return static_cast<HRESULT>(error);
    const FolderAnswer* answer = AnswerFor(csidl);
    if (answer == nullptr)
        return E_FAIL;
    if (answer->result == S_OK && buffer != nullptr) {
        const CodePage& cp = machine().codePage;
        std::basic_string<Char> path;
        if constexpr (sizeof(Char) == 1)
            path = answer->widePath.empty() ? answer->path : cp.ToAnsi(answer->widePath);
        else
            path = answer->widePath.empty() ? cp.ToWide(answer->path) : answer->widePath;
        WriteFolder(path, answer->unterminated, buffer);
    }
    return answer->result;
}

HRESULT WINAPI SimSHGetFolderPathA(HWND hwndOwner, int csidl, HANDLE hToken, DWORD dwFlags,
                                   LPSTR pszPath) {
    return FolderPath("SHGetFolderPathA", hwndOwner, csidl, hToken, dwFlags, pszPath);
}

HRESULT WINAPI SimSHGetFolderPathW(HWND hwndOwner, int csidl, HANDLE hToken, DWORD dwFlags,
                                   LPWSTR pszPath) {
    return FolderPath("SHGetFolderPathW", hwndOwner, csidl, hToken, dwFlags, pszPath);
}

// The wide functions of KERNEL32.DLL that the code binds by name (Windows 95 lacks them).
struct Export {
    const char* name;
    FARPROC function;
};

// Hands out a function of any signature as the generic FARPROC, as GetProcAddress does.
template <typename F> FARPROC AsFarProc(F* function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

bool SameModuleName(const std::string& asked, const char* name) {
    return Upper(asked) == Upper(name);
}

} // namespace

HMODULE ExecutableModule() {
    return &executableModule;
}
HMODULE ShFolderModule() {
    return &shfolderModule;
}
HMODULE NtdllModule() {
    return &ntdllModule;
}
HMODULE Kernel32Module() {
    return &kernel32Module;
}
HMODULE Advapi32Module() {
    return &advapi32Module;
}
HMODULE Shell32Module() {
    return &shell32Module;
}

} // namespace winsim

using winsim::Enter;
using winsim::machine;

extern "C" {

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
    std::string name = winsim::Text(lpModuleName);
    if (Enter("GetModuleHandleA", name, ERROR_MOD_NOT_FOUND))
        return nullptr;
    const winsim::Modules& m = machine().modules;
    if (lpModuleName == nullptr)
        return winsim::ExecutableModule();
    if (winsim::SameModuleName(name, "ntdll.dll") || winsim::SameModuleName(name, "ntdll")) {
        if (m.ntdllLoaded)
            return winsim::NtdllModule();
    } else if (winsim::SameModuleName(name, "kernel32.dll") ||
               winsim::SameModuleName(name, "kernel32")) {
        if (m.kernel32Loaded)
            return winsim::Kernel32Module();
    } else if (winsim::SameModuleName(name, "advapi32.dll") ||
               winsim::SameModuleName(name, "advapi32")) {
        if (m.advapi32Loaded)
            return winsim::Advapi32Module();
    } else if (winsim::SameModuleName(name, "shell32.dll") ||
               winsim::SameModuleName(name, "shell32")) {
        if (m.shell32Loaded)
            return winsim::Shell32Module();
    } else if (m.LoadedCount() > 0 && winsim::SameModuleName(name, "shfolder.dll")) {
        return winsim::ShFolderModule();
    }
    winsim::SetError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
    std::string path = winsim::Text(lpLibFileName);
    winsim::Modules& m = machine().modules;
    m.loadAttempts.push_back(path);
    if (Enter("LoadLibraryA", path, ERROR_MOD_NOT_FOUND))
        return nullptr;
    if (m.shfolderPath.empty() || !winsim::SamePath(path, m.shfolderPath)) {
        winsim::SetError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    ++m.loads;
    return winsim::ShFolderModule();
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    std::string name = winsim::Text(lpProcName);
    if (Enter("GetProcAddress", name, ERROR_PROC_NOT_FOUND))
        return nullptr;
    const winsim::Modules& m = machine().modules;
    FARPROC found = nullptr;
    if (hModule == winsim::ShFolderModule() && m.LoadedCount() > 0) {
        if (m.shfolderExportsFunction && name == "SHGetFolderPathA")
            found = winsim::AsFarProc(&winsim::SimSHGetFolderPathA);
        if (m.shfolderExportsWideFunction && name == "SHGetFolderPathW")
            found = winsim::AsFarProc(&winsim::SimSHGetFolderPathW);
    } else if (hModule == winsim::NtdllModule()) {
        if (m.ntdllHasVerSetConditionMask && name == "VerSetConditionMask")
            found = winsim::AsFarProc(&VerSetConditionMask);
    } else if (hModule == winsim::Kernel32Module()) {
        if (m.kernel32HasVerifyVersionInfoA && name == "VerifyVersionInfoA")
            found = winsim::AsFarProc(&VerifyVersionInfoA);
        else if (m.kernel32HasIsWow64Process && name == "IsWow64Process")
            found = winsim::AsFarProc(&IsWow64Process);
        const winsim::Export kernel32[] = {
            {"GetShortPathNameW", winsim::AsFarProc(&GetShortPathNameW)},
            {"GetCurrentDirectoryW", winsim::AsFarProc(&GetCurrentDirectoryW)},
            {"GetTempPathW", winsim::AsFarProc(&GetTempPathW)},
            {"GetWindowsDirectoryW", winsim::AsFarProc(&GetWindowsDirectoryW)},
            {"GetSystemDirectoryW", winsim::AsFarProc(&GetSystemDirectoryW)},
            {"GetModuleFileNameW", winsim::AsFarProc(&GetModuleFileNameW)},
            {"ExpandEnvironmentStringsW", winsim::AsFarProc(&ExpandEnvironmentStringsW)},
        };
        for (const winsim::Export& e : kernel32)
            if (name == e.name)
                found = e.function;
    } else if (hModule == winsim::Advapi32Module()) {
        if (name == "RegQueryValueExW")
            found = winsim::AsFarProc(&RegQueryValueExW);
    } else if (hModule == winsim::Shell32Module()) {
        if (name == "SHGetPathFromIDListW")
            found = winsim::AsFarProc(&SHGetPathFromIDListW);
    } else {
        winsim::SetError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (found == nullptr)
        winsim::SetError(ERROR_PROC_NOT_FOUND);
    return found;
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
    if (Enter("FreeLibrary", {}, ERROR_INVALID_HANDLE))
        return FALSE;
    winsim::Modules& m = machine().modules;
    if (hLibModule != winsim::ShFolderModule() || m.LoadedCount() <= 0) {
        winsim::SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ++m.frees;
    return TRUE;
}

} // extern "C"
