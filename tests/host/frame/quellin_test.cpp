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
