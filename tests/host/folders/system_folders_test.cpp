// The folder table's construction and destruction: shfolder.dll sought in "setup" under the
// current directory and freed once at detach; and the whole attach on complete machines, every
// slot written out, so that a change in any resolver or in the resolving order shows at once.
// After detach nothing is left open and the disk holds only what the attach creates on purpose
// (documents and My Pictures folders).
#include "complete_machines.h"
#include "machine_fixture.h"

#include <shlobj.h>

#include <algorithm>
#include <array>

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

struct Expected {
    const char* machine;
    std::array<const char*, QUELLIN_SLOT_COUNT> slots;
};

const Expected kExpected[] = {
    {"Win95WithShfolder",
     {
         "C:\\Program Files\\Common Files\\Borland Shared\\BDE",   // 0
         "C:\\Program Files\\Common Files\\Microsoft Shared\\DAO", // 1
         "C:\\Program Files\\Common Files\\ODBC",                  // 2
         "C:\\My Documents",                                       // 3
         "C:\\WINDOWS\\Desktop",                                   // 4
         "C:\\WINDOWS\\Start Menu\\Programs",                      // 5
         "C:\\WINDOWS\\SendTo",                                    // 6
         "C:\\WINDOWS\\ShellNew",                                  // 7
         "C:\\WINDOWS\\Start Menu",                                // 8
         "C:\\WINDOWS\\Start Menu\\Programs\\StartUp",             // 9
         "C:\\WINDOWS\\TEMP\\",                                    // 10
         "C:\\WINDOWS\\Fonts",                                     // 11
         "C:\\WINDOWS",                                            // 12
         "C:\\Program Files",                                      // 13
         "C:\\WINDOWS\\SYSTEM",                                    // 14
         "C:\\Install",                                            // 15
         "C:\\WINDOWS\\Tolva",                                     // 16
         "C:\\My Documents\\My Pictures",                          // 17
         "",                                                       // 18
         "C:\\Program Files\\Tolva\\Inkvale Suite",                // 19
     }},
    {"Win95WithoutShfolder",
     {
         "C:\\Program Files\\Common Files\\Borland Shared\\BDE",   // 0
         "C:\\Program Files\\Common Files\\Microsoft Shared\\DAO", // 1
         "C:\\Program Files\\Common Files\\ODBC",                  // 2
         "C:\\My Documents",                                       // 3
         "C:\\WINDOWS\\Desktop",                                   // 4
         "C:\\WINDOWS\\Start Menu\\Programs",                      // 5
         "C:\\WINDOWS\\SendTo",                                    // 6
         "C:\\WINDOWS\\ShellNew",                                  // 7
         "C:\\WINDOWS\\Start Menu",                                // 8
         "C:\\WINDOWS\\Start Menu\\Programs\\StartUp",             // 9
         "C:\\WINDOWS\\TEMP\\",                                    // 10
         "C:\\WINDOWS\\Fonts",                                     // 11
         "C:\\WINDOWS",                                            // 12
         "C:\\Program Files",                                      // 13
         "C:\\WINDOWS\\SYSTEM",                                    // 14
         "C:\\Install",                                            // 15
         "C:\\WINDOWS\\Tolva",                                     // 16
         "",                                                       // 17
         "",                                                       // 18
         "C:\\Program Files\\Tolva\\Inkvale Suite",                // 19
     }},
    {"Win98WithShfolder",
     {
         "C:\\Program Files\\Common Files\\Borland Shared\\BDE",   // 0
         "C:\\Program Files\\Common Files\\Microsoft Shared\\DAO", // 1
         "C:\\Program Files\\Common Files\\ODBC",                  // 2
         "C:\\My Documents",                                       // 3
         "C:\\WINDOWS\\Desktop",                                   // 4
         "C:\\WINDOWS\\Start Menu\\Programs",                      // 5
         "C:\\WINDOWS\\SendTo",                                    // 6
         "C:\\WINDOWS\\ShellNew",                                  // 7
         "C:\\WINDOWS\\Start Menu",                                // 8
         "C:\\WINDOWS\\Start Menu\\Programs\\StartUp",             // 9
         "C:\\WINDOWS\\TEMP\\",                                    // 10
         "C:\\WINDOWS\\Fonts",                                     // 11
         "C:\\WINDOWS",                                            // 12
         "C:\\Program Files",                                      // 13
         "C:\\WINDOWS\\SYSTEM",                                    // 14
         "C:\\Install",                                            // 15
         "C:\\WINDOWS\\Tolva",                                     // 16
         "C:\\My Documents\\My Pictures",                          // 17
         "",                                                       // 18
         "C:\\Program Files\\Tolva\\Inkvale Suite",                // 19
     }},
    {"Win98WithoutShfolder",
     {
         "C:\\Program Files\\Common Files\\Borland Shared\\BDE",   // 0
         "C:\\Program Files\\Common Files\\Microsoft Shared\\DAO", // 1
         "C:\\Program Files\\Common Files\\ODBC",                  // 2
         "C:\\My Documents",                                       // 3
         "C:\\WINDOWS\\Desktop",                                   // 4
         "C:\\WINDOWS\\Start Menu\\Programs",                      // 5
         "C:\\WINDOWS\\SendTo",                                    // 6
         "C:\\WINDOWS\\ShellNew",                                  // 7
         "C:\\WINDOWS\\Start Menu",                                // 8
         "C:\\WINDOWS\\Start Menu\\Programs\\StartUp",             // 9
         "C:\\WINDOWS\\TEMP\\",                                    // 10
         "C:\\WINDOWS\\Fonts",                                     // 11
         "C:\\WINDOWS",                                            // 12
         "C:\\Program Files",                                      // 13
         "C:\\WINDOWS\\SYSTEM",                                    // 14
         "C:\\Install",                                            // 15
         "C:\\WINDOWS\\Tolva",                                     // 16
         "C:\\My Documents\\My Pictures",                          // 17
         "",                                                       // 18
         "C:\\Program Files\\Tolva\\Inkvale Suite",                // 19
     }},
    {"NT4WithShfolder",
     {
         "C:\\Program Files\\Common Files\\Borland Shared\\BDE",          // 0
         "C:\\Program Files\\Common Files\\Microsoft Shared\\DAO",        // 1
         "C:\\Program Files\\Common Files\\ODBC",                         // 2
         "C:\\WINNT\\Profiles\\anna\\Personal",                           // 3
         "C:\\WINNT\\Profiles\\All Users\\Desktop",                       // 4
         "C:\\WINNT\\Profiles\\All Users\\Start Menu\\Programs",          // 5
         "C:\\WINNT\\Profiles\\anna\\SendTo",                             // 6
         "C:\\WINNT\\Profiles\\anna\\Templates",                          // 7
         "C:\\WINNT\\Profiles\\All Users\\Start Menu",                    // 8
         "C:\\WINNT\\Profiles\\anna\\Start Menu\\Programs\\Startup",      // 9
         "C:\\TEMP\\",                                                    // 10
         "C:\\WINNT\\Fonts",                                              // 11
         "C:\\WINNT",                                                     // 12
         "C:\\Program Files",                                             // 13
         "C:\\WINNT",                                                     // 14
         "C:\\Install",                                                   // 15
         "C:\\WINNT\\Tolva",                                              // 16
         "C:\\WINNT\\Profiles\\anna\\Personal\\My Pictures",              // 17
         "C:\\WINNT\\Profiles\\All Users\\Start Menu\\Programs\\Startup", // 18
         "C:\\Program Files\\Tolva\\Inkvale Suite",                       // 19
     }},
    {"NT4WithoutShfolder",
     {
         "C:\\Program Files\\Common Files\\Borland Shared\\BDE",          // 0
         "C:\\Program Files\\Common Files\\Microsoft Shared\\DAO",        // 1
         "C:\\Program Files\\Common Files\\ODBC",                         // 2
         "C:\\WINNT\\Profiles\\anna\\Personal",                           // 3
         "C:\\WINNT\\Profiles\\All Users\\Desktop",                       // 4
         "C:\\WINNT\\Profiles\\All Users\\Start Menu\\Programs",          // 5
         "C:\\WINNT\\Profiles\\anna\\SendTo",                             // 6
         "C:\\WINNT\\Profiles\\anna\\Templates",                          // 7
         "C:\\WINNT\\Profiles\\All Users\\Start Menu",                    // 8
         "C:\\WINNT\\Profiles\\anna\\Start Menu\\Programs\\Startup",      // 9
         "C:\\TEMP\\",                                                    // 10
         "C:\\WINNT\\Fonts",                                              // 11
         "C:\\WINNT",                                                     // 12
         "C:\\Program Files",                                             // 13
         "C:\\WINNT",                                                     // 14
         "C:\\Install",                                                   // 15
         "C:\\WINNT\\Tolva",                                              // 16
         "",                                                              // 17
         "C:\\WINNT\\Profiles\\All Users\\Start Menu\\Programs\\Startup", // 18
         "C:\\Program Files\\Tolva\\Inkvale Suite",                       // 19
     }},
    {"Win2000WithShfolder",
     {
         "C:\\Program Files\\Common Files\\Borland Shared\\BDE",                 // 0
         "C:\\Program Files\\Common Files\\Microsoft Shared\\DAO",               // 1
         "C:\\Program Files\\Common Files\\ODBC",                                // 2
         "C:\\Documents and Settings\\anna\\My Documents",                       // 3
         "C:\\Documents and Settings\\All Users\\Desktop",                       // 4
         "C:\\Documents and Settings\\All Users\\Start Menu\\Programs",          // 5
         "C:\\Documents and Settings\\anna\\SendTo",                             // 6
         "C:\\Documents and Settings\\anna\\Templates",                          // 7
         "C:\\Documents and Settings\\All Users\\Start Menu",                    // 8
         "C:\\Documents and Settings\\anna\\Start Menu\\Programs\\Startup",      // 9
         "C:\\TEMP\\",                                                           // 10
         "C:\\WINNT\\Fonts",                                                     // 11
         "C:\\WINNT",                                                            // 12
         "C:\\Program Files",                                                    // 13
         "C:\\WINNT",                                                            // 14
         "C:\\Install",                                                          // 15
         "C:\\WINNT\\Tolva",                                                     // 16
         "C:\\Documents and Settings\\anna\\My Documents\\My Pictures",          // 17
         "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup", // 18
         "C:\\Program Files\\Tolva\\Inkvale Suite",                              // 19
     }},
    {"Win2000WithoutShfolder",
     {
         "C:\\Program Files\\Common Files\\Borland Shared\\BDE",                 // 0
         "C:\\Program Files\\Common Files\\Microsoft Shared\\DAO",               // 1
         "C:\\Program Files\\Common Files\\ODBC",                                // 2
         "C:\\Documents and Settings\\anna\\My Documents",                       // 3
         "C:\\Documents and Settings\\All Users\\Desktop",                       // 4
         "C:\\Documents and Settings\\All Users\\Start Menu\\Programs",          // 5
         "C:\\Documents and Settings\\anna\\SendTo",                             // 6
         "C:\\Documents and Settings\\anna\\Templates",                          // 7
         "C:\\Documents and Settings\\All Users\\Start Menu",                    // 8
         "C:\\Documents and Settings\\anna\\Start Menu\\Programs\\Startup",      // 9
         "C:\\TEMP\\",                                                           // 10
         "C:\\WINNT\\Fonts",                                                     // 11
         "C:\\WINNT",                                                            // 12
         "C:\\Program Files",                                                    // 13
         "C:\\WINNT",                                                            // 14
         "C:\\Install",                                                          // 15
         "C:\\WINNT\\Tolva",                                                     // 16
         "C:\\Documents and Settings\\anna\\My Documents\\My Pictures",          // 17
         "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup", // 18
         "C:\\Program Files\\Tolva\\Inkvale Suite",                              // 19
     }},
    {"XPWithShfolder",
     {
         "C:\\Program Files\\Common Files\\Borland Shared\\BDE",                 // 0
         "C:\\Program Files\\Common Files\\Microsoft Shared\\DAO",               // 1
         "C:\\Program Files\\Common Files\\ODBC",                                // 2
         "C:\\Documents and Settings\\anna\\My Documents",                       // 3
         "C:\\Documents and Settings\\All Users\\Desktop",                       // 4
         "C:\\Documents and Settings\\All Users\\Start Menu\\Programs",          // 5
         "C:\\Documents and Settings\\anna\\SendTo",                             // 6
         "C:\\Documents and Settings\\anna\\Templates",                          // 7
         "C:\\Documents and Settings\\All Users\\Start Menu",                    // 8
         "C:\\Documents and Settings\\anna\\Start Menu\\Programs\\Startup",      // 9
         "C:\\TEMP\\",                                                           // 10
         "C:\\WINDOWS\\Fonts",                                                   // 11
         "C:\\WINDOWS",                                                          // 12
         "C:\\Program Files",                                                    // 13
         "C:\\WINDOWS",                                                          // 14
         "C:\\Install",                                                          // 15
         "C:\\WINDOWS\\Tolva",                                                   // 16
         "C:\\Documents and Settings\\anna\\My Documents\\My Pictures",          // 17
         "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup", // 18
         "C:\\Program Files\\Tolva\\Inkvale Suite",                              // 19
     }},
    {"XPWithoutShfolder",
     {
         "C:\\Program Files\\Common Files\\Borland Shared\\BDE",                 // 0
         "C:\\Program Files\\Common Files\\Microsoft Shared\\DAO",               // 1
         "C:\\Program Files\\Common Files\\ODBC",                                // 2
         "C:\\Documents and Settings\\anna\\My Documents",                       // 3
         "C:\\Documents and Settings\\All Users\\Desktop",                       // 4
         "C:\\Documents and Settings\\All Users\\Start Menu\\Programs",          // 5
         "C:\\Documents and Settings\\anna\\SendTo",                             // 6
         "C:\\Documents and Settings\\anna\\Templates",                          // 7
         "C:\\Documents and Settings\\All Users\\Start Menu",                    // 8
         "C:\\Documents and Settings\\anna\\Start Menu\\Programs\\Startup",      // 9
         "C:\\TEMP\\",                                                           // 10
         "C:\\WINDOWS\\Fonts",                                                   // 11
         "C:\\WINDOWS",                                                          // 12
         "C:\\Program Files",                                                    // 13
         "C:\\WINDOWS",                                                          // 14
         "C:\\Install",                                                          // 15
         "C:\\WINDOWS\\Tolva",                                                   // 16
         "C:\\Documents and Settings\\anna\\My Documents\\My Pictures",          // 17
         "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup", // 18
         "C:\\Program Files\\Tolva\\Inkvale Suite",                              // 19
     }},
};

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
        machines::Build(machine);
        std::vector<std::string> before = DiskWithoutDocuments();
        {
            AttachedLibrary lib;
            for (unsigned slot = 0; slot < QUELLIN_SLOT_COUNT; ++slot)
                EXPECT_EQ(lib.Folder(slot), kExpected[i].slots[slot]) << "slot " << slot;
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
