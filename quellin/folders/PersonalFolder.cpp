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

// A value of this resolver as stored, read into a 260-byte buffer: a longer value counts as
// absent. False when the query fails.
bool QueryPersonalValue(HKEY key, const char* valueName, std::string& text) {
    return RegQueryText(key, valueName, MAX_PATH, RegText::AsStored, text) == ERROR_SUCCESS;
}

} // namespace

void CSystemFolders::ResolvePersonalFolder(std::string& slot) {
    // A failing version query leaves the record cleared: platform 0, neither family.
    OSVERSIONINFOA version;
    QueryWindowsVersion(version);
    const bool windows9x = version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
    // "My Documents" on the root of the Windows directory's drive; empty when that root is
    // unknown, rather than a folder relative to whatever directory is current.
    auto myDocuments = [this] {
        return PathJoinBelow(PathRoot(QueryWindowsDirectory()), "My Documents");
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
            slot = myDocuments();
            if (!slot.empty())
                CreateDirectoryTree(slot);
            return;
        }
    }

    ShellAllocatorReference allocator(ShellAllocator);
    if (!allocator.Obtained())
        return;
    SpecialFolderList list(allocator.Get(), CSIDL_PERSONAL);
    if (list.Found()) {
        std::string path;
        if (list.ToPath(path))
            slot = path;
        return;
    }

    // The registry: the user's own shell-folder value, kept as stored (unexpanded).
    RegistryKey userShellFolders;
    if (RegOpenForReading(HKEY_CURRENT_USER, kUserShellFoldersKey, userShellFolders) !=
        ERROR_SUCCESS)
        return;
    std::string value;
    if (QueryPersonalValue(userShellFolders.Get(), "Personal", value)) {
        slot = value;
        return;
    }

    // Outside NT, a profile folder exists only when user profiles are switched on.
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) {
        RegistryKey logon;
        std::string profiles;
        if (RegOpenForReading(HKEY_LOCAL_MACHINE, "Network\\Logon", logon) != ERROR_SUCCESS ||
            !QueryPersonalValue(logon.Get(), "UserProfiles", profiles)) {
            slot = myDocuments();
            return;
        }
    }

    char user[kUserNameSize] = {0};
    DWORD userSize = kUserNameSize;
    if (!GetUserNameA(user, &userSize))
        return;
    user[kUserNameSize - 1] = '\0';
    const std::string profileKey =
        PathJoin("Software\\Microsoft\\Windows\\CurrentVersion\\ProfileList", user);
    RegistryKey profile;
    std::string profilePath;
    if (RegOpenForReading(HKEY_LOCAL_MACHINE, profileKey.c_str(), profile) == ERROR_SUCCESS &&
        QueryPersonalValue(profile.Get(), "ProfileImagePath", profilePath))
        slot = PathJoinBelow(profilePath, "Personal");
}
