// The program-files, system, maker's and suite folders.
#include "complete_machines.h"
#include "machine_fixture.h"

#include "folders/SystemFolders.h"

#include <shlobj.h>
#include <winreg.h>

#include <string>

namespace {

const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kSuiteKey[] = "Software\\Tolva\\Inkvale Suite\\9";
const char kShfolder[] = "C:\\Install\\setup\\shfolder.dll";

// A folder of the table is empty or rooted at a drive: never relative to whatever the current
// directory or drive happens to be.
::testing::AssertionResult EmptyOrRooted(const std::string& folder) {
    if (folder.empty() || (folder.size() >= 3 && folder[1] == ':' && folder[2] == '\\'))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "'" << folder << "' has no drive";
}

class ProgramFolders : public MachineTest {
  protected:
    void ProgramFilesDir(const std::string& value) {
        M().registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", value);
    }
    void ProgramFilesPath(const std::string& value) {
        M().registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesPath", value);
    }
    // Windows installed on drive D.
    void WindowsOnD() {
        M().files.AddDrive('D');
        M().files.AddDirectory("D:\\WINNT\\SYSTEM32");
        M().kernel.windowsDirectory = "D:\\WINNT";
        M().kernel.systemDirectory = "D:\\WINNT\\SYSTEM32";
    }
    // Probe files made in the folder during the attach.
    size_t ProbesIn(const std::string& folder) {
        size_t count = 0;
        for (const std::string& file : M().files.createdFiles)
            if (file.size() == folder.size() + 6 && file.compare(0, folder.size(), folder) == 0)
                ++count;
        return count;
    }
};

// --- program-files folder -----------------------------------------------------------------

TEST_F(ProgramFolders, FolderServiceAnswerIsTakenUntested) {
    M().modules.shfolderPath = kShfolder;
    M().files.AddDirectory("C:\\Locked");
    M().files.DenyNewFiles("C:\\Locked");
    M().modules.shfolderAnswers[CSIDL_PROGRAM_FILES] = {S_OK, "C:\\Locked"};
    ProgramFilesDir("C:\\Install");
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_PROGRAM_FILES_FOLDER), "C:\\Locked");
    EXPECT_EQ(ProbesIn("C:\\Locked"), 0u);
    EXPECT_EQ(ProbesIn("C:\\Install"), 0u);
    EXPECT_EQ(M().calls.Count("CreateFileA", "C:\\Locked"), 0u);
}

TEST_F(ProgramFolders, CommonFlagAsksForTheCommonFilesFolder) {
    M().modules.shfolderPath = kShfolder;
    M().modules.shfolderAnswers[CSIDL_PROGRAM_FILES] = {S_OK, "C:\\Programs"};
    M().modules.shfolderAnswers[CSIDL_PROGRAM_FILES_COMMON] = {S_OK, "C:\\Programs\\Common"};
    CSystemFolders table;
    table.ResolveProgramFilesFolder(QUELLIN_PROGRAM_FILES_FOLDER, ProgramFilesKind::CommonFiles);
    EXPECT_EQ(table.Slot(QUELLIN_PROGRAM_FILES_FOLDER), "C:\\Programs\\Common");
    table.ResolveProgramFilesFolder(QUELLIN_PROGRAM_FILES_FOLDER, ProgramFilesKind::ProgramFiles);
    EXPECT_EQ(table.Slot(QUELLIN_PROGRAM_FILES_FOLDER), "C:\\Programs");
}

TEST_F(ProgramFolders, FailingFolderServiceFallsToTheRegistry) {
    M().modules.shfolderPath = kShfolder;
    M().modules.shfolderAnswers[CSIDL_PROGRAM_FILES] = {E_FAIL, "C:\\Wrong"};
    M().files.AddDirectory("C:\\Apps");
    ProgramFilesDir("C:\\Apps");
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_PROGRAM_FILES_FOLDER), "C:\\Apps");
}

TEST_F(ProgramFolders, WritableProgramFilesDirIsTestedOnce) {
    M().files.AddDirectory("C:\\Apps");
    ProgramFilesDir("C:\\Apps");
    ProgramFilesPath("%SystemDrive%\\Other");
    auto before = M().files.Snapshot();
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_PROGRAM_FILES_FOLDER), "C:\\Apps");
    // Its own turn and every refresh before it share one write test.
    EXPECT_EQ(ProbesIn("C:\\Apps"), 1u);
    EXPECT_EQ(M().files.Snapshot(), before);
    lib.Detach();
    ExpectNothingOpen();
}

TEST_F(ProgramFolders, UnwritableProgramFilesDirGivesWayToProgramFilesPath) {
    WindowsOnD();
    M().files.AddDirectory("C:\\Apps");
    M().files.DenyNewFiles("C:\\Apps");
    ProgramFilesDir("C:\\Apps");
    ProgramFilesPath("%systemdrive%\\Programme");
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_PROGRAM_FILES_FOLDER), "D:\\Programme");
}

