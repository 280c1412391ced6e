// The drives, directories and files of the simulated machine. Paths resolve as on Windows:
// relative paths against the current directory, '.' and '..' taken out, repeated backslashes
// folded, a trailing backslash ignored, names compared without regard to case (double-byte
// characters kept whole, so a trail byte 0x5C is no separator); a trailing backslash names a
// directory only: a file named so is ERROR_INVALID_NAME. Drive paths ('C:\Dir') and
// network paths ('\\srv\share\Dir') are both stored; a network share exists once a path on
// it has been added. A drive letter mapped with WNetAddConnectionA leads to its share.
//
// Names are wide on Windows. Set-up with std::wstring makes names the ANSI code page cannot
// write ('C:\Документы' under code page 1252); ANSI calls cannot name such a node by its long
// name (its ANSI form holds '?', which names nothing) but by its short name. Every name that
// is not a legal 8.3 name gets an ASCII short name, unique in its directory, when it is made
// ('Program Files' -> 'PROGRA~1', 'Документы' -> '______~1'); ANSI calls find a node by its
// short name as by its long one. A drive made without short names (WithoutShortNames) keeps
// them hidden: GetShortPathNameW then gives the long names back.
#pragma once

#include <windef.h>
#include <winerror.h>

#include <map>
#include <string>
#include <vector>

namespace winsim {

// One CreateFileA call, as the caller made it.
struct CreateFileCall {
    std::string path;
    DWORD access = 0;
    DWORD shareMode = 0;
    DWORD disposition = 0;
    DWORD attributes = 0; // flags and attributes
};

class FileSystem {
  public:
    FileSystem() { Reset(); }

    // Set-up. AddDirectory and AddFile create the missing levels above them (and the drive or
    // share); the other calls create the directory or file they name when it is missing.
    // A path that cannot name a file (no drive or share, invalid characters) throws
    // std::invalid_argument.
    void AddDrive(char letter, bool readOnly = false); // fresh machine: C: only
    void RemoveDrive(char letter);                     // with everything on it
    void AddDirectory(const std::string& path);
    void AddFile(const std::string& path, const std::string& content = {});
    void AddDirectory(const std::wstring& path);
    void AddFile(const std::wstring& path, const std::string& content = {});
    // The drive has no short names (a volume with 8.3 names switched off): ANSI calls cannot
    // reach a name by a short name, and GetShortPathNameW gives the long names back.
    void WithoutShortNames(char letter);
    // The directory refuses new files (CreateFileA creating one fails, ERROR_ACCESS_DENIED).
    void DenyNewFiles(const std::string& directory);
    // The directory refuses new subdirectories (CreateDirectoryA, ERROR_ACCESS_DENIED).
    void DenyNewDirectories(const std::string& directory);
    // The user may not open the file for reading (ERROR_ACCESS_DENIED).
    void DenyRead(const std::string& file);
    // Another process holds the file open without sharing (ERROR_SHARING_VIOLATION).
    void HoldExclusively(const std::string& file);
    // Every file name looked up directly inside the directory is taken by an existing
    // read-only file: it opens for reading, and cannot be created, overwritten or deleted.
    void AllNamesTaken(const std::string& directory);
    // Creating exactly this file or directory fails with `error`, as when the name is
    // refused by the file system or by a policy.
    void RefuseCreation(const std::string& path, DWORD error = ERROR_ACCESS_DENIED);
    // The disk of this drive is full: new files and directories fail (ERROR_DISK_FULL).
    void DiskFull(char letter);

    // Lookups (not recorded as calls).
    bool Exists(const std::string& path) const;
    bool IsDirectory(const std::string& path) const;
    bool IsFile(const std::string& path) const;
    bool Exists(const std::wstring& path) const;
    // The short form of an existing path, as GetShortPathNameW gives it, in ANSI (short
    // names are ASCII); empty when the path names nothing.
    std::string ShortPath(const std::wstring& path) const;
    // Bit n set for each present drive, A = bit 0 (network mappings are added by the API).
    DWORD DriveMask() const;
    // Every directory and file, one line each ("dir C:\WINDOWS", "file C:\a.txt"), sorted, to
    // compare before and after.
    std::vector<std::string> Snapshot() const;

    // What the code did, in order (paths as the caller passed them), successful calls only.
    std::vector<std::string> createdDirectories;
    std::vector<std::string> removedDirectories;
    std::vector<std::string> createdFiles;
    std::vector<std::string> deletedFiles;
    // Every CreateFileA call, failed ones included, with its arguments.
    std::vector<CreateFileCall> createFileCalls;

    std::vector<std::string> OpenResources() const; // file handles still open
    void Reset(); // a fresh machine: drive C: with C:\WINDOWS, C:\WINDOWS\SYSTEM32,
                  // C:\WINDOWS\TEMP and C:\Install (the kernel's default folders)

