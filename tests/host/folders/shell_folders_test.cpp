// The shell-folder resolvers: which identifier each source is asked for on each platform, the
// order of the sources and where each chain stops, the registry root, the value size limit,
// the defaults, the all-users Startup slot and My Pictures. After every scenario nothing may be
// left open: no registry key, no item-id list, no allocator reference.
#include "machine_fixture.h"

#include "folders/SystemFolders.h"

#include <shlobj.h>

#include <algorithm>
#include <memory>

namespace {

const char kUserKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kDefaultUserKey[] =
    ".Default\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kShfolder[] = "C:\\Install\\setup\\shfolder.dll";

// One resolver as the tests drive it.
struct Resolver {
    const char* name;
    void (CSystemFolders::*withOwner)(QuellinSlot, Owner);
    void (CSystemFolders::*plain)(QuellinSlot);
    QuellinSlot slot;
    int personal; // identifier asked on the Windows 95 family or for the user's own folder
    int common;   // identifier asked for all users (the same for the folders without a flag)
    const char* valueName;
    bool rootByPlatform; // else always the default user under HKEY_USERS
    bool hasDefault;     // default: base slot and leaf
    QuellinSlot base;
    const char* leaf;
    bool takesFailedConversion; // the slot takes the buffer even when conversion fails
    bool isStartup;
};

const Resolver kResolvers[] = {
    {"Desktop", &CSystemFolders::ResolveDesktopFolder, nullptr, QUELLIN_DESKTOP_FOLDER,
     CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, "Desktop", true, true,
     QUELLIN_START_MENU_FOLDER, "Desktop", false, false},
    {"Programs", &CSystemFolders::ResolveProgramsFolder, nullptr, QUELLIN_PROGRAMS_FOLDER,
     CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, "Programs", true, true, QUELLIN_START_MENU_FOLDER,
     "Programs", false, false},
    {"StartMenu", &CSystemFolders::ResolveStartMenuFolder, nullptr, QUELLIN_START_MENU_FOLDER,
     CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU, "Start Menu", true, true, QUELLIN_WINDOWS_FOLDER,
     "Start Menu", false, false},
    {"SendTo", nullptr, &CSystemFolders::ResolveSendToFolder, QUELLIN_SEND_TO_FOLDER, CSIDL_SENDTO,
     CSIDL_SENDTO, "SendTo", false, false, QUELLIN_SLOT_COUNT, nullptr, true, false},
    {"Templates", nullptr, &CSystemFolders::ResolveTemplatesFolder, QUELLIN_TEMPLATES_FOLDER,
     CSIDL_TEMPLATES, CSIDL_TEMPLATES, "Templates", false, false, QUELLIN_SLOT_COUNT, nullptr, true,
     false},
    {"Fonts", nullptr, &CSystemFolders::ResolveFontsFolder, QUELLIN_FONTS_FOLDER, CSIDL_FONTS,
     CSIDL_FONTS, "Fonts", false, false, QUELLIN_SLOT_COUNT, nullptr, false, false},
    {"Startup", nullptr, nullptr, QUELLIN_STARTUP_FOLDER, CSIDL_STARTUP, CSIDL_STARTUP, "StartUp",
     true, true, QUELLIN_PROGRAMS_FOLDER, "Startup", false, true},
};

struct Platform {
    const char* name;
    DWORD id, major, minor;
    bool versionFails;
};

const Platform kWin95{"Windows 95", 1, 4, 0, false};
const Platform kWin98{"Windows 98", 1, 4, 10, false};
const Platform kWinMe{"Windows Me", 1, 4, 90, false};
const Platform kNT4{"NT 4.0", 2, 4, 0, false};
const Platform kXP{"XP", 2, 5, 1, false};
const Platform kWin32s{"Win32s", 0, 3, 10, false};
const Platform kNoVersion{"GetVersionExA failing", 2, 5, 1, true};
const Platform kPlatforms[] = {kWin95, kWin98, kWinMe, kNT4, kXP, kWin32s, kNoVersion};

// The platform identifier the resolvers see.
DWORD SeenPlatform(const Platform& p) {
    return p.versionFails ? 0 : p.id;
}

std::string Answer(int csidl) {
    return "C:\\Answer\\" + std::to_string(csidl);
}
std::string ShellPath(int csidl) {
    return "C:\\Shell\\" + std::to_string(csidl);
}

class ShellFolderResolvers : public MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        Fresh(kXP, true);
    }
    void TearDown() override { table_.reset(); }

    // A fresh machine on that platform, with shfolder.dll in the installation source or not;
    // the table is made, on that machine, when a resolver first runs.
    void Fresh(const Platform& p, bool bound) {
        table_.reset();
        slots_.clear();
        winsim::machine().Reset();
        M().version.Set(p.id, p.major, p.minor, 1000);
        if (p.versionFails)
            M().calls.FailApi("GetVersionExA");
        if (bound)
            M().modules.shfolderPath = kShfolder;
    }
    // What a slot holds when the table is made (empty unless set here; the last setting counts).
    void SetSlot(QuellinSlot slot, const std::string& text) { slots_.emplace_back(slot, text); }

    CSystemFolders& T() {
        if (!table_)
            table_.reset(new CSystemFolders(AttachContext::Take(), slots_));
        return *table_;
    }
    std::string Slot(const Resolver& r) { return T().Slot(r.slot); }
    void Run(const Resolver& r, Owner owner = Owner::AllUsers) {
        if (r.withOwner != nullptr)
            (T().*r.withOwner)(r.slot, owner);
        else if (r.plain != nullptr)
            (T().*r.plain)(r.slot);
        else
            T().ResolveStartupFolder(QUELLIN_STARTUP_FOLDER, QUELLIN_COMMON_STARTUP_FOLDER);
    }

    void AnswerEverything() {
        for (int csidl :
             {CSIDL_PROGRAMS, CSIDL_STARTUP, CSIDL_SENDTO, CSIDL_STARTMENU, CSIDL_DESKTOPDIRECTORY,
              CSIDL_FONTS, CSIDL_TEMPLATES, CSIDL_COMMON_STARTMENU, CSIDL_COMMON_PROGRAMS,
              CSIDL_COMMON_STARTUP, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_MYPICTURES})
            M().modules.shfolderAnswers[csidl] = {S_OK, Answer(csidl)};
    }
    void ShellKnows(int csidl, bool convertFails = false) {
        M().shell.folders[csidl] = {ShellPath(csidl), convertFails};
    }
    void SetValue(HKEY root, const std::string& name, const std::string& value,
                  DWORD type = REG_SZ) {
        M().registry.SetString(root, root == HKEY_USERS ? kDefaultUserKey : kUserKey, name, value,
                               type);
    }

    // Nothing left behind: every key closed, every list freed, every reference released once.
    void ExpectReleased() {
        EXPECT_EQ(M().registry.OpenKeyCount(), 0);
        const winsim::Shell& s = M().shell;
        EXPECT_EQ(s.listsFreed, s.listsAllocated);
        EXPECT_EQ(s.mallocReleased, s.mallocAcquired);
        size_t obtained = 0;
        for (const winsim::Call& c : M().calls.calls)
            obtained += c.api == "SHGetMalloc" && !c.failed;
        EXPECT_EQ(static_cast<size_t>(s.mallocAcquired), obtained);
        std::vector<std::string> open = M().OpenResources();
        // The bound shfolder.dll is the test's own.
        open.erase(std::remove(open.begin(), open.end(), "modules loaded: 1"), open.end());
        EXPECT_TRUE(open.empty()) << ::testing::PrintToString(open);
    }

    std::vector<std::string> ShellAsked() {
        return M().calls.Details("SHGetSpecialFolderLocation");
    }

    std::unique_ptr<CSystemFolders> table_;
    std::vector<std::pair<QuellinSlot, std::string>> slots_;
};

