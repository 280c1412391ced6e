// The file system: drives, network shares, directories and files by full path, and the file
// handles open on them. Served through GetFileAttributesA, CreateDirectoryA,
// RemoveDirectoryA, CreateFileA, CloseHandle, DeleteFileA and GetLogicalDrives.
#include "internal.h"
#include "names.h"

#include <winsim/paths.h>

#include <algorithm>
#include <stdexcept>

namespace winsim {
namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char UpperLetter(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// A name may not hold control characters nor any of < > : " | ? *.
bool ValidName(const std::string& name) {
    for (size_t i = 0; i < name.size(); i += CharLengthAt(name, i)) {
        if (CharLengthAt(name, i) == 2)
            continue;
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || std::string("<>:\"|?*").find(static_cast<char>(c)) != std::string::npos)
            return false;
    }
    return true;
}

size_t CharCount(const std::string& text) {
    size_t n = 0;
    for (size_t i = 0; i < text.size(); i += CharLengthAt(text, i))
        ++n;
    return n;
}

const DWORD kReadRights = GENERIC_READ | GENERIC_ALL | FILE_READ_DATA;
const DWORD kWriteRights = GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA;

} // namespace

FileSystem::Where FileSystem::Locate(const std::string& input, int depth) const {
    Where w;
    if (input.empty()) {
        w.error = ERROR_PATH_NOT_FOUND;
        return w;
    }
    // The ANSI name passes through a buffer of MAX_PATH + 1 wide characters.
    if (CharCount(input) > MAX_PATH) {
        w.error = ERROR_FILENAME_EXCED_RANGE;
        return w;
    }
    if (depth > 3) {
        w.error = ERROR_PATH_NOT_FOUND;
        return w;
    }
    std::string path = input;
    for (size_t i = 0; i < path.size(); i += CharLengthAt(path, i))
        if (path[i] == '/' && CharLengthAt(path, i) == 1)
            path[i] = '\\';
    const std::string& cwd = machine().kernel.currentDirectory;

    std::string rootDisplay;
    std::vector<std::string> names;
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        std::vector<std::string> parts = SplitNames(path.substr(2), '\\');
        if (parts[0] == "?" || parts[0] == ".") { // device name spaces are not simulated
            w.error = ERROR_INVALID_NAME;
            return w;
        }
        if (parts.size() < 2 || parts[0].empty() || parts[1].empty()) {
            w.error = ERROR_BAD_NETPATH;
            return w;
        }
        rootDisplay = "\\\\" + parts[0] + "\\" + parts[1];
        names.assign(parts.begin() + 2, parts.end());
    } else if (path.size() >= 2 && path[1] == ':' && CharLengthAt(path, 0) == 1) {
        if (!IsAsciiLetter(path[0])) {
            w.error = ERROR_INVALID_NAME;
            return w;
        }
        char letter = UpperLetter(path[0]);
        std::string rest = path.substr(2);
        if (rest.empty() || rest[0] != '\\') {
            // Relative to the drive: from the current directory when it lies on that drive.
            Where current = Locate(cwd, depth + 1);
            std::string base = (current.error == 0 && current.drive == letter)
                                   ? current.display
                                   : std::string(1, letter) + ":\\";
            return Locate(base + "\\" + rest, depth + 1);
        }
        auto mapped = machine().network.mapped.find(letter);
        if (drives_.count(letter) == 0 && mapped != machine().network.mapped.end())
            return Locate(mapped->second + rest, depth + 1);
        w.drive = letter;
        rootDisplay = std::string(1, letter) + ":\\";
        names = SplitNames(rest.substr(1), '\\');
    } else if (path[0] == '\\') {
        Where current = Locate(cwd, depth + 1);
        if (current.error != 0)
            return current;
        const Node* root = Find(current.root);
        std::string rootText = root ? root->display : current.display;
        return Locate(rootText + path, depth + 1);
    } else {
        return Locate(cwd + "\\" + path, depth + 1);
    }

    std::vector<std::string> parts;
    for (const std::string& n : names) {
        if (n.empty() || n == ".")
            continue;
        if (n == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(n);
    }
    // Trailing dots and spaces are no part of the last name.
    if (!parts.empty()) {
        std::string& last = parts.back();
        while (!last.empty() && (last.back() == '.' || last.back() == ' '))
            last.pop_back();
        if (last.empty())
            parts.pop_back();
    }
    for (const std::string& n : parts)
        if (!ValidName(n)) {
            w.error = ERROR_INVALID_NAME;
            return w;
        }

    w.trailingSeparator = !parts.empty() && !names.empty() && names.back().empty();
    w.root = FoldCase(rootDisplay);
    w.display = rootDisplay;
    std::string parentDisplay;
    for (const std::string& n : parts) {
        parentDisplay = w.display;
        if (!EndsWithChar(w.display, '\\'))
            w.display += "\\";
        w.display += n;
    }
    w.key = FoldCase(w.display);
    w.parent = parts.empty() ? std::string() : FoldCase(parentDisplay);
    w.parentDisplay = parentDisplay;
    return w;
}

