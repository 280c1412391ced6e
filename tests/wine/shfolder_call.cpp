// Calls SHGetFolderPathA of a given shfolder.dll once per folder identifier and prints, one
// line each, the identifier in hexadecimal, the HRESULT and the path:
//
//   shfolder_call path\to\shfolder.dll csidl...
//
// Identifiers are decimal or 0x-hexadecimal. Exits 1 when the library or its export is
// missing.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

typedef HRESULT(WINAPI* FolderPathFunction)(HWND, int, HANDLE, DWORD, LPSTR);

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: shfolder_call shfolder.dll csidl...\n");
        return 1;
    }
    HMODULE module = LoadLibraryA(argv[1]);
    if (module == nullptr) {
        std::fprintf(stderr, "cannot load %s (error %lu)\n", argv[1],
                     static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    auto function = reinterpret_cast<FolderPathFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "SHGetFolderPathA")));
    int rc = 0;
    if (function == nullptr) {
        std::fprintf(stderr, "%s does not export SHGetFolderPathA\n", argv[1]);
        rc = 1;
    }
    for (int i = 2; function != nullptr && i < argc; ++i) {
        int csidl = static_cast<int>(std::strtol(argv[i], nullptr, 0));
        char path[MAX_PATH] = "-";
        HRESULT hr = function(nullptr, csidl, nullptr, 0, path);
        std::printf("0x%04x 0x%08lx %s\n", csidl, static_cast<unsigned long>(hr), path);
    }
    FreeLibrary(module);
    return rc;
}