std::vector<int> Ids(std::initializer_list<int> ids) {
    return std::vector<int>(ids);
}

// shfolder.dll is asked for the personal folder on the Windows 95 family or without the flag,
// the all-users folder on NT with it, nothing on any other platform with it (the shell then
// gets the all-users identifier).
TEST_F(ShellFolderResolvers, IdentifierAskedOfShfolderByPlatformAndFlag) {
    for (const Resolver& r : kResolvers) {
        for (const Platform& p : kPlatforms) {
            for (Owner owner : {Owner::User, Owner::AllUsers}) {
                const bool allUsers = owner == Owner::AllUsers;
                SCOPED_TRACE(std::string(r.name) + " on " + p.name +
                             (allUsers ? " for all users" : " for the user"));
                Fresh(p, true);
                AnswerEverything();
                ShellKnows(r.personal);
                ShellKnows(r.common);
                Run(r, owner);

                DWORD platform = SeenPlatform(p);
                bool personal = platform == 1 || !allUsers || r.withOwner == nullptr;
                if (r.isStartup) {
                    EXPECT_EQ(M().modules.FolderIdsAskedEitherWay(),
                              Ids({CSIDL_STARTUP, CSIDL_COMMON_STARTUP}));
                    EXPECT_EQ(T().Slot(QUELLIN_STARTUP_FOLDER), Answer(CSIDL_STARTUP));
                    EXPECT_EQ(T().Slot(QUELLIN_COMMON_STARTUP_FOLDER),
                              Answer(CSIDL_COMMON_STARTUP));
                } else if (personal || platform == 2) {
                    int id = personal ? r.personal : r.common;
                    EXPECT_EQ(M().modules.FolderIdsAskedEitherWay(), Ids({id}));
                    EXPECT_EQ(Slot(r), Answer(id));
                    EXPECT_TRUE(ShellAsked().empty());
                } else {
                    EXPECT_TRUE(M().modules.folderPathCalls.empty());
                    EXPECT_EQ(ShellAsked(), std::vector<std::string>{std::to_string(r.common)});
                    EXPECT_EQ(Slot(r), ShellPath(r.common));
                }
                ExpectReleased();
            }
        }
    }
}