const FileSystem::Node* FileSystem::Find(const std::string& key) const {
    auto it = nodes_.find(key);
    return it == nodes_.end() ? nullptr : &it->second;
}

bool FileSystem::ParentIsDirectory(const Where& w) const {
    const Node* parent = Find(w.parent);
    return parent != nullptr && parent->directory;
}

bool FileSystem::FileAt(const Where& w, const Node** node, bool* virtualFile) const {
    *node = Find(w.key);
    *virtualFile = false;
    if (*node != nullptr)
        return true;
    const Node* parent = Find(w.parent);
    *virtualFile = parent != nullptr && parent->directory && parent->allNamesTaken;
    return *virtualFile;
}

bool FileSystem::HasChildren(const std::string& key) const {
    for (const auto& n : nodes_)
        if (n.second.parent == key)
            return true;
    const Node* node = Find(key);
    return node != nullptr && node->allNamesTaken;
}

bool FileSystem::ReadOnlyMedia(const Where& w) const {
    auto it = drives_.find(w.drive);
    return it != drives_.end() && it->second.readOnly;
}

bool FileSystem::FullDisk(const Where& w) const {
    auto it = drives_.find(w.drive);
    return it != drives_.end() && it->second.diskFull;
}

bool FileSystem::IsCurrentDirectory(const Where& w) const {
    Where current = Locate(machine().kernel.currentDirectory);
    return current.error == 0 && current.key == w.key;
}

// --- Set-up ---

FileSystem::Where FileSystem::SetUpPath(const std::string& path) const {
    Where w = Locate(path);
    if (w.error != 0)
        throw std::invalid_argument("not a path the file system can hold: " + path);
    return w;
}

FileSystem::Node& FileSystem::Put(const Where& w, bool directory) {
    Node& node = nodes_[w.key];
    if (node.display.empty()) {
        node.display = w.display;
        node.parent = w.parent;
        node.directory = directory;
    }
    return node;
}

FileSystem::Node& FileSystem::MakeDirectories(const std::string& path) {
    Where w = SetUpPath(path);
    if (w.drive != 0 && drives_.count(w.drive) == 0)
        AddDrive(w.drive);
    if (!w.parent.empty())
        MakeDirectories(w.parentDisplay);
    return Put(w, true);
}

void FileSystem::AddDrive(char letter, bool readOnly) {
    letter = UpperLetter(letter);
    drives_[letter] = Drive{readOnly, false};
    std::string root = std::string(1, letter) + ":\\";
    Node& node = nodes_[root];
    node = Node();
    node.display = root;
    node.directory = true;
}

void FileSystem::RemoveDrive(char letter) {
    letter = UpperLetter(letter);
    drives_.erase(letter);
    std::string prefix = std::string(1, letter) + ":\\";
    for (auto it = nodes_.begin(); it != nodes_.end();)
        it = it->first.compare(0, prefix.size(), prefix) == 0 ? nodes_.erase(it) : std::next(it);
}

void FileSystem::AddDirectory(const std::string& path) {
    MakeDirectories(path);
}

void FileSystem::AddFile(const std::string& path, const std::string& content) {
    Where w = SetUpPath(path);
    if (w.parent.empty())
        throw std::invalid_argument("a root is no file: " + path);
    MakeDirectories(w.parentDisplay);
    Node& node = Put(w, false);
    node.content = content;
}

void FileSystem::DenyNewFiles(const std::string& directory) {
    MakeDirectories(directory).denyNewFiles = true;
}

void FileSystem::DenyNewDirectories(const std::string& directory) {
    MakeDirectories(directory).denyNewDirectories = true;
}

void FileSystem::DenyRead(const std::string& file) {
    if (!IsFile(file))
        AddFile(file);
    nodes_[SetUpPath(file).key].denyRead = true;
}

