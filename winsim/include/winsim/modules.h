// Modules of the simulated machine: the executable, the system modules that are always loaded
// (ntdll.dll, KERNEL32.DLL, and ADVAPI32.DLL and SHELL32.DLL, which the code under test
// imports) and a scriptable shfolder.dll.
#pragma once

#include <windef.h>
#include <winerror.h>

#include <map>
#include <string>
#include <vector>

namespace winsim {

struct FolderAnswer {
    HRESULT result = S_OK;
    std::string path; // written to the caller's buffer when result is S_OK
    // A faulty shfolder.dll: with S_OK it fills all MAX_PATH bytes of the caller's buffer with
    // the path (cut, or padded with spaces) and writes no terminating zero.
    bool unterminated = false;
    // The folder as wide text, when set: SHGetFolderPathW writes it and SHGetFolderPathA its
    // ANSI conversion ('?' for what the code page cannot write) instead of `path`.
    std::wstring widePath{};
};

// One SHGetFolderPathA or SHGetFolderPathW call, every argument but the buffer recorded.
struct FolderPathCall {
    HWND owner = nullptr;
    int csidl = 0; // the folder identifier, flags included
    HANDLE token = nullptr;
    DWORD flags = 0;
    bool wide = false; // SHGetFolderPathW
};

struct Modules {
    // Where shfolder.dll lies ("C:\Install\setup\shfolder.dll"); empty: no such file anywhere.
    std::string shfolderPath;
    // The file the loaded shfolder.dll is (GetModuleFileNameA of its handle), when another file
    // than the one asked for answers (Wine's built-in one, say); empty: shfolderPath itself.
    std::string shfolderFileName;
    bool shfolderExportsFunction = true;     // SHGetFolderPathA
    bool shfolderExportsWideFunction = true; // SHGetFolderPathW
    // Answers of SHGetFolderPathA per folder identifier (the full value, flags included, is
    // looked up first, then the identifier without CSIDL_FLAG_CREATE). Unknown: E_FAIL.
    std::map<int, FolderAnswer> shfolderAnswers;

    // Exports of the always-loaded system modules, looked up by name.
    bool ntdllLoaded = true;
    bool kernel32Loaded = true;
    bool advapi32Loaded = true;
    bool shell32Loaded = true;
    bool ntdllHasVerSetConditionMask = true;
    bool kernel32HasVerifyVersionInfoA = true;
    bool kernel32HasIsWow64Process = true;

    // What the code did.
    std::vector<std::string> loadAttempts;       // every path passed to LoadLibraryA
    int loads = 0;                               // successful LoadLibraryA calls
    int frees = 0;                               // successful FreeLibrary calls
    std::vector<FolderPathCall> folderPathCalls; // every SHGetFolderPathA and W call, in order

    int LoadedCount() const { return loads - frees; }
    // The folder identifiers of folderPathCalls, in order: of the ANSI calls, or of the wide.
    std::vector<int> FolderIdsAsked(bool wide = false) const {
        std::vector<int> ids;
        for (const FolderPathCall& call : folderPathCalls)
            if (call.wide == wide)
                ids.push_back(call.csidl);
        return ids;
    }
    // The same of every call, ANSI or wide: the identifiers the folder service was asked for.
    std::vector<int> FolderIdsAskedEitherWay() const {
        std::vector<int> ids;
        for (const FolderPathCall& call : folderPathCalls)
            ids.push_back(call.csidl);
        return ids;
    }
    void Reset() { *this = Modules(); }
};

// The module handles the simulation hands out.
HMODULE ExecutableModule();
HMODULE ShFolderModule();
HMODULE NtdllModule();
HMODULE Kernel32Module();
HMODULE Advapi32Module();
HMODULE Shell32Module();

} // namespace winsim