// Each source in turn fails and the next one answers; where the chain ends short of a value
// the slot is left as it was.
TEST_F(ShellFolderResolvers, SourcesInTurn) {
    enum Case {
        kFolderService,      // shfolder.dll answers
        kShell,              // it fails, the shell answers
        kShellUnconvertible, // the shell knows the folder but gives no path
        kRegistry,           // the shell does not know it, the key has the value
        kKeyWithoutValue,    // the key opens, the value is missing
        kDefault,            // the key does not open
        kNoAllocator,        // shfolder.dll fails, SHGetMalloc fails
        kUnbound,            // no shfolder.dll, the shell answers
    };
    for (const Resolver& r : kResolvers) {
        for (Case c : {kFolderService, kShell, kShellUnconvertible, kRegistry, kKeyWithoutValue,
                       kDefault, kNoAllocator, kUnbound}) {
            SCOPED_TRACE(std::string(r.name) + " case " + std::to_string(c));
            Fresh(kNT4, c != kUnbound);
            const std::string before = r.isStartup ? "" : "before";
            SetSlot(QUELLIN_START_MENU_FOLDER, "C:\\Menu");
            SetSlot(QUELLIN_WINDOWS_FOLDER, "C:\\WINNT");
            SetSlot(QUELLIN_PROGRAMS_FOLDER, "C:\\Menu\\Programs");
            SetSlot(r.slot, before);
            int id = r.common; // NT with the all-users flag
            if (c == kFolderService) {
                AnswerEverything();
            } else {
                M().modules.shfolderAnswers[id] = {E_FAIL, ""};
            }
            if (c == kShell || c == kUnbound || c == kNoAllocator)
                ShellKnows(id);
            if (c == kShellUnconvertible)
                ShellKnows(id, true);
            if (c != kDefault)
                M().registry.CreateKey(HKEY_USERS, kDefaultUserKey);
            if (c != kKeyWithoutValue && c != kDefault)
                SetValue(HKEY_USERS, r.valueName, "D:\\Registry");
            if (c == kNoAllocator)
                M().calls.FailApi("SHGetMalloc");

            Run(r);

            std::string expected;
            switch (c) {
            case kFolderService:
                expected = Answer(id);
                break;
            case kShell:
            case kUnbound:
                expected = ShellPath(id);
                break;
            case kShellUnconvertible:
                expected = r.takesFailedConversion ? "" : before;
                break;
            case kRegistry:
                expected = "D:\\Registry";
                break;
            case kKeyWithoutValue:
            case kNoAllocator:
                expected = before;
                break;
            case kDefault:
                expected = r.hasDefault ? T().Slot(r.base) + "\\" + r.leaf : before;
                break;
            }
            EXPECT_EQ(Slot(r), expected);
            bool registryAsked = c == kRegistry || c == kKeyWithoutValue || c == kDefault;
            EXPECT_EQ(M().registry.opens.size(), registryAsked ? 1u : 0u);
            EXPECT_EQ(M().calls.Count("SHGetMalloc"), c == kFolderService ? 0u : 1u);
            if (c == kNoAllocator) {
                EXPECT_TRUE(ShellAsked().empty());
            }
            ExpectReleased();
        }
    }
}

