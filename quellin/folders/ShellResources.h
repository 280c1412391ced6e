// What the shell-folder and documents resolvers hold while they ask the shell: the shell's
// task allocator and one item-id list, each given back when its owner goes, on every path out
// of a resolver. And the Explorer keys they read.
#pragma once

#include "folders/Chain.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

// The item-id list of one special folder, from SHGetSpecialFolderLocation, freed through the
// allocator when the owner goes.
class SpecialFolderList {
  public:
    SpecialFolderList(IMalloc* allocator, int csidl);
    ~SpecialFolderList();
    SpecialFolderList(const SpecialFolderList&) = delete;
    SpecialFolderList& operator=(const SpecialFolderList&) = delete;

    // The shell knows the folder.
    bool Found() const { return result_ == S_OK; }
    HRESULT Result() const { return result_; }
    // Converts the list through a cleared 260-character buffer (SHGetPathFromIDListA, or
    // SHGetPathFromIDListW looked up by name: Windows 95 lacks it); true when the shell could.
    // `path` receives what the buffer holds either way (empty when the shell wrote nothing).
    template <typename Char> bool ToPath(std::basic_string<Char>& path) const;

  private:
    IMalloc* allocator_;
    LPITEMIDLIST list_ = nullptr;
    HRESULT result_ = E_FAIL;
};

// What a shell step makes of a folder the shell knows but cannot convert to a path.
enum class FailedConversion {
    StopsTheChain,  // the slot stays as it is
    AnswersItsText, // the slot takes what the conversion left in the cleared buffer
};

// The shell's task allocator for one resolver: obtained with SHGetMalloc by its first shell
// step, released when the session goes (after the resolver's last step).
class ShellSession {
  public:
    // The session asks in the character type of the platform's calls (Chain.h).
    explicit ShellSession(const AttachContext& context) : context_(context) {}
    ~ShellSession();
    ShellSession(const ShellSession&) = delete;
    ShellSession& operator=(const ShellSession&) = delete;

    // Asks the shell for one folder. Stops the chain when the allocator cannot be had, or when
    // the shell knows the folder but gives no path (unless `failed` takes the text); fails
    // when the shell does not know the folder.
    Step Folder(int csidl, FailedConversion failed = FailedConversion::StopsTheChain);
    // The allocator was obtained.
    bool Obtained() const { return allocator_ != nullptr; }

  private:
    bool Obtain();

    const AttachContext& context_;
    IMalloc* allocator_ = nullptr;
    bool asked_ = false;
    HRESULT result_ = E_FAIL;
};

// The Explorer keys of the shell folders: the user's "Shell Folders" (read on the Windows 95
// family), the default user's (read on every other platform), and the user's "User Shell
// Folders", which keeps the documents folder as the user set it.
const char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kDefaultUserShellFoldersKey[] =
    ".Default\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kUserShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
