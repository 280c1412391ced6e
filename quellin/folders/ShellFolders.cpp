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
// the current user's own. The read goes to `record`, as answered only when it gave a folder.
ShellFoldersRead ReadShellFoldersValue(bool defaultUser, const char* valueName, std::string& value,
                                       FolderRecord& record) {
    const HKEY root = defaultUser ? HKEY_USERS : HKEY_CURRENT_USER;
    const char* subKey = defaultUser ? kDefaultUserShellFoldersKey : kShellFoldersKey;
    const std::string where = RegistryValueText(root, subKey, valueName);
    RegistryKey key;
    const LONG opened = RegOpenForReading(root, subKey, key);
    if (opened != ERROR_SUCCESS) {
        record.Add(kRegistrySource, where, RegistryOutcome(opened, ERROR_SUCCESS));
        return ShellFoldersRead::NoKey;
    }
    const LONG queried =
        RegQueryText(key.Get(), valueName, kRegValueBufferSize, RegText::AsStored, value);
    if (queried != ERROR_SUCCESS) {
        record.Add(kRegistrySource, where, RegistryOutcome(opened, queried));
        return ShellFoldersRead::NoValue;
    }
    record.Add(kRegistrySource, where, value.empty() ? "empty" : "answered");
    return ShellFoldersRead::Read;
}

// The Windows 95 family keeps the shell folders under the current user; every other platform
// is read from the default user's key.
bool ReadsDefaultUser(DWORD platform) {
    return platform != VER_PLATFORM_WIN32_WINDOWS;
}