// The registry is read under the current user on the Windows 95 family and under the default
// user everywhere else; SendTo, Templates and Fonts read the default user on every platform.
// The key is opened for reading only (KEY_READ), so a user who may not write it, as a limited
// user on NT, still finds the folder.
TEST_F(ShellFolderResolvers, RegistryRootByPlatform) {
    for (const Resolver& r : kResolvers) {
        for (const Platform& p : kPlatforms) {
            SCOPED_TRACE(std::string(r.name) + " on " + p.name);
            Fresh(p, false);
            SetValue(HKEY_CURRENT_USER, r.valueName, "C:\\CurrentUser");
            SetValue(HKEY_USERS, r.valueName, "C:\\DefaultUser");
            M().registry.DenyWrite(HKEY_CURRENT_USER, kUserKey);
            M().registry.DenyWrite(HKEY_USERS, kDefaultUserKey);
            Run(r);
            bool currentUser = r.rootByPlatform && SeenPlatform(p) == 1;
            EXPECT_EQ(Slot(r), currentUser ? "C:\\CurrentUser" : "C:\\DefaultUser");
            EXPECT_EQ(M().registry.opens,
                      std::vector<std::string>{currentUser
                                                   ? std::string("HKCU\\") + kUserKey
                                                   : std::string("HKU\\") + kDefaultUserKey});
            EXPECT_EQ(M().registry.openAccess, std::vector<DWORD>{KEY_READ});
            if (r.isStartup) {
                EXPECT_EQ(T().Slot(QUELLIN_COMMON_STARTUP_FOLDER),
                          T().Slot(QUELLIN_STARTUP_FOLDER));
            }
            ExpectReleased();
        }
    }
}

// The value is kept as stored: up to its first zero byte, untrimmed, its environment references
// expanded. Data of more than 255 bytes is not read, and the default is not used for it; a
// value that names no folder an installer can use (leading blanks, a reference to no
// variable) is passed over for the default.
TEST_F(ShellFolderResolvers, RegistryValueAsStored) {
    const std::string longest = "C:\\" + std::string(249, 'x') + "  "; // 254 characters
    ASSERT_EQ(longest.size(), 254u);
    struct {
        const char* what;
        std::string data; // the exact bytes stored
        DWORD type;
        std::string expected;
    } values[] = {
        {"254 characters", longest + '\0', REG_SZ, longest},
        {"255 characters", longest + "y" + '\0', REG_SZ, ""},
        {"expandable", std::string("%USERPROFILE%\\Menu") + '\0', REG_EXPAND_SZ,
         "C:\\Users\\anna\\Menu"},
        {"leading blanks", std::string("  C:\\Menu") + '\0', REG_SZ, ""},
        {"no such variable", std::string("%NOBODY%\\Menu") + '\0', REG_EXPAND_SZ, ""},
        // Expanded once: a reference in the expanded text stays as it is.
        {"expands to a reference", std::string("%QUELLINREFERENCE%\\Menu") + '\0', REG_EXPAND_SZ,
         "C:\\%USERPROFILE%\\Menu"},
        {"zero inside", std::string("C:\\A\0C:\\B", 9), REG_SZ, "C:\\A"},
        {"no terminating zero", "C:\\Raw", REG_BINARY, "C:\\Raw"},
    };
    for (const Resolver& r : kResolvers) {
        for (const auto& v : values) {
            SCOPED_TRACE(std::string(r.name) + ": " + v.what);
            Fresh(kNT4, false);
            for (QuellinSlot base :
                 {QUELLIN_START_MENU_FOLDER, QUELLIN_WINDOWS_FOLDER, QUELLIN_PROGRAMS_FOLDER})
                SetSlot(base, "C:\\Base");
            SetSlot(r.slot, "");
            M().kernel.SetEnvironment("USERPROFILE", "C:\\Users\\anna");
            M().kernel.SetEnvironment("QUELLINREFERENCE", "C:\\%USERPROFILE%");
            M().registry.SetRaw(HKEY_USERS, kDefaultUserKey, r.valueName, v.type, v.data);
            Run(r);
            const bool passedOver = v.expected.empty() && v.data.size() < 255;
            EXPECT_EQ(Slot(r),
                      passedOver && r.hasDefault ? "C:\\Base\\" + std::string(r.leaf) : v.expected);
            ExpectReleased();
        }
    }
}

