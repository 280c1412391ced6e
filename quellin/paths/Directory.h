// Existence tests, directory creation and write tests. Booleans are integers.
#pragma once

#include <windows.h>

#include <string>

// A file of that path can be opened for reading.
int FileExists(const std::string& path);
// The path names an existing directory on a drive or a network share.
int DirectoryExists(const std::string& path);
// Creates the directory and its missing parents; true when it exists at the end. `created`
// tells whether this call made the directory itself.
int CreateDirectoryTree(const std::string& path);
int CreateDirectoryTree(const std::string& path, bool& created);
// The full path of a five-digit name in the directory that no file has yet; empty if none of
// 100 drawn names is free.
std::string UniqueNameInDirectory(const std::string& directory);
// A file can be created in the directory, or, for a directory that does not exist, its
// missing levels can be created. Leaves nothing behind.
int CanWriteToDirectory(const std::string& directory);

// Why a write test failed: the step ("creating a probe file", "creating C:\Dir", "no drive
// or share root", ...) and the error Windows gave for it (0 when no call
// failed). Empty when the test passed.
struct WriteTestResult {
    std::string step;
    DWORD error = 0;
};
int CanWriteToDirectory(const std::string& directory, WriteTestResult& result);
