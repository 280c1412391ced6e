// Versions, local memory, modules, drives and the network, the shell's allocator and folders,
// the folder service, the environment, the message queue and waits.
#include "checks.h"
#include "machine.h"

#include <shlobj.h>
#include <winnetwk.h>

#include <cstring>

void VersionChecks() {
    const DWORD sizes[] = {0, sizeof(OSVERSIONINFOA) - 1, sizeof(OSVERSIONINFOA) + 1,
                           sizeof(OSVERSIONINFOA), sizeof(OSVERSIONINFOEXA)};
    for (DWORD size : sizes) {
        OSVERSIONINFOEXA info;
        std::memset(&info, 0xAB, sizeof info);
        info.dwOSVersionInfoSize = size;
        Arm();
        BOOL ret = GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&info));
        bool untouched = info.dwMajorVersion == 0xABABABAB && info.dwPlatformId == 0xABABABAB;
        Check(Fmt("GetVersionExA.size-%lu", U(size)),
              BoolErr(ret) + Fmt(" record-untouched=%d size-kept=%d", untouched,
                                 info.dwOSVersionInfoSize == size));
    }
    ULONGLONG mask = VerSetConditionMask(0, VER_SUITENAME, VER_AND);
    Check("VerSetConditionMask.suite-and", Fmt("0x%llx", static_cast<unsigned long long>(mask)));
    mask = VerSetConditionMask(mask, 0, VER_AND);
    Check("VerSetConditionMask.no-type", Fmt("0x%llx", static_cast<unsigned long long>(mask)));
    // Whether a suite is present depends on the machine: only the refusals of bad arguments
    // are compared.
    OSVERSIONINFOEXA wanted;
    std::memset(&wanted, 0, sizeof wanted);
    wanted.dwOSVersionInfoSize = sizeof wanted;
    wanted.wSuiteMask = VER_SUITE_TERMINAL;
    Arm();
    BOOL ret = VerifyVersionInfoA(&wanted, 0, mask);
    Check("VerifyVersionInfoA.no-type", BoolErr(ret));
    Arm();
    ret = VerifyVersionInfoA(&wanted, VER_SUITENAME, 0);
    Check("VerifyVersionInfoA.no-condition", BoolErr(ret));
}

