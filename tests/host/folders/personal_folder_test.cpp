// The documents folder through the whole attach: shfolder.dll first, the shell, the user's
// shell-folder value, the profile, and "My Documents" on the Windows drive, in the order each
// platform gives them.
#include "complete_machines.h"
#include "machine_fixture.h"

#include <shlobj.h>

#include <algorithm>
#include <iterator>

namespace {

const char kShfolder[] = "C:\\Install\\setup\\shfolder.dll";
const char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const char kProfileList[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ProfileList";

class PersonalFolder : public MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        M().kernel.userName = "anna";
    }
    void BindShfolder() { M().modules.shfolderPath = kShfolder; }
    void Answer(int csidl, HRESULT result, const std::string& path = {}) {
        M().modules.shfolderAnswers[csidl] = {result, path};
    }
    void SetPersonal(const std::string& value, DWORD type = REG_SZ) {
        M().registry.SetString(HKEY_CURRENT_USER, kUserShellFolders, "Personal", value, type);
    }
    void SetProfile(const std::string& path) {
        M().registry.SetString(HKEY_LOCAL_MACHINE, std::string(kProfileList) + "\\anna",
                               "ProfileImagePath", path, REG_EXPAND_SZ);
    }
    void EnableUserProfiles() {
        M().registry.SetDword(HKEY_LOCAL_MACHINE, "Network\\Logon", "UserProfiles", 1);
    }
    // CSIDL_PERSONAL, with or without CSIDL_FLAG_CREATE, as asked of shfolder.dll, in order.
    std::vector<int> PersonalAsked() {
        std::vector<int> asked;
        for (int csidl : M().modules.FolderIdsAskedEitherWay())
            if ((csidl & 0xFF) == CSIDL_PERSONAL)
                asked.push_back(csidl);
        return asked;
    }
    std::string Resolve() {
        AttachedLibrary lib;
        std::string folder = lib.Folder(QUELLIN_PERSONAL_FOLDER);
        lib.Detach();
        ExpectNothingOpen();
        return folder;
    }
};

TEST_F(PersonalFolder, ShfolderAnswerIsTakenOnEveryPlatform) {
    for (auto platform : {&winsim::Versions::Windows95, &winsim::Versions::Windows98,
                          &winsim::Versions::NT4, &winsim::Versions::WindowsXP}) {
        winsim::machine().Reset();
        (M().version.*platform)();
        BindShfolder();
        Answer(CSIDL_PERSONAL, S_OK, "D:\\Docs");
        M().shell.folders[CSIDL_PERSONAL] = {"C:\\Shell Docs"};
        EXPECT_EQ(Resolve(), "D:\\Docs");
        EXPECT_EQ(PersonalAsked(), std::vector<int>{CSIDL_PERSONAL});
        EXPECT_EQ(M().calls.Count("SHGetSpecialFolderLocation", std::to_string(CSIDL_PERSONAL)),
                  0u);
    }
}

TEST_F(PersonalFolder, ShfolderFailingOnNtOr95GivesMyDocumentsCreated) {
    for (auto platform :
         {&winsim::Versions::Windows95, &winsim::Versions::NT4, &winsim::Versions::Windows2000}) {
        winsim::machine().Reset();
        (M().version.*platform)();
        M().kernel.windowsDirectory = "D:\\WINNT";
        M().files.AddDirectory("D:\\WINNT");
        BindShfolder();
        Answer(CSIDL_PERSONAL, E_FAIL);
        M().shell.folders[CSIDL_PERSONAL] = {"C:\\Shell Docs"};
        SetPersonal("C:\\Registry Docs");
        {
            AttachedLibrary lib;
            EXPECT_EQ(lib.Folder(QUELLIN_PERSONAL_FOLDER), "D:\\My Documents");
            // Made by this resolver, not later as the parent of My Pictures.
            const std::string record = lib.Source(QUELLIN_PERSONAL_FOLDER);
            EXPECT_NE(record.find("\"My Documents\" on the Windows drive\tanswered, created"),
                      std::string::npos)
                << record;
        }
        EXPECT_TRUE(M().files.IsDirectory("D:\\My Documents"));
        EXPECT_EQ(PersonalAsked(), std::vector<int>{CSIDL_PERSONAL});
        EXPECT_EQ(M().calls.Count("SHGetSpecialFolderLocation", std::to_string(CSIDL_PERSONAL)),
                  0u);
    }
}

