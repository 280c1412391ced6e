// The kinds of source that several resolvers ask, as chain steps.
#include "folders/Sources.h"

#include "folders/AttachContext.h"
#include "folders/FixedBuffer.h"
#include "folders/FolderRecord.h"
#include "folders/ShellResources.h"
#include "folders/SystemFolders.h"
#include "paths/Path.h"
#include "paths/RegValue.h"

Step FolderService(const AttachContext& context, int csidl) {
    const PFNSHGETFOLDERPATHA function = context.FolderService();
    return [function, csidl] {
        if (function == nullptr)
            return NotTried();
        char buffer[MAX_PATH] = {0};
        const HRESULT result = function(nullptr, csidl, nullptr, 0, buffer);
        if (result != S_OK)
            return Failure(kFolderServiceSource, CsidlText(csidl), FailedHResult(result));
        const std::string path = BufferText(buffer);
        return Answer(kFolderServiceSource, CsidlText(csidl), path,
                      path.empty() ? "answered without a terminated path" : "answered");
    };
}

ShellFoldersKey ShellFoldersKeyFor(const AttachContext& context) {
    return context.Windows9x() ? ShellFoldersKey::CurrentUser : ShellFoldersKey::DefaultUser;
}

Step ShellFoldersValue(ShellFoldersKey which, const char* valueName) {
    return [which, valueName] {
        const bool defaultUser = which == ShellFoldersKey::DefaultUser;
        const HKEY root = defaultUser ? HKEY_USERS : HKEY_CURRENT_USER;
        const char* subKey = defaultUser ? kDefaultUserShellFoldersKey : kShellFoldersKey;
        const std::string where = RegistryValueText(root, subKey, valueName);
        RegistryKey key;
        const LONG opened = RegOpenForReading(root, subKey, key);
        if (opened != ERROR_SUCCESS)
            return Failure(kRegistrySource, where, RegistryOutcome(opened, ERROR_SUCCESS));
        std::string value;
        const LONG queried =
            RegQueryText(key.Get(), valueName, kRegValueBufferSize, RegText::AsStored, value);
        if (queried != ERROR_SUCCESS)
            return Stop(kRegistrySource, where, RegistryOutcome(opened, queried));
        return Answer(kRegistrySource, where, value, value.empty() ? "empty" : "answered");
    };
}

Step MachineValue(const char* valuePath, const char* below) {
    return [valuePath, below] {
        RegReadResult read;
        const std::string value = RegReadValue(HKEY_LOCAL_MACHINE, valuePath, read);
        const std::string where = RegistryValuePathText(HKEY_LOCAL_MACHINE, valuePath);
        if (value.empty())
            return Failure(kRegistrySource, where, RegistryOutcome(read.open, read.query));
        if (below == nullptr)
            return Answer(kRegistrySource, where, value);
        return Answer(kRegistrySource, where + " + \"" + below + "\"", PathJoinBelow(value, below));
    };
}

Step Default(const CSystemFolders& table, QuellinSlot base, const std::string& leaf,
             const std::string& note) {
    return [&table, base, leaf, note] {
        const char* name = CSystemFolders::SlotName(base);
        const std::string detail = BelowSlot(name, leaf) + note;
        const std::string folder = PathJoinBelow(table.Slot(base), leaf);
        if (folder.empty())
            return Failure(kDefaultSource, detail, "no folder: " + std::string(name) + " is empty");
        return Answer(kDefaultSource, detail, folder);
    };
}

std::string QueryWindowsDirectory() {
    char buffer[MAX_PATH] = {0};
    return FixedBufferText(buffer, GetWindowsDirectoryA(buffer, MAX_PATH));
}

Step WindowsDirectory() {
    return [] {
        char buffer[MAX_PATH] = {0};
        return WindowsCallAnswer("GetWindowsDirectoryA", buffer,
                                 GetWindowsDirectoryA(buffer, MAX_PATH));
    };
}

Outcome WindowsCallAnswer(const char* call, const char (&buffer)[MAX_PATH], DWORD returned) {
    const std::string text = FixedBufferText(buffer, returned);
    if (!text.empty())
        return Answer(kWindowsSource, call, text);
    if (returned == 0)
        return Failure(kWindowsSource, call, FailedError(GetLastError()));
    return Failure(kWindowsSource, call, "too long for 260 bytes");
}
