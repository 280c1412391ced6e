// The library frame: its global objects built at attach and destroyed at detach, and the
// accessors' rules.
#include "machine_fixture.h"

#include <windows.h>

#include <cstring>

namespace {

class LibraryFrame : public MachineTest {};

// The size rules of QuellinGetFolder, and its last error on every path: ERROR_SUCCESS for any
// valid slot (so that 0 tells an empty slot), ERROR_INVALID_PARAMETER for a slot number outside
// the table. Each call starts from the other error, so that the one it leaves is its own. The
// test shares the simulated machine, and so the last error, with the library.
TEST_F(LibraryFrame, AccessorSizeRules) {
    M().kernel.windowsDirectory = "C:\\WIN";
    AttachedLibrary lib;
    auto get = lib.Symbol<PFNQUELLINGETFOLDER>("QuellinGetFolder");
    auto name = lib.Symbol<PFNQUELLINFOLDERNAME>("QuellinFolderName");
    ASSERT_TRUE(get && name);
    // A valid slot's call, made after a bad slot number left its error.
    auto getValid = [get](DWORD slot, char* buffer, DWORD size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return get(slot, buffer, size);
    };

    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(getValid(QUELLIN_WINDOWS_FOLDER, nullptr, 0), 7u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(getValid(QUELLIN_WINDOWS_FOLDER, buffer, 6), 7u); // too small: nothing written
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(getValid(QUELLIN_WINDOWS_FOLDER, buffer, 7), 6u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_STREQ(buffer, "C:\\WIN");
    EXPECT_EQ(buffer[7], '#'); // never past the zero

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(getValid(QUELLIN_SUITE_DESTINATION_FOLDER, buffer, 1), 0u); // empty slot
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], '#');
    EXPECT_EQ(getValid(QUELLIN_SUITE_DESTINATION_FOLDER, buffer, 0), 1u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(get(QUELLIN_SLOT_COUNT, buffer, sizeof buffer), 0u); // the first bad number
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

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
