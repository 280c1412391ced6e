// Existence tests, directory creation and write tests. A write test proves by trial that a
// file can be created in a folder, or that a missing folder's levels can be created, and
// leaves nothing behind.
#include "paths/Directory.h"

#include "paths/Path.h"
#include "paths/Root.h"
#include "platform/Handles.h"
#include "strings/Strings.h"

#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

const int kProbeAttempts = 100;
// Probe numbers run from 0 to 32767 on every build, whatever range the C library's
// generator has.
const int kProbeRange = 32768;

// A probe file that this process has just created: closed and deleted when the owner goes.
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

// Directories created for a test, removed when the owner goes, the last created first.
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

} // namespace

int FileExists(const std::string& path) {
    if (path.empty())
        return 0;
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.Valid() ? 1 : 0;
}

// A path without a drive or share root is no directory, even when it names one relative to
// the current directory. 'C:' and 'C:\' are both tested as 'C:\'.
int DirectoryExists(const std::string& path) {
    if (path.empty() || PathRoot(path).empty())
        return 0;
    std::string tested = StrStripTrailing(path, "\\");
    if (StrStripTrailing(tested, ":") != tested)
        tested += "\\";
    const DWORD attributes = GetFileAttributesA(tested.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Every level is tested from the top down. A path without a root is never created: it would
// land relative to the current directory.
int CreateDirectoryTree(const std::string& path) {
    bool created = false;
    return CreateDirectoryTree(path, created);
}

int CreateDirectoryTree(const std::string& path, bool& created) {
    created = false;
    if (PathRoot(path).empty())
        return 0;
    const std::string parent = PathParent(path);
    if (!parent.empty())
        CreateDirectoryTree(parent);
    if (DirectoryExists(path))
        return 1;
    created = CreateDirectoryA(path.c_str(), nullptr) != FALSE;
    return created ? 1 : 0;
}

// The generator is seeded from the clock in whole seconds, so two calls within one second
// draw the same names.
//
// A name is free only when nothing of that name exists: a directory, or a file that cannot be
// opened for reading (held without sharing, or not readable by this user), takes it as well
// as a plain file does. When Windows cannot tell (any answer but "not found"), the name counts
// as taken and another is drawn.
std::string UniqueNameInDirectory(const std::string& directory) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    for (int attempt = 0; attempt < kProbeAttempts; ++attempt) {
        const std::string name = StrDigits(static_cast<unsigned>(std::rand() % kProbeRange), 10, 5);
        std::string candidate = PathJoin(directory, name);
        if (GetFileAttributesA(candidate.c_str()) == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                return candidate;
        }
    }
    return std::string();
}

int CanWriteToDirectory(const std::string& directory) {
    WriteTestResult result;
    return CanWriteToDirectory(directory, result);
}

int CanWriteToDirectory(const std::string& directory, WriteTestResult& result) {
    result = WriteTestResult();
    auto failed = [&result](const std::string& step, DWORD error) {
        result.step = step;
        result.error = error;
        return 0;
    };
    if (DirectoryExists(directory)) {
        const std::string probePath = UniqueNameInDirectory(directory);
        if (probePath.empty())
            return failed("every probe name drawn is taken", 0);
        ProbeFile probe(probePath,
                        CreateFileA(probePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe.Created())
            return failed("creating a probe file", GetLastError());
        return 1;
    }

    // A missing directory: create its missing levels below the root, then remove them again.
    const std::string root = PathRoot(directory);
    if (root.empty())
        return failed("no drive or share root", 0);
    // Windows compares paths without regard to case, and so is the root found in the text.
    const std::string rest = StrStripLeading(StrAfterNoCase(directory, root), "\\");
    CStringArray items;
    StrSplit(rest, items, '\\');
    CreatedDirectories created;
    std::string current = root;
    for (const std::string& item : items) {
        current = PathJoin(current, item);
        if (DirectoryExists(current))
            continue;
        if (!CreateDirectoryTree(current))
            return failed("creating " + current, GetLastError());
        created.Add(current);
    }
    if (created.Empty())
        return failed("nothing to create below " + root, 0);
    return 1;
}
