/* Quellin.dll linked through its import library, libQuellin.a (MinGW) or Quellin.lib
 * (Microsoft's linker): prints one "slot name value" line per slot.
 *
 *   MinGW:               gcc -I. import_library.c -L. -lQuellin -o import_library.exe
 *   Microsoft's tools:   cl /I. import_library.c Quellin.lib
 *
 * Windows loads Quellin.dll with the program, before main runs, and the library resolves its
 * table then: start the program with the installation source as the current directory, so
 * that the library finds setup\shfolder.dll there, and keep Quellin.dll where Windows looks
 * for it (beside the program).
 */
#include "Quellin.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* A slot's folder in memory of its own, for the caller to free; NULL when the slot number is
 * outside the table or memory runs out. */
static char* ReadFolder(DWORD slot) {
    char buffer[MAX_PATH];
    char* folder;
    DWORD length = QuellinGetFolder(slot, buffer, sizeof buffer);

    /* 0 is an empty slot when the last error is ERROR_SUCCESS, and a slot number outside the
     * table when it is ERROR_INVALID_PARAMETER. */
    if (length == 0 && GetLastError() == ERROR_INVALID_PARAMETER)
        return NULL;
    if (length < sizeof buffer) {
        /* It fitted: the length without the terminating zero. */
        folder = (char*)malloc(length + 1);
        if (folder != NULL)
            memcpy(folder, buffer, length + 1);
        return folder;
    }
    /* Too long for the buffer: nothing copied, the answer is the size needed, zero included. */
    folder = (char*)malloc(length);
    if (folder != NULL)
        QuellinGetFolder(slot, folder, length);
    return folder;
}

int main(void) {
    DWORD slot;
    char* folder;

    for (slot = 0; slot < QUELLIN_SLOT_COUNT; ++slot) {
        folder = ReadFolder(slot);
        if (folder == NULL)
            return 1;
        printf("%lu %s %s\n", (unsigned long)slot, QuellinFolderName(slot), folder);
        free(folder);
    }
    /* Past the table: no folder, and no name. */
    if (ReadFolder(QUELLIN_SLOT_COUNT) != NULL || QuellinFolderName(QUELLIN_SLOT_COUNT) != NULL)
        return 1;
    return 0;
}
