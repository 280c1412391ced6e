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

/* The kinds of source a record entry names, and of fact in the attach record: number,
 * constant, the kind's text in the record lines. QUELLIN_RECORD_KINDS(KIND) expands
 * KIND(number, constant, text) once per kind. */
#define QUELLIN_RECORD_KINDS(KIND)                                                                 \
    KIND(1, QUELLIN_KIND_FOLDER_SERVICE, "folder service")                                         \
    KIND(2, QUELLIN_KIND_SHELL, "shell")                                                           \
    KIND(3, QUELLIN_KIND_REGISTRY, "registry")                                                     \
    KIND(4, QUELLIN_KIND_WINDOWS, "windows")                                                       \
    KIND(5, QUELLIN_KIND_DEFAULT, "default")                                                       \
    KIND(6, QUELLIN_KIND_FALLBACK, "fallback")                                                     \
    KIND(7, QUELLIN_KIND_NONE, "none")                                                             \
    KIND(8, QUELLIN_KIND_CURRENT_DIRECTORY, "current directory")                                   \
    KIND(9, QUELLIN_KIND_WOW64, "wow64")                                                           \
    KIND(10, QUELLIN_KIND_CODE_PAGE, "code page")                                                  \
    KIND(11, QUELLIN_KIND_TERMINAL_SERVER, "terminal server")                                      \
    KIND(12, QUELLIN_KIND_LIBRARY, "library")                                                      \
    KIND(13, QUELLIN_KIND_ATTACH, "attach")
/* What came of a source or a fact: number, constant, its code. The numbers are fixed forever.
 * An answer's outcome is the strongest thing the chain proved or did with it (created,
 * already-there, not-created, then write-tested, untested, short-name, expanded, answered);
 * the entry's qualities (QUELLIN_ANSWER_...) hold all of them. QUELLIN_RECORD_OUTCOMES(OUTCOME)
 * expands OUTCOME(number, constant, code) once per outcome. */
#define QUELLIN_RECORD_OUTCOMES(OUTCOME)                                                           \
    OUTCOME(0, QUELLIN_OUTCOME_ANSWERED, "answered")                                               \
    OUTCOME(1, QUELLIN_OUTCOME_WRITE_TESTED, "write-tested")                                       \
    OUTCOME(2, QUELLIN_OUTCOME_UNTESTED, "untested")                                               \
    OUTCOME(3, QUELLIN_OUTCOME_CREATED, "created")                                                 \
    OUTCOME(4, QUELLIN_OUTCOME_ALREADY_THERE, "already-there")                                     \
    OUTCOME(5, QUELLIN_OUTCOME_NOT_CREATED, "not-created")                                         \
    OUTCOME(6, QUELLIN_OUTCOME_SHORT_NAME, "short-name")                                           \
    OUTCOME(7, QUELLIN_OUTCOME_EXPANDED, "expanded")                                               \
    OUTCOME(8, QUELLIN_OUTCOME_KEPT, "kept")                                                       \
    OUTCOME(9, QUELLIN_OUTCOME_MISSING_KEY, "missing-key")                                         \
    OUTCOME(10, QUELLIN_OUTCOME_MISSING_VALUE, "missing-value")                                    \
    OUTCOME(11, QUELLIN_OUTCOME_EMPTY, "empty")                                                    \
    OUTCOME(12, QUELLIN_OUTCOME_TOO_LONG, "too-long")                                              \
    OUTCOME(13, QUELLIN_OUTCOME_FAILED, "failed")                                                  \
    OUTCOME(14, QUELLIN_OUTCOME_NOT_A_FULL_PATH, "not-a-full-path")                                \
    OUTCOME(15, QUELLIN_OUTCOME_INVALID_PATH, "invalid-path")                                      \
    OUTCOME(16, QUELLIN_OUTCOME_ANSI_UNWRITABLE, "ansi-unwritable")                                \
    OUTCOME(17, QUELLIN_OUTCOME_ANSI_LOOK_ALIKE, "ansi-look-alike")                                \
    OUTCOME(18, QUELLIN_OUTCOME_NOT_CONVERTED, "not-converted")                                    \
    OUTCOME(19, QUELLIN_OUTCOME_UNTERMINATED, "unterminated")                                      \
    OUTCOME(20, QUELLIN_OUTCOME_WRITE_TEST_FAILED, "write-test-failed")                            \
    OUTCOME(21, QUELLIN_OUTCOME_FILE_MISSING, "file-missing")                                      \
    OUTCOME(22, QUELLIN_OUTCOME_NO_FOLDER, "no-folder")                                            \
    OUTCOME(23, QUELLIN_OUTCOME_NOT_ASKED, "not-asked")                                            \
    OUTCOME(24, QUELLIN_OUTCOME_PRESENT, "present")                                                \
    OUTCOME(25, QUELLIN_OUTCOME_NO_SOURCE, "none")                                                 \
    OUTCOME(26, QUELLIN_OUTCOME_LOADED, "loaded")                                                  \
    OUTCOME(27, QUELLIN_OUTCOME_LOADED_WITHOUT_FUNCTION, "loaded-without-function")                \
    OUTCOME(28, QUELLIN_OUTCOME_NOT_LOADED, "not-loaded")                                          \
    OUTCOME(29, QUELLIN_OUTCOME_NOT_LOOKED_FOR, "not-looked-for")
