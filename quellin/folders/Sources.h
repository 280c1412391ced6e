// The kinds of source that several resolvers ask, as steps of a slot's chain (Chain.h).
#pragma once

#include "folders/Chain.h"
#include "folders/FixedBuffer.h"
#include "platform/TextCalls.h"

#include <windows.h>

#include <string>

class AttachContext;
class CSystemFolders;

// Every step asks its source in the character type of the platform's calls (InCallCharacters,
// Chain.h): the wide call on the NT family, the ANSI call on the Windows 95 family.

// The folder service, SHGetFolderPathA of the bound shfolder.dll (not tried without one), or its
// SHGetFolderPathW where the calls are wide and the module has it (without it, the ANSI call,
// and the record says so), asked with no window, no access token, flags 0 and a cleared
// 260-character buffer. S_OK answers; a buffer left without a terminating zero answers an empty
// folder.
Step FolderService(const AttachContext& context, int csidl);

// The Explorer "Shell Folders" key of the current user or of the default user (HKEY_USERS).
enum class ShellFoldersKey { CurrentUser, DefaultUser };
// Where the platform keeps them: the user's own on the Windows 95 family, the default user's
// on every other platform.
ShellFoldersKey ShellFoldersKeyFor(const AttachContext& context);
// A "Shell Folders" value as stored (neither trimmed nor expanded), through a 255-character
// buffer. A key that does not open fails (a default may follow); a key without a readable value
// stops the chain; a value read answers, an empty one too.
Step ShellFoldersValue(const AttachContext& context, ShellFoldersKey key, const char* valueName);

// A value of HKEY_LOCAL_MACHINE named 'Key\...\ValueName', read as RegReadValue reads it (the
// key opened for reading and writing, the text trimmed), its environment references expanded.
// It answers when it is not empty, with `below` joined below it when given.
Step MachineValue(const AttachContext& context, const char* valuePath, const char* below = nullptr);

// A leaf below an earlier slot of the table; fails on an empty slot. `note` follows the detail.
Step Default(const CSystemFolders& table, QuellinSlot base, const std::string& leaf,
             const std::string& note = std::string());

// The Windows directory, GetWindowsDirectoryA or GetWindowsDirectoryW through a 260-character
// buffer: empty when the call fails or the path does not fit. And the directory as a step.
template <typename Char> std::basic_string<Char> QueryWindowsDirectory() {
    Char buffer[MAX_PATH] = {0};
    return FixedBufferText(buffer, TextCalls<Char>::WindowsDirectory(buffer, MAX_PATH));
}
std::string QueryWindowsDirectory();
Step WindowsDirectory(const AttachContext& context);
// What a call of Windows that fills a 260-character buffer came to (`returned` is its result,
// read before any other call): the buffer's text answers; else it failed with the error Windows
// gives, or the path was longer than the buffer. `call` names the ANSI call; a wide call is
// named with its W.
template <typename Char>
Outcome WindowsCallAnswer(const char* call, const Char (&buffer)[MAX_PATH], DWORD returned);
// The ANSI call's name ("GetTempPathA") as the call in this character type names it.
template <typename Char> std::string CallName(const char* ansiCall);
