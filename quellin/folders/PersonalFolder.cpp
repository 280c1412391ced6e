// The user's documents folder: shfolder.dll, then the shell, then the per-user shell-folder
// values and the user's profile, and at last "My Documents" on the Windows drive's root. The
// order of the sources depends on the platform.
#include "folders/Sources.h"
#include "folders/SystemFolders.h"
#include "paths/Path.h"
#include "paths/RegValue.h"
#include "paths/Root.h"

namespace {

const DWORD kUserNameSize = 80;
const char kProfileList[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ProfileList";

// A value of this resolver as stored, read into a 260-character buffer from a key opened for
// reading: a longer value counts as absent. The results of the open and the query.
template <typename Char>
RegReadResult ReadPersonalValue(HKEY root, const std::string& subKey, const char* valueName,
                                std::basic_string<Char>& text) {
    RegReadResult read;
    RegistryKey key;
    read.open = RegOpenForReading(root, subKey.c_str(), key);
    if (read.open == ERROR_SUCCESS)
        read.query =
            RegQueryText(key.Get(), valueName, MAX_PATH, RegText::AsStored, text, &read.type);
    return read;
}

// "My Documents" on the root of the Windows directory's drive (`how` follows "answered"). It
// ends the chain: without that root there is no folder, rather than one relative to whatever
// directory is current.
Step MyDocuments(const AttachContext& context, const char* how) {
    return [&context, how] {
        return InCallCharacters(context, [how](auto character) {
            using Char = decltype(character);
            const char* detail = "\"My Documents\" on the Windows drive";
            const auto folder = PathJoinBelow(PathRoot(QueryWindowsDirectory<Char>()),
                                              TextCalls<Char>::Text("My Documents"));
            if (folder.empty())
                return Stop(
                    kFallbackSource, detail,
                    Finding(QUELLIN_OUTCOME_NO_FOLDER, "no folder: the Windows drive is unknown"));
            return Answer(kFallbackSource, detail, folder, std::string("answered") + how);
        });
    };
}

// The user's own "Personal" value under "User Shell Folders", its environment references
// expanded. A key that does not open stops the chain; a value read answers, an empty one too.
template <typename Char> Outcome UserShellFoldersPersonal() {
    const std::string where =
        RegistryValueText(HKEY_CURRENT_USER, kUserShellFoldersKey, "Personal");
    std::basic_string<Char> value;
    const RegReadResult read =
        ReadPersonalValue(HKEY_CURRENT_USER, kUserShellFoldersKey, "Personal", value);
    if (read.open != ERROR_SUCCESS)
        return Stop(kRegistrySource, where, RegistryOutcome(read.open, read.query));
    if (read.query != ERROR_SUCCESS)
        return Failure(kRegistrySource, where, RegistryOutcome(read.open, read.query));
    const std::basic_string<Char> folder = RegExpandReferences(value);
    Outcome outcome = Answer(kRegistrySource, where, folder,
                             value.empty() ? Finding(QUELLIN_OUTCOME_EMPTY, "empty")
                                           : ExpandedOutcome(value, folder));
    RawValue(outcome, read.type, value, folder);
    return outcome;
}

// Outside NT a profile folder exists only when user profiles are switched on: without them
// `profilesOff` is set, and the fixed folder follows.
Outcome UserProfiles(bool& profilesOff) {
    const std::string where =
        RegistryValueText(HKEY_LOCAL_MACHINE, "Network\\Logon", "UserProfiles");
    std::string ignored;
    const RegReadResult read =
        ReadPersonalValue(HKEY_LOCAL_MACHINE, "Network\\Logon", "UserProfiles", ignored);
    profilesOff = read.open != ERROR_SUCCESS || read.query != ERROR_SUCCESS;
    if (profilesOff)
        return Failure(kRegistrySource, where,
                       RegistryOutcome(read.open, read.query) + ": no user profiles");
    return Failure(kRegistrySource, where,
                   Finding(QUELLIN_OUTCOME_PRESENT, "present: user profiles are on"));
}

// The logged-on user's name; a failure stops the chain.
Outcome UserName(std::string& user) {
    char name[kUserNameSize] = {0};
    DWORD size = kUserNameSize;
    if (!GetUserNameA(name, &size))
        return Stop(kWindowsSource, "GetUserNameA", FailedError(GetLastError()));
    name[kUserNameSize - 1] = '\0';
    user = name;
    return NotTried();
}

// "Personal" in the user's profile folder ("ProfileImagePath", its environment references
// expanded); a profile that cannot be read stops the chain.
template <typename Char> Outcome ProfilePersonal(const std::string& user) {
    const std::string profileKey = PathJoin(kProfileList, user);
    const std::string where = RegistryValueText(HKEY_LOCAL_MACHINE, profileKey, "ProfileImagePath");
    std::basic_string<Char> profilePath;
    const RegReadResult read =
        ReadPersonalValue(HKEY_LOCAL_MACHINE, profileKey, "ProfileImagePath", profilePath);
    if (read.open != ERROR_SUCCESS || read.query != ERROR_SUCCESS)
        return Stop(kRegistrySource, where, RegistryOutcome(read.open, read.query));
    const std::basic_string<Char> expanded = RegExpandReferences(profilePath);
    const std::basic_string<Char> folder =
        PathJoinBelow(expanded, TextCalls<Char>::Text("Personal"));
    Outcome outcome = Answer(kRegistrySource, where + " + \"Personal\"", folder,
                             folder.empty() ? Finding(QUELLIN_OUTCOME_EMPTY, "empty")
                                            : ExpandedOutcome(profilePath, expanded));
    RawValue(outcome, read.type, profilePath, expanded);
    return outcome;
}

} // namespace

// With shfolder.dll: its answer; on Windows 98 and Me it is asked again with the create flag,
// and then the sources without it follow; on NT and Windows 95 the fixed folder on the Windows
// drive is taken and created. Without it: the shell, the user's "Personal" value, and then the
// profile (outside NT only with user profiles on; without them the fixed folder, not created).
void CSystemFolders::ResolvePersonalFolder(QuellinSlot slot) {
    const bool serviceBound = context_.FolderService() != nullptr;
    const bool windows98OrMe = context_.Windows98OrMe();
    const bool fixedAfterService = serviceBound && !windows98OrMe;
    const bool notNT = !context_.NT();
    bool profilesOff = false;
    std::string user;
    ShellSession shell(context_);
    const AttachContext& context = context_;
    Resolve(slot,
            {
                FolderService(context_, CSIDL_PERSONAL),
                OnlyIf(windows98OrMe, FolderService(context_, CSIDL_PERSONAL | CSIDL_FLAG_CREATE)),
                OnlyIf(fixedAfterService, Created(MyDocuments(context_, ""))),
                shell.Folder(CSIDL_PERSONAL),
                [&context] {
                    return InCallCharacters(context, [](auto character) {
                        return UserShellFoldersPersonal<decltype(character)>();
                    });
                },
                OnlyIf(notNT, [&profilesOff] { return UserProfiles(profilesOff); }),
                OnlyIf(profilesOff, MyDocuments(context_, ", not created")),
                [&user] { return UserName(user); },
                [&context, &user] {
                    return InCallCharacters(context, [&user](auto character) {
                        return ProfilePersonal<decltype(character)>(user);
                    });
                },
            });
}
