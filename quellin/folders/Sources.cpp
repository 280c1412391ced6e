// The kinds of source that several resolvers ask, as chain steps, each with its wide twin.
#include "folders/Sources.h"

#include "folders/AttachContext.h"
#include "folders/FixedBuffer.h"
#include "folders/FolderRecord.h"
#include "folders/ShellResources.h"
#include "folders/SystemFolders.h"
#include "paths/Path.h"
#include "paths/RegValue.h"
#include "platform/ModuleFunction.h"

#include <cstring>
#include <utility>

Step FolderService(const AttachContext& context, int csidl) {
    const PFNSHGETFOLDERPATHA function = context.FolderService();
    return [&context, function, csidl] {
        if (function == nullptr)
            return NotTried();
        char buffer[MAX_PATH] = {0};
        const HRESULT result = function(nullptr, csidl, nullptr, 0, buffer);
        if (result != S_OK)
            return Failure(kFolderServiceSource, CsidlText(csidl), FailedHResult(result));
        const std::string path = BufferText(buffer);
        Outcome outcome = Answer(kFolderServiceSource, CsidlText(csidl), path,
                                 path.empty() ? "answered without a terminated path" : "answered");
        outcome.wide = [&context, csidl](std::wstring& folder) {
            const PFNSHGETFOLDERPATHW wide = context.FolderServiceW();
            WCHAR buffer[MAX_PATH] = {0};
            if (wide == nullptr || wide(nullptr, csidl, nullptr, 0, buffer) != S_OK)
                return false;
            folder = BufferText(buffer);
            return !folder.empty();
        };
        return outcome;
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
        const std::string folder = RegExpandReferences(value);
        Outcome outcome = Answer(kRegistrySource, where, folder,
                                 value.empty() ? "empty" : ExpandedOutcome(value, folder));
        outcome.wide = [root, subKey, valueName](std::wstring& wide) {
            RegistryKey again;
            if (RegOpenForReading(root, subKey, again) != ERROR_SUCCESS ||
                RegQueryTextW(again.Get(), valueName, kRegValueBufferSize, RegText::AsStored,
                              wide) != ERROR_SUCCESS)
                return false;
            wide = RegExpandReferencesW(wide);
            return true;
        };
        return outcome;
    };
}

Step MachineValue(const char* valuePath, const char* below) {
    return [valuePath, below] {
        RegReadResult read;
        const std::string value = RegReadValue(HKEY_LOCAL_MACHINE, valuePath, read);
        std::string where = RegistryValuePathText(HKEY_LOCAL_MACHINE, valuePath);
        if (value.empty())
            return Failure(kRegistrySource, where, RegistryOutcome(read.open, read.query));
        std::string folder = RegExpandReferences(value);
        const std::string text = ExpandedOutcome(value, folder);
        if (below != nullptr) {
            where += " + \"" + std::string(below) + "\"";
            folder = PathJoinBelow(folder, below);
        }
        Outcome outcome = Answer(kRegistrySource, where, folder, text);
        outcome.wide = [valuePath, below](std::wstring& wide) {
            wide = RegExpandReferencesW(RegReadValueW(HKEY_LOCAL_MACHINE, valuePath));
            if (below != nullptr)
                wide = PathJoinBelowW(wide, std::wstring(below, below + std::strlen(below)));
            return !wide.empty();
        };
        return outcome;
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
        Outcome outcome = Answer(kDefaultSource, detail, folder);
        // Below a folder known by its long name, the long name of this one.
        if (!table.WideSlot(base).empty())
            outcome.wideFolder =
                PathJoinBelowW(table.WideSlot(base), std::wstring(leaf.begin(), leaf.end()));
        return outcome;
    };
}

std::string QueryWindowsDirectory() {
    char buffer[MAX_PATH] = {0};
    return FixedBufferText(buffer, GetWindowsDirectoryA(buffer, MAX_PATH));
}

bool QueryDirectoryW(const char* call, std::wstring& directory) {
    typedef UINT(WINAPI * PFNGETDIRECTORYW)(LPWSTR, UINT);
    return QueryWideText<PFNGETDIRECTORYW>(
        call, [](PFNGETDIRECTORYW get, WCHAR* buffer) { return get(buffer, MAX_PATH); }, directory);
}

bool QueryWindowsDirectoryW(std::wstring& directory) {
    return QueryDirectoryW("GetWindowsDirectoryW", directory);
}

Step WindowsDirectory() {
    return [] {
        char buffer[MAX_PATH] = {0};
        return WindowsCallAnswer("GetWindowsDirectoryA", buffer,
                                 GetWindowsDirectoryA(buffer, MAX_PATH), QueryWindowsDirectoryW);
    };
}

Outcome WindowsCallAnswer(const char* call, const char (&buffer)[MAX_PATH], DWORD returned,
                          std::function<bool(std::wstring&)> wide) {
    const std::string text = FixedBufferText(buffer, returned);
    if (returned == 0)
        return Failure(kWindowsSource, call, FailedError(GetLastError()));
    if (text.empty())
        return Failure(kWindowsSource, call, "too long for 260 bytes");
    Outcome outcome = Answer(kWindowsSource, call, text);
    outcome.wide = std::move(wide);
    return outcome;
}