// A key that does not open leads to the default joined to the earlier slot; on an empty slot
// there is no default (a bare leaf name would be relative to the current directory). The
// three folders without a default stay empty.
TEST_F(ShellFolderResolvers, DefaultsFromEarlierSlots) {
    for (const Resolver& r : kResolvers) {
        for (const char* base : {"C:\\WINDOWS\\Start Menu\\", ""}) {
            SCOPED_TRACE(std::string(r.name) + " on '" + base + "'");
            Fresh(kWin95, false);
            for (QuellinSlot slot :
                 {QUELLIN_START_MENU_FOLDER, QUELLIN_WINDOWS_FOLDER, QUELLIN_PROGRAMS_FOLDER})
                SetSlot(slot, base);
            Run(r);
            std::string expected;
            if (r.hasDefault)
                expected = *base ? std::string("C:\\WINDOWS\\Start Menu\\") + r.leaf : "";
            EXPECT_EQ(Slot(r), expected);
            ExpectReleased();
        }
    }
}

// shfolder.dll answers S_OK but leaves its buffer without a terminating zero (filled with a
// path cut short, or a short path padded): that answer is no folder, and the slot stays empty.
TEST_F(ShellFolderResolvers, UnterminatedFolderServiceAnswerGivesAnEmptySlot) {
    for (const Resolver& r : kResolvers) {
        for (const std::string& path :
             {std::string("C:\\Answer"), "C:\\" + std::string(300, 'u')}) {
            SCOPED_TRACE(std::string(r.name) + ", " + std::to_string(path.size()) + " characters");
            Fresh(kXP, true);
            for (int csidl : {r.personal, r.common, CSIDL_COMMON_STARTUP})
                M().modules.shfolderAnswers[csidl] = {S_OK, path, true};
            Run(r);
            EXPECT_EQ(Slot(r), "");
            if (r.isStartup) {
                EXPECT_EQ(T().Slot(QUELLIN_COMMON_STARTUP_FOLDER), "");
            }
            ExpectReleased();
        }
    }
}

