// The kinds of source that several resolvers ask, as chain steps, each written once for both
// character types.
#include "folders/Sources.h"

#include "folders/AttachContext.h"
#include "folders/FixedBuffer.h"
#include "folders/FolderRecord.h"
#include "folders/ShellResources.h"
#include "folders/SystemFolders.h"
#include "paths/Path.h"
#include "paths/RegValue.h"

#include <utility>

namespace {

// The folder service's call in this character type.
HRESULT AskFolderService(const AttachContext& context, int csidl, char (&buffer)[MAX_PATH]) {
    return context.FolderService()(nullptr, csidl, nullptr, 0, buffer);
}

HRESULT AskFolderService(const AttachContext& context, int csidl, WCHAR (&buffer)[MAX_PATH]) {
    return context.FolderServiceW()(nullptr, csidl, nullptr, 0, buffer);
}

template <typename Char> Outcome FolderServiceAnswer(const AttachContext& context, int csidl) {
    Char buffer[MAX_PATH] = {0};
    const HRESULT result = AskFolderService(context, csidl, buffer);
    if (result != S_OK)
        return Failure(kFolderServiceSource, CsidlText(csidl), FailedHResult(result));
    const std::basic_string<Char> path = BufferText(buffer);
    Outcome outcome = Answer(
        kFolderServiceSource, CsidlText(csidl), path,
        path.empty() ? Finding(QUELLIN_OUTCOME_UNTERMINATED, "answered without a terminated path")
                     : Finding("answered"));
    outcome.stored.Set(path);
    return outcome;
}

template <typename Char> Outcome ShellFoldersAnswer(ShellFoldersKey which, const char* valueName) {
    const bool defaultUser = which == ShellFoldersKey::DefaultUser;
    const HKEY root = defaultUser ? HKEY_USERS : HKEY_CURRENT_USER;
    const char* subKey = defaultUser ? kDefaultUserShellFoldersKey : kShellFoldersKey;
    const std::string where = RegistryValueText(root, subKey, valueName);
    RegistryKey key;
    const LONG opened = RegOpenForReading(root, subKey, key);
    if (opened != ERROR_SUCCESS)
        return Failure(kRegistrySource, where, RegistryOutcome(opened, ERROR_SUCCESS));
    std::basic_string<Char> value;
    DWORD type = REG_NONE;
    const LONG queried =
        RegQueryText(key.Get(), valueName, kRegValueBufferSize, RegText::AsStored, value, &type);
    if (queried != ERROR_SUCCESS)
        return Stop(kRegistrySource, where, RegistryOutcome(opened, queried));
    const std::basic_string<Char> folder = RegExpandReferences(value);
    Outcome outcome = Answer(kRegistrySource, where, folder,
                             value.empty() ? Finding(QUELLIN_OUTCOME_EMPTY, "empty")
                                           : ExpandedOutcome(value, folder));
    RawValue(outcome, type, value, folder);
    return outcome;
}

template <typename Char> Outcome MachineValueAnswer(const char* valuePath, const char* below) {
    RegReadResult read;
    const std::basic_string<Char> value = RegReadValueAs<Char>(HKEY_LOCAL_MACHINE, valuePath, read);
    std::string where = RegistryValuePathText(HKEY_LOCAL_MACHINE, valuePath);
    if (value.empty()) {
        Outcome outcome = Failure(kRegistrySource, where, RegistryOutcome(read.open, read.query));
        outcome.valueType = read.type;
        return outcome;
    }
    const std::basic_string<Char> expanded = RegExpandReferences(value);
    std::basic_string<Char> folder = expanded;
    const Finding text = ExpandedOutcome(value, expanded);
    if (below != nullptr) {
        where += " + \"" + std::string(below) + "\"";
        folder = PathJoinBelow(folder, TextCalls<Char>::Text(below));
    }
    Outcome outcome = Answer(kRegistrySource, where, folder, text);
    RawValue(outcome, read.type, value, expanded);
    return outcome;
}

// The slot in this character type.
std::string SlotText(const CSystemFolders& table, QuellinSlot slot, char) {
    return table.Slot(slot);
}

std::wstring SlotText(const CSystemFolders& table, QuellinSlot slot, WCHAR) {
    return table.Slot(slot).empty() ? std::wstring() : table.WideText(slot);
}

} // namespace

