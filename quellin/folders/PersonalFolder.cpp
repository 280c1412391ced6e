// The user's documents folder: shfolder.dll, then the shell, then the per-user shell-folder
// values and the user's profile, and at last "My Documents" on the Windows drive's root. The
// order of the sources depends on the platform.
#include "folders/ShellResources.h"
#include "folders/SystemFolders.h"
#include "paths/directory.h"
#include "paths/path.h"
#include "paths/root.h"

#include <cstring>

namespace {

// Values of this resolver are read into 260-byte buffers; a longer value counts as absent.
const DWORD kValueBufferSize = MAX_PATH;
const DWORD kUserNameSize = 80;

// A value of this resolver as stored; false when the query fails.
bool QueryPersonalValue(HKEY key, const char* valueName, std::string& text) {
    return QueryValueText(key, valueName, kValueBufferSize, text);
}

} // namespace

void CSystemFolders::ResolvePersonalFolder(std::string& slot) {
    // A failing version query leaves the record cleared: platform 0, neither family.
    OSVERSIONINFOA version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    const bool windows9x = version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
    // "My Documents" on the root of the Windows directory's drive.
    auto myDocuments = [this] {
        return PathJoin(PathRoot(QueryWindowsDirectory()), "My Documents");
    };

    if (FolderPathFunction != nullptr) {
        char buffer[MAX_PATH] = {0};
        if (FolderPathFunction(nullptr, CSIDL_PERSONAL, nullptr, 0, buffer) == S_OK) {
            slot = BufferText(buffer);
            return;
        }
        if (windows9x && version.dwMinorVersion > 0) {
            // Windows 98 and Me: ask again with the create flag, then go on with the shell.
            std::memset(buffer, 0, sizeof buffer);
            if (FolderPathFunction(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, 0,
                                   buffer) == S_OK) {
                slot = BufferText(buffer);
                return;
            }
        } else {
            // NT and Windows 95: the fixed folder on the Windows drive, created.
            slot = myDocuments();
            CreateDirectoryTree(slot);
            return;
        }
    }

    ShellAllocatorReference allocator(ShellAllocator);
    if (!allocator.Obtained())
        return;
    SpecialFolderList list(allocator.Get(), CSIDL_PERSONAL);
    if (list.Found()) {
        char buffer[MAX_PATH] = {0};
        if (list.ToPath(buffer))
            slot = BufferText(buffer);
        return;
    }

    // The registry: the user's own shell-folder value, kept as stored (unexpanded).
    ReadOnlyKey userShellFolders(
        HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell "
                           "Folders");
    if (!userShellFolders.IsOpen())
        return;
    std::string value;
    if (QueryPersonalValue(userShellFolders.Get(), "Personal", value)) {
        slot = value;
        return;
    }

    // Outside NT, a profile folder exists only when user profiles are switched on.
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) {
        ReadOnlyKey logon(HKEY_LOCAL_MACHINE, "Network\\Logon");
        std::string profiles;
        if (!logon.IsOpen() || !QueryPersonalValue(logon.Get(), "UserProfiles", profiles)) {
            slot = myDocuments();
            return;
        }
    }

    char user[kUserNameSize] = {0};
    DWORD userSize = kUserNameSize;
    if (!GetUserNameA(user, &userSize))
        return;
    user[kUserNameSize - 1] = '\0';
    ReadOnlyKey profile(
        HKEY_LOCAL_MACHINE,
        PathJoin("Software\\Microsoft\\Windows\\CurrentVersion\\ProfileList", user).c_str());
    std::string profilePath;
    if (profile.IsOpen() && QueryPersonalValue(profile.Get(), "ProfileImagePath", profilePath))
        slot = PathJoin(profilePath, "Personal");
}
