// The simulated shell: lists come only for known folders, conversion follows the folder's
// set-up, and the allocator's bookkeeping shows leaks and misuse.
#include "machine_fixture.h"

#include <shlobj.h>

namespace {

class ShellSim : public MachineTest {};

TEST_F(ShellSim, ListsAndConversions) {
    M().shell.folders[CSIDL_FONTS] = {"C:\\WINDOWS\\Fonts", false};
    M().shell.folders[CSIDL_SENDTO] = {"C:\\WINDOWS\\SendTo", true};
    LPMALLOC allocator = nullptr;
    ASSERT_EQ(SHGetMalloc(&allocator), S_OK);

    LPITEMIDLIST list = reinterpret_cast<LPITEMIDLIST>(1);
    EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_TEMPLATES, &list), E_INVALIDARG);
    EXPECT_EQ(list, nullptr);

    char path[MAX_PATH] = "junk";
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_FONTS, &list), S_OK);
    EXPECT_TRUE(SHGetPathFromIDListA(list, path));
    EXPECT_STREQ(path, "C:\\WINDOWS\\Fonts");
    allocator->Free(list);

    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_SENDTO, &list), S_OK);
    EXPECT_FALSE(SHGetPathFromIDListA(list, path));
    EXPECT_STREQ(path, "");
    allocator->Free(list);
    allocator->Free(nullptr);
    allocator->Release();

    EXPECT_EQ(M().shell.listsAllocated, 2);
    EXPECT_EQ(M().shell.listsFreed, 2);
    EXPECT_EQ(M().shell.nullFrees, 1);
    ExpectNothingOpen();
}

TEST_F(ShellSim, LeaksAndMisuseAreReported) {
    M().shell.folders[CSIDL_FONTS] = {"C:\\WINDOWS\\Fonts", false};
    LPMALLOC allocator = nullptr;
    ASSERT_EQ(SHGetMalloc(&allocator), S_OK);
    LPITEMIDLIST list = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_FONTS, &list), S_OK);
    EXPECT_EQ(M().OpenResources(),
              (std::vector<std::string>{"shell allocator references: 1", "item-id lists: 1"}));

    allocator->Free(list);
    char path[MAX_PATH];
    EXPECT_FALSE(SHGetPathFromIDListA(list, path)); // freed
    allocator->Free(list);                          // twice
    allocator->Release();
    allocator->Release(); // one too many
    EXPECT_EQ(M().shell.misuse.size(), 3u);

    M().Reset();
    M().calls.FailApi("SHGetMalloc");
    allocator = reinterpret_cast<LPMALLOC>(1);
    EXPECT_NE(SHGetMalloc(&allocator), S_OK);
    EXPECT_EQ(allocator, nullptr);
    ExpectNothingOpen();
}

} // namespace
