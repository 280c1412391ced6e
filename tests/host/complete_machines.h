// Complete machines: one per platform, with and without shfolder.dll in the installation
// source, each set up as such a machine is after a typical installation of Windows. Used by
// the whole-attach tests, the fault-injection sweep and the attach census.
#pragma once

#include <winsim/machine.h>

#include <shlobj.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace machines {

enum class Windows { Win95, Win98, NT4, Win2000, XP };

struct Machine {
    Windows windows;
    bool shfolder; // setup\shfolder.dll in the installation source
    std::string name;
};

inline std::vector<Machine> All() {
    std::vector<Machine> all;
    const std::pair<Windows, const char*> platforms[] = {{Windows::Win95, "Win95"},
                                                         {Windows::Win98, "Win98"},
                                                         {Windows::NT4, "NT4"},
                                                         {Windows::Win2000, "Win2000"},
                                                         {Windows::XP, "XP"}};
    for (const auto& p : platforms)
        for (bool shfolder : {true, false})
            all.push_back(
                {p.first, shfolder,
                 std::string(p.second) + (shfolder ? "WithShfolder" : "WithoutShfolder")});
    return all;
}

// The complete machine of that name ("XPWithoutShfolder"); throws when there is none.
inline Machine Named(const std::string& name) {
    for (const Machine& machine : All())
        if (machine.name == name)
            return machine;
    throw std::invalid_argument("no complete machine " + name);
}

namespace detail {

const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

struct Folders {
    std::string desktop, programs, startMenu, startup, sendTo, templates, fonts, personal,
        myPictures;
    std::string commonDesktop, commonPrograms, commonStartMenu, commonStartup;
};

inline void AddFolder(const std::string& path) {
    if (!path.empty())
        winsim::machine().files.AddDirectory(path);
}

} // namespace detail

