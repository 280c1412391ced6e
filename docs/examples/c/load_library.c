/* Quellin.dll loaded at run time, through LoadLibraryA and GetProcAddress: prints one
 * "slot name value" line per slot. The slots are walked until QuellinFolderName answers NULL,
 * so the program takes nothing from Quellin.h but the two function types.
 *
 *   load_library [path\to\Quellin.dll]
 *
 * Start it with the installation source as the current directory: the library looks for
 * setup\shfolder.dll there while it is loaded, and resolves the whole table then.
 *
 *   MinGW:               gcc -I. load_library.c -o load_library.exe
 *   Microsoft's tools:   cl /I. load_library.c
 */
#include "Quellin.h"

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "Quellin.dll";
    HMODULE quellin;
    PFNQUELLINGETFOLDER getFolder;
    PFNQUELLINFOLDERNAME folderName;
    LPCSTR name;
    DWORD slot;

    quellin = LoadLibraryA(path);
    if (quellin == NULL) {
        fprintf(stderr, "cannot load %s (error %lu)\n", path, (unsigned long)GetLastError());
        return 1;
    }
    /* Through void (*)(void), which GCC's -Wcast-function-type lets pass. */
    getFolder = (PFNQUELLINGETFOLDER)(void (*)(void))GetProcAddress(quellin, "QuellinGetFolder");
    folderName = (PFNQUELLINFOLDERNAME)(void (*)(void))GetProcAddress(quellin, "QuellinFolderName");
    if (getFolder == NULL || folderName == NULL) {
        fprintf(stderr, "%s is not Quellin.dll\n", path);
        FreeLibrary(quellin);
        return 1;
    }

    for (slot = 0; (name = folderName(slot)) != NULL; ++slot) {
        /* Asked with no buffer, QuellinGetFolder answers the size the folder needs, its
         * terminating zero included (1 for an empty slot). */
        DWORD size = getFolder(slot, NULL, 0);
        char* folder = (char*)malloc(size);
        if (folder == NULL)
            break;
        /* The length copied; 0 for an empty slot, which gets an empty string. */
        getFolder(slot, folder, size);
        printf("%lu %s %s\n", (unsigned long)slot, name, folder);
        free(folder);
    }

    /* The text of QuellinFolderName lives as long as the library stays loaded. */
    FreeLibrary(quellin);
    return 0;
}