// A default built on an earlier slot, recorded; empty (no default) when that slot is empty.
std::string DefaultBelow(CSystemFolders& table, const std::string& base, const char* leaf,
                         FolderRecord& record) {
    std::string folder = PathJoinBelow(base, leaf);
    record.Add(kDefaultSource, BelowSlot(table.NameOf(base), leaf),
               folder.empty() ? "no folder: " + std::string(table.NameOf(base)) + " is empty"
                              : "answered");
    return folder;
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
    CSystemFolders::SlotRecording recording(table, slot);
    FolderRecord& record = table.Recording();
    const DWORD platform = PlatformId();
    bool personal = platform == VER_PLATFORM_WIN32_WINDOWS || allUsers == 0;

    if (table.FolderPathFunction != nullptr) {
        int csidl = -1;
        if (personal)
            csidl = chain.personalCsidl;
        else if (platform == VER_PLATFORM_WIN32_NT)
            csidl = chain.commonCsidl;
        std::string path;
        if (csidl == -1)
            record.Add(kFolderServiceSource, CsidlText(chain.commonCsidl),
                       "not asked: the platform is neither Windows 95 nor NT");
        else if (table.AskFolderService(csidl, path)) {
            slot = path;
            return;
        }
    }

    ShellAllocatorReference allocator(table.ShellAllocator);
    if (!ObtainedForShell(allocator, record))
        return;
    std::string path;
    switch (AskShell(allocator.Get(), personal ? chain.personalCsidl : chain.commonCsidl, path,
                     record)) {
    case ShellAnswer::Converted:
        slot = path;
        return;
    case ShellAnswer::NotConverted: // a folder the shell knows but cannot convert stays empty
        return;
    case ShellAnswer::Unknown:
        break;
    }

    // A key without the value leaves the slot empty; the default is used only without the key.
    std::string value;
    switch (ReadShellFoldersValue(ReadsDefaultUser(platform), chain.valueName, value, record)) {
    case ShellFoldersRead::Read:
        slot = value;
        break;
    case ShellFoldersRead::NoKey:
        // Built on an earlier slot; on an empty one there is no default.
        slot = DefaultBelow(table, chain.defaultBase, chain.defaultLeaf, record);
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
    CSystemFolders::SlotRecording recording(table, slot);
    FolderRecord& record = table.Recording();
    if (table.FolderPathFunction != nullptr) {
        std::string path;
        if (table.AskFolderService(csidl, path)) {
            slot = path;
            return;
        }
    }

    ShellAllocatorReference allocator(table.ShellAllocator);
    if (!ObtainedForShell(allocator, record))
        return;
    std::string path;
    const ShellAnswer answer = AskShell(allocator.Get(), csidl, path, record);
    if (answer == ShellAnswer::Converted ||
        (answer == ShellAnswer::NotConverted && takeFailedConversion)) {
        slot = path;
        if (answer == ShellAnswer::NotConverted && !path.empty())
            record.Add(kShellSource, CsidlText(csidl),
                       "answered: the text of the failed conversion");
        return;
    }
    if (answer == ShellAnswer::NotConverted)
        return;

    std::string value;
    if (ReadShellFoldersValue(true, valueName, value, record) == ShellFoldersRead::Read)
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
    SlotRecording recording(*this, slot);
    FolderRecord& record = Recording();
    FolderRecord& commonRecord = RecordOf(CommonStartupFolder);
    commonRecord.Clear();
    if (FolderPathFunction != nullptr) {
        std::string path;
        if (AskFolderService(CSIDL_STARTUP, path)) {
            slot = path;
            if (AskFolderService(CSIDL_COMMON_STARTUP, path, commonRecord)) {
                CommonStartupFolder = path;
                return;
            }
        }
    }

    ShellAllocatorReference allocator(ShellAllocator);
    if (!ObtainedForShell(allocator, record))
        return;
    const DWORD platform = PlatformId();

    std::string path;
    const ShellAnswer startup = AskShell(allocator.Get(), CSIDL_STARTUP, path, record);
    if (startup == ShellAnswer::Converted)
        slot = path;
    if (startup != ShellAnswer::Unknown) {
        std::string common;
        if (AskShell(allocator.Get(), CSIDL_COMMON_STARTUP, common, commonRecord) ==
            ShellAnswer::Converted)
            CommonStartupFolder = common;
        return;
    }

    // Found in the registry or by default, the all-users slot holds the same folder.
    std::string value;
    switch (ReadShellFoldersValue(ReadsDefaultUser(platform), "StartUp", value, record)) {
    case ShellFoldersRead::Read:
        slot = value;
        CommonStartupFolder = slot;
        break;
    case ShellFoldersRead::NoKey: {
        // Without a Programs folder there is no default, and both slots keep what they hold.
        const std::string folder = DefaultBelow(*this, ProgramsFolder, "Startup", record);
        if (!folder.empty()) {
            slot = folder;
            CommonStartupFolder = slot;
        }
        break;
    }
    case ShellFoldersRead::NoValue:
        break;
    }
    commonRecord.Add(kDefaultSource, "StartupFolder (the same folder)",
                     CommonStartupFolder.empty() ? "no folder: StartupFolder is empty"
                                                 : "answered");
}

// On Windows 98 and Me shfolder.dll makes the folder itself (create flag); elsewhere, with
// shfolder.dll at hand, it is "My Pictures" in the documents folder, created here. Without
// shfolder.dll only the shell is asked.
void CSystemFolders::ResolveMyPicturesFolder(std::string& slot) {
    SlotRecording recording(*this, slot);
    FolderRecord& record = Recording();
    OSVERSIONINFOA version;
    QueryWindowsVersion(version);

    if (FolderPathFunction != nullptr) {
        if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && version.dwMinorVersion > 0) {
            std::string path;
            if (AskFolderService(CSIDL_MYPICTURES | CSIDL_FLAG_CREATE, path))
                slot = path;
        } else {
            // Without a documents folder there is none, and nothing is created.
            slot = DefaultBelow(*this, PersonalFolder, "My Pictures", record);
            if (!slot.empty())
                CreateDirectoryTree(slot);
        }
        return;
    }

    ShellAllocatorReference allocator(ShellAllocator);
    if (!ObtainedForShell(allocator, record))
        return;
    std::string path;
    if (AskShell(allocator.Get(), CSIDL_MYPICTURES, path, record) == ShellAnswer::Converted)
        slot = path;
}
