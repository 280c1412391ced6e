// Loads Quellin.dll (path given as the argument) and checks, through its accessor, that the
// Windows, temporary and module folders equal what Windows itself gives. The expected module
// folder is taken from the wide file name, so no double-byte rule is shared with the library.
// Prints one line per check and exits 0 when all hold.
#include "Quellin.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

int failures = 0;

void Check(const char* what, const std::string& got, const std::string& expected) {
    bool ok = got == expected;
    failures += !ok;
    std::printf("%s %s: got [%s] expected [%s]\n", ok ? "ok  " : "FAIL", what, got.c_str(),
                expected.c_str());
}

std::string Slot(PFNQUELLINGETFOLDER get, DWORD slot) {
    char buffer[MAX_PATH * 2] = {0};
    DWORD length = get(slot, buffer, sizeof buffer);
    return std::string(buffer, length < sizeof buffer ? length : 0);
}

std::string ExpectedModuleFolder() {
    wchar_t wide[MAX_PATH] = {0};
    DWORD length = GetModuleFileNameW(nullptr, wide, MAX_PATH);
    std::wstring name(wide, length);
    name = name.substr(0, name.rfind(L'\\'));
    char ansi[MAX_PATH * 2] = {0};
    WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
    return ansi;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: frame_check path\\to\\Quellin.dll\n");
        return 2;
    }
    HMODULE module = LoadLibraryA(argv[1]);
    if (module == nullptr) {
        std::printf("FAIL cannot load %s (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    auto get = reinterpret_cast<PFNQUELLINGETFOLDER>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "QuellinGetFolder")));
    auto name = reinterpret_cast<PFNQUELLINFOLDERNAME>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "QuellinFolderName")));
    if (get == nullptr || name == nullptr) {
        std::printf("FAIL accessors not exported\n");
        return 1;
    }

    std::printf("code page %u\n", GetACP());
    char buffer[MAX_PATH] = {0};
    GetWindowsDirectoryA(buffer, MAX_PATH);
    Check("WindowsFolder", Slot(get, QUELLIN_WINDOWS_FOLDER), buffer);
    GetTempPathA(MAX_PATH, buffer);
    Check("TempFolder", Slot(get, QUELLIN_TEMP_FOLDER), buffer);
    Check("ModuleFolder", Slot(get, QUELLIN_MODULE_FOLDER), ExpectedModuleFolder());
    Check("name of the module folder's slot", name(QUELLIN_MODULE_FOLDER), "ModuleFolder");
    const char* beyond = name(QUELLIN_SLOT_COUNT);
    Check("name of the first slot outside the table", beyond ? beyond : "(null)", "(null)");

    // A valid slot answers with ERROR_SUCCESS, so that an empty slot is told from a bad number.
    SetLastError(ERROR_INVALID_PARAMETER);
    Slot(get, QUELLIN_WINDOWS_FOLDER);
    Check("last error of a valid slot", GetLastError() == ERROR_SUCCESS ? "ERROR_SUCCESS" : "other",
          "ERROR_SUCCESS");
    SetLastError(0);
    DWORD outside = get(QUELLIN_SLOT_COUNT, buffer, MAX_PATH);
    Check("the first slot outside the table",
          outside == 0 && GetLastError() == ERROR_INVALID_PARAMETER ? "refused" : "taken",
          "refused");
    FreeLibrary(module);
    std::printf("%s\n", failures ? "FAILED" : "PASSED");
    return failures ? 1 : 0;
}
