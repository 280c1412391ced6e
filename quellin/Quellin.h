/* Quellin.dll: the standard folders of this machine, resolved once while the library is
 * attached, offered read-only by slot number. Plain C and C++; the exports are stdcall
 * (WINAPI) and undecorated. The functions without a suffix and those ending in A take and
 * return text in the ANSI code page; those ending in W wide (UTF-16) text; those ending in T
 * are the ones of the character type the caller builds with (W with UNICODE defined, else A),
 * as TCHAR is.
 *
 * The library looks for "setup\shfolder.dll" under the process's current directory when it is
 * attached: load it with the installation source as the current directory.
 */
#ifndef QUELLIN_H
#define QUELLIN_H

#include <windows.h>

/* The slots of the folder table, in slot order: number, constant, name. The numbers are fixed
 * forever; a new folder would get the next free number. QUELLIN_SLOTS(SLOT) expands
 * SLOT(number, constant, name) once per slot. */
#define QUELLIN_SLOTS(SLOT)                                                                        \
    SLOT(0, QUELLIN_BDE_FOLDER, BdeFolder)                                                         \
    SLOT(1, QUELLIN_DAO_FOLDER, DaoFolder)                                                         \
    SLOT(2, QUELLIN_ODBC_FOLDER, OdbcFolder)                                                       \
    SLOT(3, QUELLIN_PERSONAL_FOLDER, PersonalFolder)                                               \
    SLOT(4, QUELLIN_DESKTOP_FOLDER, DesktopFolder)                                                 \
    SLOT(5, QUELLIN_PROGRAMS_FOLDER, ProgramsFolder)                                               \
    SLOT(6, QUELLIN_SEND_TO_FOLDER, SendToFolder)                                                  \
    SLOT(7, QUELLIN_TEMPLATES_FOLDER, TemplatesFolder)                                             \
    SLOT(8, QUELLIN_START_MENU_FOLDER, StartMenuFolder)                                            \
    SLOT(9, QUELLIN_STARTUP_FOLDER, StartupFolder)                                                 \
    SLOT(10, QUELLIN_TEMP_FOLDER, TempFolder)                                                      \
    SLOT(11, QUELLIN_FONTS_FOLDER, FontsFolder)                                                    \
    SLOT(12, QUELLIN_WINDOWS_FOLDER, WindowsFolder)                                                \
    SLOT(13, QUELLIN_PROGRAM_FILES_FOLDER, ProgramFilesFolder)                                     \
    SLOT(14, QUELLIN_SYSTEM_FOLDER, SystemFolder)                                                  \
    SLOT(15, QUELLIN_MODULE_FOLDER, ModuleFolder)                                                  \
    SLOT(16, QUELLIN_RUNDLE_FOLDER, RundleFolder)                                                  \
    SLOT(17, QUELLIN_MY_PICTURES_FOLDER, MyPicturesFolder)                                         \
    SLOT(18, QUELLIN_COMMON_STARTUP_FOLDER, CommonStartupFolder)                                   \
    SLOT(19, QUELLIN_SUITE_DESTINATION_FOLDER, SuiteDestinationFolder)

enum QuellinSlot {
#define QUELLIN_SLOT_CONSTANT(number, constant, name) constant = (number),
    QUELLIN_SLOTS(QUELLIN_SLOT_CONSTANT)
#undef QUELLIN_SLOT_CONSTANT
    /* One more than the highest slot number. */
    QUELLIN_SLOT_COUNT
};

#ifdef __cplusplus
extern "C" {
#endif

/* Copies a slot's folder with its terminating zero into `buffer` and returns its length
 * without the zero. When `size` is too small (or `buffer` is null) copies nothing and returns
 * the size needed, the zero included. An empty slot returns 0 and, when `size` is at least 1,
 * writes an empty string.
 *
 * For a valid slot the last error is ERROR_SUCCESS. A slot number outside the table returns 0
 * with the last error ERROR_INVALID_PARAMETER. So 0 with ERROR_SUCCESS is an empty slot, 0
 * with ERROR_INVALID_PARAMETER a bad slot number.
 *
 * QuellinGetFolderA is the same function. QuellinGetFolderW counts `size` and its result in
 * wide characters, with the same rules; it gives the folder's true (long) name where the
 * library names the folder by its short name because the ANSI code page cannot write its
 * name, else the ANSI text converted. */
DWORD WINAPI QuellinGetFolder(DWORD slot, LPSTR buffer, DWORD size);
DWORD WINAPI QuellinGetFolderA(DWORD slot, LPSTR buffer, DWORD size);
DWORD WINAPI QuellinGetFolderW(DWORD slot, LPWSTR buffer, DWORD size);

/* The slot's name ("BdeFolder" ... "SuiteDestinationFolder"), or null for a slot number
 * outside the table. The text lives as long as the library is loaded. */
LPCSTR WINAPI QuellinFolderName(DWORD slot);
LPCSTR WINAPI QuellinFolderNameA(DWORD slot);
LPCWSTR WINAPI QuellinFolderNameW(DWORD slot);

/* Why the slot holds what it holds: the sources its resolver tried, in order, one line per
 * attempt, the source that answered last; or null for a slot number outside the table. The
 * text lives as long as the library is loaded. Each line holds three fields separated by
 * tabs:
 *
 *   kind <TAB> detail <TAB> outcome <LF>
 *
 * kind: "folder service" (SHGetFolderPathA of the source's shfolder.dll), "shell" (the shell's
 * special-folder service), "registry", "windows" (a call of Windows itself), "default" (built
 * on another slot), "fallback" (a fixed folder), or "none" (last line of an empty slot).
 * detail: the folder identifier (CSIDL_...), the registry value (root\key "name"), the call,
 * or what a default or fallback is built on. outcome: "answered..." for the source that gave
 * the folder, else what stopped it ("failed: 0x80004005", "failed: error 2
 * (ERROR_FILE_NOT_FOUND)", "missing", "empty", "too long", "write test failed", ...). */
LPCSTR WINAPI QuellinFolderSource(DWORD slot);
LPCSTR WINAPI QuellinFolderSourceA(DWORD slot);
LPCWSTR WINAPI QuellinFolderSourceW(DWORD slot);

typedef DWORD(WINAPI* PFNQUELLINGETFOLDER)(DWORD, LPSTR, DWORD);
typedef LPCSTR(WINAPI* PFNQUELLINFOLDERNAME)(DWORD);
typedef LPCSTR(WINAPI* PFNQUELLINFOLDERSOURCE)(DWORD);
typedef DWORD(WINAPI* PFNQUELLINGETFOLDERW)(DWORD, LPWSTR, DWORD);
typedef LPCWSTR(WINAPI* PFNQUELLINFOLDERNAMEW)(DWORD);
typedef LPCWSTR(WINAPI* PFNQUELLINFOLDERSOURCEW)(DWORD);

/* The functions of the caller's character type. The names without a suffix stay the ANSI
 * functions whatever the caller defines, as they always were. */
#ifdef UNICODE
#define QuellinGetFolderT QuellinGetFolderW
#define QuellinFolderNameT QuellinFolderNameW
#define QuellinFolderSourceT QuellinFolderSourceW
#else
#define QuellinGetFolderT QuellinGetFolderA
#define QuellinFolderNameT QuellinFolderNameA
#define QuellinFolderSourceT QuellinFolderSourceA
#endif

#ifdef __cplusplus
}
#endif

#endif /* QUELLIN_H */