namespace {

void MemoryChecks() {
    HLOCAL block = LocalAlloc(LPTR, 16);
    bool zero = block != nullptr;
    for (int i = 0; zero && i < 16; ++i)
        zero = static_cast<const BYTE*>(block)[i] == 0;
    Check("LocalAlloc.zeroinit", Fmt("non-null=%d zeroed=%d", block != nullptr, zero));
    Check("LocalFree.block", Fmt("null=%d", LocalFree(block) == nullptr));
    HLOCAL empty = LocalAlloc(LMEM_FIXED, 0);
    Check("LocalAlloc.zero-bytes", Fmt("non-null=%d", empty != nullptr));
    LocalFree(empty);
    Check("LocalFree.null", Fmt("null=%d", LocalFree(nullptr) == nullptr));
}

void ModuleChecks() {
    // ADVAPI32.DLL and SHELL32.DLL are loaded in a process that imports them, as this one does.
    const char* names[] = {"ntdll.dll",    "NTDLL.DLL", "KERNEL32.DLL", "kernel32.dll", "kernel32",
                           "ADVAPI32.DLL", "advapi32",  "SHELL32.DLL",  "shell32.dll"};
    for (const char* name : names)
        Check(std::string("GetModuleHandleA.") + name,
              Fmt("non-null=%d", GetModuleHandleA(name) != nullptr));
    Check("GetModuleHandleA.null", Fmt("non-null=%d", GetModuleHandleA(nullptr) != nullptr));
    Arm();
    HMODULE missing = GetModuleHandleA("nosuchmodule.dll");
    Check("GetModuleHandleA.missing", Fmt("non-null=%d ", missing != nullptr) + Err());

    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    HMODULE kernel32 = GetModuleHandleA("KERNEL32.DLL");
    HMODULE advapi32 = GetModuleHandleA("ADVAPI32.DLL");
    HMODULE shell32 = GetModuleHandleA("SHELL32.DLL");
    struct Case {
        const char* name;
        HMODULE module;
        const char* proc;
    } cases[] = {
        {"ntdll.VerSetConditionMask", ntdll, "VerSetConditionMask"},
        {"KERNEL32.VerifyVersionInfoA", kernel32, "VerifyVersionInfoA"},
        {"ntdll.VerifyVersionInfoA", ntdll, "VerifyVersionInfoA"},
        {"KERNEL32.NoSuchFunction", kernel32, "NoSuchFunction"},
        // The wide functions that code loadable on Windows 95 binds by name.
        {"KERNEL32.GetShortPathNameW", kernel32, "GetShortPathNameW"},
        {"KERNEL32.GetCurrentDirectoryW", kernel32, "GetCurrentDirectoryW"},
        {"KERNEL32.GetTempPathW", kernel32, "GetTempPathW"},
        {"KERNEL32.GetWindowsDirectoryW", kernel32, "GetWindowsDirectoryW"},
        {"KERNEL32.GetSystemDirectoryW", kernel32, "GetSystemDirectoryW"},
        {"KERNEL32.GetModuleFileNameW", kernel32, "GetModuleFileNameW"},
        {"KERNEL32.ExpandEnvironmentStringsW", kernel32, "ExpandEnvironmentStringsW"},
        {"ADVAPI32.RegQueryValueExW", advapi32, "RegQueryValueExW"},
        {"SHELL32.SHGetPathFromIDListW", shell32, "SHGetPathFromIDListW"},
    };
    for (const Case& c : cases) {
        Arm();
        FARPROC proc = GetProcAddress(c.module, c.proc);
        Check(std::string("GetProcAddress.") + c.name,
              proc ? std::string("found") : "missing " + Err());
    }
    Arm();
    HMODULE loaded = LoadLibraryA("C:\\NoSuchFolder\\nosuch.dll");
    Check("LoadLibraryA.missing", Fmt("non-null=%d ", loaded != nullptr) + Err());
    if (loaded)
        FreeLibrary(loaded);
    Arm();
    Check("FreeLibrary.null", BoolErr(FreeLibrary(nullptr)));
}

void MachineChecks() {
    Check("GetLogicalDrives.C", Fmt("%lu", U((GetLogicalDrives() >> 2) & 1)));
    Arm();
    // Windows answers ERROR_NOT_CONNECTED; Wine, which has no network provider, answers
    // ERROR_NO_NETWORK: only the failure is compared.
    DWORD ret = WNetCancelConnectionA("Q:", TRUE);
    Check("WNetCancelConnectionA.not-connected", Fmt("failed=%d", ret != NO_ERROR));
}

void ShellChecks() {
    LPMALLOC malloc = nullptr;
    HRESULT hr = SHGetMalloc(&malloc);
    Check("SHGetMalloc",
          Fmt("hr=0x%08lx non-null=%d", static_cast<unsigned long>(hr), malloc != nullptr));
    if (SUCCEEDED(hr) && malloc != nullptr) {
        void* block = malloc->Alloc(16);
        Check("IMalloc.Alloc", Fmt("non-null=%d", block != nullptr));
        malloc->Free(block);
        malloc->Release();
    }
    LPITEMIDLIST list = reinterpret_cast<LPITEMIDLIST>(BogusHandle());
    hr = SHGetSpecialFolderLocation(nullptr, 0x7E, &list);
    Check("SHGetSpecialFolderLocation.unknown",
          Fmt("failed=%d list-null=%d", FAILED(hr), list == nullptr));
}

// The shell's and the folder service's wide answers for a folder both know, against their
// ANSI answers.
void WideFolderChecks() {
    KnowFontsFolder();
    LPMALLOC malloc = nullptr;
    LPITEMIDLIST list = nullptr;
    if (SUCCEEDED(SHGetMalloc(&malloc)) &&
        SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_FONTS, &list))) {
        char ansi[MAX_PATH] = {};
        WCHAR wide[MAX_PATH] = {};
        BOOL a = SHGetPathFromIDListA(list, ansi);
        BOOL w = SHGetPathFromIDListW(list, wide);
        char converted[MAX_PATH * 2] = {};
        WideCharToMultiByte(CP_ACP, 0, wide, -1, converted, sizeof converted, nullptr, nullptr);
        Check("SHGetPathFromIDListW.fonts",
              Fmt("ret=%d ansi-ret=%d same-as-ansi=%d", w, a, std::strcmp(ansi, converted) == 0));
        malloc->Free(list);
    }
    if (malloc != nullptr)
        malloc->Release();

    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    HMODULE shfolder = LoadLibraryA((std::string(system) + "\\shfolder.dll").c_str());
    Check("LoadLibraryA.shfolder", Fmt("non-null=%d", shfolder != nullptr));
    if (shfolder == nullptr)
        return;
    typedef HRESULT(WINAPI * FolderA)(HWND, int, HANDLE, DWORD, LPSTR);
    typedef HRESULT(WINAPI * FolderW)(HWND, int, HANDLE, DWORD, LPWSTR);
    FolderA folderA = reinterpret_cast<FolderA>(
        reinterpret_cast<void (*)()>(GetProcAddress(shfolder, "SHGetFolderPathA")));
    FolderW folderW = reinterpret_cast<FolderW>(
        reinterpret_cast<void (*)()>(GetProcAddress(shfolder, "SHGetFolderPathW")));
    Check("GetProcAddress.shfolder.SHGetFolderPathW", Fmt("found=%d", folderW != nullptr));
    if (folderA != nullptr && folderW != nullptr) {
        char ansi[MAX_PATH] = {};
        WCHAR wide[MAX_PATH] = {};
        HRESULT a = folderA(nullptr, CSIDL_FONTS, nullptr, 0, ansi);
        HRESULT w = folderW(nullptr, CSIDL_FONTS, nullptr, 0, wide);
        char converted[MAX_PATH * 2] = {};
        WideCharToMultiByte(CP_ACP, 0, wide, -1, converted, sizeof converted, nullptr, nullptr);
        Check("SHGetFolderPathW.fonts",
              Fmt("hr=0x%08lx ansi-hr=0x%08lx same-as-ansi=%d", static_cast<unsigned long>(w),
                  static_cast<unsigned long>(a), std::strcmp(ansi, converted) == 0));
    }
    FreeLibrary(shfolder);
}

