// The folder table's construction and destruction: shfolder.dll sought in "setup" under the
// current directory and freed once at detach. And the whole attach on complete machines, every
// slot's text written out, so that a change in any resolver or in the resolving order shows at
// once; after detach nothing is left open and the disk holds only what the attach creates on
// purpose (documents and My Pictures folders).
#include "attach_rules.h"
#include "complete_machines.h"
#include "machine_fixture.h"

#include <shlobj.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

class SystemFolders : public MachineTest {};

TEST_F(SystemFolders, LoadsShfolderFromSetupUnderCurrentDirectory) {
    M().kernel.currentDirectory = "D:\\Install";
    M().modules.shfolderPath = "D:\\Install\\setup\\shfolder.dll";
    {
        AttachedLibrary lib;
        ASSERT_TRUE(lib.Loaded());
        EXPECT_EQ(M().modules.loadAttempts,
                  std::vector<std::string>{"D:\\Install\\setup\\shfolder.dll"});
        EXPECT_EQ(M().modules.LoadedCount(), 1);
        EXPECT_EQ(M().calls.Count("GetProcAddress", "SHGetFolderPathA"), 1u);
    }
    EXPECT_EQ(M().modules.loads, 1);
    EXPECT_EQ(M().modules.frees, 1);
    EXPECT_EQ(M().calls.Count("FreeLibrary"), 1u);
}

