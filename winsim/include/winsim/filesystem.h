// The drives, directories and files of the simulated machine. Paths compare as on Windows:
// without regard to case, repeated backslashes folded, a trailing backslash ignored. Drive
// paths ('C:\Dir') and network paths ('\\srv\share\Dir') are both stored; a network share's
// root is a directory once it has been added.
#pragma once

#include <windef.h>

#include <string>
#include <vector>

namespace winsim {

class FileSystem {
  public:
    // Set-up. AddDirectory and AddFile create the missing levels above them.
    void AddDrive(char letter, bool readOnly = false); // fresh machine: C: only
    void RemoveDrive(char letter);
    void AddDirectory(const std::string& path);
    void AddFile(const std::string& path, const std::string& content = {});
    // The directory refuses new files (CreateFileA creating one fails, ERROR_ACCESS_DENIED).
    void DenyNewFiles(const std::string& directory);
    // The directory refuses new subdirectories (CreateDirectoryA, ERROR_ACCESS_DENIED).
    void DenyNewDirectories(const std::string& directory);
    // The user may not open the file for reading (ERROR_ACCESS_DENIED).
    void DenyRead(const std::string& file);
    // Another process holds the file open without sharing (ERROR_SHARING_VIOLATION).
    void HoldExclusively(const std::string& file);
    // Every file name looked up directly inside the directory is taken by an existing file.
    void AllNamesTaken(const std::string& directory);
    // The disk of this drive is full: new files and directories fail (ERROR_DISK_FULL).
    void DiskFull(char letter);

    // Lookups.
    bool Exists(const std::string& path) const;
    bool IsDirectory(const std::string& path) const;
    bool IsFile(const std::string& path) const;
    // Bit n set for each present drive, A = bit 0 (network mappings are added by the API).
    DWORD DriveMask() const;
    // Every directory and file, one sorted line each, to compare before and after.
    std::vector<std::string> Snapshot() const;

    // What the code did, in order (paths as the caller passed them).
    std::vector<std::string> createdDirectories;
    std::vector<std::string> removedDirectories;
    std::vector<std::string> createdFiles;
    std::vector<std::string> deletedFiles;

    std::vector<std::string> OpenResources() const; // file handles still open
    void Reset(); // a fresh machine: drive C: with C:\WINDOWS, C:\WINDOWS\SYSTEM32,
                  // C:\WINDOWS\TEMP and C:\Install (the kernel's default folders)

    // (The stored tree and the open handles are private to the implementation.)
};

} // namespace winsim
