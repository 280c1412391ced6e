// The simulated file system: resolution of paths, creation rules, sharing, read-only media,
// names the ANSI code page cannot write and their short names.
#include "machine_fixture.h"

#include <windows.h>

#include <string>

namespace {

class FilesSim : public MachineTest {};

TEST_F(FilesSim, PathsResolveAsOnWindows) {
    M().files.AddFile("C:\\Install\\setup\\shfolder.dll");
    struct Case {
        const char* path;
        DWORD attributes;
        DWORD error;
    } cases[] = {
        {"C:", FILE_ATTRIBUTE_DIRECTORY, 0}, // the current directory of C:
        {"c:\\", FILE_ATTRIBUTE_DIRECTORY, 0},
        {"C:\\windows\\", FILE_ATTRIBUTE_DIRECTORY, 0},
        {"C:\\WINDOWS\\\\system32", FILE_ATTRIBUTE_DIRECTORY, 0},
        {"C:/Windows/Temp", FILE_ATTRIBUTE_DIRECTORY, 0},
        {"setup", FILE_ATTRIBUTE_DIRECTORY, 0}, // relative to C:\Install
        {"\\Windows", FILE_ATTRIBUTE_DIRECTORY, 0},
        {"C:\\Install\\x\\..\\setup\\SHFOLDER.DLL", FILE_ATTRIBUTE_ARCHIVE, 0},
        {"C:\\Missing", INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
        {"C:\\Missing\\x", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
        {"Q:\\x", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
        {"C:\\a<b", INVALID_FILE_ATTRIBUTES, ERROR_INVALID_NAME},
        {"\\\\srv\\share", INVALID_FILE_ATTRIBUTES, ERROR_BAD_NETPATH},
        {"", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(GetFileAttributesA(c.path), c.attributes) << c.path;
        if (c.attributes == INVALID_FILE_ATTRIBUTES) {
            EXPECT_EQ(GetLastError(), c.error) << c.path;
        }
    }
    EXPECT_EQ(GetFileAttributesA(("C:\\" + std::string(258, 'a')).c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
}

TEST_F(FilesSim, DirectoriesAreCreatedOneLevelAtATime) {
    EXPECT_FALSE(CreateDirectoryA("C:\\A\\B", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(CreateDirectoryA("C:\\A", nullptr));
    EXPECT_FALSE(CreateDirectoryA("c:\\a\\", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(CreateDirectoryA("C:\\A\\B", nullptr));
    EXPECT_FALSE(RemoveDirectoryA("C:\\A"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    EXPECT_TRUE(RemoveDirectoryA("C:\\a\\b"));
    EXPECT_TRUE(RemoveDirectoryA("C:\\A"));
    EXPECT_FALSE(RemoveDirectoryA("C:\\A"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(RemoveDirectoryA("C:\\Install")); // the current directory
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(M().files.createdDirectories, (std::vector<std::string>{"C:\\A", "C:\\A\\B"}));
    EXPECT_EQ(M().files.removedDirectories, (std::vector<std::string>{"C:\\a\\b", "C:\\A"}));

    M().files.DenyNewDirectories("C:\\Locked");
    EXPECT_FALSE(CreateDirectoryA("C:\\Locked\\Sub", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    M().files.AddDrive('E', true);
    EXPECT_FALSE(CreateDirectoryA("E:\\New", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WRITE_PROTECT));
    EXPECT_FALSE(CreateDirectoryA("C:\\", nullptr));
}

TEST_F(FilesSim, FilesShareAsTheirHandlesAllow) {
    HANDLE h = CreateFileA("C:\\probe", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), 0u);
    HANDLE reader = CreateFileA("C:\\PROBE", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(DeleteFileA("C:\\probe"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(M().OpenResources().size(), 1u);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    h = CreateFileA("C:\\probe", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                    nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(h);
    EXPECT_EQ(CreateFileA("C:\\probe", GENERIC_READ, 0, nullptr, CREATE_NEW, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_TRUE(DeleteFileA("C:\\probe"));
    EXPECT_EQ(M().files.createdFiles, std::vector<std::string>{"C:\\probe"});
    EXPECT_EQ(M().files.deletedFiles, std::vector<std::string>{"C:\\probe"});
    EXPECT_EQ(CreateFileA("C:\\WINDOWS", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                          nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    ExpectNothingOpen();
}

TEST_F(FilesSim, RefusalsOfTheSetUp) {
    M().files.DenyNewFiles("C:\\NoFiles");
    M().files.HoldExclusively("C:\\held.txt");
    M().files.DenyRead("C:\\secret.txt");
    M().files.AllNamesTaken("C:\\Full");
    M().files.AddDrive('D', true);
    M().files.AddFile("D:\\readme.txt");
    struct Case {
        const char* path;
        DWORD access;
        DWORD disposition;
        DWORD error;
    } cases[] = {
        {"C:\\NoFiles\\x", GENERIC_WRITE, CREATE_ALWAYS, ERROR_ACCESS_DENIED},
        {"C:\\held.txt", GENERIC_READ, OPEN_EXISTING, ERROR_SHARING_VIOLATION},
        {"C:\\secret.txt", GENERIC_READ, OPEN_EXISTING, ERROR_ACCESS_DENIED},
        {"C:\\Full\\12345", GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS, ERROR_ACCESS_DENIED},
        {"D:\\new.txt", GENERIC_WRITE, CREATE_ALWAYS, ERROR_WRITE_PROTECT},
        {"D:\\readme.txt", GENERIC_WRITE, OPEN_EXISTING, ERROR_WRITE_PROTECT},
        {"C:\\none.txt", GENERIC_READ, OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CreateFileA(c.path, c.access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              c.disposition, 0, nullptr),
                  INVALID_HANDLE_VALUE)
            << c.path;
        EXPECT_EQ(GetLastError(), c.error) << c.path;
    }
    HANDLE any = CreateFileA("C:\\Full\\00042", GENERIC_READ, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(any, INVALID_HANDLE_VALUE);
    CloseHandle(any);
    EXPECT_EQ(GetLogicalDrives(), (1u << 2) | (1u << 3));
    ExpectNothingOpen();
}

TEST_F(FilesSim, DoubleByteNamesKeepTheirTrailBytes) {
    M().codePage.acp = 932;
    const std::string table = "C:\\\x95\x5C"; // a character whose trail byte is 0x5C
    EXPECT_TRUE(CreateDirectoryA(table.c_str(), nullptr));
    EXPECT_TRUE(CreateDirectoryA((table + "\\x").c_str(), nullptr));
    EXPECT_EQ(GetFileAttributesA((table + "\\X").c_str()), DWORD(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesA("C:\\\x95"), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(RemoveDirectoryA(table.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
}

// A name the code page cannot write is reached by ANSI calls through its short name only;
// every name that is no legal 8.3 name has one, unique in its directory.
TEST_F(FilesSim, WideNamesAreReachedByTheirShortNames) {
    const std::wstring documents = L"C:\\\x0414\x043e\x043a\x0443\x043c\x0435\x043d\x0442\x044b";
    M().files.AddDirectory(documents + L"\\My Pictures");
    M().files.AddDirectory(documents + L"2");
    M().files.AddDirectory("C:\\Program Files");
    M().files.AddDirectory("C:\\Programme");
    M().files.AddDirectory("C:\\Programs");
    const std::string shortName = M().files.ShortPath(documents);
    EXPECT_EQ(shortName, "C:\\______~1");
    EXPECT_EQ(M().files.ShortPath(documents + L"2"), "C:\\______~2");
    EXPECT_EQ(M().files.ShortPath(documents + L"\\My Pictures"), "C:\\______~1\\MYPICT~1");
    EXPECT_EQ(M().files.ShortPath(L"c:\\program files\\"), "c:\\PROGRA~1\\");
    EXPECT_EQ(M().files.ShortPath(L"C:\\Programme"), "C:\\PROGRA~2");
    EXPECT_EQ(M().files.ShortPath(L"C:\\programs"), "C:\\Programs"); // a legal 8.3 name
    EXPECT_EQ(M().files.ShortPath(documents + L"\\Missing"), "");

    EXPECT_EQ(GetFileAttributesA("C:\\______~1\\My Pictures"), DWORD(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesA("C:\\progra~1"), DWORD(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesA("C:\\?????????"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_TRUE(CreateDirectoryA("C:\\______~1\\New", nullptr));
    EXPECT_TRUE(M().files.Exists(documents + L"\\New"));
    EXPECT_TRUE(RemoveDirectoryA("C:\\______~1\\New"));
    // The current directory set by its short name keeps that spelling.
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\______~1"));
    WCHAR current[MAX_PATH];
    EXPECT_EQ(GetCurrentDirectoryW(MAX_PATH, current), 11u);
    EXPECT_EQ(std::wstring(current), L"C:\\______~1");

    // Under code page 932 the same name is written in ANSI and reached by it as well.
    M().Reset();
    M().codePage.acp = 932;
    M().files.AddDirectory(documents);
    EXPECT_TRUE(M().files.IsDirectory(
        "C:\\\x84\x44\x84\x80\x84\x7b\x84\x85\x84\x7d\x84\x75\x84\x7e\x84\x84\x84\x8d"));
    EXPECT_TRUE(M().files.IsDirectory("C:\\______~1"));
}

// A drive without short names: GetShortPathNameW gives the long name back, and the ANSI calls
// cannot reach a name the code page cannot write.
TEST_F(FilesSim, WithoutShortNamesANameOnlyTheWideCallsCanWriteIsUnreachable) {
    M().files.WithoutShortNames('D');
    const std::wstring documents = L"D:\\\x0414\x043e";
    M().files.AddDirectory(documents + L"\\Sub");
    M().files.AddDirectory("D:\\Program Files");
    WCHAR shortPath[MAX_PATH];
    EXPECT_EQ(GetShortPathNameW(documents.c_str(), shortPath, MAX_PATH), 5u);
    EXPECT_EQ(std::wstring(shortPath), documents);
    EXPECT_EQ(M().files.ShortPath(L"D:\\Program Files"), "D:\\Program Files");
    EXPECT_EQ(GetFileAttributesA("D:\\PROGRA~1"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA("D:\\__~1"), INVALID_FILE_ATTRIBUTES);
    // Below such a current directory relative names still resolve, as Windows keeps it wide.
    M().kernel.currentDirectoryW = documents;
    EXPECT_EQ(GetFileAttributesA("Sub"), DWORD(FILE_ATTRIBUTE_DIRECTORY));
    char current[MAX_PATH];
    EXPECT_EQ(GetCurrentDirectoryA(MAX_PATH, current), 5u);
    EXPECT_STREQ(current, "D:\\??");
    ASSERT_TRUE(SetCurrentDirectoryA("Sub"));
    EXPECT_EQ(M().kernel.currentDirectoryW, documents + L"\\Sub");
    EXPECT_STREQ(M().kernel.currentDirectory.c_str(), "D:\\??\\Sub");
}

// The kernel's wide twins: the wide call answers the twin, the ANSI call its conversion.
TEST_F(FilesSim, TheKernelsWideTwinsAnswerBothCalls) {
    M().kernel.tempPathW = L"C:\\\x0422\x0435\x043c\x043f\\";
    M().kernel.moduleFileNameW = L"C:\\\x0414\\Setup32.exe";
    char ansi[MAX_PATH];
    WCHAR wide[MAX_PATH];
    EXPECT_EQ(GetTempPathA(MAX_PATH, ansi), 8u);
    EXPECT_STREQ(ansi, "C:\\????\\");
    EXPECT_EQ(GetTempPathW(MAX_PATH, wide), 8u);
    EXPECT_EQ(std::wstring(wide), M().kernel.tempPathW);
    EXPECT_EQ(GetModuleFileNameA(nullptr, ansi, MAX_PATH), 16u);
    EXPECT_STREQ(ansi, "C:\\?\\Setup32.exe");
    EXPECT_EQ(GetWindowsDirectoryW(wide, MAX_PATH), 10u);
    EXPECT_EQ(std::wstring(wide), L"C:\\WINDOWS");
    M().calls.FailApi("GetShortPathNameW");
    EXPECT_EQ(GetShortPathNameW(L"C:\\WINDOWS", wide, MAX_PATH), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(M().calls.Count("GetTempPathW"), 1u);
}

TEST_F(FilesSim, SnapshotShowsWhatIsThere) {
    std::vector<std::string> before = M().files.Snapshot();
    EXPECT_EQ(before,
              (std::vector<std::string>{"dir C:\\", "dir C:\\Install", "dir C:\\WINDOWS",
                                        "dir C:\\WINDOWS\\SYSTEM32", "dir C:\\WINDOWS\\TEMP"}));
    M().files.AddFile("\\\\srv\\share\\dir\\f.txt");
    EXPECT_TRUE(M().files.IsDirectory("\\\\SRV\\Share\\dir"));
    EXPECT_TRUE(M().files.IsFile("\\\\srv\\share\\DIR\\f.txt"));
}

} // namespace
