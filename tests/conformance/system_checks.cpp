// Versions, local memory, modules, drives and the network, the shell's allocator, the message
// queue and waits.
#include "checks.h"

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
    const char* names[] = {"ntdll.dll", "NTDLL.DLL", "KERNEL32.DLL", "kernel32.dll", "kernel32"};
    for (const char* name : names)
        Check(std::string("GetModuleHandleA.") + name,
              Fmt("non-null=%d", GetModuleHandleA(name) != nullptr));
    Check("GetModuleHandleA.null", Fmt("non-null=%d", GetModuleHandleA(nullptr) != nullptr));
    Arm();
    HMODULE missing = GetModuleHandleA("nosuchmodule.dll");
    Check("GetModuleHandleA.missing", Fmt("non-null=%d ", missing != nullptr) + Err());

    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    HMODULE kernel32 = GetModuleHandleA("KERNEL32.DLL");
    struct Case {
        const char* name;
        HMODULE module;
        const char* proc;
    } cases[] = {
        {"ntdll.VerSetConditionMask", ntdll, "VerSetConditionMask"},
        {"KERNEL32.VerifyVersionInfoA", kernel32, "VerifyVersionInfoA"},
        {"ntdll.VerifyVersionInfoA", ntdll, "VerifyVersionInfoA"},
        {"KERNEL32.NoSuchFunction", kernel32, "NoSuchFunction"},
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

void SystemChecks() {
    MemoryChecks();
    ModuleChecks();
    MachineChecks();
    ShellChecks();
    MessageChecks();
}
