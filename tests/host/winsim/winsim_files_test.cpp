// The simulated file system: resolution of paths, creation rules, sharing, read-only media.
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
