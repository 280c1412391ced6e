// Existence tests, directory trees and write tests, each leaving the machine as it found it.
#include "paths_fixture.h"

#include "paths/Directory.h"
#include "paths/Root.h"

#include <windows.h>

#include <cctype>
#include <ctime>

namespace {

using winsim::ShareAnswer;

class Directory : public PathsTest {
  protected:
    bool IsProbeName(const std::string& path, const std::string& directory) {
        if (path.size() != directory.size() + 6 || path.compare(0, directory.size(), directory))
            return false;
        std::string digits = path.substr(directory.size() + 1);
        for (char c : digits)
            if (!std::isdigit(static_cast<unsigned char>(c)))
                return false;
        return path[directory.size()] == '\\' && std::stoi(digits) <= 32767;
    }
};

TEST_F(Directory, FileExistsOpensForReadingOnly) {
    M().files.AddFile("C:\\Install\\setup\\shfolder.dll");
    M().files.HoldExclusively("C:\\held.txt");
    M().files.DenyRead("C:\\secret.txt");
    Baseline();
    EXPECT_TRUE(FileExists("C:\\Install\\setup\\shfolder.dll"));
    EXPECT_TRUE(FileExists("c:\\install\\SETUP\\ShFolder.dll"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists("C:\\WINDOWS"));
    EXPECT_FALSE(FileExists("C:\\none.txt"));
    EXPECT_FALSE(FileExists("C:\\held.txt"));
    EXPECT_FALSE(FileExists("C:\\secret.txt"));
    // A file this process writes, sharing it for reading, can still be opened: the test
    // shares with readers and writers.
    HANDLE writer = CreateFileA("C:\\Install\\setup\\shfolder.dll", GENERIC_WRITE, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_TRUE(FileExists("C:\\Install\\setup\\shfolder.dll"));
    CloseHandle(writer);
    EXPECT_TRUE(M().files.createdFiles.empty());
    ExpectLeftAsFound();
}

TEST_F(Directory, DirectoryExistsNeedsARoot) {
    M().files.AddFile("C:\\WINDOWS\\win.ini");
    M().kernel.currentDirectory = "C:\\";
    Baseline();
    struct Case {
        const char* path;
        int exists;
    } cases[] = {
        {"C:", 1},
        {"C:\\", 1},
        {"C:\\Windows\\", 1},
        {"c:\\windows", 1},
        {"Windows", 0},
        {"C:\\WINDOWS\\win.ini", 0},
        {"", 0},
        {"Q:\\", 0},
        {"C:\\Missing", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DirectoryExists(c.path), c.exists) << c.path;
    ExpectLeftAsFound();
}

TEST_F(Directory, DirectoryExistsOnAShare) {
    AddShare("\\\\srv\\share");
    M().files.AddDirectory("\\\\srv\\share\\dir");
    Baseline();
    EXPECT_TRUE(DirectoryExists("\\\\srv\\share\\dir\\"));
    EXPECT_TRUE(DirectoryExists("\\\\SRV\\share"));
    EXPECT_FALSE(DirectoryExists("\\\\srv\\share\\none"));
    EXPECT_EQ(M().network.Adds(), 1);
    ExpectLeftAsFound();
}

TEST_F(Directory, CreateDirectoryTreeTopDown) {
    EXPECT_TRUE(CreateDirectoryTree("C:\\WINDOWS\\TEMP"));
    EXPECT_TRUE(M().files.createdDirectories.empty());
    EXPECT_TRUE(CreateDirectoryTree("C:\\A\\B\\C"));
    EXPECT_EQ(M().files.createdDirectories,
              (std::vector<std::string>{"C:\\A", "C:\\A\\B", "C:\\A\\B\\C"}));
    EXPECT_TRUE(M().files.IsDirectory("C:\\A\\B\\C"));
    ExpectNothingOpen();
}

TEST_F(Directory, CreateDirectoryTreeOnAShare) {
    AddShare("\\\\srv\\share");
    EXPECT_TRUE(CreateDirectoryTree("\\\\srv\\share\\new\\sub"));
    EXPECT_EQ(M().files.createdDirectories,
              (std::vector<std::string>{"\\\\srv\\share\\new", "\\\\srv\\share\\new\\sub"}));
    EXPECT_EQ(M().network.Adds(), 1);
    ExpectNothingOpen();
}

// A path without a drive or share would be created below the current directory, the
// installation source: it is never created.
TEST_F(Directory, CreateDirectoryTreeWithoutRootTouchesNothing) {
    Baseline();
    EXPECT_FALSE(CreateDirectoryTree("My Pictures"));
    EXPECT_FALSE(CreateDirectoryTree("Documents\\My Pictures"));
    EXPECT_FALSE(CanWriteToDirectory("My Pictures"));
    EXPECT_EQ(M().calls.Count("CreateDirectoryA"), 0u);
    EXPECT_EQ(M().calls.Count("CreateFileA"), 0u);
    ExpectLeftAsFound();
}

TEST_F(Directory, UniqueNameIsFiveDigitsAndRepeatsWithinASecond) {
    M().files.AddDirectory("C:\\Temp");
    for (;;) {
        const std::time_t before = std::time(nullptr);
        const std::string first = UniqueNameInDirectory("C:\\Temp");
        const std::string second = UniqueNameInDirectory("C:\\Temp\\");
        EXPECT_TRUE(IsProbeName(first, "C:\\Temp")) << first;
        if (std::time(nullptr) != before)
            continue; // a second boundary fell between the calls
        EXPECT_EQ(first, second);
        break;
    }
    EXPECT_TRUE(M().files.createdFiles.empty());
    ExpectNothingOpen();
}

// Every one of the 100 drawn names is taken: no name, no probe file, no write.
TEST_F(Directory, AllDrawnNamesTaken) {
    M().files.AllNamesTaken("C:\\Full");
    Baseline();
    EXPECT_EQ(UniqueNameInDirectory("C:\\Full"), "");
    const std::vector<std::string> drawn = M().calls.Details("GetFileAttributesA");
    ASSERT_EQ(drawn.size(), 100u);
    for (const std::string& path : drawn)
        EXPECT_TRUE(IsProbeName(path, "C:\\Full")) << path;
    EXPECT_FALSE(CanWriteToDirectory("C:\\Full"));
    EXPECT_TRUE(M().files.createdFiles.empty());
    ExpectLeftAsFound();
}

// A drawn name that anything holds is not free: a directory, a file held open without sharing,
// a file this user may not read, a name whose attributes Windows will not tell (any answer but
// "not found"). Another name is drawn, and the write test of the folder still passes and leaves
// nothing behind. (Within one second the same names are drawn again: the first call shows
// which name comes first.)
TEST_F(Directory, DrawnNameHeldByAnythingIsDrawnAgain) {
    enum Holder { kDirectory, kHeldFile, kUnreadableFile, kAttributesDenied };
    for (Holder holder : {kDirectory, kHeldFile, kUnreadableFile, kAttributesDenied}) {
        SCOPED_TRACE("holder " + std::to_string(holder));
        for (;;) {
            M().Reset();
            M().files.AddDirectory("C:\\Temp");
            const std::time_t before = std::time(nullptr);
            const std::string first = UniqueNameInDirectory("C:\\Temp");
            if (holder == kDirectory)
                M().files.AddDirectory(first);
            else if (holder == kHeldFile)
                M().files.HoldExclusively(first);
            else if (holder == kUnreadableFile)
                M().files.DenyRead(first);
            Baseline();
            if (holder == kAttributesDenied) // the next call asks for the first name
                M().calls.FailCallAt(M().calls.calls.size(), ERROR_ACCESS_DENIED);
            const std::string second = UniqueNameInDirectory("C:\\Temp");
            const bool writable = CanWriteToDirectory("C:\\Temp");
            if (std::time(nullptr) != before)
                continue; // a second boundary fell between the calls
            EXPECT_TRUE(IsProbeName(second, "C:\\Temp")) << second;
            EXPECT_NE(second, first);
            EXPECT_TRUE(writable);
            // The probe: the first name is free again once Windows answers for it.
            EXPECT_EQ(M().files.createdFiles,
                      std::vector<std::string>{holder == kAttributesDenied ? first : second});
            ExpectLeftAsFound();
            break;
        }
    }
}

// The probe file is this process's alone while it exists: opened for reading and writing,
// shared with no one, created afresh, with normal attributes.
TEST_F(Directory, ProbeFileIsCreatedUnsharedForReadingAndWriting) {
    Baseline();
    EXPECT_TRUE(CanWriteToDirectory("C:\\WINDOWS\\TEMP"));
    ASSERT_EQ(M().files.createFileCalls.size(), 1u);
    const winsim::CreateFileCall& probe = M().files.createFileCalls[0];
    EXPECT_TRUE(IsProbeName(probe.path, "C:\\WINDOWS\\TEMP")) << probe.path;
    EXPECT_EQ(probe.access, static_cast<DWORD>(GENERIC_READ | GENERIC_WRITE));
    EXPECT_EQ(probe.shareMode, 0u);
    EXPECT_EQ(probe.disposition, static_cast<DWORD>(CREATE_ALWAYS));
    EXPECT_EQ(probe.attributes, static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    ExpectLeftAsFound();
}

TEST_F(Directory, WriteTestOfExistingFolders) {
    M().files.AddFile("C:\\WINDOWS\\TEMP\\kept.tmp");
    M().files.DenyNewFiles("C:\\Locked");
    M().files.AddDrive('E', true);
    M().files.AddDirectory("E:\\Setup");
    Baseline();
    EXPECT_TRUE(CanWriteToDirectory("C:\\WINDOWS\\TEMP"));
    ASSERT_EQ(M().files.createdFiles.size(), 1u);
    EXPECT_TRUE(IsProbeName(M().files.createdFiles[0], "C:\\WINDOWS\\TEMP"));
    EXPECT_EQ(M().files.deletedFiles, M().files.createdFiles);
    EXPECT_FALSE(CanWriteToDirectory("C:\\Locked"));
    EXPECT_FALSE(CanWriteToDirectory("E:\\Setup"));
    EXPECT_FALSE(CanWriteToDirectory("E:"));
    EXPECT_EQ(M().files.createdFiles.size(), 1u);
    EXPECT_TRUE(M().files.createdDirectories.empty());
    ExpectLeftAsFound();
}

TEST_F(Directory, WriteTestCreatesMissingLevelsAndRemovesThemLastFirst) {
    Baseline();
    EXPECT_TRUE(CanWriteToDirectory("C:\\A\\B"));
    EXPECT_EQ(M().files.createdDirectories, (std::vector<std::string>{"C:\\A", "C:\\A\\B"}));
    EXPECT_EQ(M().files.removedDirectories, (std::vector<std::string>{"C:\\A\\B", "C:\\A"}));
    EXPECT_TRUE(M().files.createdFiles.empty());
    ExpectLeftAsFound();
}

TEST_F(Directory, WriteTestRemovesFirstLevelWhenSecondFails) {
    M().files.RefuseCreation("C:\\A\\B");
    Baseline();
    EXPECT_FALSE(CanWriteToDirectory("C:\\A\\B\\C"));
    EXPECT_EQ(M().files.createdDirectories, std::vector<std::string>{"C:\\A"});
    EXPECT_EQ(M().files.removedDirectories, std::vector<std::string>{"C:\\A"});
    ExpectLeftAsFound();
}

TEST_F(Directory, WriteTestOfNothingToCreate) {
    Baseline();
    EXPECT_FALSE(CanWriteToDirectory(""));
    EXPECT_FALSE(CanWriteToDirectory("Q:\\Dir")); // no such drive
    EXPECT_TRUE(M().files.createdDirectories.empty());
    EXPECT_TRUE(M().files.createdFiles.empty());
    ExpectLeftAsFound();
}

// A share cached in one case is found in a path written in another.
TEST_F(Directory, WriteTestFindsTheShareRootWithoutRegardToCase) {
    AddShare("\\\\srv\\share");
    Baseline();
    EXPECT_EQ(PathRoot("\\\\srv\\share\\x"), "\\\\srv\\share");
    EXPECT_TRUE(CanWriteToDirectory("\\\\SRV\\SHARE\\new"));
    EXPECT_EQ(M().files.createdDirectories, std::vector<std::string>{"\\\\srv\\share\\new"});
    EXPECT_EQ(M().files.removedDirectories, std::vector<std::string>{"\\\\srv\\share\\new"});
    ExpectLeftAsFound();
}

// With '\\srv\share' cached, a folder on '\\srv\share2' is created on that share, never as
// '\\srv\share\2\...'.
TEST_F(Directory, WriteTestStaysOnItsOwnShare) {
    AddShare("\\\\srv\\share");
    AddShare("\\\\srv\\share2");
    Baseline();
    EXPECT_TRUE(CanWriteToDirectory("\\\\srv\\share\\existing\\x"));
    EXPECT_TRUE(CanWriteToDirectory("\\\\srv\\share2\\new"));
    EXPECT_EQ(M().files.createdDirectories,
              (std::vector<std::string>{"\\\\srv\\share\\existing", "\\\\srv\\share\\existing\\x",
                                        "\\\\srv\\share2\\new"}));
    EXPECT_EQ(ShareRootCache(), (CStringArray{"\\\\srv\\share", "\\\\srv\\share2"}));
    ExpectLeftAsFound();
}

// With every letter taken the share comes from the text alone; the write test still works.
TEST_F(Directory, WriteTestOnAShareWithoutAFreeLetter) {
    AddShare("\\\\srv\\share");
    TakeLettersFtoZ();
    Baseline();
    EXPECT_TRUE(CanWriteToDirectory("\\\\srv\\share\\new"));
    EXPECT_EQ(M().network.Adds(), 0);
    EXPECT_TRUE(ShareRootCache().empty());
    ExpectLeftAsFound();
}

// In code page 932 a folder name may end in a character whose trail byte is 0x5C: it is
// neither cut nor taken for a trailing backslash.
TEST_F(Directory, DoubleByteFolderNames) {
    M().codePage.acp = 932;
    const std::string table = "C:\\\x95\x5C";
    M().files.AddDirectory(table);
    Baseline();
    EXPECT_TRUE(DirectoryExists(table));
    EXPECT_TRUE(DirectoryExists(table + "\\"));
    EXPECT_TRUE(CanWriteToDirectory(table));
    EXPECT_TRUE(CanWriteToDirectory(table + "\\new\\sub"));
    EXPECT_EQ(M().files.createdDirectories,
              (std::vector<std::string>{table + "\\new", table + "\\new\\sub"}));
    EXPECT_EQ(M().files.removedDirectories,
              (std::vector<std::string>{table + "\\new\\sub", table + "\\new"}));
    ExpectLeftAsFound();
}

} // namespace