void FileSystem::HoldExclusively(const std::string& file) {
    if (!IsFile(file))
        AddFile(file);
    nodes_[SetUpPath(file).key].held = true;
}

void FileSystem::AllNamesTaken(const std::string& directory) {
    MakeDirectories(directory).allNamesTaken = true;
}

void FileSystem::RefuseCreation(const std::string& path, DWORD error) {
    refused_[SetUpPath(path).key] = error;
}

void FileSystem::DiskFull(char letter) {
    letter = UpperLetter(letter);
    if (drives_.count(letter) == 0)
        AddDrive(letter);
    drives_[letter].diskFull = true;
}

// --- Lookups ---

bool FileSystem::Exists(const std::string& path) const {
    DWORD error = 0;
    return Attributes(path, &error) != INVALID_FILE_ATTRIBUTES;
}

bool FileSystem::IsDirectory(const std::string& path) const {
    DWORD error = 0;
    DWORD a = Attributes(path, &error);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileSystem::IsFile(const std::string& path) const {
    DWORD error = 0;
    DWORD a = Attributes(path, &error);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

DWORD FileSystem::DriveMask() const {
    DWORD mask = 0;
    for (const auto& d : drives_)
        mask |= 1u << (d.first - 'A');
    return mask;
}

std::vector<std::string> FileSystem::Snapshot() const {
    std::vector<std::string> lines;
    for (const auto& n : nodes_)
        lines.push_back((n.second.directory ? "dir " : "file ") + n.second.display);
    return lines;
}

std::vector<std::string> FileSystem::OpenResources() const {
    std::vector<std::string> open;
    for (const auto& h : handles_)
        open.push_back("file handle " + h.second.display);
    return open;
}

void FileSystem::Reset() {
    drives_.clear();
    nodes_.clear();
    handles_.clear();
    refused_.clear();
    nextHandle_ = 0x4000;
    createdDirectories.clear();
    removedDirectories.clear();
    createdFiles.clear();
    deletedFiles.clear();
    createFileCalls.clear();
    // Built without the code page, which may not exist yet while the machine is being made:
    // the default names are plain ASCII.
    AddDrive('C');
    const char* defaults[][2] = {{"C:\\WINDOWS", "C:\\"},
                                 {"C:\\WINDOWS\\SYSTEM32", "C:\\WINDOWS"},
                                 {"C:\\WINDOWS\\TEMP", "C:\\WINDOWS"},
                                 {"C:\\Install", "C:\\"}};
    for (const auto& d : defaults) {
        Node& node = nodes_[Upper(d[0])];
        node.display = d[0];
        node.parent = Upper(d[1]);
        node.directory = true;
    }
}

// --- The API's side ---

std::string FileSystem::FullPath(const std::string& path) const {
    Where w = Locate(path);
    return w.error == 0 ? w.display : std::string();
}

DWORD FileSystem::Attributes(const std::string& path, DWORD* error) const {
    Where w = Locate(path);
    if (w.error != 0) {
        *error = w.error;
        return INVALID_FILE_ATTRIBUTES;
    }
    const Node* node = nullptr;
    bool virtualFile = false;
    if (!FileAt(w, &node, &virtualFile)) {
        *error = ParentIsDirectory(w) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
        if (w.parent.empty())
            *error = w.drive != 0 ? ERROR_PATH_NOT_FOUND : ERROR_BAD_NETPATH;
        return INVALID_FILE_ATTRIBUTES;
    }
    if (node != nullptr && node->directory)
        return FILE_ATTRIBUTE_DIRECTORY;
    if (w.trailingSeparator) {
        *error = ERROR_INVALID_NAME;
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
    if (virtualFile || ReadOnlyMedia(w))
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

bool FileSystem::CreateDir(const std::string& path, DWORD* error) {
    Where w = Locate(path);
    const Node* node = nullptr;
    bool virtualFile = false;
    if (w.error != 0)
        *error = w.error;
    else if (w.parent.empty())
        *error = Find(w.key) ? (w.drive != 0 ? ERROR_ACCESS_DENIED : ERROR_ALREADY_EXISTS)
                             : (w.drive != 0 ? ERROR_PATH_NOT_FOUND : ERROR_BAD_NETPATH);
    else if (FileAt(w, &node, &virtualFile))
        *error = ERROR_ALREADY_EXISTS;
    else if (!ParentIsDirectory(w))
        *error = ERROR_PATH_NOT_FOUND;
    else if (ReadOnlyMedia(w))
        *error = ERROR_WRITE_PROTECT;
    else if (Find(w.parent)->denyNewDirectories)
        *error = ERROR_ACCESS_DENIED;
    else if (FullDisk(w))
        *error = ERROR_DISK_FULL;
    else if (refused_.count(w.key))
        *error = refused_[w.key];
    else {
        Put(w, true);
        createdDirectories.push_back(path);
        return true;
    }
    return false;
}

bool FileSystem::RemoveDir(const std::string& path, DWORD* error) {
    Where w = Locate(path);
    const Node* node = nullptr;
    bool virtualFile = false;
    if (w.error != 0)
        *error = w.error;
    else if (!FileAt(w, &node, &virtualFile))
        *error = ParentIsDirectory(w) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    else if (node == nullptr || !node->directory)
        *error = ERROR_DIRECTORY;
    else if (w.parent.empty())
        *error = ERROR_ACCESS_DENIED;
    else if (IsCurrentDirectory(w)) // held open by the process, before anything else is seen
        *error = ERROR_SHARING_VIOLATION;
    else if (ReadOnlyMedia(w))
        *error = ERROR_WRITE_PROTECT;
    else if (HasChildren(w.key))
        *error = ERROR_DIR_NOT_EMPTY;
    else {
        nodes_.erase(w.key);
        removedDirectories.push_back(path);
        return true;
    }
    return false;
}

HANDLE FileSystem::Open(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                        DWORD* error) {
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
        *error = ERROR_INVALID_PARAMETER;
        return INVALID_HANDLE_VALUE;
    }
    Where w = Locate(path);
    if (w.error != 0) {
        *error = w.error;
        return INVALID_HANDLE_VALUE;
    }
    const bool read = (access & kReadRights) != 0;
    const bool write = (access & kWriteRights) != 0;
    const bool truncates = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
    const Node* node = nullptr;
    bool virtualFile = false;
    bool existed = FileAt(w, &node, &virtualFile);
    *error = 0;

    if (existed && node != nullptr && node->directory) {
        *error = disposition == CREATE_NEW ? ERROR_FILE_EXISTS : ERROR_ACCESS_DENIED;
    } else if (existed) {
        if (w.trailingSeparator)
            *error = ERROR_INVALID_NAME;
        else if (disposition == CREATE_NEW)
            *error = ERROR_FILE_EXISTS;
        else if (node != nullptr && node->denyRead && read)
            *error = ERROR_ACCESS_DENIED;
        else if ((write || truncates) && virtualFile)
            *error = ERROR_ACCESS_DENIED; // a read-only file
        else if ((write || truncates) && ReadOnlyMedia(w))
            *error = ERROR_WRITE_PROTECT;
        else if (node != nullptr && node->held)
            *error = ERROR_SHARING_VIOLATION;
        else {
            for (const auto& h : handles_) {
                const OpenFile& o = h.second;
                if (o.key != w.key)
                    continue;
                if ((read && !(o.share & FILE_SHARE_READ)) ||
                    (write && !(o.share & FILE_SHARE_WRITE)) ||
                    (o.read && !(share & FILE_SHARE_READ)) ||
                    (o.write && !(share & FILE_SHARE_WRITE)))
                    *error = ERROR_SHARING_VIOLATION;
            }
        }
    } else if (w.parent.empty()) {
        *error = w.drive != 0 ? ERROR_PATH_NOT_FOUND : ERROR_BAD_NETPATH;
    } else if (!ParentIsDirectory(w)) {
        *error = ERROR_PATH_NOT_FOUND;
    } else if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) {
        *error = ERROR_FILE_NOT_FOUND;
    } else if (w.trailingSeparator) {
        *error = ERROR_INVALID_NAME;
    } else if (ReadOnlyMedia(w)) {
        *error = ERROR_WRITE_PROTECT;
    } else if (Find(w.parent)->denyNewFiles) {
        *error = ERROR_ACCESS_DENIED;
    } else if (FullDisk(w)) {
        *error = ERROR_DISK_FULL;
    } else if (refused_.count(w.key)) {
        *error = refused_[w.key];
    }
    if (*error != 0)
        return INVALID_HANDLE_VALUE;

    if (!existed) {
        Put(w, false);
        createdFiles.push_back(path);
    } else if (truncates && node != nullptr) {
        nodes_[w.key].content.clear();
    }
    HANDLE handle = reinterpret_cast<HANDLE>(nextHandle_);
    nextHandle_ += 4;
    handles_[handle] = OpenFile{w.key, w.display, read, write, share};
    *error = existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS)
                 ? ERROR_ALREADY_EXISTS
                 : 0;
    return handle;
}

bool FileSystem::Close(HANDLE handle) {
    return handles_.erase(handle) != 0;
}

bool FileSystem::Delete(const std::string& path, DWORD* error) {
    Where w = Locate(path);
    const Node* node = nullptr;
    bool virtualFile = false;
    if (w.error != 0)
        *error = w.error;
    else if (!FileAt(w, &node, &virtualFile))
        *error = ParentIsDirectory(w) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    else if (w.trailingSeparator && (virtualFile || !node->directory))
        *error = ERROR_INVALID_NAME;
    else if (virtualFile || node->directory)
        *error = ERROR_ACCESS_DENIED;
    else if (ReadOnlyMedia(w))
        *error = ERROR_WRITE_PROTECT;
    else {
        bool inUse = node->held;
        for (const auto& h : handles_)
            inUse = inUse || (h.second.key == w.key && !(h.second.share & FILE_SHARE_DELETE));
        if (inUse) {
            *error = ERROR_SHARING_VIOLATION;
            return false;
        }
        nodes_.erase(w.key);
        deletedFiles.push_back(path);
        return true;
    }
    return false;
}

} // namespace winsim