enum QuellinRecordKind {
#define QUELLIN_KIND_CONSTANT(number, constant, text) constant = (number),
    QUELLIN_RECORD_KINDS(QUELLIN_KIND_CONSTANT)
#undef QUELLIN_KIND_CONSTANT
};
enum QuellinRecordOutcome {
#define QUELLIN_OUTCOME_CONSTANT(number, constant, code) constant = (number),
    QUELLIN_RECORD_OUTCOMES(QUELLIN_OUTCOME_CONSTANT)
#undef QUELLIN_OUTCOME_CONSTANT
};
/* The qualities of an answer, bits of an entry's `qualities`: its environment references were
 * expanded; it is named by its short name (the code page lacks a character of its name); a write
 * test passed; it holds the file the source must hold; a fallback taken without a test; the
 * folder was made by this attach, was to be made and already existed, or could not be made; it
 * is the text a failed conversion left. QUELLIN_ENTRY_TEXT_CUT: a text field was cut to its
 * buffer. */
#define QUELLIN_ANSWER_EXPANDED 0x0001
#define QUELLIN_ANSWER_SHORT_NAME 0x0002
#define QUELLIN_ANSWER_WRITE_TESTED 0x0004
#define QUELLIN_ANSWER_HOLDS_FILE 0x0008
#define QUELLIN_ANSWER_UNTESTED 0x0010
#define QUELLIN_ANSWER_CREATED 0x0020
#define QUELLIN_ANSWER_ALREADY_THERE 0x0040
#define QUELLIN_ANSWER_NOT_CREATED 0x0080
#define QUELLIN_ANSWER_FAILED_TEXT 0x0100
#define QUELLIN_ENTRY_TEXT_CUT 0x80000000u
/* The record number of the attach record in QuellinRecordEntry; a slot number names a slot's. */
#define QUELLIN_ATTACH_RECORD 0xFFFFFFFFu
/* No position, no slot. */
#define QUELLIN_NONE 0xFFFFFFFFu
/* The characters of an entry's text fields, the zero included (its outcome text: twice that). */
#define QUELLIN_ENTRY_TEXT 520
/* One entry of a record, as data. The caller sets cbSize to the size of the structure it knows;
 * later versions of the library may add fields at the end, never change these.
 *
 *   kind         QUELLIN_KIND_...
 *   outcome      QUELLIN_OUTCOME_...
 *   qualities    QUELLIN_ANSWER_... bits, and QUELLIN_ENTRY_TEXT_CUT
 *   error        the Win32 error of the outcome, or 0
 *   result       the HRESULT of the outcome, or S_OK
 *   valueType    a registry value's type as read (REG_SZ, REG_EXPAND_SZ, ...); REG_NONE when
 *                no value was read
 *   offendingCharacter, offendingPosition
 *                of a rejected path: the character that broke the rule (a byte of the ANSI
 *                code page) and its position in `folder`, from 0; else 0 and QUELLIN_NONE
 *   baseSlot     the slot a default is built on, else QUELLIN_NONE
 *   facts        the attach record's numbers: windows: major, minor, build, platform; code
 *                page; wow64 and terminal server: 1 or 0; attach: milliseconds; folder
 *                service: the load's error
 *   detail       the record line's detail
 *   folder       the answer as the chain checked it (or took it); the current directory, the
 *                loaded folder service's file
 *   stored       the raw answer: a registry value as read (before expansion), the text of a
 *                call, of the shell's or the folder service's answer
 *   expanded     the value after expansion, when that changed it
 *   text         the record line's outcome */
#define QUELLIN_RECORD_ENTRY_FIELDS(CHARACTER)                                                     \
    DWORD cbSize;                                                                                  \
    DWORD kind;                                                                                    \
    DWORD outcome;                                                                                 \
    DWORD qualities;                                                                               \
    DWORD error;                                                                                   \
    HRESULT result;                                                                                \
    DWORD valueType;                                                                               \
    DWORD offendingCharacter;                                                                      \
    DWORD offendingPosition;                                                                       \
    DWORD baseSlot;                                                                                \
    DWORD facts[4];                                                                                \
    CHARACTER detail[QUELLIN_ENTRY_TEXT];                                                          \
    CHARACTER folder[QUELLIN_ENTRY_TEXT];                                                          \
    CHARACTER stored[QUELLIN_ENTRY_TEXT];                                                          \
    CHARACTER expanded[QUELLIN_ENTRY_TEXT];                                                        \
    CHARACTER text[2 * QUELLIN_ENTRY_TEXT];
