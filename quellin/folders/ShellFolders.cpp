// Shell folders: Desktop, Programs, SendTo, Templates, Start Menu, Startup (with the all-users
// Startup folder), Fonts and My Pictures. Each tries shfolder.dll's SHGetFolderPathA, then the
// shell's special-folder service, then the Explorer "Shell Folders" key, and for some folders
// a default built from a slot resolved earlier.
#include "folders/ShellResources.h"
#include "folders/SystemFolders.h"
#include "paths/directory.h"
#include "paths/path.h"

#include <algorithm>
#include <cstring>

namespace {

const char kUserShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell "
                                 "Folders";
const char kDefaultUserShellFolders[] = ".Default\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                                        "Explorer\\Shell Folders";

// The registry data buffer of the "Shell Folders" values.
const DWORD kValueBufferSize = 255;

// The platform identifier and version. The record is cleared before the query, so that a
// failing query reads as platform 0: neither the Windows 95 family nor NT.
OSVERSIONINFOA QueryVersion() {
    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExA(&info);
    return info;
}

// The Windows 95 family keeps the shell folders under the current user; every other platform
// is read from the default user's key.
void ShellFoldersKey(DWORD platform, HKEY& root, const char*& subKey) {
    if (platform == VER_PLATFORM_WIN32_WINDOWS) {
        root = HKEY_CURRENT_USER;
        subKey = kUserShellFolders;
    } else {
        root = HKEY_USERS;
        subKey = kDefaultUserShellFolders;
    }
}

// A "Shell Folders" value as stored; false when the query fails (no such value, or data of
// more than 255 bytes).
bool QueryFolderValue(HKEY key, const char* valueName, std::string& text) {
    return QueryValueText(key, valueName, kValueBufferSize, text);
}

// Asks shfolder.dll's SHGetFolderPathA for one folder; true and the path when it answers S_OK.
bool AskFolderService(PFNSHGETFOLDERPATHA function, int csidl, std::string& path) {
    char buffer[MAX_PATH] = {0};
    if (function(nullptr, csidl, nullptr, 0, buffer) != S_OK)
        return false;
    path = BufferText(buffer);
    return true;
}

// Converts a special folder's list into a path; true and the path when the shell could.
bool ConvertList(const SpecialFolderList& list, std::string& path) {
    char buffer[MAX_PATH] = {0};
    if (!list.ToPath(buffer))
        return false;
    path = BufferText(buffer);
    return true;
}

// One folder of the full chain: its personal and all-users identifiers, its value under
// "Shell Folders", and the default made of an earlier slot and a leaf name.
struct ShellFolderChain {
    int personalCsidl;
    int commonCsidl;
    const char* valueName;
    const std::string& defaultBase;
    const char* defaultLeaf;
};

// The chain of Desktop, Programs and Start Menu. The all-users identifier is asked of
// shfolder.dll only on NT; the shell gets it on every platform but the Windows 95 family.
void ResolveChain(CSystemFolders& table, std::string& slot, int allUsers,
                  const ShellFolderChain& chain) {
    DWORD platform = QueryVersion().dwPlatformId;
    bool personal = platform == VER_PLATFORM_WIN32_WINDOWS || allUsers == 0;

    if (table.FolderPathFunction != nullptr) {
        int csidl = -1;
        if (personal)
            csidl = chain.personalCsidl;
        else if (platform == VER_PLATFORM_WIN32_NT)
            csidl = chain.commonCsidl;
        std::string path;
        if (csidl != -1 && AskFolderService(table.FolderPathFunction, csidl, path)) {
            slot = path;
            return;
        }
    }

    ShellAllocatorReference allocator(table.ShellAllocator);
    if (!allocator.Obtained())
        return;
    SpecialFolderList list(allocator.Get(), personal ? chain.personalCsidl : chain.commonCsidl);
    if (list.Found()) {
        // A folder the shell knows but cannot convert stays empty.
        std::string path;
        if (ConvertList(list, path))
            slot = path;
        return;
    }

    HKEY root;
    const char* subKey;
    ShellFoldersKey(platform, root, subKey);
    ReadOnlyKey key(root, subKey);
    if (key.IsOpen()) {
        // A key without the value leaves the slot empty; the default is not used.
        std::string value;
        if (QueryFolderValue(key.Get(), chain.valueName, value))
            slot = value;
    } else {
        slot = PathJoin(chain.defaultBase, chain.defaultLeaf);
    }
}

// SendTo, Templates and Fonts: one identifier, the default user's key on every platform, no
// default. `takeFailedConversion`: the buffer is taken even when the shell could not convert
// the list, which leaves the slot empty since the buffer was cleared before.
void ResolveUserFolder(CSystemFolders& table, std::string& slot, int csidl, const char* valueName,
                       bool takeFailedConversion) {
    if (table.FolderPathFunction != nullptr) {
        std::string path;
        if (AskFolderService(table.FolderPathFunction, csidl, path)) {
            slot = path;
            return;
        }
    }

    ShellAllocatorReference allocator(table.ShellAllocator);
    if (!allocator.Obtained())
        return;
    SpecialFolderList list(allocator.Get(), csidl);
    if (list.Found()) {
        char buffer[MAX_PATH] = {0};
        if (list.ToPath(buffer) || takeFailedConversion)
            slot = BufferText(buffer);
        return;
    }

    ReadOnlyKey key(HKEY_USERS, kDefaultUserShellFolders);
    std::string value;
    if (key.IsOpen() && QueryFolderValue(key.Get(), valueName, value))
        slot = value;
}

} // namespace

