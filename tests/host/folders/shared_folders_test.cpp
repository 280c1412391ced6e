// The database engine's folder (from its registered search path, else its usual folder under
// the program-files folder) and the DAO and ODBC folders under the common-files folder,
// through the whole attach.
#include "paths_fixture.h"

#include "folders/SystemFolders.h"

#include <shlobj.h>

#include <algorithm>

namespace {

const char kEngineKey[] = "Software\\Borland\\Database Engine";
const char kWindowsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

class SharedFolders : public PathsTest {
  protected:
    void SetUp() override {
        PathsTest::SetUp();
        // shfolder.dll names the program-files folder, which exists and is writable.
        M().modules.shfolderPath = "C:\\Install\\setup\\shfolder.dll";
        M().modules.shfolderAnswers[CSIDL_PROGRAM_FILES] = {S_OK, "C:\\Program Files"};
        M().files.AddDirectory("C:\\Program Files");
        // The documents and My Pictures folders exist already, so that the attach creates
        // nothing on purpose and the disk must be left exactly as found.
        M().modules.shfolderAnswers[CSIDL_PERSONAL] = {S_OK, "C:\\Docs"};
        M().files.AddDirectory("C:\\Docs\\My Pictures");
    }
    void SetDllPath(const std::string& value) {
        M().registry.SetString(HKEY_LOCAL_MACHINE, kEngineKey, "DLLPATH", value);
    }
    void AddEngine(const std::string& folder) { M().files.AddFile(folder + "\\IDAPI32.DLL"); }
    // Attaches, reads the three slots, detaches; the disk is as it was.
    void Attach() {
        Baseline();
        {
            AttachedLibrary lib;
            bde_ = lib.Folder(QUELLIN_BDE_FOLDER);
            dao_ = lib.Folder(QUELLIN_DAO_FOLDER);
            odbc_ = lib.Folder(QUELLIN_ODBC_FOLDER);
        }
        ExpectLeftAsFound();
    }
    std::string bde_, dao_, odbc_;
};

const char kFallback[] = "C:\\Program Files\\Borland\\Common Files\\Bde";

TEST_F(SharedFolders, SingleRegisteredFolderIsTakenAsRegistered) {
    AddEngine("C:\\IDAPI");
    SetDllPath("  C:\\IDAPI\\ ");
    Attach();
    EXPECT_EQ(bde_, "C:\\IDAPI\\"); // trimmed, trailing backslash kept
}

TEST_F(SharedFolders, RegisteredFolderWithoutTheEngineFallsBack) {
    M().files.AddDirectory("C:\\IDAPI");
    SetDllPath("C:\\IDAPI");
    Attach();
    EXPECT_EQ(bde_, kFallback); // creatable, so accepted; its levels are removed again
    EXPECT_FALSE(M().files.Exists("C:\\Program Files\\Borland"));
}

TEST_F(SharedFolders, RegisteredFolderThatRefusesFilesFallsBack) {
    AddEngine("C:\\IDAPI");
    M().files.DenyNewFiles("C:\\IDAPI");
    SetDllPath("C:\\IDAPI");
    Attach();
    EXPECT_EQ(bde_, kFallback);
}

TEST_F(SharedFolders, FirstQualifyingItemOfAListWins) {
    M().files.AddDirectory("C:\\Empty");
    AddEngine("C:\\Second");
    AddEngine("C:\\Third");
    SetDllPath("C:\\Empty; C:\\Second ;C:\\Third");
    Attach();
    EXPECT_EQ(bde_, "C:\\Second");
}

TEST_F(SharedFolders, EmptyItemsNeverQualify) {
    AddEngine("C:\\Engine");
    SetDllPath(";;C:\\Engine;");
    Attach();
    EXPECT_EQ(bde_, "C:\\Engine");

    winsim::machine().Reset();
    SetUp();
    SetDllPath(" ; ");
    Attach();
    EXPECT_EQ(bde_, kFallback);
}

TEST_F(SharedFolders, WithoutDllPathTheFallbackDecides) {
    Attach();
    EXPECT_EQ(bde_, kFallback);

    winsim::machine().Reset();
    SetUp();
    M().files.DenyNewDirectories("C:\\Program Files");
    Attach();
    EXPECT_EQ(bde_, "");
}

TEST_F(SharedFolders, ExistingFallbackIsWriteTested) {
    M().files.AddDirectory(kFallback);
    Attach();
    EXPECT_EQ(bde_, kFallback);
    M().files.DenyNewFiles(kFallback);
    Attach();
    EXPECT_EQ(bde_, "");
}

TEST_F(SharedFolders, DaoAndOdbcUnderTheRegisteredCommonFiles) {
    M().registry.SetString(HKEY_LOCAL_MACHINE, kWindowsKey, "CommonFilesDir", "D:\\Shared Files");
    Attach();
    EXPECT_EQ(dao_, "D:\\Shared Files\\Microsoft Shared\\DAO"); // never tested
    EXPECT_EQ(odbc_, "D:\\Shared Files\\ODBC");
    EXPECT_EQ(M().modules.folderPathCalls.front().csidl,
              CSIDL_PROGRAM_FILES); // the engine's refresh
}

TEST_F(SharedFolders, DaoAndOdbcUnderTheProgramFilesFolderOtherwise) {
    Attach();
    EXPECT_EQ(dao_, "C:\\Program Files\\Common Files\\Microsoft Shared\\DAO");
    EXPECT_EQ(odbc_, "C:\\Program Files\\Common Files\\ODBC");
}

// One backslash stands between a folder and the name below it, however many the folder ends
// with: the engine's fallback under a program-files folder that ends in one (or is a drive
// root), the DAO and ODBC folders under such a program-files or common-files folder.
TEST_F(SharedFolders, OneBackslashBelowAFolderEndingInOne) {
    struct {
        const char* programFiles; // the folder service's answer
        const char* commonFiles;  // "CommonFilesDir", or null for none
        const char* bde;
        const char* dao;
        const char* odbc;
    } cases[] = {
        {"C:\\Program Files\\", nullptr, kFallback,
         "C:\\Program Files\\Common Files\\Microsoft Shared\\DAO",
         "C:\\Program Files\\Common Files\\ODBC"},
        {"D:\\", nullptr, "D:\\Borland\\Common Files\\Bde",
         "D:\\Common Files\\Microsoft Shared\\DAO", "D:\\Common Files\\ODBC"},
        {"C:\\Program Files", "D:\\Shared Files\\", kFallback,
         "D:\\Shared Files\\Microsoft Shared\\DAO", "D:\\Shared Files\\ODBC"},
        {"C:\\Program Files", "D:\\", kFallback, "D:\\Microsoft Shared\\DAO", "D:\\ODBC"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.programFiles) + ", " + (c.commonFiles ? c.commonFiles : "-"));
        winsim::machine().Reset();
        SetUp();
        M().files.AddDrive('D');
        M().modules.shfolderAnswers[CSIDL_PROGRAM_FILES] = {S_OK, c.programFiles};
        if (c.commonFiles != nullptr)
            M().registry.SetString(HKEY_LOCAL_MACHINE, kWindowsKey, "CommonFilesDir",
                                   c.commonFiles);
        Attach();
        EXPECT_EQ(bde_, c.bde);
        EXPECT_EQ(dao_, c.dao);
        EXPECT_EQ(odbc_, c.odbc);
    }
}