// Sets up the (freshly reset) machine.
inline void Build(const Machine& machine) {
    using namespace detail;
    winsim::Machine& m = winsim::machine();
    m.Reset();
    m.kernel.userName = "anna";
    m.kernel.currentDirectory = "C:\\Install";
    m.kernel.moduleFileName = "C:\\Install\\Setup32.exe";
    m.files.AddFile("C:\\Install\\Setup32.exe");
    m.files.AddDirectory("C:\\Install\\setup");
    if (machine.shfolder) {
        m.modules.shfolderPath = "C:\\Install\\setup\\shfolder.dll";
        m.files.AddFile(m.modules.shfolderPath);
    }

    const bool nt = machine.windows == Windows::NT4 || machine.windows == Windows::Win2000 ||
                    machine.windows == Windows::XP;
    std::string windows = "C:\\WINDOWS";
    std::string system = "C:\\WINDOWS\\SYSTEM";
    Folders f;
    switch (machine.windows) {
    case Windows::Win95:
        m.version.Windows95();
        break;
    case Windows::Win98:
        m.version.Windows98();
        break;
    case Windows::NT4:
        m.version.NT4();
        windows = "C:\\WINNT";
        system = "C:\\WINNT\\system32";
        break;
    case Windows::Win2000:
        m.version.Windows2000();
        windows = "C:\\WINNT";
        system = "C:\\WINNT\\system32";
        break;
    case Windows::XP:
        m.version.WindowsXP();
        system = "C:\\WINDOWS\\system32";
        break;
    }
    m.kernel.windowsDirectory = windows;
    m.kernel.systemDirectory = system;
    m.kernel.tempPath = nt ? "C:\\TEMP\\" : windows + "\\TEMP\\";
    AddFolder(windows);
    AddFolder(system);
    AddFolder(m.kernel.tempPath);
    AddFolder(windows + "\\Fonts");
    // Users may not write to the system folder of the NT family.
    if (nt)
        m.files.DenyNewFiles(system);

    if (!nt) {
        f.desktop = windows + "\\Desktop";
        f.startMenu = windows + "\\Start Menu";
        f.programs = f.startMenu + "\\Programs";
        f.startup = f.programs + "\\StartUp";
        f.sendTo = windows + "\\SendTo";
        f.templates = windows + "\\ShellNew";
        f.personal = "C:\\My Documents";
    } else {
        std::string user, all;
        if (machine.windows == Windows::NT4) {
            user = windows + "\\Profiles\\anna";
            all = windows + "\\Profiles\\All Users";
            f.personal = user + "\\Personal";
        } else {
            user = "C:\\Documents and Settings\\anna";
            all = "C:\\Documents and Settings\\All Users";
            f.personal = user + "\\My Documents";
            f.myPictures = f.personal + "\\My Pictures";
        }
        f.desktop = user + "\\Desktop";
        f.startMenu = user + "\\Start Menu";
        f.programs = f.startMenu + "\\Programs";
        f.startup = f.programs + "\\Startup";
        f.sendTo = user + "\\SendTo";
        f.templates = user + "\\Templates";
        f.commonDesktop = all + "\\Desktop";
        f.commonStartMenu = all + "\\Start Menu";
        f.commonPrograms = f.commonStartMenu + "\\Programs";
        f.commonStartup = f.commonPrograms + "\\Startup";
        m.registry.SetString(HKEY_LOCAL_MACHINE,
                             std::string(kCurrentVersion) + "\\ProfileList\\anna",
                             "ProfileImagePath", user, REG_EXPAND_SZ);
    }
    if (machine.windows == Windows::Win98)
        f.myPictures = f.personal + "\\My Pictures";
    f.fonts = windows + "\\Fonts";
    for (const std::string* folder :
         {&f.desktop, &f.startMenu, &f.programs, &f.startup, &f.sendTo, &f.templates, &f.personal,
          &f.myPictures, &f.commonDesktop, &f.commonStartMenu, &f.commonPrograms, &f.commonStartup})
        AddFolder(*folder);

    // The shell knows the folders its platform has; the all-users ones only on NT, My Pictures
    // from Windows 98 and 2000 on.
    auto shell = [&m](int csidl, const std::string& path) {
        if (!path.empty())
            m.shell.folders[csidl] = {path};
    };
    shell(CSIDL_DESKTOPDIRECTORY, f.desktop);
    shell(CSIDL_PROGRAMS, f.programs);
    shell(CSIDL_STARTMENU, f.startMenu);
    shell(CSIDL_STARTUP, f.startup);
    shell(CSIDL_SENDTO, f.sendTo);
    shell(CSIDL_TEMPLATES, f.templates);
    shell(CSIDL_FONTS, f.fonts);
    shell(CSIDL_PERSONAL, f.personal);
    shell(CSIDL_MYPICTURES, f.myPictures);
    shell(CSIDL_COMMON_DESKTOPDIRECTORY, f.commonDesktop);
    shell(CSIDL_COMMON_PROGRAMS, f.commonPrograms);
    shell(CSIDL_COMMON_STARTMENU, f.commonStartMenu);
    shell(CSIDL_COMMON_STARTUP, f.commonStartup);

    // shfolder.dll answers what the shell knows, and the program-files folders.
    if (machine.shfolder) {
        for (const auto& known : m.shell.folders)
            m.modules.shfolderAnswers[known.first] = {S_OK, known.second.path};
        m.modules.shfolderAnswers[CSIDL_PROGRAM_FILES] = {S_OK, "C:\\Program Files"};
        m.modules.shfolderAnswers[CSIDL_PROGRAM_FILES_COMMON] = {S_OK,
                                                                 "C:\\Program Files\\Common Files"};
        if (f.myPictures.empty())
            m.modules.shfolderAnswers.erase(CSIDL_MYPICTURES);
    }

    // Explorer's keys: the user's own on the 95 family, the default user's on every platform.
    HKEY userRoot = nt ? HKEY_USERS : HKEY_CURRENT_USER;
    std::string userKey = nt ? std::string(".Default\\") + kShellFolders : kShellFolders;
    const std::pair<const char*, const std::string*> values[] = {
        {"Desktop", &f.desktop}, {"Programs", &f.programs}, {"Start Menu", &f.startMenu},
        {"StartUp", &f.startup}, {"SendTo", &f.sendTo},     {"Templates", &f.templates},
        {"Fonts", &f.fonts},     {"Personal", &f.personal}};
    for (const auto& v : values) {
        m.registry.SetString(userRoot, userKey, v.first, *v.second);
        m.registry.SetString(HKEY_USERS, std::string(".Default\\") + kShellFolders, v.first,
                             *v.second);
    }
    m.registry.SetString(HKEY_CURRENT_USER, kUserShellFolders, "Personal",
                         nt ? "%USERPROFILE%\\" + f.personal.substr(f.personal.rfind('\\') + 1)
                            : f.personal,
                         nt ? REG_EXPAND_SZ : REG_SZ);
    if (!nt)
        m.registry.SetDword(HKEY_LOCAL_MACHINE, "Network\\Logon", "UserProfiles", 0);

    // Program files, common files, the database engine and the suite.
    AddFolder("C:\\Program Files\\Common Files\\Microsoft Shared\\DAO");
    AddFolder("C:\\Program Files\\Common Files\\ODBC");
    m.registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir",
                         "C:\\Program Files");
    m.registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir",
                         "C:\\Program Files\\Common Files");
    if (nt)
        m.registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesPath",
                             "%SystemDrive%\\Program Files", REG_EXPAND_SZ);
    m.files.AddFile("C:\\Program Files\\Common Files\\Borland Shared\\BDE\\IDAPI32.DLL");
    m.registry.SetString(HKEY_LOCAL_MACHINE, "Software\\Borland\\Database Engine", "DLLPATH",
                         "C:\\Program Files\\Common Files\\Borland Shared\\BDE");
    m.registry.SetString(HKEY_LOCAL_MACHINE, "Software\\Tolva\\Inkvale Suite\\9", "Destination",
                         "C:\\Program Files\\Tolva\\Inkvale Suite");
    if (nt)
        m.registry.SetMultiString(HKEY_LOCAL_MACHINE,
                                  "System\\CurrentControlSet\\Control\\ProductOptions",
                                  "ProductSuite", {});

    // Set-up done: nothing the tests count has happened yet.
    m.calls.Reset();
}

} // namespace machines
