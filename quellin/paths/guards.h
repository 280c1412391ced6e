// Owners of the resources that the path utilities obtain: each releases its resource when it
// goes out of scope, so nothing outlives the operation that obtained it.
#pragma once

#include <windows.h>
#include <winnetwk.h>

#include <string>
#include <vector>

// A registry key that was opened (or null), closed on destruction.
class RegistryKey {
  public:
    explicit RegistryKey(HKEY key) : key_(key) {}
    ~RegistryKey() {
        if (key_ != nullptr)
            RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    HKEY Get() const { return key_; }

  private:
    HKEY key_;
};

// A file handle, closed on destruction.
class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    void Close() {
        if (Valid())
            CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

  private:
    HANDLE handle_;
};

// A probe file that this process has just created: closed and deleted on destruction.
class ProbeFile {
  public:
    ProbeFile(const std::string& path, HANDLE handle) : path_(path), handle_(handle) {}
    ~ProbeFile() {
        if (handle_.Valid()) {
            handle_.Close();
            DeleteFileA(path_.c_str());
        }
    }
    ProbeFile(const ProbeFile&) = delete;
    ProbeFile& operator=(const ProbeFile&) = delete;

    bool Created() const { return handle_.Valid(); }

  private:
    std::string path_;
    FileHandle handle_;
};

// A drive letter mapped for a moment to a network share ('F:'): the mapping is cancelled on
// destruction, by force.
class TrialConnection {
  public:
    explicit TrialConnection(const std::string& localName) : localName_(localName) {}
    ~TrialConnection() { WNetCancelConnectionA(localName_.c_str(), TRUE); }
    TrialConnection(const TrialConnection&) = delete;
    TrialConnection& operator=(const TrialConnection&) = delete;

  private:
    std::string localName_;
};

// Directories created for a test, removed on destruction, the last created first.
class CreatedDirectories {
  public:
    CreatedDirectories() = default;
    ~CreatedDirectories() {
        for (auto it = levels_.rbegin(); it != levels_.rend(); ++it)
            RemoveDirectoryA(it->c_str());
    }
    CreatedDirectories(const CreatedDirectories&) = delete;
    CreatedDirectories& operator=(const CreatedDirectories&) = delete;

    void Add(const std::string& path) { levels_.push_back(path); }
    bool Empty() const { return levels_.empty(); }

  private:
    std::vector<std::string> levels_;
};
