// Prints what the shell answers for the folder identifiers given on the command line (decimal
// or 0x hex), one line each: the identifier, then "folderpath" and the answer of shell32's
// SHGetFolderPathA (flags and token 0), then "location" and the path of the item-id list from
// SHGetSpecialFolderLocation. A failed call prints "-" as its path. The create flag is passed
// on only if given with the identifier.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        int csidl = static_cast<int>(std::strtol(argv[i], nullptr, 0));
        char path[MAX_PATH] = {0};
        HRESULT result = SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
        std::printf("%d\tfolderpath\t%s\n", csidl, result == S_OK ? path : "-");

        char located[MAX_PATH] = {0};
        LPITEMIDLIST list = nullptr;
        bool converted = false;
        if (SHGetSpecialFolderLocation(nullptr, csidl & ~CSIDL_FLAG_CREATE, &list) == S_OK) {
            converted = SHGetPathFromIDListA(list, located) != FALSE;
            CoTaskMemFree(list);
        }
        std::printf("%d\tlocation\t%s\n", csidl, converted ? located : "-");
    }
    return 0;
}