Step FolderService(const AttachContext& context, int csidl) {
    return [&context, csidl] {
        if (context.FolderService() == nullptr)
            return NotTried();
        if (!WideCalls(context) || context.FolderServiceW() != nullptr)
            return InCallCharacters(context, [&context, csidl](auto character) {
                return FolderServiceAnswer<decltype(character)>(context, csidl);
            });
        Outcome outcome = FolderServiceAnswer<char>(context, csidl);
        outcome.text += " (SHGetFolderPathA: the module has no SHGetFolderPathW)";
        return outcome;
    };
}

ShellFoldersKey ShellFoldersKeyFor(const AttachContext& context) {
    return context.Windows9x() ? ShellFoldersKey::CurrentUser : ShellFoldersKey::DefaultUser;
}

Step ShellFoldersValue(const AttachContext& context, ShellFoldersKey which, const char* valueName) {
    return [&context, which, valueName] {
        return InCallCharacters(context, [which, valueName](auto character) {
            return ShellFoldersAnswer<decltype(character)>(which, valueName);
        });
    };
}

Step MachineValue(const AttachContext& context, const char* valuePath, const char* below) {
    return [&context, valuePath, below] {
        return InCallCharacters(context, [valuePath, below](auto character) {
            return MachineValueAnswer<decltype(character)>(valuePath, below);
        });
    };
}

Step Default(const CSystemFolders& table, QuellinSlot base, const std::string& leaf,
             const std::string& note) {
    return [&table, base, leaf, note] {
        const char* name = CSystemFolders::SlotName(base);
        const std::string detail = BelowSlot(name, leaf) + note;
        return InCallCharacters(table.Context(), [&](auto character) {
            using Char = decltype(character);
            const auto folder =
                PathJoinBelow(SlotText(table, base, character), TextCalls<Char>::Text(leaf));
            Outcome outcome =
                folder.empty() ? Failure(kDefaultSource, detail,
                                         Finding(QUELLIN_OUTCOME_NO_FOLDER,
                                                 "no folder: " + std::string(name) + " is empty"))
                               : Answer(kDefaultSource, detail, folder);
            outcome.baseSlot = base;
            return outcome;
        });
    };
}

std::string QueryWindowsDirectory() {
    return QueryWindowsDirectory<char>();
}

Step WindowsDirectory(const AttachContext& context) {
    return [&context] {
        return InCallCharacters(context, [](auto character) {
            using Char = decltype(character);
            Char buffer[MAX_PATH] = {0};
            const DWORD returned = TextCalls<Char>::WindowsDirectory(buffer, MAX_PATH);
            return WindowsCallAnswer("GetWindowsDirectoryA", buffer, returned);
        });
    };
}

template <> std::string CallName<char>(const char* ansiCall) {
    return ansiCall;
}

template <> std::string CallName<WCHAR>(const char* ansiCall) {
    std::string name = ansiCall;
    name.back() = 'W';
    return name;
}

template <typename Char>
Outcome WindowsCallAnswer(const char* call, const Char (&buffer)[MAX_PATH], DWORD returned) {
    const std::basic_string<Char> text = FixedBufferText(buffer, returned);
    if (returned == 0)
        return Failure(kWindowsSource, CallName<Char>(call), FailedError(GetLastError()));
    if (text.empty())
        return Failure(kWindowsSource, CallName<Char>(call),
                       Finding(QUELLIN_OUTCOME_TOO_LONG, sizeof(Char) == 1
                                                             ? "too long for 260 bytes"
                                                             : "too long for 260 characters"));
    Outcome outcome = Answer(kWindowsSource, CallName<Char>(call), text);
    outcome.stored.Set(text);
    return outcome;
}

template Outcome WindowsCallAnswer<char>(const char*, const char (&)[MAX_PATH], DWORD);
template Outcome WindowsCallAnswer<WCHAR>(const char*, const WCHAR (&)[MAX_PATH], DWORD);