    // Used by the simulated API. The full form of a path, as GetFullPathName gives it (the
    // caller's spelling, '/' as '\', '.' and '..' taken out, no trailing backslash except at
    // a drive root); empty when the path cannot name anything.
    // When the path lies below a name the code page cannot write (a relative path under such a
    // current directory), its full form is wide: *wide receives it, else it is emptied.
    std::string FullPath(const std::string& path, std::wstring* wide = nullptr) const;
    // GetShortPathNameW's answer for the path (separators, '.' and '..' as given, every name
    // by its short name where it has one, else by its name as stored), or 0 with *error.
    bool ShortPathOf(const std::wstring& path, std::wstring* shortPath, DWORD* error) const;
    // Each of these returns its failure with a Win32 error in *error.
    DWORD Attributes(const std::string& path, DWORD* error) const;
    bool CreateDir(const std::string& path, DWORD* error);
    bool RemoveDir(const std::string& path, DWORD* error);
    // On success *error is ERROR_ALREADY_EXISTS when an existing file was opened by
    // CREATE_ALWAYS or OPEN_ALWAYS, 0 otherwise.
    HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                DWORD* error);
    bool Close(HANDLE handle);
    bool Delete(const std::string& path, DWORD* error);

  private:
    struct Drive {
        bool readOnly = false;
        bool diskFull = false;
        bool noShortNames = false;
    };
    struct Node {
        std::string display;   // the full path as first created ('?' for what ANSI cannot write)
        std::wstring wide;     // the same, wide, with the true long names
        std::wstring name;     // the last name as stored (empty for a root)
        std::string shortName; // ASCII 8.3 alias; empty when the name is a legal 8.3 name
        std::string parent;    // key of the directory above; empty for a drive or share root
        bool directory = false;
        std::string content;
        bool denyNewFiles = false;
        bool denyNewDirectories = false;
        bool denyRead = false;
        bool held = false;
        bool allNamesTaken = false;
    };
    struct OpenFile {
        std::string key;
        std::string display;
        bool read = false;
        bool write = false;
        DWORD share = 0;
    };
    // A path resolved to its full form.
    struct Where {
        DWORD error = 0;     // the path cannot name anything
        std::string display; // 'C:\Dir\Name', '\\srv\share\Name', 'C:\'
        std::string key;     // display folded for comparison
        std::string parent;  // key of the directory above; empty for a root
        std::string parentDisplay;
        std::string root; // key of the drive or share root
        char drive = 0;   // the drive letter; 0 on a share
        // The same path with what ANSI cannot write kept: the wide full path (the caller's
        // spelling converted), its last name, and the text Locate takes back for it.
        std::wstring wide;
        std::wstring lastName;
        std::string parentText;
        bool wideOnly = false; // a name on the way is one the code page cannot write
        // The path ends in a backslash after its last name: it can name a directory only
        // (a file so named is an invalid name).
        bool trailingSeparator = false;
    };

    // `trusted`: the text comes from the machine itself (the current directory, a wide
    // path), whose names the code page cannot write are carried as tokens (see Token).
    Where Locate(const std::string& path, int depth = 0, bool trusted = false) const;
    // The text Locate takes for a wide path: each name in ANSI, or as a token when the code
    // page cannot write it.
    std::string TextOf(const std::wstring& path) const;
    std::string CurrentDirectoryText() const;
    bool ShortNamesOn(const Where& w) const;
    void Forget(const std::string& key); // a node taken away, with its short name
    const Node* Find(const std::string& key) const;
    // The file an existing name stands for: a stored one, or one of the names that a
    // directory with every name taken holds. `virtualFile` tells which.
    bool FileAt(const Where& w, const Node** node, bool* virtualFile) const;
    bool ParentIsDirectory(const Where& w) const;
    bool HasChildren(const std::string& key) const;
    bool ReadOnlyMedia(const Where& w) const;
    bool FullDisk(const Where& w) const;
    bool IsCurrentDirectory(const Where& w) const;
    // Set-up helpers.
    Where SetUpPath(const std::string& path, bool trusted = false) const;
    Node& Put(const Where& w, bool directory);
    Node& MakeDirectories(const std::string& path, bool trusted = false);
    // A fresh ASCII short name for `name` in the directory `parent` (a key).
    std::string NewShortName(const std::string& parent, const std::wstring& name) const;
    DWORD AttributesAt(const Where& w, DWORD* error) const;

    std::map<char, Drive> drives_;
    std::map<std::string, Node> nodes_; // by key; drive roots ('C:\') and shares included
    std::map<HANDLE, OpenFile> handles_;
    std::map<std::string, DWORD> refused_;         // by key
    std::map<std::string, std::string> shortKeys_; // parent key '\' short name -> node key
    uintptr_t nextHandle_ = 0x4000;
};

} // namespace winsim