TEST_F(PersonalFolder, Windows98AsksAgainWithCreateThenTheShell) {
    M().version.Windows98();
    BindShfolder();
    Answer(CSIDL_PERSONAL, E_FAIL);
    Answer(CSIDL_PERSONAL | CSIDL_FLAG_CREATE, S_OK, "C:\\Created Docs");
    EXPECT_EQ(Resolve(), "C:\\Created Docs");
    EXPECT_EQ(PersonalAsked(),
              (std::vector<int>{CSIDL_PERSONAL, CSIDL_PERSONAL | CSIDL_FLAG_CREATE}));

    winsim::machine().Reset();
    M().version.WindowsMe();
    BindShfolder();
    Answer(CSIDL_PERSONAL, E_FAIL);
    Answer(CSIDL_PERSONAL | CSIDL_FLAG_CREATE, E_FAIL);
    M().shell.folders[CSIDL_PERSONAL] = {"C:\\WINDOWS\\Personal"};
    EXPECT_EQ(Resolve(), "C:\\WINDOWS\\Personal");
    EXPECT_EQ(PersonalAsked(),
              (std::vector<int>{CSIDL_PERSONAL, CSIDL_PERSONAL | CSIDL_FLAG_CREATE}));
    EXPECT_FALSE(M().files.Exists("C:\\My Documents"));
}

TEST_F(PersonalFolder, ShellThatCannotConvertLeavesTheSlotEmpty) {
    M().shell.folders[CSIDL_PERSONAL] = {"C:\\Docs", true};
    SetPersonal("C:\\Registry Docs");
    EXPECT_EQ(Resolve(), "");
    EXPECT_EQ(M().calls.Count("RegOpenKeyExA", "HKCU\\" + std::string(kUserShellFolders)), 0u);
}

TEST_F(PersonalFolder, NoAllocatorNoFolder) {
    M().calls.FailApi("SHGetMalloc");
    SetPersonal("C:\\Registry Docs");
    EXPECT_EQ(Resolve(), "");
}

// "Personal" names the folder through the user's profile: the reference is expanded, and a
// reference to no variable leaves no folder (the chain goes on).
TEST_F(PersonalFolder, PersonalValueIsExpanded) {
    M().kernel.SetEnvironment("USERPROFILE", "C:\\Users\\anna");
    SetPersonal("%USERPROFILE%\\Documents", REG_EXPAND_SZ);
    EXPECT_EQ(Resolve(), "C:\\Users\\anna\\Documents");

    winsim::machine().Reset();
    M().version.NT4();
    SetPersonal("%NOBODY%\\Documents", REG_EXPAND_SZ);
    SetProfile("C:\\Profiles\\anna");
    EXPECT_EQ(Resolve(), "C:\\Profiles\\anna\\Personal");
}

TEST_F(PersonalFolder, EmptyPersonalValueEndsTheChain) {
    SetPersonal("");
    SetProfile("C:\\Profiles\\anna");
    EXPECT_EQ(Resolve(), "");
    EXPECT_EQ(M().calls.Count("GetUserNameA"), 0u);
}

TEST_F(PersonalFolder, OverlongPersonalValueCountsAsAbsent) {
    M().version.NT4();
    SetPersonal("C:\\" + std::string(300, 'p'));
    SetProfile("C:\\WINNT\\Profiles\\anna");
    EXPECT_EQ(Resolve(), "C:\\WINNT\\Profiles\\anna\\Personal");
}