// "%SystemDrive%" in any case, through the ANSI calls (Windows 95) and the wide ones (NT).
TEST_F(ProgramFolders, ProgramFilesPathOnTheWindowsDrive) {
    for (auto platform : {&winsim::Versions::Windows95, &winsim::Versions::NT4}) {
        for (const char* reference : {"%SystemDrive%", "%systemdrive%", "%SYSTEMDRIVE%"}) {
            SCOPED_TRACE(reference);
            SetUp();
            (M().version.*platform)();
            WindowsOnD();
            ProgramFilesPath(std::string(reference) + "\\Programme");
            AttachedLibrary lib;
            EXPECT_EQ(lib.Folder(QUELLIN_PROGRAM_FILES_FOLDER), "D:\\Programme");
            EXPECT_FALSE(M().files.Exists("D:\\Programme")); // the test removed what it created
        }
    }
}

TEST_F(ProgramFolders, NeitherValueGivesProgramFilesOnTheWindowsDrive) {
    WindowsOnD();
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_PROGRAM_FILES_FOLDER), "D:\\Program Files");
}

// No program-files value can be read and Windows does not give its directory: the
// program-files folder, which is never empty, is "\Program Files" on the current drive (a
// fault the sweep found).
// Without the Windows drive the fixed folder would be "\Program Files" on whatever drive is
// current: no folder, and the slot stays empty.
TEST_F(ProgramFolders, NoProgramFilesFolderWithoutTheWindowsDirectory) {
    machines::Build(machines::Named("XPWithoutShfolder"));
    M().calls.FailApi("GetWindowsDirectoryA");
    M().calls.FailApi("GetWindowsDirectoryW");
    M().registry.DeleteValue(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir");
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_PROGRAM_FILES_FOLDER), "");
    EXPECT_NE(lib.Source(QUELLIN_PROGRAM_FILES_FOLDER).find("not a full path: \\Program Files"),
              std::string::npos);
}

// The fixed folder of a 32-bit process on 64-bit Windows is the 32-bit programs' folder.
// IsWow64Process is looked up in KERNEL32.DLL (Windows 95 and NT 4 have none: not WoW64), once
// an attach: the fixed folder and the attach record share the answer.
TEST_F(ProgramFolders, FixedFolderFollowsWow64) {
    const std::string x86 =
        "\"\\Program Files (x86)\" on the Windows drive (32-bit process on 64-bit Windows)";
    const std::string plain = "\"\\Program Files\" on the Windows drive";
    struct Case {
        bool wow64;
        bool exported;
        std::string programFilesDir; // writable; empty: none
        std::string folder;
        std::string detail; // of the record's fallback line; empty: no fallback
    };
    const Case cases[] = {
        {true, true, "", "D:\\Program Files (x86)", x86},
        {false, true, "", "D:\\Program Files", plain},
        {true, false, "", "D:\\Program Files", plain},
        {false, false, "", "D:\\Program Files", plain},
        {true, true, "C:\\Apps", "C:\\Apps", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "WoW64 " << c.wow64 << ", exported " << c.exported
                                          << ", ProgramFilesDir '" << c.programFilesDir << "'");
        winsim::machine().Reset();
        WindowsOnD();
        M().kernel.wow64 = c.wow64;
        M().modules.kernel32HasIsWow64Process = c.exported;
        if (!c.programFilesDir.empty()) {
            M().files.AddDirectory(c.programFilesDir);
            ProgramFilesDir(c.programFilesDir);
        }
        M().files.DenyNewDirectories("D:\\"); // the fixed folder cannot be made: untested
        CSystemFolders table;
        EXPECT_EQ(table.Slot(QUELLIN_PROGRAM_FILES_FOLDER), c.folder);
        const std::string record = table.SourceRecord(QUELLIN_PROGRAM_FILES_FOLDER);
        const bool fixed = !c.detail.empty();
        if (fixed) {
            EXPECT_NE(record.find("fallback\t" + c.detail + "\tanswered, untested"),
                      std::string::npos)
                << record;
        }
        EXPECT_EQ(M().calls.Count("GetProcAddress", "IsWow64Process"), 1u);
        EXPECT_EQ(M().calls.Count("IsWow64Process"), c.exported ? 1u : 0u);
        EXPECT_NE(table.AttachRecord().find(c.wow64 && c.exported ? "\ta 32-bit process on 64-bit"
                                                                  : "\tnot"),
                  std::string::npos)
            << table.AttachRecord();
    }
}

TEST_F(ProgramFolders, UnwritableCandidateFallsBackUntested) {
    M().files.DenyNewDirectories("C:\\");
    ProgramFilesPath("%SystemDrive%\\Apps");
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_PROGRAM_FILES_FOLDER), "C:\\Program Files");
}

TEST_F(ProgramFolders, CandidateWithoutRootIsRejected) {
    WindowsOnD();
    M().files.AddDirectory("C:\\Install\\Programs");
    ProgramFilesDir("Programs"); // relative to the current directory C:\Install
    ProgramFilesPath("Programs");
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_PROGRAM_FILES_FOLDER), "D:\\Program Files");
}