// The attach record tells what the attach saw: the current directory, the path probed for
// shfolder.dll and what came of it (with the file that answered), the version, WoW64, the code
// page, Terminal Server, the library's version and how long the attach took.
TEST_F(SystemFolders, AttachRecordTellsWhatTheAttachSaw) {
    M().kernel.currentDirectory = "D:\\Install";
    M().modules.shfolderPath = "D:\\Install\\setup\\shfolder.dll";
    M().modules.shfolderFileName = "C:\\WINDOWS\\system32\\shfolder.dll";
    M().version.Set(2, 6, 2, 9200);
    M().kernel.wow64 = true;
    M().codePage.acp = 932;
    {
        AttachedLibrary lib;
        EXPECT_EQ(lib.AttachRecord(),
                  "current directory\tGetCurrentDirectoryA\tD:\\Install\n"
                  "folder service\tD:\\Install\\setup\\shfolder.dll\tloaded: "
                  "C:\\WINDOWS\\system32\\shfolder.dll\n"
                  "windows\tGetVersionExA\t6.2 build 9200, NT family (platform 2)\n"
                  "wow64\tIsWow64Process\ta 32-bit process on 64-bit Windows\n"
                  "code page\tGetACP\t932\n"
                  "terminal server\tIsTerminalServer\tno\n"
                  "library\tQuellin.dll\tversion " QUELLIN_VERSION_TEXT "\n"
                  "attach\tGetTickCount\t0 ms\n");
        // The same facts as numbers.
        const std::vector<QUELLIN_RECORD_ENTRYA> facts = lib.Entries(QUELLIN_ATTACH_RECORD);
        ASSERT_EQ(facts.size(), 8u);
        EXPECT_EQ(facts[0].kind, static_cast<DWORD>(QUELLIN_KIND_CURRENT_DIRECTORY));
        EXPECT_STREQ(facts[0].folder, "D:\\Install");
        EXPECT_EQ(facts[1].outcome, static_cast<DWORD>(QUELLIN_OUTCOME_LOADED));
        EXPECT_STREQ(facts[1].folder, "C:\\WINDOWS\\system32\\shfolder.dll");
        const DWORD windows[4] = {6, 2, 9200, 2};
        EXPECT_TRUE(std::equal(windows, windows + 4, facts[2].facts));
        EXPECT_EQ(facts[3].facts[0], 1u); // WoW64
        EXPECT_EQ(facts[4].facts[0], 932u);
        EXPECT_EQ(facts[5].facts[0], 0u); // no Terminal Server
        EXPECT_STREQ(facts[6].stored, QUELLIN_VERSION_TEXT);
        EXPECT_EQ(facts[7].kind, static_cast<DWORD>(QUELLIN_KIND_ATTACH));
    }

    // The outcomes that tell a wrong current directory, a missing, a foreign or a bare
    // shfolder.dll, and a failed version query apart.
    struct Case {
        const char* what;
        const char* line;
        DWORD outcome; // of the entry of the line's kind
        DWORD error;
    };
    const Case cases[] = {
        {"no shfolder.dll",
         "folder service\tC:\\Install\\setup\\shfolder.dll\tnot loaded: "
         "error 126 (ERROR_MOD_NOT_FOUND)\n",
         QUELLIN_OUTCOME_NOT_LOADED, ERROR_MOD_NOT_FOUND},
        {"without its function",
         "folder service\tC:\\Install\\setup\\shfolder.dll\tloaded "
         "without SHGetFolderPathA: C:\\Install\\setup\\shfolder.dll\n",
         QUELLIN_OUTCOME_LOADED_WITHOUT_FUNCTION, 0},
        {"no current directory", "folder service\t(no current directory)\tnot looked for\n",
         QUELLIN_OUTCOME_NOT_LOOKED_FOR, 0},
        {"no version", "windows\tGetVersionExA\tfailed: error 87 (ERROR_INVALID_PARAMETER)\n",
         QUELLIN_OUTCOME_FAILED, ERROR_INVALID_PARAMETER},
        {"Windows 98", "windows\tGetVersionExA\t4.10 build 1998, Windows 95 family (platform 1)\n",
         QUELLIN_OUTCOME_ANSWERED, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        winsim::machine().Reset();
        const std::string what = c.what;
        if (what == "without its function") {
            M().modules.shfolderPath = "C:\\Install\\setup\\shfolder.dll";
            M().modules.shfolderExportsFunction = false;
        }
        if (what == "no current directory")
            M().calls.FailApi("GetCurrentDirectoryA");
        if (what == "no version")
            M().calls.FailApi("GetVersionExA", ERROR_INVALID_PARAMETER);
        if (what == "Windows 98")
            M().version.Windows98();
        AttachedLibrary lib;
        EXPECT_NE(lib.AttachRecord().find(c.line), std::string::npos) << lib.AttachRecord();
        const std::string kind = std::string(c.line).substr(0, std::string(c.line).find('\t'));
        const DWORD kindNumber =
            kind == "windows" ? QUELLIN_KIND_WINDOWS : QUELLIN_KIND_FOLDER_SERVICE;
        for (const QUELLIN_RECORD_ENTRYA& e : lib.Entries(QUELLIN_ATTACH_RECORD)) {
            if (e.kind != kindNumber)
                continue;
            EXPECT_EQ(e.outcome, c.outcome);
            EXPECT_EQ(e.error, c.error);
        }
    }
}

// Every record entry is data beside its line: the outcome's code, the Win32 error or HRESULT,
// the registry value's type and text as read, the value after expansion, the slot a default is
// built on, and for a rejected path the character that broke the rule and its position. Each
// case plants one thing on a complete machine and finds its entry by the detail.
TEST_F(SystemFolders, RecordEntriesAreData) {
    const char kVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
    const char kUserShellFolders[] =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    struct Case {
        const char* what;
        const char* machine;
        std::function<void(winsim::Machine&)> plant;
        QuellinSlot slot;
        const char* detail; // a part of the entry's detail
        DWORD outcome;
        DWORD error;
        HRESULT result;
        DWORD valueType;
        const char* stored;
        const char* expanded;
        char offending; // 0: none
        DWORD position;
        DWORD qualities; // bits that must be set
        DWORD baseSlot;
    };
    const DWORD none = QUELLIN_NONE;
    const Case cases[] = {
        {"a quoted program-files value", "XPWithoutShfolder",
         [&](winsim::Machine& m) {
             m.registry.SetString(HKEY_LOCAL_MACHINE, kVersionKey, "ProgramFilesDir",
                                  "\"C:\\Program Files\"");
         },
         QUELLIN_PROGRAM_FILES_FOLDER, "\"ProgramFilesDir\"", QUELLIN_OUTCOME_INVALID_PATH, 0, S_OK,
         REG_SZ, "\"C:\\Program Files\"", "", '"', 0, 0, none},
        {"a colon inside the documents value", "XPWithoutShfolder",
         [&](winsim::Machine& m) {
             m.shell.Reset();
             m.registry.SetString(HKEY_CURRENT_USER, kUserShellFolders, "Personal", "C:\\Docs:Old",
                                  REG_EXPAND_SZ);
         },
         QUELLIN_PERSONAL_FOLDER, "User Shell Folders", QUELLIN_OUTCOME_INVALID_PATH, 0, S_OK,
         REG_EXPAND_SZ, "C:\\Docs:Old", "", ':', 7, 0, none},
        {"an expanded, write-tested value", "XPWithoutShfolder",
         [&](winsim::Machine& m) {
             m.kernel.SetEnvironment("SystemDrive", "C:");
             m.registry.SetString(HKEY_LOCAL_MACHINE, kVersionKey, "ProgramFilesDir",
                                  "%SystemDrive%\\Program Files", REG_EXPAND_SZ);
         },
         QUELLIN_PROGRAM_FILES_FOLDER, "\"ProgramFilesDir\"", QUELLIN_OUTCOME_WRITE_TESTED, 0, S_OK,
         REG_EXPAND_SZ, "%SystemDrive%\\Program Files", "C:\\Program Files", 0, none,
         QUELLIN_ANSWER_EXPANDED | QUELLIN_ANSWER_WRITE_TESTED, none},
        {"a deleted value", "XPWithoutShfolder",
         [&](winsim::Machine& m) {
             m.registry.DeleteValue(HKEY_LOCAL_MACHINE, kVersionKey, "CommonFilesDir");
         },
         QUELLIN_DAO_FOLDER, "\"CommonFilesDir\"", QUELLIN_OUTCOME_MISSING_VALUE,
         ERROR_FILE_NOT_FOUND, S_OK, REG_NONE, "", "", 0, none, 0, none},
        {"a key that is not there", "XPWithoutShfolder",
         [](winsim::Machine& m) {
             m.registry.Delete(HKEY_LOCAL_MACHINE, "Software\\Tolva\\Inkvale Suite\\9");
         },
         QUELLIN_SUITE_DESTINATION_FOLDER, "Inkvale", QUELLIN_OUTCOME_MISSING_KEY,
         ERROR_FILE_NOT_FOUND, S_OK, REG_NONE, "", "", 0, none, 0, none},
        {"a failing folder service", "XPWithShfolder",
         [](winsim::Machine& m) {
             m.modules.shfolderAnswers[CSIDL_PROGRAM_FILES] = {E_FAIL, "C:\\Wrong"};
         },
         QUELLIN_PROGRAM_FILES_FOLDER, "CSIDL_PROGRAM_FILES", QUELLIN_OUTCOME_FAILED, 0, E_FAIL,
         REG_NONE, "", "", 0, none, 0, none},
        {"documents created by the attach", "XPWithShfolder",
         [](winsim::Machine& m) {
             m.modules.shfolderAnswers[CSIDL_PERSONAL] = {E_FAIL, ""};
         },
         QUELLIN_PERSONAL_FOLDER, "My Documents", QUELLIN_OUTCOME_CREATED, 0, S_OK, REG_NONE, "",
         "", 0, none, QUELLIN_ANSWER_CREATED, none},
        {"an untested fallback", "XPWithoutShfolder",
         [&](winsim::Machine& m) {
             m.registry.DeleteValue(HKEY_LOCAL_MACHINE, kVersionKey, "ProgramFilesDir");
             m.files.DenyNewFiles("C:\\Program Files");
         },
         QUELLIN_PROGRAM_FILES_FOLDER, "on the Windows drive", QUELLIN_OUTCOME_UNTESTED, 0, S_OK,
         REG_NONE, "", "", 0, none, QUELLIN_ANSWER_UNTESTED, none},
        {"a default built on a slot", "XPWithShfolder", [](winsim::Machine&) {},
         QUELLIN_MY_PICTURES_FOLDER, "PersonalFolder", QUELLIN_OUTCOME_ALREADY_THERE, 0, S_OK,
         REG_NONE, "", "", 0, none, QUELLIN_ANSWER_ALREADY_THERE, QUELLIN_PERSONAL_FOLDER},
        {"a shell answer holding '?'", "XPWithoutShfolder",
         [](winsim::Machine& m) {
             m.shell.folders[CSIDL_SENDTO] = {"?4", false, L"?4"};
         },
         QUELLIN_SEND_TO_FOLDER, "CSIDL_SENDTO", QUELLIN_OUTCOME_INVALID_PATH, 0, S_OK, REG_NONE,
         "?4", "", '?', 0, 0, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        winsim::machine().Reset();
        machines::Build(machines::Named(c.machine));
        c.plant(M());
        M().calls.Reset();
        AttachedLibrary lib;
        const std::vector<QUELLIN_RECORD_ENTRYA> entries = lib.Entries(c.slot);
        const QUELLIN_RECORD_ENTRYA* found = nullptr;
        for (const QUELLIN_RECORD_ENTRYA& e : entries)
            if (std::string(e.detail).find(c.detail) != std::string::npos)
                found = &e;
        ASSERT_NE(found, nullptr) << lib.Source(c.slot);
        const QUELLIN_RECORD_ENTRYA& e = *found;
        SCOPED_TRACE(std::string(e.detail) + " -> " + e.text);
        EXPECT_EQ(e.outcome, c.outcome);
        EXPECT_EQ(e.error, c.error);
        EXPECT_EQ(e.result, c.result);
        EXPECT_EQ(e.valueType, c.valueType);
        EXPECT_STREQ(e.stored, c.stored);
        EXPECT_STREQ(e.expanded, c.expanded);
        EXPECT_EQ(e.offendingCharacter,
                  static_cast<DWORD>(static_cast<unsigned char>(c.offending)));
        EXPECT_EQ(e.offendingPosition, c.position);
        if (c.offending != 0 && e.offendingPosition < std::strlen(e.folder)) {
            EXPECT_EQ(e.folder[e.offendingPosition], c.offending); // the position is in `folder`
        }
        EXPECT_EQ(e.qualities & c.qualities, c.qualities);
        EXPECT_EQ(e.baseSlot, c.baseSlot);
    }
}

TEST_F(SystemFolders, DriveRootKeepsTheDoubledBackslash) {
    M().kernel.currentDirectory = "E:\\";
    M().modules.shfolderPath = "E:\\setup\\shfolder.dll";
    AttachedLibrary lib;
    EXPECT_EQ(M().modules.loadAttempts, std::vector<std::string>{"E:\\\\setup\\shfolder.dll"});
    EXPECT_EQ(M().modules.LoadedCount(), 1); // Windows folds the doubled backslash
}

TEST_F(SystemFolders, MissingShfolderLeavesNothingToFree) {
    M().kernel.currentDirectory = "C:\\Elsewhere";
    M().modules.shfolderPath = "C:\\Install\\setup\\shfolder.dll";
    {
        AttachedLibrary lib;
        EXPECT_EQ(M().modules.loads, 0);
        EXPECT_EQ(M().calls.Count("GetProcAddress", "SHGetFolderPathA"), 0u);
        EXPECT_EQ(lib.Folder(QUELLIN_WINDOWS_FOLDER), "C:\\WINDOWS"); // the table is still built
    }
    EXPECT_EQ(M().calls.Count("FreeLibrary"), 0u);
}

TEST_F(SystemFolders, ShfolderWithoutTheExportStaysLoadedUntilDetach) {
    M().modules.shfolderPath = "C:\\Install\\setup\\shfolder.dll";
    M().modules.shfolderExportsFunction = false;
    M().modules.shfolderAnswers[CSIDL_PROGRAM_FILES] = {S_OK, "C:\\Programs"};
    AttachedLibrary lib;
    EXPECT_EQ(M().modules.LoadedCount(), 1);
    EXPECT_TRUE(M().modules.folderPathCalls.empty());
    lib.Detach();
    EXPECT_EQ(M().modules.frees, 1);
    ExpectNothingOpen();
}

TEST_F(SystemFolders, UnreadableCurrentDirectoryLoadsNothing) {
    M().calls.FailApi("GetCurrentDirectoryA");
    AttachedLibrary lib;
    EXPECT_TRUE(M().modules.loadAttempts.empty());

    winsim::machine().Reset();
    M().kernel.currentDirectory = "C:\\" + std::string(300, 'x');
    AttachedLibrary longer;
    EXPECT_TRUE(M().modules.loadAttempts.empty());
}

// Every call of the folder service in a whole attach names no owner window and no access token
// (the folders of the user the process runs as) and passes flags 0 (the folder's present path).
TEST_F(SystemFolders, FolderServiceAskedWithoutWindowTokenOrFlags) {
    for (const machines::Machine& machine : machines::All()) {
        if (!machine.shfolder)
            continue;
        SCOPED_TRACE(machine.name);
        machines::Build(machine);
        AttachedLibrary lib;
        lib.Detach();
        EXPECT_FALSE(M().modules.folderPathCalls.empty());
        for (const winsim::FolderPathCall& call : M().modules.folderPathCalls) {
            EXPECT_EQ(call.owner, nullptr) << call.csidl;
            EXPECT_EQ(call.token, nullptr) << call.csidl;
            EXPECT_EQ(call.flags, 0u) << call.csidl;
        }
    }
}

// --- the whole attach ---------------------------------------------------------------------

// One slot's expected text.
struct SlotText {
    QuellinSlot slot;
    const char* text;
};
using SlotTexts = std::vector<SlotText>;

// Every slot of the three layouts of the complete machines, as a machine with shfolder.dll
// resolves it; each machine names only where it differs from its layout's base.
//
// The Windows 95 family: everything under the Windows folder, documents on the Windows drive.
const SlotTexts k95Family = {
    {QUELLIN_BDE_FOLDER, "C:\\Program Files\\Common Files\\Borland Shared\\BDE"},
    {QUELLIN_DAO_FOLDER, "C:\\Program Files\\Common Files\\Microsoft Shared\\DAO"},
    {QUELLIN_ODBC_FOLDER, "C:\\Program Files\\Common Files\\ODBC"},
    {QUELLIN_PERSONAL_FOLDER, "C:\\My Documents"},
    {QUELLIN_DESKTOP_FOLDER, "C:\\WINDOWS\\Desktop"},
    {QUELLIN_PROGRAMS_FOLDER, "C:\\WINDOWS\\Start Menu\\Programs"},
    {QUELLIN_SEND_TO_FOLDER, "C:\\WINDOWS\\SendTo"},
    {QUELLIN_TEMPLATES_FOLDER, "C:\\WINDOWS\\ShellNew"},
    {QUELLIN_START_MENU_FOLDER, "C:\\WINDOWS\\Start Menu"},
    {QUELLIN_STARTUP_FOLDER, "C:\\WINDOWS\\Start Menu\\Programs\\StartUp"},
    {QUELLIN_TEMP_FOLDER, "C:\\WINDOWS\\TEMP\\"},
    {QUELLIN_FONTS_FOLDER, "C:\\WINDOWS\\Fonts"},
    {QUELLIN_WINDOWS_FOLDER, "C:\\WINDOWS"},
    {QUELLIN_PROGRAM_FILES_FOLDER, "C:\\Program Files"},
    {QUELLIN_SYSTEM_FOLDER, "C:\\WINDOWS\\SYSTEM"},
    {QUELLIN_MODULE_FOLDER, "C:\\Install"},
    {QUELLIN_RUNDLE_FOLDER, "C:\\WINDOWS\\Tolva"},
    {QUELLIN_MY_PICTURES_FOLDER, "C:\\My Documents\\My Pictures"},
    {QUELLIN_COMMON_STARTUP_FOLDER, ""},
    {QUELLIN_SUITE_DESTINATION_FOLDER, "C:\\Program Files\\Tolva\\Inkvale Suite"},
};

// NT 4: profiles under the Windows folder, the all-users folders where Windows has them.
const SlotTexts kNT4 = {
    {QUELLIN_BDE_FOLDER, "C:\\Program Files\\Common Files\\Borland Shared\\BDE"},
    {QUELLIN_DAO_FOLDER, "C:\\Program Files\\Common Files\\Microsoft Shared\\DAO"},
    {QUELLIN_ODBC_FOLDER, "C:\\Program Files\\Common Files\\ODBC"},
    {QUELLIN_PERSONAL_FOLDER, "C:\\WINNT\\Profiles\\anna\\Personal"},
    {QUELLIN_DESKTOP_FOLDER, "C:\\WINNT\\Profiles\\All Users\\Desktop"},
    {QUELLIN_PROGRAMS_FOLDER, "C:\\WINNT\\Profiles\\All Users\\Start Menu\\Programs"},
    {QUELLIN_SEND_TO_FOLDER, "C:\\WINNT\\Profiles\\anna\\SendTo"},
    {QUELLIN_TEMPLATES_FOLDER, "C:\\WINNT\\Profiles\\anna\\Templates"},
    {QUELLIN_START_MENU_FOLDER, "C:\\WINNT\\Profiles\\All Users\\Start Menu"},
    {QUELLIN_STARTUP_FOLDER, "C:\\WINNT\\Profiles\\anna\\Start Menu\\Programs\\Startup"},
    {QUELLIN_TEMP_FOLDER, "C:\\TEMP\\"},
    {QUELLIN_FONTS_FOLDER, "C:\\WINNT\\Fonts"},
    {QUELLIN_WINDOWS_FOLDER, "C:\\WINNT"},
    {QUELLIN_PROGRAM_FILES_FOLDER, "C:\\Program Files"},
    {QUELLIN_SYSTEM_FOLDER, "C:\\WINNT"},
    {QUELLIN_MODULE_FOLDER, "C:\\Install"},
    {QUELLIN_RUNDLE_FOLDER, "C:\\WINNT\\Tolva"},
    {QUELLIN_MY_PICTURES_FOLDER, "C:\\WINNT\\Profiles\\anna\\Personal\\My Pictures"},
    {QUELLIN_COMMON_STARTUP_FOLDER,
     "C:\\WINNT\\Profiles\\All Users\\Start Menu\\Programs\\Startup"},
    {QUELLIN_SUITE_DESTINATION_FOLDER, "C:\\Program Files\\Tolva\\Inkvale Suite"},
};

// Windows 2000 (and XP, but for its Windows folder): profiles under Documents and Settings.
const SlotTexts kWin2000 = {
    {QUELLIN_BDE_FOLDER, "C:\\Program Files\\Common Files\\Borland Shared\\BDE"},
    {QUELLIN_DAO_FOLDER, "C:\\Program Files\\Common Files\\Microsoft Shared\\DAO"},
    {QUELLIN_ODBC_FOLDER, "C:\\Program Files\\Common Files\\ODBC"},
    {QUELLIN_PERSONAL_FOLDER, "C:\\Documents and Settings\\anna\\My Documents"},
    {QUELLIN_DESKTOP_FOLDER, "C:\\Documents and Settings\\All Users\\Desktop"},
    {QUELLIN_PROGRAMS_FOLDER, "C:\\Documents and Settings\\All Users\\Start Menu\\Programs"},
    {QUELLIN_SEND_TO_FOLDER, "C:\\Documents and Settings\\anna\\SendTo"},
    {QUELLIN_TEMPLATES_FOLDER, "C:\\Documents and Settings\\anna\\Templates"},
    {QUELLIN_START_MENU_FOLDER, "C:\\Documents and Settings\\All Users\\Start Menu"},
    {QUELLIN_STARTUP_FOLDER, "C:\\Documents and Settings\\anna\\Start Menu\\Programs\\Startup"},
    {QUELLIN_TEMP_FOLDER, "C:\\TEMP\\"},
    {QUELLIN_FONTS_FOLDER, "C:\\WINNT\\Fonts"},
    {QUELLIN_WINDOWS_FOLDER, "C:\\WINNT"},
    {QUELLIN_PROGRAM_FILES_FOLDER, "C:\\Program Files"},
    {QUELLIN_SYSTEM_FOLDER, "C:\\WINNT"},
    {QUELLIN_MODULE_FOLDER, "C:\\Install"},
    {QUELLIN_RUNDLE_FOLDER, "C:\\WINNT\\Tolva"},
    {QUELLIN_MY_PICTURES_FOLDER, "C:\\Documents and Settings\\anna\\My Documents\\My Pictures"},
    {QUELLIN_COMMON_STARTUP_FOLDER,
     "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup"},
    {QUELLIN_SUITE_DESTINATION_FOLDER, "C:\\Program Files\\Tolva\\Inkvale Suite"},
};

// Without shfolder.dll the Windows 95 and NT 4 shells know no My Pictures folder.
const SlotTexts kNoMyPictures = {{QUELLIN_MY_PICTURES_FOLDER, ""}};
// XP keeps Windows in C:\WINDOWS.
const SlotTexts kXPWindowsFolder = {
    {QUELLIN_FONTS_FOLDER, "C:\\WINDOWS\\Fonts"},
    {QUELLIN_WINDOWS_FOLDER, "C:\\WINDOWS"},
    {QUELLIN_SYSTEM_FOLDER, "C:\\WINDOWS"},
    {QUELLIN_RUNDLE_FOLDER, "C:\\WINDOWS\\Tolva"},
};

// Each complete machine: its base, and the slots where it differs from it.
struct Expected {
    const char* machine;
    const SlotTexts& base;
    const SlotTexts& differences;
};

const SlotTexts kNone;

const Expected kExpected[] = {
    {"Win95WithShfolder", k95Family, kNone},
    {"Win95WithoutShfolder", k95Family, kNoMyPictures},
    {"Win98WithShfolder", k95Family, kNone},
    {"Win98WithoutShfolder", k95Family, kNone},
    {"NT4WithShfolder", kNT4, kNone},
    {"NT4WithoutShfolder", kNT4, kNoMyPictures},
    {"Win2000WithShfolder", kWin2000, kNone},
    {"Win2000WithoutShfolder", kWin2000, kNone},
    {"XPWithShfolder", kWin2000, kXPWindowsFolder},
    {"XPWithoutShfolder", kWin2000, kXPWindowsFolder},
};

// The text of every slot: the base's, with the machine's differences put in. A base that
// names a slot twice or not at all is a fault of the test's own table.
std::array<std::string, QUELLIN_SLOT_COUNT> SlotsOf(const Expected& expected) {
    std::array<std::string, QUELLIN_SLOT_COUNT> slots;
    std::array<int, QUELLIN_SLOT_COUNT> named = {};
    for (const SlotText& s : expected.base) {
        slots[s.slot] = s.text;
        ++named[s.slot];
    }
    for (unsigned slot = 0; slot < QUELLIN_SLOT_COUNT; ++slot)
        if (named[slot] != 1)
            ADD_FAILURE() << expected.machine << ": its base names slot " << slot << " "
                          << named[slot] << " times";
    for (const SlotText& d : expected.differences)
        slots[d.slot] = d.text;
    return slots;
}

// The disk without the folders the attach creates on purpose.
std::vector<std::string> DiskWithoutDocuments() {
    std::vector<std::string> disk = winsim::machine().files.Snapshot();
    disk.erase(std::remove_if(disk.begin(), disk.end(),
                              [](const std::string& line) {
                                  return line.find("My Pictures") != std::string::npos ||
                                         line.find("My Documents") != std::string::npos;
                              }),
               disk.end());
    return disk;
}

class WholeAttach : public MachineTest {};

TEST_F(WholeAttach, EverySlotOnEveryCompleteMachine) {
    std::vector<machines::Machine> all = machines::All();
    ASSERT_EQ(all.size(), std::size(kExpected));
    for (size_t i = 0; i < all.size(); ++i) {
        const machines::Machine& machine = all[i];
        SCOPED_TRACE(machine.name);
        ASSERT_EQ(machine.name, kExpected[i].machine);
        const std::array<std::string, QUELLIN_SLOT_COUNT> expected = SlotsOf(kExpected[i]);
        machines::Build(machine);
        std::vector<std::string> before = DiskWithoutDocuments();
        {
            AttachedLibrary lib;
            for (unsigned slot = 0; slot < QUELLIN_SLOT_COUNT; ++slot)
                EXPECT_EQ(lib.Folder(slot), expected[slot]) << "slot " << slot;
        }
        ExpectNothingOpen();
        EXPECT_EQ(DiskWithoutDocuments(), before);
        EXPECT_EQ(M().modules.LoadedCount(), 0);
    }
}

TEST_F(WholeAttach, MyPicturesIsCreatedWhereTheLibraryBuildsIt) {
    for (const machines::Machine& machine : machines::All()) {
        if (!machine.shfolder)
            continue;
        SCOPED_TRACE(machine.name);
        machines::Build(machine);
        AttachedLibrary lib;
        EXPECT_TRUE(M().files.IsDirectory(lib.Folder(QUELLIN_MY_PICTURES_FOLDER)));
    }
}

// --- why each slot holds what it holds ----------------------------------------------------

// The source a slot's record names last: its kind and detail, as QuellinFolderSource gives
// them ("none" for an empty slot).

const char kDllPath[] = "registry\tHKEY_LOCAL_MACHINE\\Software\\Borland\\Database Engine "
                        "\"DLLPATH\"";
const char kProgramFilesDir[] = "registry\tHKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\"
                                "CurrentVersion \"ProgramFilesDir\"";

// The Windows 95 family with shfolder.dll: the folder service answers what the shell knows;
// the Startup folder is asked of the shell again when the all-users one is not known.
const SlotTexts k95WithShfolder = {
    {QUELLIN_BDE_FOLDER, kDllPath},
    {QUELLIN_DAO_FOLDER, "registry\tHKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\"
                         "CurrentVersion \"CommonFilesDir\" + \"\\Microsoft Shared\\DAO\""},
    {QUELLIN_ODBC_FOLDER, "registry\tHKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\"
                          "CurrentVersion \"CommonFilesDir\" + \"\\ODBC\""},
    {QUELLIN_PERSONAL_FOLDER, "folder service\tCSIDL_PERSONAL"},
    {QUELLIN_DESKTOP_FOLDER, "folder service\tCSIDL_DESKTOPDIRECTORY"},
    {QUELLIN_PROGRAMS_FOLDER, "folder service\tCSIDL_PROGRAMS"},
    {QUELLIN_SEND_TO_FOLDER, "folder service\tCSIDL_SENDTO"},
    {QUELLIN_TEMPLATES_FOLDER, "folder service\tCSIDL_TEMPLATES"},
    {QUELLIN_START_MENU_FOLDER, "folder service\tCSIDL_STARTMENU"},
    {QUELLIN_STARTUP_FOLDER, "shell\tCSIDL_STARTUP"},
    {QUELLIN_TEMP_FOLDER, "windows\tGetTempPathA"},
    {QUELLIN_FONTS_FOLDER, "folder service\tCSIDL_FONTS"},
    {QUELLIN_WINDOWS_FOLDER, "windows\tGetWindowsDirectoryA"},
    {QUELLIN_PROGRAM_FILES_FOLDER, "folder service\tCSIDL_PROGRAM_FILES"},
    {QUELLIN_SYSTEM_FOLDER, "windows\tGetSystemDirectoryA"},
    {QUELLIN_MODULE_FOLDER, "windows\tGetModuleFileNameA"},
    {QUELLIN_RUNDLE_FOLDER, "windows\tGetWindowsDirectoryA + \"Tolva\" (not Terminal Server)"},
    {QUELLIN_MY_PICTURES_FOLDER, "default\tPersonalFolder + \"My Pictures\""},
    {QUELLIN_COMMON_STARTUP_FOLDER, "none\t"},
    {QUELLIN_SUITE_DESTINATION_FOLDER,
     "registry\tHKEY_LOCAL_MACHINE\\Software\\Tolva\\Inkvale Suite\\9 \"Destination\""},
};
// Windows 98 makes My Pictures through the folder service.
const SlotTexts k98WithShfolder = {
    {QUELLIN_MY_PICTURES_FOLDER, "folder service\tCSIDL_MYPICTURES | CSIDL_FLAG_CREATE"}};
// The NT family: the all-users folders, a system folder the user may not write to, and the
// wide calls of Windows.
const SlotTexts kNTWithShfolder = {
    {QUELLIN_DESKTOP_FOLDER, "folder service\tCSIDL_COMMON_DESKTOPDIRECTORY"},
    {QUELLIN_PROGRAMS_FOLDER, "folder service\tCSIDL_COMMON_PROGRAMS"},
    {QUELLIN_START_MENU_FOLDER, "folder service\tCSIDL_COMMON_STARTMENU"},
    {QUELLIN_STARTUP_FOLDER, "folder service\tCSIDL_STARTUP"},
    {QUELLIN_SYSTEM_FOLDER, "windows\tGetWindowsDirectoryW"},
    {QUELLIN_COMMON_STARTUP_FOLDER, "folder service\tCSIDL_COMMON_STARTUP"},
    {QUELLIN_TEMP_FOLDER, "windows\tGetTempPathW"},
    {QUELLIN_WINDOWS_FOLDER, "windows\tGetWindowsDirectoryW"},
    {QUELLIN_MODULE_FOLDER, "windows\tGetModuleFileNameW"},
    {QUELLIN_RUNDLE_FOLDER, "windows\tGetWindowsDirectoryW + \"Tolva\" (not Terminal Server)"},
};
// Without shfolder.dll: the shell, and the registry's program-files folder.
const SlotTexts k95WithoutShfolder = {
    {QUELLIN_PERSONAL_FOLDER, "shell\tCSIDL_PERSONAL"},
    {QUELLIN_DESKTOP_FOLDER, "shell\tCSIDL_DESKTOPDIRECTORY"},
    {QUELLIN_PROGRAMS_FOLDER, "shell\tCSIDL_PROGRAMS"},
    {QUELLIN_SEND_TO_FOLDER, "shell\tCSIDL_SENDTO"},
    {QUELLIN_TEMPLATES_FOLDER, "shell\tCSIDL_TEMPLATES"},
    {QUELLIN_START_MENU_FOLDER, "shell\tCSIDL_STARTMENU"},
    {QUELLIN_FONTS_FOLDER, "shell\tCSIDL_FONTS"},
    {QUELLIN_PROGRAM_FILES_FOLDER, kProgramFilesDir},
    {QUELLIN_MY_PICTURES_FOLDER, "shell\tCSIDL_MYPICTURES"},
};
const SlotTexts kNTWithoutShfolder = {
    {QUELLIN_DESKTOP_FOLDER, "shell\tCSIDL_COMMON_DESKTOPDIRECTORY"},
    {QUELLIN_PROGRAMS_FOLDER, "shell\tCSIDL_COMMON_PROGRAMS"},
    {QUELLIN_START_MENU_FOLDER, "shell\tCSIDL_COMMON_STARTMENU"},
    {QUELLIN_STARTUP_FOLDER, "shell\tCSIDL_STARTUP"},
    {QUELLIN_COMMON_STARTUP_FOLDER, "shell\tCSIDL_COMMON_STARTUP"},
};
// The Windows 95 and NT 4 shells know no My Pictures folder.
const SlotTexts kNoMyPicturesSource = {{QUELLIN_MY_PICTURES_FOLDER, "none\t"}};

struct ExpectedSources {
    const char* machine;
    std::vector<const SlotTexts*> layers; // the first names every slot, the rest differ
};

const ExpectedSources kExpectedSources[] = {
    {"Win95WithShfolder", {&k95WithShfolder}},
    {"Win95WithoutShfolder", {&k95WithShfolder, &k95WithoutShfolder, &kNoMyPicturesSource}},
    {"Win98WithShfolder", {&k95WithShfolder, &k98WithShfolder}},
    {"Win98WithoutShfolder", {&k95WithShfolder, &k95WithoutShfolder}},
    {"NT4WithShfolder", {&k95WithShfolder, &kNTWithShfolder}},
    {"NT4WithoutShfolder",
     {&k95WithShfolder, &kNTWithShfolder, &k95WithoutShfolder, &kNTWithoutShfolder,
      &kNoMyPicturesSource}},
    {"Win2000WithShfolder", {&k95WithShfolder, &kNTWithShfolder}},
    {"Win2000WithoutShfolder",
     {&k95WithShfolder, &kNTWithShfolder, &k95WithoutShfolder, &kNTWithoutShfolder}},
    {"XPWithShfolder", {&k95WithShfolder, &kNTWithShfolder}},
    {"XPWithoutShfolder",
     {&k95WithShfolder, &kNTWithShfolder, &k95WithoutShfolder, &kNTWithoutShfolder}},
};

using records::KindAndDetail;
using records::Lines;
using records::Outcome;

// Every record ends with the source of the slot's folder, which answered, or with "none" for
// an empty slot; each line holds a kind, a detail and an outcome. Returns the kinds seen.
std::set<std::string> ExpectWellFormed(AttachedLibrary& lib, unsigned slot) {
    const std::string record = lib.Source(slot);
    for (const std::string& problem : records::Problems(record, !lib.Folder(slot).empty()))
        ADD_FAILURE() << "slot " << slot << ": " << problem;
    std::set<std::string> kinds;
    for (const std::string& line : Lines(record))
        kinds.insert(line.substr(0, line.find('\t')));
    return kinds;
}

TEST_F(WholeAttach, EveryRecordNamesTheSourceOfItsSlot) {
    std::set<std::string> kinds;
    const std::vector<machines::Machine> all = machines::All();
    ASSERT_EQ(all.size(), std::size(kExpectedSources));
    for (size_t i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(all[i].name);
        ASSERT_EQ(all[i].name, kExpectedSources[i].machine);
        std::array<std::string, QUELLIN_SLOT_COUNT> expected;
        for (const SlotTexts* layer : kExpectedSources[i].layers)
            for (const SlotText& s : *layer)
                expected[s.slot] = s.text;
        machines::Build(all[i]);
        AttachedLibrary lib;
        for (unsigned slot = 0; slot < QUELLIN_SLOT_COUNT; ++slot) {
            std::set<std::string> seen = ExpectWellFormed(lib, slot);
            kinds.insert(seen.begin(), seen.end());
            EXPECT_EQ(KindAndDetail(Lines(lib.Source(slot)).back()), expected[slot])
                << "slot " << slot << ":\n"
                << lib.Source(slot);
        }
        EXPECT_EQ(lib.Source(QUELLIN_SLOT_COUNT), "<no record>");
    }

    // A machine with a program-files value too long for its buffer and a search path whose one
    // folder is named with a tab: the fixed program-files folder, and the engine's folder built
    // on it. The tab does not break the record's three fields.
    machines::Build(machines::Named("Win95WithoutShfolder"));
    M().registry.SetString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                           "ProgramFilesDir", "C:\\" + std::string(300, 'p'));
    M().registry.SetString(HKEY_LOCAL_MACHINE, "Software\\Borland\\Database Engine", "DLLPATH",
                           "C:\\A\tB");
    AttachedLibrary lib;
    for (unsigned slot = 0; slot < QUELLIN_SLOT_COUNT; ++slot) {
        std::set<std::string> seen = ExpectWellFormed(lib, slot);
        kinds.insert(seen.begin(), seen.end());
    }
    EXPECT_EQ(
        Lines(lib.Source(QUELLIN_PROGRAM_FILES_FOLDER)),
        (std::vector<std::string>{
            std::string(kProgramFilesDir) + "\ttoo long",
            "registry\tHKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion "
            "\"ProgramFilesPath\"\tmissing",
            "fallback\t\"\\Program Files\" on the Windows drive\tanswered, write test passed"}));
    EXPECT_EQ(Lines(lib.Source(QUELLIN_BDE_FOLDER)),
              (std::vector<std::string>{
                  std::string(kDllPath) + "\tnot a valid path: C:\\A B",
                  "default\tProgramFilesFolder + \"\\Borland\\Common Files\\Bde\"\tanswered, "
                  "write test passed"}));

    EXPECT_EQ(kinds, (std::set<std::string>{"folder service", "shell", "registry", "windows",
                                            "default", "fallback", "none"}));
}

// A documents folder whose name the ANSI code page cannot write: characters without a
// look-alike (the ANSI calls give 'C:\?????????') and with one (1252 writes 'Łukasz' as
// 'Lukasz', 932 writes 'Hélène' as 'Helene': a folder that is not the user's). On NT the source
// is asked wide: the slot names the folder by its exact ANSI name where the code page has one
// (65001 has one for every name, if it fits 260 bytes), else by its short name, which exists;
// the wide accessor gives the true name, and My Pictures, built and created below it, follows.
// Without a short name, without the wide call, or on Windows 98 (which keeps names in the ANSI
// code page) the source fails and the chain goes on. No folder named by a look-alike is made.
TEST_F(WholeAttach, FoldersTheAnsiCodePageCannotWriteAreNamedByTheirShortNames) {
    const std::wstring cyrillic = L"C:\\Документы";
    const std::wstring polish = L"C:\\users\\Łukasz\\Documents";
    const std::wstring french = L"C:\\users\\Hélène\\Documents";
    const std::wstring longUtf8 = L"C:\\" + std::wstring(90, L'あ');
    enum Source { kFolderService, kShell, kUserShellFolders };
    enum Expect { kShortName, kExact, kOtherwise };
    struct Case {
        const char* machine;
        Source source;
        const std::wstring& documents;
        UINT codePage;
        bool shortNames, wideService;
        Expect expect;
        const char* otherwise; // the documents folder when the source fails, and the record's why
        const char* why;
    };
    const char* const kNoName = "holds characters the ANSI code page cannot write: C:\\?????????";
    const char* const kLookAlike =
        "the ANSI code page writes the name only as \"C:\\users\\Lukasz\\Documents\", and it has "
        "no short name";
    const Case cases[] = {
        {"XPWithShfolder", kFolderService, cyrillic, 1252, true, true, kShortName, "", ""},
        {"XPWithoutShfolder", kShell, cyrillic, 1252, true, true, kShortName, "", ""},
        {"XPWithoutShfolder", kUserShellFolders, cyrillic, 1252, true, true, kShortName, "", ""},
        {"XPWithShfolder", kFolderService, cyrillic, 1252, true, false, kOtherwise,
         "C:\\My Documents", kNoName},
        {"XPWithShfolder", kFolderService, cyrillic, 1252, false, true, kOtherwise,
         "C:\\My Documents", kNoName},
        {"XPWithoutShfolder", kUserShellFolders, cyrillic, 1252, false, true, kOtherwise,
         "C:\\Documents and Settings\\anna\\Personal", kNoName},
        {"Win98WithShfolder", kFolderService, cyrillic, 1252, true, true, kOtherwise,
         "C:\\My Documents", kNoName},
        {"XPWithShfolder", kFolderService, polish, 1252, true, true, kShortName, "", ""},
        {"XPWithoutShfolder", kShell, polish, 1252, true, true, kShortName, "", ""},
        {"XPWithoutShfolder", kUserShellFolders, polish, 1252, true, true, kShortName, "", ""},
        {"XPWithShfolder", kFolderService, polish, 1252, false, true, kOtherwise,
         "C:\\My Documents", kLookAlike},
        {"XPWithShfolder", kFolderService, french, 932, true, true, kShortName, "", ""},
        {"XPWithoutShfolder", kUserShellFolders, french, 932, true, true, kShortName, "", ""},
        {"XPWithShfolder", kFolderService, polish, CP_UTF8, true, true, kExact, "", ""},
        {"XPWithShfolder", kFolderService, longUtf8, CP_UTF8, true, true, kOtherwise,
         "C:\\My Documents", "too long for 260 bytes in the ANSI code page"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.machine) + " source " + std::to_string(c.source) +
                     " code page " + std::to_string(c.codePage) +
                     (c.shortNames ? "" : ", no short names") +
                     (c.wideService ? "" : ", no SHGetFolderPathW"));
        machines::Build(machines::Named(c.machine));
        M().codePage.acp = c.codePage;
        if (M().codePage.ToAnsi(c.documents).size() < MAX_PATH) // not the one of 270 bytes
            M().files.AddDirectory(c.documents);
        if (!c.shortNames)
            M().files.WithoutShortNames('C');
        M().modules.shfolderExportsWideFunction = c.wideService;
        if (c.source == kFolderService)
            M().modules.shfolderAnswers[CSIDL_PERSONAL] = {S_OK, "", false, c.documents};
        if (c.source == kShell)
            M().shell.folders[CSIDL_PERSONAL] = {"", false, c.documents};
        if (c.source == kUserShellFolders) {
            M().shell.folders.erase(CSIDL_PERSONAL);
            M().kernel.SetEnvironment("HOMEDRIVE", "C:");
            M().registry.SetString(HKEY_CURRENT_USER, machines::detail::kUserShellFolders,
                                   "Personal", L"%HOMEDRIVE%" + c.documents.substr(2),
                                   REG_EXPAND_SZ);
        }
        const std::string lookAlike = M().codePage.ToAnsi(c.documents);
        M().calls.Reset();
        AttachedLibrary lib;
        const std::string folder = lib.Folder(QUELLIN_PERSONAL_FOLDER);
        const std::vector<std::string> record = Lines(lib.Source(QUELLIN_PERSONAL_FOLDER));
        const std::string how = Outcome(record.back());
        switch (c.expect) {
        case kShortName:
            EXPECT_EQ(folder, M().files.ShortPath(c.documents));
            EXPECT_EQ(folder.find('?'), std::string::npos) << folder;
            EXPECT_TRUE(M().files.IsDirectory(folder)) << folder;
            EXPECT_EQ(lib.FolderW(QUELLIN_PERSONAL_FOLDER), c.documents);
            EXPECT_EQ(how.compare(0, 8, "answered"), 0) << how;
            EXPECT_NE(how.find(", by its short name"), std::string::npos) << how;
            // A look-alike is named in the record beside the short name.
            if (lookAlike.find('?') == std::string::npos) {
                EXPECT_NE(how.find("only as \"" + lookAlike + "\""), std::string::npos) << how;
            }
            break;
        case kExact:
            EXPECT_EQ(M().codePage.ToWide(folder), c.documents);
            EXPECT_EQ(lib.FolderW(QUELLIN_PERSONAL_FOLDER), c.documents);
            EXPECT_EQ(how, "answered") << how;
            break;
        case kOtherwise:
            EXPECT_EQ(folder, c.otherwise);
            EXPECT_NE(lib.Source(QUELLIN_PERSONAL_FOLDER).find(c.why), std::string::npos)
                << lib.Source(QUELLIN_PERSONAL_FOLDER);
            break;
        }
        if (c.expect != kOtherwise && c.source == kFolderService) {
            EXPECT_EQ(lib.Folder(QUELLIN_MY_PICTURES_FOLDER), folder + "\\My Pictures");
            EXPECT_EQ(lib.FolderW(QUELLIN_MY_PICTURES_FOLDER), c.documents + L"\\My Pictures");
            EXPECT_TRUE(M().files.Exists(c.documents + L"\\My Pictures"));
        }
        // Nothing was made under the look-alike's name.
        const std::string lookAlikeParent = lookAlike.substr(0, lookAlike.rfind('\\'));
        if (lookAlike.find('?') == std::string::npos &&
            M().codePage.ToWide(lookAlike) != c.documents) {
            EXPECT_FALSE(M().files.Exists(M().codePage.ToWide(lookAlikeParent))) << lookAlike;
        }
    }
}

} // namespace