// Each value is read through a 260-byte buffer: one of 259 characters is read with its zero,
// one of 260 counts as absent.
TEST_F(PersonalFolder, ValuesOfUpTo259CharactersAreRead) {
    const std::string fits = "C:\\" + std::string(256, 'p');
    const std::string tooLong = fits + "q";
    ASSERT_EQ(fits.size(), 259u);
    struct {
        const char* what;
        std::string personal; // empty: the key holds no "Personal"
        std::string profile;
        std::string expected;
    } cases[] = {
        {"Personal of 259", fits, "C:\\Profiles\\anna", fits},
        {"Personal of 260", tooLong, "C:\\Profiles\\anna", "C:\\Profiles\\anna\\Personal"},
        {"ProfileImagePath of 259", "", fits, fits + "\\Personal"},
        {"ProfileImagePath of 260", "", tooLong, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        M().version.NT4();
        M().registry.CreateKey(HKEY_CURRENT_USER, kUserShellFolders);
        if (!c.personal.empty())
            SetPersonal(c.personal);
        SetProfile(c.profile);
        EXPECT_EQ(Resolve(), c.expected);
    }
}

// The user's shell-folder key, the logon key and the user's profile key are opened for reading
// only (KEY_READ): where the user may not write them, as a limited user on NT, the values are
// still found.
TEST_F(PersonalFolder, KeysTheUserMayOnlyReadAreRead) {
    const std::string profileKey = std::string(kProfileList) + "\\anna";
    const std::string readOnly[] = {"HKCU\\" + std::string(kUserShellFolders),
                                    "HKLM\\Network\\Logon", "HKLM\\" + profileKey};
    struct {
        const char* what;
        void (winsim::Versions::*platform)();
        bool personal; // the key holds "Personal"
        std::string expected;
        size_t opened; // of the keys above
    } cases[] = {
        {"NT 4, Personal", &winsim::Versions::NT4, true, "C:\\Docs", 1},
        {"NT 4, profile", &winsim::Versions::NT4, false, "C:\\Profiles\\anna\\Personal", 2},
        {"Windows 98, profile", &winsim::Versions::Windows98, false, "C:\\Profiles\\anna\\Personal",
         3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        (M().version.*c.platform)();
        M().registry.CreateKey(HKEY_CURRENT_USER, kUserShellFolders);
        if (c.personal)
            SetPersonal("C:\\Docs");
        EnableUserProfiles();
        SetProfile("C:\\Profiles\\anna");
        M().registry.DenyWrite(HKEY_CURRENT_USER, kUserShellFolders);
        M().registry.DenyWrite(HKEY_LOCAL_MACHINE, "Network\\Logon");
        M().registry.DenyWrite(HKEY_LOCAL_MACHINE, profileKey);
        EXPECT_EQ(Resolve(), c.expected);
        size_t opened = 0;
        for (size_t i = 0; i < M().registry.opens.size(); ++i)
            if (std::count(std::begin(readOnly), std::end(readOnly), M().registry.opens[i])) {
                ++opened;
                EXPECT_EQ(M().registry.openAccess[i], static_cast<DWORD>(KEY_READ))
                    << M().registry.opens[i];
            }
        EXPECT_EQ(opened, c.opened);
    }
}

TEST_F(PersonalFolder, NtWithoutPersonalUsesTheProfile) {
    M().version.NT4();
    M().registry.CreateKey(HKEY_CURRENT_USER, kUserShellFolders);
    M().kernel.SetEnvironment("SystemRoot", "C:\\WINNT");
    SetProfile("%SystemRoot%\\Profiles\\anna");
    EnableUserProfiles(); // not consulted on NT
    EXPECT_EQ(Resolve(), "C:\\WINNT\\Profiles\\anna\\Personal");
    EXPECT_EQ(M().calls.Count("RegOpenKeyExA", "HKLM\\Network\\Logon"), 0u);

    winsim::machine().Reset();
    M().version.NT4();
    M().registry.CreateKey(HKEY_CURRENT_USER, kUserShellFolders);
    EXPECT_EQ(Resolve(), ""); // no profile key for this user
}

TEST_F(PersonalFolder, WithoutUserShellFoldersKeyNothingIsFound) {
    M().version.NT4();
    SetProfile("C:\\Profiles\\anna");
    EXPECT_EQ(Resolve(), "");
    EXPECT_EQ(M().calls.Count("GetUserNameA"), 0u);
}

TEST_F(PersonalFolder, Windows9xFollowsUserProfiles) {
    for (auto platform : {&winsim::Versions::Windows95, &winsim::Versions::Windows98}) {
        // Without "UserProfiles": My Documents on the Windows drive, not created.
        winsim::machine().Reset();
        (M().version.*platform)();
        M().registry.CreateKey(HKEY_CURRENT_USER, kUserShellFolders);
        M().registry.CreateKey(HKEY_LOCAL_MACHINE, "Network\\Logon");
        SetProfile("C:\\WINDOWS\\Profiles\\anna");
        EXPECT_EQ(Resolve(), "C:\\My Documents");
        EXPECT_FALSE(M().files.Exists("C:\\My Documents"));
        EXPECT_EQ(M().calls.Count("GetUserNameA"), 0u);

        // With it, whatever it holds: the profile.
        winsim::machine().Reset();
        (M().version.*platform)();
        M().registry.CreateKey(HKEY_CURRENT_USER, kUserShellFolders);
        M().registry.SetString(HKEY_LOCAL_MACHINE, "Network\\Logon", "UserProfiles", "");
        SetProfile("C:\\WINDOWS\\Profiles\\anna");
        EXPECT_EQ(Resolve(), "C:\\WINDOWS\\Profiles\\anna\\Personal");
    }
}

TEST_F(PersonalFolder, UnknownUserNameEndsWithoutResult) {
    M().version.NT4();
    M().registry.CreateKey(HKEY_CURRENT_USER, kUserShellFolders);
    SetProfile("C:\\Profiles\\anna");
    M().calls.FailApi("GetUserNameA");
    EXPECT_EQ(Resolve(), "");

    winsim::machine().Reset();
    M().version.NT4();
    M().registry.CreateKey(HKEY_CURRENT_USER, kUserShellFolders);
    M().kernel.userName = std::string(100, 'u'); // longer than the 80-byte buffer
    EXPECT_EQ(Resolve(), "");
}

TEST_F(PersonalFolder, FailingVersionQueryTakesTheNon9xRoutes) {
    // Platform 0: with shfolder.dll failing, the fixed folder is used and created.
    M().calls.FailApi("GetVersionExA");
    BindShfolder();
    Answer(CSIDL_PERSONAL, E_FAIL);
    EXPECT_EQ(Resolve(), "C:\\My Documents");
    EXPECT_TRUE(M().files.IsDirectory("C:\\My Documents"));
    EXPECT_EQ(PersonalAsked(), std::vector<int>{CSIDL_PERSONAL});
}

TEST_F(PersonalFolder, OverlongWindowsDirectoryCreatesNothing) {
    M().version.NT4();
    M().kernel.windowsDirectory = "C:\\" + std::string(300, 'w');
    BindShfolder();
    Answer(CSIDL_PERSONAL, E_FAIL);
    std::vector<std::string> before = M().files.Snapshot();
    EXPECT_EQ(Resolve(), ""); // no folder relative to the current directory
    std::vector<std::string> after = M().files.Snapshot();
    after.erase(std::remove_if(after.begin(), after.end(),
                               [](const std::string& line) {
                                   return line.find("My Pictures") != std::string::npos;
                               }),
                after.end());
    EXPECT_EQ(after, before);
}

// shfolder.dll does not answer on NT and Windows does not give its directory: no documents
// folder rather than a relative "My Documents", and no My Pictures folder in it either (a
// fault the sweep found).
TEST_F(PersonalFolder, DocumentsAreNotRelativeWithoutTheWindowsDirectory) {
    machines::Build(machines::Named("NT4WithShfolder"));
    M().calls.FailApi("GetWindowsDirectoryA");
    M().calls.FailApi("GetWindowsDirectoryW");
    M().calls.FailApi("SHGetFolderPathA");
    M().calls.FailApi("SHGetFolderPathW");
    std::vector<std::string> before = M().files.Snapshot();
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_PERSONAL_FOLDER), "");
    EXPECT_EQ(lib.Folder(QUELLIN_MY_PICTURES_FOLDER), "");
    EXPECT_EQ(M().files.Snapshot(), before);
}

} // namespace