// References expanded from variables set here: names without regard to case, unknown names
// and lone percent signs kept, sizes with the zero, a buffer too small.
void EnvironmentChecks() {
    SetVariable("QUELLINCONFORMANCE", L"val");
    SetVariable("QUELLINCONFORMANCEEMPTY", L"");
    SetVariable("QUELLINCONFORMANCEWIDE", L"\x0414\xbb38");
    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"variable", "%QUELLINCONFORMANCE%\\x"},
        {"other-case", "%quellinconformance%"},
        {"unknown", "%QUELLINCONFORMANCEMISSING%\\x"},
        {"lone-percent", "%"},
        {"two-percents", "%%"},
        {"trailing-percent", "50%"},
        {"unclosed", "a%QUELLINCONFORMANCE"},
        {"twice", "%QUELLINCONFORMANCE%%QUELLINCONFORMANCE%"},
        {"empty-value", "%QUELLINCONFORMANCEEMPTY%|"},
        {"empty", ""},
        {"doubled-percents", "%%QUELLINCONFORMANCE%%"},
        {"blank-in-name", "% QUELLINCONFORMANCE%"},
        {"wide-value", "%QUELLINCONFORMANCEWIDE%"},
    };
    for (const auto& c : cases) {
        char out[128];
        Arm();
        DWORD ret = ExpandEnvironmentStringsA(c.text, out, sizeof out);
        Check(std::string("ExpandEnvironmentStringsA.") + c.name,
              Fmt("ret=%lu ", U(ret)) + Err() + " text=" + Hex(out, std::strlen(out)));
        Arm();
        ret = ExpandEnvironmentStringsA(c.text, nullptr, 0);
        Check(std::string("ExpandEnvironmentStringsA.") + c.name + ".size-query",
              Fmt("ret=%lu ", U(ret)) + Err());
        WCHAR wideText[64] = {};
        MultiByteToWideChar(CP_ACP, 0, c.text, -1, wideText, 64);
        WCHAR wide[128];
        Arm();
        ret = ExpandEnvironmentStringsW(wideText, wide, 128);
        Check(std::string("ExpandEnvironmentStringsW.") + c.name,
              Fmt("ret=%lu ", U(ret)) + Err() + " text=" + HexW(wide, ret ? ret - 1 : 0));
    }
    for (DWORD size : {0ul, 1ul, 3ul, 5ul, 6ul, 7ul}) {
        char out[16];
        std::memset(out, 'x', sizeof out);
        Arm();
        DWORD ret = ExpandEnvironmentStringsA("%QUELLINCONFORMANCE%\\x", out, size);
        Check(Fmt("ExpandEnvironmentStringsA.size-%lu", U(size)),
              Fmt("ret=%lu ", U(ret)) + Err() + " buffer=" + Hex(out, size));
        WCHAR wide[16];
        for (WCHAR& c : wide)
            c = 'x';
        Arm();
        ret = ExpandEnvironmentStringsW(L"%QUELLINCONFORMANCE%\\x", wide, size);
        Check(Fmt("ExpandEnvironmentStringsW.size-%lu", U(size)),
              Fmt("ret=%lu ", U(ret)) + Err() + " buffer=" + HexW(wide, size));
    }
    // In a double-byte code page the ANSI text takes more bytes than it has characters.
    for (DWORD size : {2ul, 3ul, 4ul, 5ul}) {
        char out[16];
        std::memset(out, 'x', sizeof out);
        Arm();
        DWORD ret = ExpandEnvironmentStringsA("%QUELLINCONFORMANCEWIDE%", out, size);
        Check(Fmt("ExpandEnvironmentStringsA.wide-value-size-%lu", U(size)),
              Fmt("ret=%lu ", U(ret)) + Err() + " buffer=" + Hex(out, size));
    }
}

