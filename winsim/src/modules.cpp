// Module loading and lookup: the executable, ntdll.dll and KERNEL32.DLL (always loaded) and
// the scriptable shfolder.dll with its SHGetFolderPathA.
#include "internal.h"

#include <winsim/paths.h>

#include <shlobj.h>

namespace winsim {
namespace {

HINSTANCE__ executableModule;
HINSTANCE__ shfolderModule;
HINSTANCE__ ntdllModule;
HINSTANCE__ kernel32Module;

HRESULT WINAPI SimSHGetFolderPathA(HWND hwndOwner, int csidl, HANDLE hToken, DWORD dwFlags,
                                   LPSTR pszPath) {
    Modules& m = machine().modules;
    m.folderPathCalls.push_back(FolderPathCall{hwndOwner, csidl, hToken, dwFlags});
    DWORD error = 0;
    if (Enter("SHGetFolderPathA", std::to_string(csidl), static_cast<DWORD>(E_FAIL), &error))
        return static_cast<HRESULT>(error);
    auto it = m.shfolderAnswers.find(csidl);
    if (it == m.shfolderAnswers.end())
        it = m.shfolderAnswers.find(csidl & ~CSIDL_FLAG_CREATE);
    if (it == m.shfolderAnswers.end())
        return E_FAIL;
    if (it->second.result == S_OK && pszPath != nullptr) {
        // The caller's buffer holds MAX_PATH bytes.
        if (it->second.unterminated) {
            std::string bytes = it->second.path.substr(0, MAX_PATH);
            bytes.resize(MAX_PATH, ' ');
            std::memcpy(pszPath, bytes.data(), MAX_PATH);
        } else {
            std::string path = it->second.path.substr(0, MAX_PATH - 1);
            std::memcpy(pszPath, path.c_str(), path.size() + 1);
        }
    }
    return it->second.result;
}

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
    } else if (hModule == winsim::NtdllModule()) {
        if (m.ntdllHasVerSetConditionMask && name == "VerSetConditionMask")
            found = winsim::AsFarProc(&VerSetConditionMask);
    } else if (hModule == winsim::Kernel32Module()) {
        if (m.kernel32HasVerifyVersionInfoA && name == "VerifyVersionInfoA")
            found = winsim::AsFarProc(&VerifyVersionInfoA);
        else if (m.kernel32HasIsWow64Process && name == "IsWow64Process")
            found = winsim::AsFarProc(&IsWow64Process);
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
