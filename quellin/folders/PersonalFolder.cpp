// The user's documents folder: shfolder.dll, then the shell, then the per-user shell-folder
// values and the user's profile, and at last "My Documents" on the Windows drive's root. The
// order of the sources depends on the platform.
#include "folders/ShellResources.h"
#include "folders/SystemFolders.h"
#include "paths/Directory.h"
#include "paths/Path.h"
#include "paths/RegValue.h"
#include "paths/Root.h"
#include "platform/WindowsVersion.h"

namespace {

const DWORD kUserNameSize = 80;
const char kProfileList[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ProfileList";

// A value of this resolver as stored, read into a 260-byte buffer: a longer value counts as
// absent. The result of the query.
LONG QueryPersonalValue(HKEY key, const char* valueName, std::string& text) {
    return RegQueryText(key, valueName, MAX_PATH, RegText::AsStored, text);
}

} // namespace

void CSystemFolders::ResolvePersonalFolder(std::string& slot) {
    SlotRecording recording(*this, slot);
    FolderRecord& record = Recording();
    // A failing version query leaves the record cleared: platform 0, neither family.
    OSVERSIONINFOA version;
    QueryWindowsVersion(version);
    const bool windows9x = version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
    // "My Documents" on the root of the Windows directory's drive; empty when that root is
    // unknown, rather than a folder relative to whatever directory is current.
    auto myDocuments = [this, &record](const char* how) {
        const std::string root = PathRoot(QueryWindowsDirectory());
        std::string folder = PathJoinBelow(root, "My Documents");
        record.Add(kFallbackSource, "\"My Documents\" on the Windows drive",
                   folder.empty() ? "no folder: the Windows drive is unknown"
                                  : std::string("answered, ") + how);
        return folder;
    };

    if (FolderPathFunction != nullptr) {
        std::string path;
        if (AskFolderService(CSIDL_PERSONAL, path)) {
            slot = path;
            return;
        }
        if (windows9x && version.dwMinorVersion > 0) {
            // Windows 98 and Me: ask again with the create flag, then go on with the shell.
            if (AskFolderService(CSIDL_PERSONAL | CSIDL_FLAG_CREATE, path)) {
                slot = path;
                return;
            }
        } else {
            // NT and Windows 95: the fixed folder on the Windows drive, created.
            slot = myDocuments("created");
            if (!slot.empty())
                CreateDirectoryTree(slot);
            return;
        }
    }

    ShellAllocatorReference allocator(ShellAllocator);
    if (!ObtainedForShell(allocator, record))
        return;
    std::string path;
    switch (AskShell(allocator.Get(), CSIDL_PERSONAL, path, record)) {
    case ShellAnswer::Converted:
        slot = path;
        return;
    case ShellAnswer::NotConverted:
        return;
    case ShellAnswer::Unknown:
        break;
    }

    // The registry: the user's own shell-folder value, kept as stored (unexpanded).
    const std::string personal =
        RegistryValueText(HKEY_CURRENT_USER, kUserShellFoldersKey, "Personal");
    RegistryKey userShellFolders;
    const LONG opened =
        RegOpenForReading(HKEY_CURRENT_USER, kUserShellFoldersKey, userShellFolders);
    if (opened != ERROR_SUCCESS) {
        record.Add(kRegistrySource, personal, RegistryOutcome(opened, ERROR_SUCCESS));
        return;
    }
    std::string value;
    const LONG queried = QueryPersonalValue(userShellFolders.Get(), "Personal", value);
    if (queried == ERROR_SUCCESS) {
        record.Add(kRegistrySource, personal, value.empty() ? "empty" : "answered");
        slot = value;
        return;
    }
    record.Add(kRegistrySource, personal, RegistryOutcome(opened, queried));

    // Outside NT, a profile folder exists only when user profiles are switched on.
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) {
        const std::string profiles =
            RegistryValueText(HKEY_LOCAL_MACHINE, "Network\\Logon", "UserProfiles");
        RegistryKey logon;
        std::string ignored;
        const LONG logonOpened = RegOpenForReading(HKEY_LOCAL_MACHINE, "Network\\Logon", logon);
        LONG logonQueried = ERROR_SUCCESS;
        if (logonOpened == ERROR_SUCCESS)
            logonQueried = QueryPersonalValue(logon.Get(), "UserProfiles", ignored);
        if (logonOpened != ERROR_SUCCESS || logonQueried != ERROR_SUCCESS) {
            record.Add(kRegistrySource, profiles,
                       RegistryOutcome(logonOpened, logonQueried) + ": no user profiles");
            slot = myDocuments("not created");
            return;
        }
        record.Add(kRegistrySource, profiles, "present: user profiles are on");
    }

    char user[kUserNameSize] = {0};
    DWORD userSize = kUserNameSize;
    if (!GetUserNameA(user, &userSize)) {
        record.Add(kWindowsSource, "GetUserNameA", FailedError(GetLastError()));
        return;
    }
    user[kUserNameSize - 1] = '\0';
    const std::string profileKey = PathJoin(kProfileList, user);
    const std::string profileImage =
        RegistryValueText(HKEY_LOCAL_MACHINE, profileKey, "ProfileImagePath");
    RegistryKey profile;
    std::string profilePath;
    const LONG profileOpened = RegOpenForReading(HKEY_LOCAL_MACHINE, profileKey.c_str(), profile);
    LONG profileQueried = ERROR_SUCCESS;
    if (profileOpened == ERROR_SUCCESS)
        profileQueried = QueryPersonalValue(profile.Get(), "ProfileImagePath", profilePath);
    if (profileOpened != ERROR_SUCCESS || profileQueried != ERROR_SUCCESS) {
        record.Add(kRegistrySource, profileImage, RegistryOutcome(profileOpened, profileQueried));
        return;
    }
    slot = PathJoinBelow(profilePath, "Personal");
    record.Add(kRegistrySource, profileImage + " + \"Personal\"",
               slot.empty() ? "empty" : "answered");
}