void MessageChecks() {
    MSG msg;
    std::memset(&msg, 0, sizeof msg);
    Check("PeekMessageA.empty", Fmt("ret=%d", PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)));
    msg.message = WM_KEYUP;
    Check("TranslateMessage.key", Fmt("nonzero=%d", TranslateMessage(&msg) != 0));
    msg.message = WM_USER;
    Check("TranslateMessage.other", Fmt("ret=%d", TranslateMessage(&msg)));
    Check("DispatchMessageA.thread-message",
          Fmt("ret=%ld", static_cast<long>(DispatchMessageA(&msg))));
    Arm();
    DWORD wait = WaitForSingleObject(nullptr, 0);
    Check("WaitForSingleObject.null", Fmt("ret=0x%lx ", U(wait)) + Err());
}

} // namespace

void ConstantChecks() {
#define PRINT_CONSTANT(name) Check("constant." #name, Fmt("0x%08lx", U(static_cast<DWORD>(name))));
    CONFORMANCE_ERROR_CONSTANTS(PRINT_CONSTANT)
    CONFORMANCE_HRESULT_CONSTANTS(PRINT_CONSTANT)
#undef PRINT_CONSTANT
}

void SystemChecks() {
    MemoryChecks();
    ModuleChecks();
    MachineChecks();
    ShellChecks();
    WideFolderChecks();
    EnvironmentChecks();
    MessageChecks();
}
