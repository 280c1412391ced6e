// Shell folders: Desktop, Programs, SendTo, Templates, Start Menu, Startup (with the all-users
// Startup folder), Fonts and My Pictures. Each tries shfolder.dll's SHGetFolderPathA, then the
// shell's special-folder service, then the Explorer "Shell Folders" key, and for some folders
// a default built from a slot resolved earlier.
#include "folders/ShellResources.h"
#include "folders/SystemFolders.h"
#include "paths/Directory.h"
#include "paths/Path.h"
#include "paths/RegValue.h"
#include "platform/WindowsVersion.h"

namespace {

DWORD PlatformId() {
    OSVERSIONINFOA version;
    QueryWindowsVersion(version);
    return version.dwPlatformId;
}

// Where a "Shell Folders" value was looked for: the key did not open (only then may a default
// be used), the key opened without a readable value, or the value was read.
enum class ShellFoldersRead { NoKey, NoValue, Read };

// A "Shell Folders" value as stored (neither trimmed nor expanded), through a 255-byte buffer:
// a longer value is not read. `defaultUser`: the default user's key under HKEY_USERS, else
// the current user's own.
ShellFoldersRead ReadShellFoldersValue(bool defaultUser, const char* valueName,
                                       std::string& value) {
    RegistryKey key;
    if (RegOpenForReading(defaultUser ? HKEY_USERS : HKEY_CURRENT_USER,
                          defaultUser ? kDefaultUserShellFoldersKey : kShellFoldersKey,
                          key) != ERROR_SUCCESS)
        return ShellFoldersRead::NoKey;
    if (RegQueryText(key.Get(), valueName, kRegValueBufferSize, RegText::AsStored, value) !=
        ERROR_SUCCESS)
        return ShellFoldersRead::NoValue;
    return ShellFoldersRead::Read;
}

// The Windows 95 family keeps the shell folders under the current user; every other platform
// is read from the default user's key.
bool ReadsDefaultUser(DWORD platform) {
    return platform != VER_PLATFORM_WIN32_WINDOWS;
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
    const DWORD platform = PlatformId();
    bool personal = platform == VER_PLATFORM_WIN32_WINDOWS || allUsers == 0;

    if (table.FolderPathFunction != nullptr) {
        int csidl = -1;
        if (personal)
            csidl = chain.personalCsidl;
        else if (platform == VER_PLATFORM_WIN32_NT)
            csidl = chain.commonCsidl;
        std::string path;
        if (csidl != -1 && table.AskFolderService(csidl, path)) {
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
        if (list.ToPath(path))
            slot = path;
        return;
    }

    // A key without the value leaves the slot empty; the default is used only without the key.
    std::string value;
    switch (ReadShellFoldersValue(ReadsDefaultUser(platform), chain.valueName, value)) {
    case ShellFoldersRead::Read:
        slot = value;
        break;
    case ShellFoldersRead::NoKey:
        // Built on an earlier slot; on an empty one there is no default.
        slot = PathJoinBelow(chain.defaultBase, chain.defaultLeaf);
        break;
    case ShellFoldersRead::NoValue:
        break;
    }
}

// SendTo, Templates and Fonts: one identifier, the default user's key on every platform, no
// default. `takeFailedConversion`: the buffer is taken even when the shell could not convert
// the list, which leaves the slot empty since the buffer was cleared before.
void ResolveUserFolder(CSystemFolders& table, std::string& slot, int csidl, const char* valueName,
                       bool takeFailedConversion) {
    if (table.FolderPathFunction != nullptr) {
        std::string path;
        if (table.AskFolderService(csidl, path)) {
            slot = path;
            return;
        }
    }

    ShellAllocatorReference allocator(table.ShellAllocator);
    if (!allocator.Obtained())
        return;
    SpecialFolderList list(allocator.Get(), csidl);
    if (list.Found()) {
        std::string path;
        if (list.ToPath(path) || takeFailedConversion)
            slot = path;
        return;
    }

    std::string value;
    if (ReadShellFoldersValue(true, valueName, value) == ShellFoldersRead::Read)
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
        if (AskFolderService(CSIDL_STARTUP, path)) {
            slot = path;
            if (AskFolderService(CSIDL_COMMON_STARTUP, path)) {
                CommonStartupFolder = path;
                return;
            }
        }
    }

    ShellAllocatorReference allocator(ShellAllocator);
    if (!allocator.Obtained())
        return;
    const DWORD platform = PlatformId();

    bool found = false;
    {
        SpecialFolderList list(allocator.Get(), CSIDL_STARTUP);
        found = list.Found();
        std::string path;
        if (found && list.ToPath(path))
            slot = path;
    }
    if (found) {
        SpecialFolderList common(allocator.Get(), CSIDL_COMMON_STARTUP);
        std::string path;
        if (common.Found() && common.ToPath(path))
            CommonStartupFolder = path;
        return;
    }

    std::string value;
    switch (ReadShellFoldersValue(ReadsDefaultUser(platform), "StartUp", value)) {
    case ShellFoldersRead::Read:
        slot = value;
        CommonStartupFolder = slot;
        break;
    case ShellFoldersRead::NoKey: {
        // Without a Programs folder there is no default, and both slots keep what they hold.
        const std::string startup = PathJoinBelow(ProgramsFolder, "Startup");
        if (!startup.empty()) {
            slot = startup;
            CommonStartupFolder = slot;
        }
        break;
    }
    case ShellFoldersRead::NoValue:
        break;
    }
}

// On Windows 98 and Me shfolder.dll makes the folder itself (create flag); elsewhere, with
// shfolder.dll at hand, it is "My Pictures" in the documents folder, created here. Without
// shfolder.dll only the shell is asked.
void CSystemFolders::ResolveMyPicturesFolder(std::string& slot) {
    OSVERSIONINFOA version;
    QueryWindowsVersion(version);

    if (FolderPathFunction != nullptr) {
        if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && version.dwMinorVersion > 0) {
            std::string path;
            if (AskFolderService(CSIDL_MYPICTURES | CSIDL_FLAG_CREATE, path))
                slot = path;
        } else {
            // Without a documents folder there is none, and nothing is created.
            slot = PathJoinBelow(PersonalFolder, "My Pictures");
            if (!slot.empty())
                CreateDirectoryTree(slot);
        }
        return;
    }

    ShellAllocatorReference allocator(ShellAllocator);
    if (!allocator.Obtained())
        return;
    SpecialFolderList list(allocator.Get(), CSIDL_MYPICTURES);
    std::string path;
    if (list.Found() && list.ToPath(path))
        slot = path;
}