// The all-users Startup slot beside the user's: the all-users folder from shfolder.dll or the
// shell, a copy of the user's from the registry or the default. On an empty Programs slot
// there is no default, and both slots keep what they hold.
TEST_F(ShellFolderResolvers, StartupFillsTheAllUsersSlotOnEachPath) {
    const Resolver& startup = kResolvers[6];
    struct {
        const char* what;
        HRESULT serviceUser, serviceAllUsers;
        bool shellUser, convertUser, shellAllUsers, key, value;
        std::string userSlot, allUsersSlot;
        std::string programs = "C:\\Menu\\Programs";
    } paths[] = {
        {"both from shfolder.dll", S_OK, S_OK, true, true, true, true, true, Answer(CSIDL_STARTUP),
         Answer(CSIDL_COMMON_STARTUP)},
        {"second from the shell", S_OK, E_FAIL, true, true, true, true, true,
         ShellPath(CSIDL_STARTUP), ShellPath(CSIDL_COMMON_STARTUP)},
        {"first kept, second from the shell", S_OK, E_FAIL, true, false, true, true, true,
         Answer(CSIDL_STARTUP), ShellPath(CSIDL_COMMON_STARTUP)},
        {"both from the shell", E_FAIL, E_FAIL, true, true, true, true, true,
         ShellPath(CSIDL_STARTUP), ShellPath(CSIDL_COMMON_STARTUP)},
        {"shell knows only the user's", E_FAIL, E_FAIL, true, true, false, true, true,
         ShellPath(CSIDL_STARTUP), ""},
        {"shell cannot convert the user's", E_FAIL, E_FAIL, true, false, true, true, true, "",
         ShellPath(CSIDL_COMMON_STARTUP)},
        {"registry", E_FAIL, E_FAIL, false, true, true, true, true, "C:\\Reg Startup",
         "C:\\Reg Startup"},
        {"first kept, value missing", S_OK, E_FAIL, false, true, false, true, false,
         Answer(CSIDL_STARTUP), ""},
        {"default", E_FAIL, E_FAIL, false, true, false, false, false, "C:\\Menu\\Programs\\Startup",
         "C:\\Menu\\Programs\\Startup"},
        {"first kept, no default on an empty Programs slot", S_OK, E_FAIL, false, true, false,
         false, false, Answer(CSIDL_STARTUP), "", ""},
    };
    for (const auto& c : paths) {
        SCOPED_TRACE(c.what);
        Fresh(kWin98, true);
        SetSlot(QUELLIN_PROGRAMS_FOLDER, c.programs);
        M().modules.shfolderAnswers[CSIDL_STARTUP] = {c.serviceUser, Answer(CSIDL_STARTUP)};
        M().modules.shfolderAnswers[CSIDL_COMMON_STARTUP] = {c.serviceAllUsers,
                                                             Answer(CSIDL_COMMON_STARTUP)};
        if (c.shellUser)
            ShellKnows(CSIDL_STARTUP, !c.convertUser);
        if (c.shellAllUsers)
            ShellKnows(CSIDL_COMMON_STARTUP);
        if (c.key)
            M().registry.CreateKey(HKEY_CURRENT_USER, kUserKey);
        if (c.value)
            SetValue(HKEY_CURRENT_USER, "StartUp", "C:\\Reg Startup");
        Run(startup);
        EXPECT_EQ(T().Slot(QUELLIN_STARTUP_FOLDER), c.userSlot);
        EXPECT_EQ(T().Slot(QUELLIN_COMMON_STARTUP_FOLDER), c.allUsersSlot);
        ExpectReleased();
    }

    // Without an allocator the first answer of shfolder.dll stays alone.
    Fresh(kXP, true);
    M().modules.shfolderAnswers[CSIDL_STARTUP] = {S_OK, Answer(CSIDL_STARTUP)};
    ShellKnows(CSIDL_COMMON_STARTUP);
    M().calls.FailApi("SHGetMalloc");
    Run(startup);
    EXPECT_EQ(T().Slot(QUELLIN_STARTUP_FOLDER), Answer(CSIDL_STARTUP));
    EXPECT_EQ(T().Slot(QUELLIN_COMMON_STARTUP_FOLDER), "");
    ExpectReleased();
}