typedef struct QUELLIN_RECORD_ENTRYA {
    QUELLIN_RECORD_ENTRY_FIELDS(CHAR)
} QUELLIN_RECORD_ENTRYA;
typedef struct QUELLIN_RECORD_ENTRYW {
    QUELLIN_RECORD_ENTRY_FIELDS(WCHAR)
} QUELLIN_RECORD_ENTRYW;
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

/* What the attach saw, in the same line format, one line a fact: "current directory" (as the
 * library read it), "folder service" (the setup\shfolder.dll path probed, and "loaded: " with
 * the file that answered, "loaded without SHGetFolderPathA: ...", or "not loaded: error 126
 * (ERROR_MOD_NOT_FOUND)"), "windows" (version, build and family as GetVersionExA reported
 * them), "wow64", "code page" (the ANSI code page), "terminal server", "library" (this
 * library's version) and "attach" (how long the attach took, in milliseconds). The text lives
 * as long as the library is loaded. */
LPCSTR WINAPI QuellinAttachRecord(void);
LPCSTR WINAPI QuellinAttachRecordA(void);
LPCWSTR WINAPI QuellinAttachRecordW(void);

/* One entry of a record as data: `record` is a slot number (the slot's record, its entries in
 * the order of QuellinFolderSource's lines) or QUELLIN_ATTACH_RECORD (the attach record, in the
 * order of QuellinAttachRecord's lines); `index` counts from 0. Fills `*entry` and returns TRUE.
 * Returns FALSE with the last error ERROR_INVALID_PARAMETER for a null `entry` or a record
 * number that is neither, ERROR_INSUFFICIENT_BUFFER when entry->cbSize is smaller than the
 * structure of this version, ERROR_NO_MORE_ITEMS for an index past the last entry; `*entry` is
 * then not written. A text longer than its field is cut (QUELLIN_ENTRY_TEXT_CUT). */
BOOL WINAPI QuellinRecordEntry(DWORD record, DWORD index, QUELLIN_RECORD_ENTRYA* entry);
BOOL WINAPI QuellinRecordEntryA(DWORD record, DWORD index, QUELLIN_RECORD_ENTRYA* entry);
BOOL WINAPI QuellinRecordEntryW(DWORD record, DWORD index, QUELLIN_RECORD_ENTRYW* entry);
typedef DWORD(WINAPI* PFNQUELLINGETFOLDER)(DWORD, LPSTR, DWORD);
typedef LPCSTR(WINAPI* PFNQUELLINFOLDERNAME)(DWORD);
typedef LPCSTR(WINAPI* PFNQUELLINFOLDERSOURCE)(DWORD);
typedef DWORD(WINAPI* PFNQUELLINGETFOLDERW)(DWORD, LPWSTR, DWORD);
typedef LPCWSTR(WINAPI* PFNQUELLINFOLDERNAMEW)(DWORD);
typedef LPCWSTR(WINAPI* PFNQUELLINFOLDERSOURCEW)(DWORD);
typedef LPCSTR(WINAPI* PFNQUELLINATTACHRECORD)(void);
typedef LPCWSTR(WINAPI* PFNQUELLINATTACHRECORDW)(void);
typedef BOOL(WINAPI* PFNQUELLINRECORDENTRY)(DWORD, DWORD, QUELLIN_RECORD_ENTRYA*);
typedef BOOL(WINAPI* PFNQUELLINRECORDENTRYW)(DWORD, DWORD, QUELLIN_RECORD_ENTRYW*);

/* The functions of the caller's character type. The names without a suffix stay the ANSI
 * functions whatever the caller defines, as they always were. */
#ifdef UNICODE
#define QuellinGetFolderT QuellinGetFolderW
#define QuellinFolderNameT QuellinFolderNameW
#define QuellinFolderSourceT QuellinFolderSourceW
#define QuellinAttachRecordT QuellinAttachRecordW
#define QuellinRecordEntryT QuellinRecordEntryW
#define QUELLIN_RECORD_ENTRYT QUELLIN_RECORD_ENTRYW
#else
#define QuellinGetFolderT QuellinGetFolderA
#define QuellinFolderNameT QuellinFolderNameA
#define QuellinFolderSourceT QuellinFolderSourceA
#define QuellinAttachRecordT QuellinAttachRecordA
#define QuellinRecordEntryT QuellinRecordEntryA
#define QUELLIN_RECORD_ENTRYT QUELLIN_RECORD_ENTRYA
#endif

#ifdef __cplusplus
}
#endif

#endif /* QUELLIN_H */
