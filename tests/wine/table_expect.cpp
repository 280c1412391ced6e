// Works out, from Windows itself, what each folder slot should hold when the library is
// attached on this machine, and prints one "name<TAB>value" line per slot of Quellin.h's list.
//
//   table_expect MODE...      (MODE: shfolder, none or failing)
//
// Each mode given is worked out in turn, its lines after a line "mode<TAB>MODE": one start of
// the program for all three (in the guest of the 32-bit lanes every process start counts).
//
// "shfolder": the installation source carries a shfolder.dll that forwards to the shell, so
// the folder service answers first and its answers are shell32's own SHGetFolderPathA.
// "none": no shfolder.dll; the shell's special-folder locations answer instead.
// "failing": the source's shfolder.dll is bound but fails every call. The shell answers as
// without it, except for the documents folder and My Pictures (see there).
// A last line "platform<TAB>..." tells the platform, version and suites that Windows reports.
//
// The platform (GetVersionExA) picks the identifiers: the all-users Desktop, Programs and
// Start Menu on NT, the user's on the Windows 95 family. Only the sources the machine is
// expected to provide are followed; where one of them gives nothing (a registry fallback or a
// write test would then decide) the slot is printed as "?" with the reason on stderr and the
// program exits 1, so the caller knows the machine is outside what it can predict.
//
// Assumed, and checked by the calling script: every folder that a write test decides on
// (the program-files folder, the system folder, the DLLPATH folders) is writable.
//
// Built without the library's code: nothing here is shared with what it checks but the slot
// list of its header.
#include "Quellin.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* const kNames[] = {
#define SLOT_NAME(number, constant, name) #name,
    QUELLIN_SLOTS(SLOT_NAME)
#undef SLOT_NAME
};
std::string slots[QUELLIN_SLOT_COUNT];
bool known[QUELLIN_SLOT_COUNT];
int unknown = 0;

void Set(QuellinSlot slot, const std::string& value) {
    slots[slot] = value;
    known[slot] = true;
}

void Unpredictable(QuellinSlot slot, const char* why) {
    std::fprintf(stderr, "table_expect: %s: %s\n", kNames[slot], why);
    known[slot] = false;
    ++unknown;
}

// One answer of a source: whether it gave one, and the path.
struct Answer {
    bool ok;
    std::string path;
};

// shell32's own SHGetFolderPathA, which the stand-in shfolder.dll forwards to.
Answer FolderPath(int csidl) {
    char path[MAX_PATH] = {0};
    bool ok = SHGetFolderPathA(nullptr, csidl, nullptr, 0, path) == S_OK;
    return {ok, ok ? path : ""};
}

// The shell's special-folder location, as a path.
Answer Location(int csidl) {
    LPITEMIDLIST list = nullptr;
    if (SHGetSpecialFolderLocation(nullptr, csidl, &list) != S_OK)
        return {false, ""};
    char path[MAX_PATH] = {0};
    bool ok = SHGetPathFromIDListA(list, path) != FALSE;
    CoTaskMemFree(list);
    return {ok, ok ? path : ""};
}

// A string value of HKEY_LOCAL_MACHINE, empty when absent.
std::string MachineValue(const char* key, const char* name, DWORD* type = nullptr) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return std::string();
    char data[1024] = {0};
    DWORD size = sizeof data - 2;
    DWORD kind = 0;
    LONG result =
        RegQueryValueExA(handle, name, nullptr, &kind, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(handle);
    if (type != nullptr)
        *type = kind;
    if (result != ERROR_SUCCESS)
        return std::string();
    return std::string(data, size);
}

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r\n\v\f";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Directory and name with one backslash between them.
std::string Join(std::string directory, const std::string& name) {
    while (!directory.empty() && directory.back() == '\\')
        directory.pop_back();
    return directory + "\\" + name;
}