// My Pictures: made by shfolder.dll with the create flag on Windows 98 and Me; the documents
// folder joined with "My Pictures" and created on Windows 95, NT and any other platform with
// shfolder.dll at hand; only the shell without it.
TEST_F(ShellFolderResolvers, MyPictures) {
    const std::string joined = "C:\\Docs\\My Pictures";
    const int kCreateMyPictures = CSIDL_MYPICTURES | CSIDL_FLAG_CREATE;
    struct {
        const Platform& platform;
        bool bound;
        HRESULT service;
        std::vector<int> serviceAsked;
        std::string expected;
        bool created;
    } cases[] = {
        {kWin95, true, S_OK, {}, joined, true},
        {kWin98, true, S_OK, {kCreateMyPictures}, Answer(kCreateMyPictures), false},
        {kWinMe, true, S_OK, {kCreateMyPictures}, Answer(kCreateMyPictures), false},
        {kWin98, true, E_FAIL, {kCreateMyPictures}, "", false},
        {kNT4, true, S_OK, {}, joined, true},
        {kXP, true, S_OK, {}, joined, true},
        {kWin32s, true, S_OK, {}, joined, true},
        {kNoVersion, true, S_OK, {}, joined, true},
        {kWin98, false, S_OK, {}, ShellPath(CSIDL_MYPICTURES), false},
        {kXP, false, S_OK, {}, ShellPath(CSIDL_MYPICTURES), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.platform.name) + (c.bound ? " with" : " without") +
                     " shfolder.dll");
        Fresh(c.platform, c.bound);
        SetSlot(QUELLIN_PERSONAL_FOLDER, "C:\\Docs");
        M().files.AddDirectory("C:\\Docs");
        M().modules.shfolderAnswers[kCreateMyPictures] = {c.service, Answer(kCreateMyPictures)};
        ShellKnows(CSIDL_MYPICTURES);
        M().registry.CreateKey(HKEY_USERS, kDefaultUserKey);
        SetValue(HKEY_USERS, "My Pictures", "C:\\Registry");
        T().ResolveMyPicturesFolder(QUELLIN_MY_PICTURES_FOLDER);
        EXPECT_EQ(T().Slot(QUELLIN_MY_PICTURES_FOLDER), c.expected);
        EXPECT_EQ(M().modules.FolderIdsAskedEitherWay(), c.serviceAsked);
        EXPECT_EQ(M().files.IsDirectory(joined), c.created);
        EXPECT_TRUE(M().registry.opens.empty());
        EXPECT_EQ(M().calls.Count("SHGetMalloc"), c.bound ? 0u : 1u);
        ExpectReleased();
    }

    // Without the shell's folder or its allocator, and without shfolder.dll, nothing else is
    // tried.
    for (bool allocatorFails : {false, true}) {
        Fresh(kXP, false);
        if (allocatorFails) {
            ShellKnows(CSIDL_MYPICTURES);
            M().calls.FailApi("SHGetMalloc");
        }
        T().ResolveMyPicturesFolder(QUELLIN_MY_PICTURES_FOLDER);
        EXPECT_EQ(T().Slot(QUELLIN_MY_PICTURES_FOLDER), "");
        EXPECT_TRUE(M().registry.opens.empty());
        ExpectReleased();
    }
}

// An unknown documents folder gives no My Pictures folder; nothing is created, in the current
// directory or anywhere else.
TEST_F(ShellFolderResolvers, MyPicturesWithoutDocumentsFolderCreatesNothing) {
    Fresh(kXP, true);
    M().kernel.currentDirectory = "C:\\Install";
    std::vector<std::string> before = M().files.Snapshot();
    T().ResolveMyPicturesFolder(QUELLIN_MY_PICTURES_FOLDER);
    EXPECT_EQ(T().Slot(QUELLIN_MY_PICTURES_FOLDER), "");
    EXPECT_TRUE(M().files.createdDirectories.empty());
    EXPECT_EQ(M().files.Snapshot(), before);
    EXPECT_FALSE(M().files.Exists("C:\\Install\\My Pictures"));
    ExpectReleased();
}

// The whole table: without shfolder.dll, shell folders or Explorer keys the defaults build on
// each other in the resolving order, and the all-users Startup slot follows the user's.
TEST_F(ShellFolderResolvers, DefaultsChainThroughTheAttachedTable) {
    Fresh(kNT4, false);
    M().kernel.windowsDirectory = "C:\\WINNT";
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(QUELLIN_START_MENU_FOLDER), "C:\\WINNT\\Start Menu");
    EXPECT_EQ(lib.Folder(QUELLIN_PROGRAMS_FOLDER), "C:\\WINNT\\Start Menu\\Programs");
    EXPECT_EQ(lib.Folder(QUELLIN_DESKTOP_FOLDER), "C:\\WINNT\\Start Menu\\Desktop");
    EXPECT_EQ(lib.Folder(QUELLIN_STARTUP_FOLDER), "C:\\WINNT\\Start Menu\\Programs\\Startup");
    EXPECT_EQ(lib.Folder(QUELLIN_COMMON_STARTUP_FOLDER),
              "C:\\WINNT\\Start Menu\\Programs\\Startup");
    EXPECT_EQ(lib.Folder(QUELLIN_SEND_TO_FOLDER), "");
    EXPECT_EQ(lib.Folder(QUELLIN_TEMPLATES_FOLDER), "");
    EXPECT_EQ(lib.Folder(QUELLIN_FONTS_FOLDER), "");
    lib.Detach();
    ExpectReleased();
}

} // namespace
