// The Windows, temporary and module folders, asked of Windows directly.
#include "machine_fixture.h"

namespace {

class WindowsFolders : public MachineTest {};

TEST_F(WindowsFolders, WindowsTemporaryAndModuleFolders) {
    M().kernel.windowsDirectory = "C:\\WINNT";
    M().kernel.tempPath = "C:\\TEMP\\";
    M().kernel.moduleFileName = "D:\\Install\\Setup32.exe";
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_WINDOWS_FOLDER), "C:\\WINNT");
    EXPECT_EQ(lib.Folder(QUELLIN_TEMP_FOLDER), "C:\\TEMP\\"); // trailing backslash kept
    EXPECT_EQ(lib.Folder(QUELLIN_MODULE_FOLDER), "D:\\Install");
}

TEST_F(WindowsFolders, ModuleFolderAtDriveRootAndWithoutBackslash) {
    M().kernel.moduleFileName = "C:\\SETUP.EXE";
    {
        AttachedLibrary lib;
        EXPECT_EQ(lib.Folder(QUELLIN_MODULE_FOLDER), "C:\\"); // the root, not the bare drive
    }
    M().kernel.moduleFileName = "SETUP.EXE";
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_MODULE_FOLDER), "");
}

TEST_F(WindowsFolders, ModuleFolderIsNotCutAtATrailByte) {
    M().codePage.acp = 932;
    // U+8868 is 0x95 0x5C in code page 932: its trail byte is the backslash byte.
    M().kernel.moduleFileName = "C:\\Inst\x95\x5C\\\x95\x5C.exe";
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_MODULE_FOLDER), "C:\\Inst\x95\x5C");
}

TEST_F(WindowsFolders, OverlongWindowsAnswersGiveEmptySlots) {
    M().kernel.windowsDirectory = "C:\\" + std::string(259, 'w');
    M().kernel.tempPath = "C:\\" + std::string(257, 't') + "\\";
    M().kernel.moduleFileName = "C:\\" + std::string(256, 'm') + "\\a.exe";
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_WINDOWS_FOLDER), "");
    EXPECT_EQ(lib.Folder(QUELLIN_TEMP_FOLDER), "");
    EXPECT_EQ(lib.Folder(QUELLIN_MODULE_FOLDER), "");
}

TEST_F(WindowsFolders, LongestPathsThatFitAreKept) {
    std::string windows = "C:\\" + std::string(256, 'w'); // 259 bytes and the zero
    M().kernel.windowsDirectory = windows;
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_WINDOWS_FOLDER), windows);
}

} // namespace