TEST_F(ProgramFolders, UserWhoMayNotWriteTheMachineKeys) {
    WindowsOnD();
    M().files.AddDirectory("C:\\Apps");
    ProgramFilesDir("C:\\Apps");
    M().registry.SetString(HKEY_LOCAL_MACHINE, kSuiteKey, "Destination", "C:\\Inkvale");
    M().registry.DenyWrite(HKEY_LOCAL_MACHINE, kCurrentVersion);
    M().registry.DenyWrite(HKEY_LOCAL_MACHINE, kSuiteKey);
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_PROGRAM_FILES_FOLDER), "D:\\Program Files");
    EXPECT_EQ(lib.Folder(QUELLIN_SUITE_DESTINATION_FOLDER), "");
}

TEST_F(ProgramFolders, RefreshAfterItsOwnTurnTestsAfresh) {
    M().files.AddDirectory("C:\\Apps");
    ProgramFilesDir("C:\\Apps");
    CSystemFolders table; // built: the program-files folder's own turn has run
    EXPECT_EQ(table.Slot(QUELLIN_PROGRAM_FILES_FOLDER), "C:\\Apps");
    M().files.DenyNewFiles("C:\\Apps");
    EXPECT_EQ(table.RefreshProgramFilesFolder(), "C:\\Program Files");
    EXPECT_EQ(table.Slot(QUELLIN_PROGRAM_FILES_FOLDER), "C:\\Program Files");
}

// --- system, maker's and suite folders ----------------------------------------------------

TEST_F(ProgramFolders, SystemFolderOrWindowsFolderWhenNotWritable) {
    {
        AttachedLibrary lib;
        EXPECT_EQ(lib.Folder(QUELLIN_SYSTEM_FOLDER), "C:\\WINDOWS\\SYSTEM32");
    }
    M().files.DenyNewFiles("C:\\WINDOWS\\SYSTEM32");
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_SYSTEM_FOLDER), "C:\\WINDOWS");
}

TEST_F(ProgramFolders, OverlongSystemDirectoryGivesTheWindowsFolder) {
    M().kernel.systemDirectory = "C:\\" + std::string(300, 's');
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_SYSTEM_FOLDER), "C:\\WINDOWS");
}

TEST_F(ProgramFolders, MakersFolderFollowsTerminalServer) {
    M().files.AddDirectory("C:\\Apps");
    ProgramFilesDir("C:\\Apps");
    {
        M().version.WindowsXP();
        AttachedLibrary lib;
        EXPECT_EQ(lib.Folder(QUELLIN_RUNDLE_FOLDER), "C:\\WINDOWS\\Tolva");
        EXPECT_EQ(ProbesIn("C:\\Apps"), 1u);
    }
    M().files.createdFiles.clear();
    M().version.terminalServer = true;
    {
        AttachedLibrary lib;
        EXPECT_EQ(lib.Folder(QUELLIN_RUNDLE_FOLDER), "C:\\Apps\\Tolva\\Rundle");
        // Up to the maker's folder nothing changed the disk for good: the outcome of the
        // program-files write test is not probed again.
        EXPECT_EQ(ProbesIn("C:\\Apps"), 1u);
    }
    M().version.Windows98();
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_RUNDLE_FOLDER), "C:\\WINDOWS\\Tolva");
}

TEST_F(ProgramFolders, MakersFolderOnNT4TerminalServer) {
    M().version.NT4();
    M().registry.SetMultiString(HKEY_LOCAL_MACHINE,
                                "System\\CurrentControlSet\\Control\\ProductOptions",
                                "ProductSuite", {"Terminal Server"});
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_RUNDLE_FOLDER), "C:\\Program Files\\Tolva\\Rundle");
}

// Windows does not give its directory: the maker's folder is not the relative "Tolva" (a
// fault the sweep found).
TEST_F(ProgramFolders, MakersFolderIsNotRelativeWithoutTheWindowsDirectory) {
    machines::Build(machines::Named("XPWithoutShfolder"));
    M().calls.FailApi("GetWindowsDirectoryA");
    M().calls.FailApi("GetWindowsDirectoryW");
    AttachedLibrary lib;
    EXPECT_TRUE(EmptyOrRooted(lib.Folder(QUELLIN_RUNDLE_FOLDER)));
}

TEST_F(ProgramFolders, SuiteDestinationAsRegistered) {
    {
        AttachedLibrary lib;
        EXPECT_EQ(lib.Folder(QUELLIN_SUITE_DESTINATION_FOLDER), "");
    }
    M().registry.SetString(HKEY_LOCAL_MACHINE, kSuiteKey, "Destination", "Q:\\Inkvale Suite");
    {
        AttachedLibrary lib;
        EXPECT_EQ(lib.Folder(QUELLIN_SUITE_DESTINATION_FOLDER), "Q:\\Inkvale Suite"); // untested
    }
    // Its environment references expanded, once.
    M().kernel.SetEnvironment("ProgramFiles", "C:\\Program Files");
    M().registry.SetString(HKEY_LOCAL_MACHINE, kSuiteKey, "Destination",
                           "%ProgramFiles%\\Inkvale Suite");
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_SUITE_DESTINATION_FOLDER), "C:\\Program Files\\Inkvale Suite");
}

} // namespace