// The DAO and ODBC folders ask for the program-files folder (and so may write-test it) only
// when no common-files folder is registered.
TEST_F(SharedFolders, ProgramFilesFolderAskedForOnlyWithoutCommonFilesDir) {
    for (bool registered : {true, false}) {
        SCOPED_TRACE(registered ? "CommonFilesDir registered" : "no CommonFilesDir");
        winsim::machine().Reset();
        SetUp();
        if (registered)
            M().registry.SetString(HKEY_LOCAL_MACHINE, kWindowsKey, "CommonFilesDir",
                                   "C:\\Program Files\\Common Files");
        CSystemFolders table;
        const std::pair<void (CSystemFolders::*)(QuellinSlot), QuellinSlot> resolvers[] = {
            {&CSystemFolders::ResolveDaoFolder, QUELLIN_DAO_FOLDER},
            {&CSystemFolders::ResolveOdbcFolder, QUELLIN_ODBC_FOLDER}};
        for (const auto& resolve : resolvers) {
            M().modules.folderPathCalls.clear();
            (table.*resolve.first)(resolve.second);
            const std::vector<int> asked = M().modules.FolderIdsAskedEitherWay();
            EXPECT_EQ(std::count(asked.begin(), asked.end(), CSIDL_PROGRAM_FILES),
                      registered ? 0 : 1);
        }
    }
}

TEST_F(SharedFolders, UserWhoMayNotWriteTheMachineKeys) {
    AddEngine("C:\\Engine");
    SetDllPath("C:\\Engine");
    M().registry.SetString(HKEY_LOCAL_MACHINE, kWindowsKey, "CommonFilesDir", "D:\\Common");
    M().registry.DenyWrite(HKEY_LOCAL_MACHINE, kEngineKey);
    M().registry.DenyWrite(HKEY_LOCAL_MACHINE, kWindowsKey);
    Attach();
    EXPECT_EQ(bde_, kFallback);
    EXPECT_EQ(dao_, "C:\\Program Files\\Common Files\\Microsoft Shared\\DAO");
    EXPECT_EQ(odbc_, "C:\\Program Files\\Common Files\\ODBC");
}

} // namespace
