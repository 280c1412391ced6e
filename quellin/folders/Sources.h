// The kinds of source that several resolvers ask, as steps of a slot's chain (Chain.h).
#pragma once

#include "folders/Chain.h"
#include "folders/FixedBuffer.h"
#include "platform/ModuleFunction.h"

#include <windows.h>

#include <string>

class AttachContext;
class CSystemFolders;

// The folder service, SHGetFolderPathA of the bound shfolder.dll (not tried without one), asked
// with no window, no access token, flags 0 and a cleared 260-byte buffer. S_OK answers; a
// buffer left without a terminating zero answers an empty folder.
Step FolderService(const AttachContext& context, int csidl);

// The Explorer "Shell Folders" key of the current user or of the default user (HKEY_USERS).
enum class ShellFoldersKey { CurrentUser, DefaultUser };
// Where the platform keeps them: the user's own on the Windows 95 family, the default user's
// on every other platform.
ShellFoldersKey ShellFoldersKeyFor(const AttachContext& context);
// A "Shell Folders" value as stored (neither trimmed nor expanded), through a 255-byte buffer.
// A key that does not open fails (a default may follow); a key without a readable value stops
// the chain; a value read answers, an empty one too.
Step ShellFoldersValue(ShellFoldersKey key, const char* valueName);

// A value of HKEY_LOCAL_MACHINE named 'Key\...\ValueName', read as RegReadValue reads it (the
// key opened for reading and writing, the text trimmed). It answers when it is not empty, with
// `below` joined below it when given.
Step MachineValue(const char* valuePath, const char* below = nullptr);

// A leaf below an earlier slot of the table; fails on an empty slot. `note` follows the detail.
Step Default(const CSystemFolders& table, QuellinSlot base, const std::string& leaf,
             const std::string& note = std::string());

// The Windows directory, GetWindowsDirectoryA through a 260-byte buffer: empty when the call
// fails or the path does not fit. Its wide twin (GetWindowsDirectoryW, bound by name), true
// when it answered. And the directory as a step.
std::string QueryWindowsDirectory();
bool QueryWindowsDirectoryW(std::wstring& directory);
// A wide call of that shape (buffer, size), GetWindowsDirectoryW or GetSystemDirectoryW, bound
// by name; true when it answered a directory that fits 260 characters.
bool QueryDirectoryW(const char* call, std::wstring& directory);
// The text a wide call of KERNEL32.DLL writes into a 260-character buffer, the function bound by
// name: `call(function, buffer)` makes the call and returns its result. True when it answered
// a text that fits.
template <typename Function, typename Call>
bool QueryWideText(const char* name, Call call, std::wstring& text) {
    const Function function = LoadedModuleFunction<Function>("KERNEL32.DLL", name);
    WCHAR buffer[MAX_PATH] = {0};
    text = function == nullptr ? std::wstring() : FixedBufferText(buffer, call(function, buffer));
    return !text.empty();
}
Step WindowsDirectory();
// What a call of Windows that fills a 260-byte buffer came to (`returned` is its result, read
// before any other call): the buffer's text answers, with `wide` as its wide twin; else it
// failed with the error Windows gives, or the path was longer than the buffer.
Outcome WindowsCallAnswer(const char* call, const char (&buffer)[MAX_PATH], DWORD returned,
                          std::function<bool(std::wstring&)> wide);
