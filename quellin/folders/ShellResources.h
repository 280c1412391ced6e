// What the shell-folder and documents resolvers hold while they ask the shell: the shell's
// task allocator and one item-id list, each given back when its owner goes out of scope, on
// every path out of a resolver. And the Explorer keys they read.
#pragma once

#include "folders/FixedBuffer.h"
#include "folders/FolderRecord.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

// The shell's task allocator, obtained with SHGetMalloc into the table's member and released
// when the guard goes. The member is cleared after the release, so that it never holds a
// reference that is no longer counted.
class ShellAllocatorReference {
  public:
    explicit ShellAllocatorReference(IMalloc*& member) : member_(member) {
        member_ = nullptr;
        result_ = SHGetMalloc(&member_);
        if (result_ != S_OK && member_ != nullptr) {
            // Only S_OK counts; a reference handed out with another success code is returned.
            if (SUCCEEDED(result_))
                member_->Release();
            member_ = nullptr;
        }
    }
    ~ShellAllocatorReference() {
        if (member_ != nullptr) {
            member_->Release();
            member_ = nullptr;
        }
    }
    ShellAllocatorReference(const ShellAllocatorReference&) = delete;
    ShellAllocatorReference& operator=(const ShellAllocatorReference&) = delete;

    bool Obtained() const { return member_ != nullptr; }
    IMalloc* Get() const { return member_; }
    HRESULT Result() const { return result_; }

  private:
    IMalloc*& member_;
    HRESULT result_ = E_FAIL;
};

// The item-id list of one special folder, from SHGetSpecialFolderLocation, freed through the
// allocator when the guard goes (before the allocator itself is released, since the guard is
// made after it).
class SpecialFolderList {
  public:
    SpecialFolderList(IMalloc* allocator, int csidl) : allocator_(allocator) {
        result_ = SHGetSpecialFolderLocation(nullptr, csidl, &list_);
    }
    ~SpecialFolderList() {
        if (list_ != nullptr)
            allocator_->Free(list_);
    }
    SpecialFolderList(const SpecialFolderList&) = delete;
    SpecialFolderList& operator=(const SpecialFolderList&) = delete;

    // The shell knows the folder.
    bool Found() const { return result_ == S_OK; }
    HRESULT Result() const { return result_; }
    // Converts the list through a cleared 260-byte buffer; true when the shell could. `path`
    // receives what the buffer holds either way (empty when the shell wrote nothing).
    bool ToPath(std::string& path) const {
        char buffer[MAX_PATH] = {0};
        const bool converted = SHGetPathFromIDListA(list_, buffer) != FALSE;
        path = BufferText(buffer);
        return converted;
    }

  private:
    IMalloc* allocator_;
    LPITEMIDLIST list_ = nullptr;
    HRESULT result_ = E_FAIL;
};

// What the shell made of one folder identifier.
enum class ShellAnswer { Unknown, NotConverted, Converted };

// Asks the shell for one folder through the allocator held, converts its item-id list into
// `path` (what a failed conversion left in the cleared buffer, else the folder) and frees the
// list; the answer goes to `record`.
inline ShellAnswer AskShell(IMalloc* allocator, int csidl, std::string& path,
                            FolderRecord& record) {
    SpecialFolderList list(allocator, csidl);
    if (!list.Found()) {
        record.Add(kShellSource, CsidlText(csidl), FailedHResult(list.Result()));
        return ShellAnswer::Unknown;
    }
    if (list.ToPath(path)) {
        record.Add(kShellSource, CsidlText(csidl), "answered");
        return ShellAnswer::Converted;
    }
    record.Add(kShellSource, CsidlText(csidl), "known, but not converted to a path");
    return ShellAnswer::NotConverted;
}

// The allocator obtained for the shell's step, or false with the failure recorded.
inline bool ObtainedForShell(const ShellAllocatorReference& allocator, FolderRecord& record) {
    if (allocator.Obtained())
        return true;
    record.Add(kShellSource, "SHGetMalloc", FailedHResult(allocator.Result()));
    return false;
}

// The Explorer keys of the shell folders: the user's "Shell Folders" (read on the Windows 95
// family), the default user's (read on every other platform), and the user's "User Shell
// Folders", which keeps the documents folder as the user set it.
const char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kDefaultUserShellFoldersKey[] =
    ".Default\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kUserShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
