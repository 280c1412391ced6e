// What the shell-folder resolvers hold while they ask the shell and the registry: the shell's
// task allocator, one item-id list, one open registry key. Each is given back when its guard
// goes out of scope, on every path out of a resolver.
#pragma once

#include "folders/FixedBuffer.h"
#include "paths/guards.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string>

// The shell's task allocator, obtained with SHGetMalloc into the table's member and released
// when the guard goes. The member is cleared after the release, so that it never holds a
// reference that is no longer counted.
class ShellAllocatorReference {
  public:
    explicit ShellAllocatorReference(IMalloc*& member) : member_(member) {
        member_ = nullptr;
        HRESULT result = SHGetMalloc(&member_);
        if (result != S_OK && member_ != nullptr) {
            // Only S_OK counts; a reference handed out with another success code is returned.
            if (SUCCEEDED(result))
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

  private:
    IMalloc*& member_;
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
    // Converts the list into the caller's 260-byte buffer; true when the shell could.
    bool ToPath(char (&buffer)[MAX_PATH]) const {
        return SHGetPathFromIDListA(list_, buffer) != FALSE;
    }

  private:
    IMalloc* allocator_;
    LPITEMIDLIST list_ = nullptr;
    HRESULT result_ = E_FAIL;
};

// A registry key opened for reading, closed when the guard goes.
class ReadOnlyKey {
  public:
    ReadOnlyKey(HKEY root, const char* subKey) : key_(OpenForReading(root, subKey)) {}

    bool IsOpen() const { return key_.Get() != nullptr; }
    HKEY Get() const { return key_.Get(); }

  private:
    static HKEY OpenForReading(HKEY root, const char* subKey) {
        HKEY key = nullptr;
        return RegOpenKeyExA(root, subKey, 0, KEY_READ, &key) == ERROR_SUCCESS ? key : nullptr;
    }

    RegistryKey key_;
};

// A registry value's bytes as stored, up to the first zero byte and never beyond the bytes
// returned, neither trimmed nor expanded, read with a buffer of `bufferSize` bytes (at most
// MAX_PATH); false when the query fails, for data longer than the buffer among others.
inline bool QueryValueText(HKEY key, const char* valueName, DWORD bufferSize, std::string& text) {
    BYTE data[MAX_PATH] = {0};
    DWORD size = std::min<DWORD>(bufferSize, MAX_PATH);
    DWORD type = 0;
    if (RegQueryValueExA(key, valueName, nullptr, &type, data, &size) != ERROR_SUCCESS)
        return false;
    size = std::min<DWORD>(size, std::min<DWORD>(bufferSize, MAX_PATH));
    const BYTE* end = std::find(data, data + size, 0);
    text.assign(reinterpret_cast<const char*>(data), static_cast<size_t>(end - data));
    return true;
}
