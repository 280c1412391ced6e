// The library's life cycle: attach builds the table (shfolder.dll sought under the current
// directory), detach frees the module once; the Windows, temporary and module folders; the
// accessor's size rules.
#include "machine_fixture.h"

#include <shlobj.h>

#include <cstring>

namespace {

class LibraryFrame : public MachineTest {};

TEST_F(LibraryFrame, LoadsShfolderFromSetupUnderCurrentDirectory) {
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

TEST_F(LibraryFrame, DriveRootKeepsTheDoubledBackslash) {
    M().kernel.currentDirectory = "E:\\";
    M().modules.shfolderPath = "E:\\setup\\shfolder.dll";
    AttachedLibrary lib;
    EXPECT_EQ(M().modules.loadAttempts, std::vector<std::string>{"E:\\\\setup\\shfolder.dll"});
    EXPECT_EQ(M().modules.LoadedCount(), 1); // Windows folds the doubled backslash
}

TEST_F(LibraryFrame, MissingShfolderLeavesNothingToFree) {
    M().kernel.currentDirectory = "C:\\Elsewhere";
    M().modules.shfolderPath = "C:\\Install\\setup\\shfolder.dll";
    {
        AttachedLibrary lib;
        EXPECT_EQ(M().modules.loads, 0);
        EXPECT_EQ(M().calls.Count("GetProcAddress", "SHGetFolderPathA"), 0u);
        EXPECT_EQ(lib.Folder(kWindows), "C:\\WINDOWS"); // the table is still built
    }
    EXPECT_EQ(M().calls.Count("FreeLibrary"), 0u);
}

TEST_F(LibraryFrame, ShfolderWithoutTheExportStaysLoadedUntilDetach) {
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

TEST_F(LibraryFrame, UnreadableCurrentDirectoryLoadsNothing) {
    M().calls.FailApi("GetCurrentDirectoryA");
    AttachedLibrary lib;
    EXPECT_TRUE(M().modules.loadAttempts.empty());

    winsim::machine().Reset();
    M().kernel.currentDirectory = "C:\\" + std::string(300, 'x');
    AttachedLibrary longer;
    EXPECT_TRUE(M().modules.loadAttempts.empty());
}

TEST_F(LibraryFrame, WindowsTemporaryAndModuleFolders) {
    M().kernel.windowsDirectory = "C:\\WINNT";
    M().kernel.tempPath = "C:\\TEMP\\";
    M().kernel.moduleFileName = "D:\\Install\\Setup32.exe";
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(kWindows), "C:\\WINNT");
    EXPECT_EQ(lib.Folder(kTemp), "C:\\TEMP\\"); // trailing backslash kept
    EXPECT_EQ(lib.Folder(kModule), "D:\\Install");
}

TEST_F(LibraryFrame, ModuleFolderAtDriveRootAndWithoutBackslash) {
    M().kernel.moduleFileName = "C:\\SETUP.EXE";
    {
        AttachedLibrary lib;
        EXPECT_EQ(lib.Folder(kModule), "C:");
    }
    M().kernel.moduleFileName = "SETUP.EXE";
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(kModule), "");
}

TEST_F(LibraryFrame, ModuleFolderIsNotCutAtATrailByte) {
    M().codePage.acp = 932;
    // U+8868 is 0x95 0x5C in code page 932: its trail byte is the backslash byte.
    M().kernel.moduleFileName = "C:\\Inst\x95\x5C\\\x95\x5C.exe";
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(kModule), "C:\\Inst\x95\x5C");
}

TEST_F(LibraryFrame, OverlongWindowsAnswersGiveEmptySlots) {
    M().kernel.windowsDirectory = "C:\\" + std::string(259, 'w');
    M().kernel.tempPath = "C:\\" + std::string(257, 't') + "\\";
    M().kernel.moduleFileName = "C:\\" + std::string(256, 'm') + "\\a.exe";
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(kWindows), "");
    EXPECT_EQ(lib.Folder(kTemp), "");
    EXPECT_EQ(lib.Folder(kModule), "");
}

TEST_F(LibraryFrame, LongestPathsThatFitAreKept) {
    std::string windows = "C:\\" + std::string(256, 'w'); // 259 bytes and the zero
    M().kernel.windowsDirectory = windows;
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(kWindows), windows);
}

TEST_F(LibraryFrame, AccessorSizeRules) {
    M().kernel.windowsDirectory = "C:\\WIN";
    AttachedLibrary lib;
    auto get = lib.Symbol<unsigned (*)(unsigned, char*, unsigned)>("QuellinGetFolder");
    auto name = lib.Symbol<const char* (*)(unsigned)>("QuellinFolderName");
    ASSERT_TRUE(get && name);

    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(get(kWindows, nullptr, 0), 7u);
    EXPECT_EQ(get(kWindows, buffer, 6), 7u); // too small: nothing written
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(get(kWindows, buffer, 7), 6u);
    EXPECT_STREQ(buffer, "C:\\WIN");
    EXPECT_EQ(buffer[7], '#'); // never past the zero

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(get(kSuiteDestination, buffer, 1), 0u); // empty slot
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], '#');
    EXPECT_EQ(get(kSuiteDestination, buffer, 0), 1u);

    M().kernel.lastError = 0;
    EXPECT_EQ(get(20, buffer, sizeof buffer), 0u);
    EXPECT_EQ(M().kernel.lastError, static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    EXPECT_STREQ(name(0), "BdeFolder");
    EXPECT_STREQ(name(13), "ProgramFilesFolder");
    EXPECT_STREQ(name(19), "SuiteDestinationFolder");
    EXPECT_EQ(name(20), nullptr);
}

TEST_F(LibraryFrame, AttachAgainAfterDetachResolvesAfresh) {
    M().kernel.windowsDirectory = "C:\\WINDOWS";
    {
        AttachedLibrary lib;
        EXPECT_EQ(lib.Folder(kWindows), "C:\\WINDOWS");
    }
    M().kernel.windowsDirectory = "D:\\WIN";
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(kWindows), "D:\\WIN");
}

} // namespace