void CSystemFolders::ResolveDesktopFolder(std::string& slot, int allUsers) {
    ResolveChain(*this, slot, allUsers,
                 {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, "Desktop", StartMenuFolder,
                  "Desktop"});
}

void CSystemFolders::ResolveProgramsFolder(std::string& slot, int allUsers) {
    ResolveChain(*this, slot, allUsers,
                 {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, "Programs", StartMenuFolder, "Programs"});
}

void CSystemFolders::ResolveStartMenuFolder(std::string& slot, int allUsers) {
    ResolveChain(
        *this, slot, allUsers,
        {CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU, "Start Menu", WindowsFolder, "Start Menu"});
}

void CSystemFolders::ResolveSendToFolder(std::string& slot) {
    ResolveUserFolder(*this, slot, CSIDL_SENDTO, "SendTo", true);
}

void CSystemFolders::ResolveTemplatesFolder(std::string& slot) {
    ResolveUserFolder(*this, slot, CSIDL_TEMPLATES, "Templates", true);
}

void CSystemFolders::ResolveFontsFolder(std::string& slot) {
    ResolveUserFolder(*this, slot, CSIDL_FONTS, "Fonts", false);
}

// The user's Startup folder, and beside it the all-users one. Found in the registry or by
// default, both slots hold the same folder.
void CSystemFolders::ResolveStartupFolder(std::string& slot) {
    if (FolderPathFunction != nullptr) {
        std::string path;
        if (AskFolderService(FolderPathFunction, CSIDL_STARTUP, path)) {
            slot = path;
            if (AskFolderService(FolderPathFunction, CSIDL_COMMON_STARTUP, path)) {
                CommonStartupFolder = path;
                return;
            }
        }
    }

    ShellAllocatorReference allocator(ShellAllocator);
    if (!allocator.Obtained())
        return;
    DWORD platform = QueryVersion().dwPlatformId;

    bool found = false;
    {
        SpecialFolderList list(allocator.Get(), CSIDL_STARTUP);
        found = list.Found();
        std::string path;
        if (found && ConvertList(list, path))
            slot = path;
    }
    if (found) {
        SpecialFolderList common(allocator.Get(), CSIDL_COMMON_STARTUP);
        std::string path;
        if (common.Found() && ConvertList(common, path))
            CommonStartupFolder = path;
        return;
    }

    HKEY root;
    const char* subKey;
    ShellFoldersKey(platform, root, subKey);
    ReadOnlyKey key(root, subKey);
    if (key.IsOpen()) {
        std::string value;
        if (QueryFolderValue(key.Get(), "StartUp", value)) {
            slot = value;
            CommonStartupFolder = slot;
        }
    } else {
        slot = PathJoin(ProgramsFolder, "Startup");
        CommonStartupFolder = slot;
    }
}

// On Windows 98 and Me shfolder.dll makes the folder itself (create flag); elsewhere, with
// shfolder.dll at hand, it is "My Pictures" in the documents folder, created here. Without
// shfolder.dll only the shell is asked.
void CSystemFolders::ResolveMyPicturesFolder(std::string& slot) {
    OSVERSIONINFOA version = QueryVersion();

    if (FolderPathFunction != nullptr) {
        if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && version.dwMinorVersion > 0) {
            std::string path;
            if (AskFolderService(FolderPathFunction, CSIDL_MYPICTURES | CSIDL_FLAG_CREATE, path))
                slot = path;
        } else {
            // With no documents folder the path has no root, and nothing is created for it.
            slot = PathJoin(PersonalFolder, "My Pictures");
            CreateDirectoryTree(slot);
        }
        return;
    }

    ShellAllocatorReference allocator(ShellAllocator);
    if (!allocator.Obtained())
        return;
    SpecialFolderList list(allocator.Get(), CSIDL_MYPICTURES);
    std::string path;
    if (list.Found() && ConvertList(list, path))
        slot = path;
}
