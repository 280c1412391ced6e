// The library frame: its global objects built at attach and destroyed at detach, and the
// accessors' rules.
#include "machine_fixture.h"

#include <cstring>

namespace {

class LibraryFrame : public MachineTest {};

TEST_F(LibraryFrame, AccessorSizeRules) {
    M().kernel.windowsDirectory = "C:\\WIN";
    AttachedLibrary lib;
    auto get = lib.Symbol<unsigned (*)(unsigned, char*, unsigned)>("QuellinGetFolder");
    auto name = lib.Symbol<const char* (*)(unsigned)>("QuellinFolderName");
    ASSERT_TRUE(get && name);

    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(get(QUELLIN_WINDOWS_FOLDER, nullptr, 0), 7u);
    EXPECT_EQ(get(QUELLIN_WINDOWS_FOLDER, buffer, 6), 7u); // too small: nothing written
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(get(QUELLIN_WINDOWS_FOLDER, buffer, 7), 6u);
    EXPECT_STREQ(buffer, "C:\\WIN");
    EXPECT_EQ(buffer[7], '#'); // never past the zero

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(get(QUELLIN_SUITE_DESTINATION_FOLDER, buffer, 1), 0u); // empty slot
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], '#');
    EXPECT_EQ(get(QUELLIN_SUITE_DESTINATION_FOLDER, buffer, 0), 1u);

    M().kernel.lastError = 0;
    EXPECT_EQ(get(QUELLIN_SLOT_COUNT, buffer, sizeof buffer), 0u);
    EXPECT_EQ(M().kernel.lastError, static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    EXPECT_STREQ(name(QUELLIN_BDE_FOLDER), "BdeFolder");
    EXPECT_STREQ(name(QUELLIN_PROGRAM_FILES_FOLDER), "ProgramFilesFolder");
    EXPECT_STREQ(name(QUELLIN_SUITE_DESTINATION_FOLDER), "SuiteDestinationFolder");
    EXPECT_EQ(name(QUELLIN_SLOT_COUNT), nullptr);
}

TEST_F(LibraryFrame, AttachAgainAfterDetachResolvesAfresh) {
    M().kernel.windowsDirectory = "C:\\WINDOWS";
    {
        AttachedLibrary lib;
        EXPECT_EQ(lib.Folder(QUELLIN_WINDOWS_FOLDER), "C:\\WINDOWS");
    }
    M().kernel.windowsDirectory = "D:\\WIN";
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_WINDOWS_FOLDER), "D:\\WIN");
}

} // namespace
