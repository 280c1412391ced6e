// The simulated shell: lists come only for known folders, conversion follows the folder's
// set-up, and the allocator's bookkeeping shows leaks and misuse; the wide answers of the shell
// and of the folder service.
#include "machine_fixture.h"

#include <shlobj.h>

#include <vector>

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

// A folder set up as wide text: the wide calls answer it, the ANSI calls its conversion. A
// folder service without SHGetFolderPathW hands out only the ANSI function.
TEST_F(ShellSim, WideAnswersOfTheShellAndTheFolderService) {
    const std::wstring documents = L"C:\\\x0414\x043e";
    M().shell.folders[CSIDL_PERSONAL].widePath = documents;
    M().shell.folders[CSIDL_FONTS].path = "C:\\WINDOWS\\Fonts";
    LPMALLOC allocator = nullptr;
    ASSERT_EQ(SHGetMalloc(&allocator), S_OK);
    LPITEMIDLIST list = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &list), S_OK);
    char ansi[MAX_PATH];
    WCHAR wide[MAX_PATH];
    EXPECT_TRUE(SHGetPathFromIDListA(list, ansi));
    EXPECT_STREQ(ansi, "C:\\??");
    EXPECT_TRUE(SHGetPathFromIDListW(list, wide));
    EXPECT_EQ(std::wstring(wide), documents);
    allocator->Free(list);
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_FONTS, &list), S_OK);
    EXPECT_TRUE(SHGetPathFromIDListW(list, wide));
    EXPECT_EQ(std::wstring(wide), L"C:\\WINDOWS\\Fonts");
    allocator->Free(list);
    allocator->Release();

    typedef HRESULT(WINAPI * FolderA)(HWND, int, HANDLE, DWORD, LPSTR);
    typedef HRESULT(WINAPI * FolderW)(HWND, int, HANDLE, DWORD, LPWSTR);
    M().modules.shfolderPath = "C:\\Install\\setup\\shfolder.dll";
    M().modules.shfolderAnswers[CSIDL_PERSONAL].widePath = documents;
    HMODULE shfolder = LoadLibraryA("C:\\Install\\setup\\shfolder.dll");
    ASSERT_NE(shfolder, nullptr);
    auto folderA = reinterpret_cast<FolderA>(
        reinterpret_cast<void (*)()>(GetProcAddress(shfolder, "SHGetFolderPathA")));
    auto folderW = reinterpret_cast<FolderW>(
        reinterpret_cast<void (*)()>(GetProcAddress(shfolder, "SHGetFolderPathW")));
    ASSERT_NE(folderA, nullptr);
    ASSERT_NE(folderW, nullptr);
    EXPECT_EQ(folderA(nullptr, CSIDL_PERSONAL, nullptr, 0, ansi), S_OK);
    EXPECT_STREQ(ansi, "C:\\??");
    EXPECT_EQ(folderW(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, 0, wide), S_OK);
    EXPECT_EQ(std::wstring(wide), documents);
    EXPECT_EQ(M().modules.FolderIdsAsked(), std::vector<int>{CSIDL_PERSONAL});
    EXPECT_EQ(M().modules.FolderIdsAsked(true),
              std::vector<int>{CSIDL_PERSONAL | CSIDL_FLAG_CREATE});
    M().calls.FailApi("SHGetFolderPathW");
    EXPECT_EQ(folderW(nullptr, CSIDL_PERSONAL, nullptr, 0, wide), E_FAIL);
    M().modules.shfolderExportsWideFunction = false;
    EXPECT_EQ(GetProcAddress(shfolder, "SHGetFolderPathW"), nullptr);
    EXPECT_NE(GetProcAddress(shfolder, "SHGetFolderPathA"), nullptr);
    FreeLibrary(shfolder);
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
