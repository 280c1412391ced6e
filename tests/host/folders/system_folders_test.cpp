// The folder table's construction and destruction: shfolder.dll sought in "setup" under the
// current directory and freed once at detach. And the whole attach on complete machines, every
// slot's text written out, so that a change in any resolver or in the resolving order shows at
// once; after detach nothing is left open and the disk holds only what the attach creates on
// purpose (documents and My Pictures folders).
#include "complete_machines.h"
#include "machine_fixture.h"

#include <shlobj.h>

#include <algorithm>
#include <array>
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

} // namespace