bool IsFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The first DLLPATH entry (trimmed) whose folder holds IDAPI32.DLL.
void ExpectBde() {
    std::string list = MachineValue("Software\\Borland\\Database Engine", "DLLPATH");
    list = std::string(list.c_str()); // up to the terminating zero
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        std::string entry = Trim(list.substr(start, end - start));
        if (!entry.empty() && IsFile(Join(entry, "IDAPI32.DLL"))) {
            Set(QUELLIN_BDE_FOLDER, entry);
            return;
        }
        start = end + 1;
    }
    Unpredictable(QUELLIN_BDE_FOLDER,
                  "no DLLPATH entry holds IDAPI32.DLL (the fallback is decided by a write test)");
}

bool TerminalServer(const OSVERSIONINFOEXA& version) {
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return false;
    if (version.dwMajorVersion >= 5)
        return (version.wSuiteMask & VER_SUITE_TERMINAL) != 0;
    DWORD type = 0;
    std::string suites =
        MachineValue("System\\CurrentControlSet\\Control\\ProductOptions", "ProductSuite", &type);
    if (type != REG_MULTI_SZ)
        return false;
    for (const char* p = suites.c_str(); p < suites.c_str() + suites.size() && *p;
         p += std::strlen(p) + 1) {
        if (std::strcmp(p, "Terminal Server") == 0)
            return true;
    }
    return false;
}