using winsim::Enter;
using winsim::machine;

extern "C" {

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
    std::string path = winsim::Text(lpFileName);
    if (Enter("GetFileAttributesA", path, ERROR_FILE_NOT_FOUND))
        return INVALID_FILE_ATTRIBUTES;
    DWORD error = 0;
    DWORD attributes = machine().files.Attributes(path, &error);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        winsim::SetError(error);
    return attributes;
}

BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES) {
    std::string path = winsim::Text(lpPathName);
    if (Enter("CreateDirectoryA", path, ERROR_ACCESS_DENIED))
        return FALSE;
    DWORD error = 0;
    if (machine().files.CreateDir(path, &error))
        return TRUE;
    winsim::SetError(error);
    return FALSE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName) {
    std::string path = winsim::Text(lpPathName);
    if (Enter("RemoveDirectoryA", path, ERROR_ACCESS_DENIED))
        return FALSE;
    DWORD error = 0;
    if (machine().files.RemoveDir(path, &error))
        return TRUE;
    winsim::SetError(error);
    return FALSE;
}

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
    std::string path = winsim::Text(lpFileName);
    machine().files.createFileCalls.push_back(
        {path, dwDesiredAccess, dwShareMode, dwCreationDisposition, dwFlagsAndAttributes});
    if (Enter("CreateFileA", path, ERROR_ACCESS_DENIED))
        return INVALID_HANDLE_VALUE;
    (void)hTemplateFile; // ignored when an existing file is opened; attributes not simulated
    DWORD error = 0;
    HANDLE handle =
        machine().files.Open(path, dwDesiredAccess, dwShareMode, dwCreationDisposition, &error);
    winsim::SetError(error);
    return handle;
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
    if (Enter("CloseHandle", {}, ERROR_INVALID_HANDLE))
        return FALSE;
    // INVALID_HANDLE_VALUE and (HANDLE)-2 are the pseudo-handles of the current process and
    // thread: closing them does nothing and succeeds.
    if (hObject == INVALID_HANDLE_VALUE || hObject == reinterpret_cast<HANDLE>(-2))
        return TRUE;
    if (machine().files.Close(hObject))
        return TRUE;
    winsim::SetError(ERROR_INVALID_HANDLE);
    return FALSE;
}

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
    std::string path = winsim::Text(lpFileName);
    if (Enter("DeleteFileA", path, ERROR_ACCESS_DENIED))
        return FALSE;
    DWORD error = 0;
    if (machine().files.Delete(path, &error))
        return TRUE;
    winsim::SetError(error);
    return FALSE;
}

// The present drives and the letters mapped to network shares.
DWORD WINAPI GetLogicalDrives(void) {
    if (Enter("GetLogicalDrives", {}, ERROR_ACCESS_DENIED))
        return 0;
    DWORD mask = machine().files.DriveMask();
    for (const auto& m : machine().network.mapped)
        mask |= 1u << (m.first - 'A');
    return mask;
}

} // extern "C"