// The slots for one mode, printed after its "mode" line.
void Expect(const char* mode, const OSVERSIONINFOEXA& version) {
    const bool service = std::strcmp(mode, "shfolder") == 0;
    const bool failing = std::strcmp(mode, "failing") == 0;
    for (int slot = 0; slot < QUELLIN_SLOT_COUNT; ++slot) {
        slots[slot].clear();
        known[slot] = false;
    }
    const bool nt = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    const bool win98 = version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS &&
                       version.dwMajorVersion == 4 && version.dwMinorVersion > 0;

    // The shell folders: the folder service's answer, or the shell's location without it.
    auto shell = [&](QuellinSlot slot, int csidl) {
        Answer answer = service ? FolderPath(csidl) : Location(csidl);
        if (answer.ok)
            Set(slot, answer.path);
        else
            Unpredictable(slot, "Wine has no answer for this folder identifier");
    };
    shell(QUELLIN_DESKTOP_FOLDER, nt ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY);
    shell(QUELLIN_PROGRAMS_FOLDER, nt ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS);
    shell(QUELLIN_START_MENU_FOLDER, nt ? CSIDL_COMMON_STARTMENU : CSIDL_STARTMENU);
    shell(QUELLIN_SEND_TO_FOLDER, CSIDL_SENDTO);
    shell(QUELLIN_TEMPLATES_FOLDER, CSIDL_TEMPLATES);
    shell(QUELLIN_FONTS_FOLDER, CSIDL_FONTS);
    shell(QUELLIN_STARTUP_FOLDER, CSIDL_STARTUP);
    shell(QUELLIN_COMMON_STARTUP_FOLDER, CSIDL_COMMON_STARTUP);
    // The documents folder. A failing service is asked again with the create flag on
    // Windows 98, and the shell answers after it; on NT and Windows 95 the folder is
    // "My Documents" on the root of the Windows drive, made there.
    char windowsRoot[MAX_PATH] = {0};
    GetWindowsDirectoryA(windowsRoot, MAX_PATH);
    windowsRoot[3] = '\0'; // "C:\"
    if (failing && !win98)
        Set(QUELLIN_PERSONAL_FOLDER, Join(windowsRoot, "My Documents"));
    else
        shell(QUELLIN_PERSONAL_FOLDER, CSIDL_PERSONAL);

    // My Pictures: the folder service on Windows 98 (creating it), the documents folder's
    // "My Pictures" elsewhere while the service is there, the shell without it. A failing
    // service leaves it empty on Windows 98.
    if (failing && win98)
        Set(QUELLIN_MY_PICTURES_FOLDER, "");
    else if (!service && !failing)
        shell(QUELLIN_MY_PICTURES_FOLDER, CSIDL_MYPICTURES);
    else if (win98)
        shell(QUELLIN_MY_PICTURES_FOLDER, CSIDL_MYPICTURES | CSIDL_FLAG_CREATE);
    else if (known[QUELLIN_PERSONAL_FOLDER])
        Set(QUELLIN_MY_PICTURES_FOLDER, Join(slots[QUELLIN_PERSONAL_FOLDER], "My Pictures"));
    else
        Unpredictable(QUELLIN_MY_PICTURES_FOLDER, "no documents folder");

    // Shared components: DLLPATH, and the common-files folder.
    ExpectBde();
    std::string common =
        MachineValue("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir");
    common = std::string(common.c_str());
    if (common.empty()) {
        Unpredictable(QUELLIN_DAO_FOLDER, "no CommonFilesDir");
        Unpredictable(QUELLIN_ODBC_FOLDER, "no CommonFilesDir");
    } else {
        Set(QUELLIN_DAO_FOLDER, Join(common, "Microsoft Shared\\DAO"));
        Set(QUELLIN_ODBC_FOLDER, Join(common, "ODBC"));
    }

    // Windows itself.
    char buffer[MAX_PATH] = {0};
    GetTempPathA(MAX_PATH, buffer);
    Set(QUELLIN_TEMP_FOLDER, buffer);
    GetWindowsDirectoryA(buffer, MAX_PATH);
    const std::string windows = buffer;
    Set(QUELLIN_WINDOWS_FOLDER, windows);
    GetSystemDirectoryA(buffer, MAX_PATH);
    Set(QUELLIN_SYSTEM_FOLDER, buffer);
    DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string module(buffer, length < MAX_PATH ? length : 0);
    Set(QUELLIN_MODULE_FOLDER, module.substr(0, module.rfind('\\')));

    // Program files: the folder service's answer, else the registry's (writable) folder.
    if (service) {
        shell(QUELLIN_PROGRAM_FILES_FOLDER, CSIDL_PROGRAM_FILES);
    } else {
        std::string programs =
            MachineValue("Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
        programs = std::string(programs.c_str());
        if (programs.empty())
            Unpredictable(QUELLIN_PROGRAM_FILES_FOLDER, "no ProgramFilesDir");
        else
            Set(QUELLIN_PROGRAM_FILES_FOLDER, programs);
    }

    if (TerminalServer(version))
        Set(QUELLIN_RUNDLE_FOLDER, Join(slots[QUELLIN_PROGRAM_FILES_FOLDER], "Tolva\\Rundle"));
    else
        Set(QUELLIN_RUNDLE_FOLDER, Join(windows, "Tolva"));

    std::string destination = MachineValue("Software\\Tolva\\Inkvale Suite\\9", "Destination");
    Set(QUELLIN_SUITE_DESTINATION_FOLDER, std::string(destination.c_str()));

    std::printf("mode\t%s\n", mode);
    for (int slot = 0; slot < QUELLIN_SLOT_COUNT; ++slot)
        std::printf("%s\t%s\n", kNames[slot], known[slot] ? slots[slot].c_str() : "?");
    std::printf("platform\tplatform %lu, version %lu.%lu, suites 0x%x\n", version.dwPlatformId,
                version.dwMajorVersion, version.dwMinorVersion, version.wSuiteMask);
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "shfolder") != 0 && std::strcmp(argv[i], "none") != 0 &&
            std::strcmp(argv[i], "failing") != 0) {
            argc = 0;
            break;
        }
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: table_expect shfolder|none|failing...\n");
        return 2;
    }
    OSVERSIONINFOEXA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version));
    for (int i = 1; i < argc; ++i)
        Expect(argv[i], version);
    return unknown ? 1 : 0;
}
