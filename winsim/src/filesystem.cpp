// The file system: drives, network shares, directories and files by full path, and the file
// handles open on them. Served through GetFileAttributesA, CreateDirectoryA,
// RemoveDirectoryA, CreateFileA, CloseHandle, DeleteFileA and GetLogicalDrives.
#include "internal.h"
#include "names.h"

#include <winsim/paths.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <locale.h>
#include <stdexcept>
#include <wctype.h>

namespace winsim {
namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char UpperLetter(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// A name the code page cannot write, inside a text the machine passes to Locate itself: a
// byte 0x01 and six hexadecimal digits per wide character. No caller's name can hold it (a
// control character is invalid in a name).
bool IsToken(const std::string& name) {
    return !name.empty() && name[0] == '\x01';
}

std::string MakeToken(const std::wstring& name) {
    std::string token = "\x01";
    char digits[8];
    for (WCHAR c : name) {
        std::snprintf(digits, sizeof digits, "%06X", static_cast<unsigned>(c) & 0xFFFFFFu);
        token += digits;
    }
    return token;
}

std::wstring TokenName(const std::string& token) {
    std::wstring name;
    for (size_t i = 1; i + 6 <= token.size(); i += 6)
        name += static_cast<WCHAR>(std::stoul(token.substr(i, 6), nullptr, 16));
    return name;
}

// Upper case of wide text as the file system compares names.
std::wstring FoldWide(const std::wstring& text) {
    static locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    std::wstring out = text;
    for (WCHAR& c : out)
        c = utf8 != static_cast<locale_t>(nullptr)
                ? static_cast<WCHAR>(towupper_l(static_cast<wint_t>(c), utf8))
                : (c >= L'a' && c <= L'z' ? static_cast<WCHAR>(c - 32) : c);
    return out;
}

// A name may not hold control characters nor any of < > : " | ? *; a token only in a text
// of the machine's own.
bool ValidName(const std::string& name, bool trusted) {
    if (IsToken(name))
        return trusted;
    for (size_t i = 0; i < name.size(); i += CharLengthAt(name, i)) {
        if (CharLengthAt(name, i) == 2)
            continue;
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || std::string("<>:\"|?*").find(static_cast<char>(c)) != std::string::npos)
            return false;
    }
    return true;
}

// Characters, a token's counted as the wide characters it stands for.
size_t CharCount(const std::string& text) {
    size_t n = 0;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == '\x01') {
            size_t digits = 0;
            for (++i; i < text.size() && std::isxdigit(static_cast<unsigned char>(text[i])); ++i)
                ++digits;
            n += digits / 6;
            continue;
        }
        i += CharLengthAt(text, i);
        ++n;
    }
    return n;
}

std::string JoinKey(const std::string& parent, const std::string& name) {
    return EndsWithChar(parent, '\\') ? parent + name : parent + "\\" + name;
}

bool IsSeparator(WCHAR c) {
    return c == L'\\' || c == L'/';
}

// The characters of a legal 8.3 name besides letters and digits.
bool IsDosCharacter(WCHAR c) {
    return c < 0x80 && (std::isalnum(static_cast<int>(c)) ||
                        std::strchr("!#$%&'()-@^_`{}~", static_cast<int>(c)) != nullptr);
}

// At most eight characters, a dot and three more, all of them allowed in 8.3 names: such a
// name is its own short name.
bool IsLegalShortName(const std::wstring& name) {
    size_t dot = name.find(L'.');
    if (name.empty() ||
        (dot != std::wstring::npos && name.find(L'.', dot + 1) != std::wstring::npos))
        return false;
    size_t base = dot == std::wstring::npos ? name.size() : dot;
    size_t extension = dot == std::wstring::npos ? 0 : name.size() - dot - 1;
    if (base == 0 || base > 8 || extension > 3 || (dot != std::wstring::npos && extension == 0))
        return false;
    for (WCHAR c : name)
        if (c != L'.' && !IsDosCharacter(c))
            return false;
    return true;
}

const DWORD kReadRights = GENERIC_READ | GENERIC_ALL | FILE_READ_DATA;
const DWORD kWriteRights = GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA;

} // namespace

std::string FileSystem::TextOf(const std::wstring& path) const {
    const CodePage& cp = machine().codePage;
    std::string text;
    std::wstring name;
    auto flush = [&]() {
        text += cp.CanWrite(name) ? cp.ToAnsi(name, false) : MakeToken(name);
        name.clear();
    };
    for (WCHAR c : path) {
        if (IsSeparator(c)) {
            flush();
            text += static_cast<char>(c);
        } else {
            name += c;
        }
    }
    flush();
    return text;
}

std::string FileSystem::CurrentDirectoryText() const {
    const Kernel& k = machine().kernel;
    return k.currentDirectoryW.empty() ? k.currentDirectory : TextOf(k.currentDirectoryW);
}

bool FileSystem::ShortNamesOn(const Where& w) const {
    auto it = drives_.find(w.drive);
    return w.drive == 0 || it == drives_.end() || !it->second.noShortNames;
}

FileSystem::Where FileSystem::Locate(const std::string& input, int depth, bool trusted) const {
    Where w;
    if (input.empty()) {
        w.error = ERROR_PATH_NOT_FOUND;
        return w;
    }
    if (!trusted && input.find('\x01') != std::string::npos) {
        w.error = ERROR_INVALID_NAME;
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
    const std::string cwd = CurrentDirectoryText();

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
            Where current = Locate(cwd, depth + 1, true);
            std::string base = (current.error == 0 && current.drive == letter)
                                   ? cwd
                                   : std::string(1, letter) + ":\\";
            return Locate(base + "\\" + rest, depth + 1, true);
        }
        auto mapped = machine().network.mapped.find(letter);
        if (drives_.count(letter) == 0 && mapped != machine().network.mapped.end())
            return Locate(mapped->second + rest, depth + 1, true);
        w.drive = letter;
        rootDisplay = std::string(1, letter) + ":\\";
        names = SplitNames(rest.substr(1), '\\');
    } else if (path[0] == '\\') {
        Where current = Locate(cwd, depth + 1, true);
        if (current.error != 0)
            return current;
        const Node* root = Find(current.root);
        std::string rootText = root ? root->display : current.display;
        return Locate(rootText + path, depth + 1, true);
    } else {
        return Locate(cwd + "\\" + path, depth + 1, true);
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
    if (!parts.empty() && !IsToken(parts.back())) {
        std::string& last = parts.back();
        while (!last.empty() && (last.back() == '.' || last.back() == ' '))
            last.pop_back();
        if (last.empty())
            parts.pop_back();
    }
    for (const std::string& n : parts)
        if (!ValidName(n, trusted)) {
            w.error = ERROR_INVALID_NAME;
            return w;
        }

    const CodePage& cp = machine().codePage;
    w.trailingSeparator = !parts.empty() && !names.empty() && names.back().empty();
    w.root = FoldCase(rootDisplay);
    w.display = rootDisplay;
    w.key = w.root;
    w.wide = cp.ToWide(rootDisplay);
    std::string text = rootDisplay;
    const bool shortNames = ShortNamesOn(w);
    for (const std::string& n : parts) {
        w.parentDisplay = w.display;
        w.parent = w.key;
        w.parentText = text;
        std::string name = n;
        std::string keyName = FoldCase(n);
        w.lastName = cp.ToWide(n);
        if (IsToken(n)) {
            w.lastName = TokenName(n);
            name = cp.ToAnsi(w.lastName);
            keyName = MakeToken(FoldWide(w.lastName));
            w.wideOnly = true;
        }
        std::string key = JoinKey(w.key, keyName);
        if (Find(key) == nullptr && shortNames) {
            auto alias = shortKeys_.find(JoinKey(w.key, Upper(n)));
            if (alias != shortKeys_.end())
                key = alias->second;
        }
        w.key = key;
        w.display = JoinKey(w.display, name);
        text = JoinKey(text, n);
        w.wide += (w.wide.empty() || IsSeparator(w.wide.back()) ? L"" : L"\\") + w.lastName;
    }
    if (parts.empty()) {
        w.parentDisplay.clear();
        w.parent.clear();
    }
    return w;
}

void FileSystem::Forget(const std::string& key) {
    auto it = nodes_.find(key);
    if (it == nodes_.end())
        return;
    if (!it->second.shortName.empty())
        shortKeys_.erase(JoinKey(it->second.parent, it->second.shortName));
    nodes_.erase(it);
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
    Where current = Locate(CurrentDirectoryText(), 0, true);
    return current.error == 0 && current.key == w.key;
}

// --- Set-up ---

FileSystem::Where FileSystem::SetUpPath(const std::string& path, bool trusted) const {
    Where w = Locate(path, 0, trusted);
    if (w.error != 0)
        throw std::invalid_argument("not a path the file system can hold: " + path);
    return w;
}

std::string FileSystem::NewShortName(const std::string& parent, const std::wstring& name) const {
    // Blanks go, and every dot but the last; what 8.3 names cannot hold becomes '_'.
    std::wstring kept;
    for (WCHAR c : name)
        if (c != L' ')
            kept += c;
    size_t dot = kept.rfind(L'.');
    std::wstring base = dot == std::wstring::npos ? kept : kept.substr(0, dot);
    std::wstring extension = dot == std::wstring::npos ? std::wstring() : kept.substr(dot + 1);
    auto dos = [](WCHAR c) {
        return IsDosCharacter(c) && c != L'.' ? static_cast<char>(std::toupper(static_cast<int>(c)))
                                              : '_';
    };
    std::string b, e;
    for (WCHAR c : base)
        if (c != L'.')
            b += dos(c);
    for (size_t i = 0; i < extension.size() && i < 3; ++i)
        e += dos(extension[i]);
    if (b.empty())
        b = "_";
    for (int n = 1;; ++n) {
        std::string tail = "~" + std::to_string(n);
        std::string candidate = b.substr(0, std::min<size_t>(6, 8 - tail.size())) + tail;
        if (!e.empty())
            candidate += "." + e;
        if (shortKeys_.count(JoinKey(parent, candidate)) == 0 &&
            nodes_.count(JoinKey(parent, FoldCase(candidate))) == 0)
            return candidate;
    }
}

FileSystem::Node& FileSystem::Put(const Where& w, bool directory) {
    Node& node = nodes_[w.key];
    if (node.display.empty()) {
        node.display = w.display;
        node.parent = w.parent;
        node.directory = directory;
        node.name = w.lastName;
        const Node* parent = Find(w.parent);
        node.wide = parent == nullptr ? w.wide
                    : parent->wide.empty() || IsSeparator(parent->wide.back())
                        ? parent->wide + w.lastName
                        : parent->wide + L"\\" + w.lastName;
        if (!w.parent.empty() && !IsLegalShortName(w.lastName)) {
            node.shortName = NewShortName(w.parent, w.lastName);
            shortKeys_[JoinKey(w.parent, node.shortName)] = w.key;
        }
    }
    return node;
}

FileSystem::Node& FileSystem::MakeDirectories(const std::string& path, bool trusted) {
    Where w = SetUpPath(path, trusted);
    if (w.drive != 0 && drives_.count(w.drive) == 0)
        AddDrive(w.drive);
    if (!w.parent.empty())
        MakeDirectories(w.parentText, true);
    return Put(w, true);
}

void FileSystem::AddDrive(char letter, bool readOnly) {
    letter = UpperLetter(letter);
    drives_[letter] = Drive{readOnly, false, false};
    std::string root = std::string(1, letter) + ":\\";
    Node& node = nodes_[root];
    node = Node();
    node.display = root;
    node.wide = std::wstring(root.begin(), root.end());
    node.directory = true;
}

void FileSystem::RemoveDrive(char letter) {
    letter = UpperLetter(letter);
    drives_.erase(letter);
    std::string prefix = std::string(1, letter) + ":\\";
    for (auto it = nodes_.begin(); it != nodes_.end();)
        it = it->first.compare(0, prefix.size(), prefix) == 0 ? nodes_.erase(it) : std::next(it);
    for (auto it = shortKeys_.begin(); it != shortKeys_.end();)
        it =
            it->first.compare(0, prefix.size(), prefix) == 0 ? shortKeys_.erase(it) : std::next(it);
}

void FileSystem::WithoutShortNames(char letter) {
    letter = UpperLetter(letter);
    if (drives_.count(letter) == 0)
        AddDrive(letter);
    drives_[letter].noShortNames = true;
}

void FileSystem::AddDirectory(const std::string& path) {
    MakeDirectories(path);
}

void FileSystem::AddDirectory(const std::wstring& path) {
    MakeDirectories(TextOf(path), true);
}

void FileSystem::AddFile(const std::string& path, const std::string& content) {
    Where w = SetUpPath(path);
    if (w.parent.empty())
        throw std::invalid_argument("a root is no file: " + path);
    MakeDirectories(w.parentText, true);
    Node& node = Put(w, false);
    node.content = content;
}

void FileSystem::AddFile(const std::wstring& path, const std::string& content) {
    Where w = SetUpPath(TextOf(path), true);
    if (w.parent.empty())
        throw std::invalid_argument("a root is no file");
    MakeDirectories(w.parentText, true);
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

bool FileSystem::Exists(const std::wstring& path) const {
    DWORD error = 0;
    return AttributesAt(Locate(TextOf(path), 0, true), &error) != INVALID_FILE_ATTRIBUTES;
}

std::string FileSystem::ShortPath(const std::wstring& path) const {
    std::wstring shortPath;
    DWORD error = 0;
    return ShortPathOf(path, &shortPath, &error) ? machine().codePage.ToAnsi(shortPath)
                                                 : std::string();
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
    shortKeys_.clear();
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
        node.wide.assign(node.display.begin(), node.display.end());
        node.name = node.wide.substr(node.wide.rfind(L'\\') + 1);
        node.parent = Upper(d[1]);
        node.directory = true;
    }
}

// --- The API's side ---

std::string FileSystem::FullPath(const std::string& path, std::wstring* wide) const {
    Where w = Locate(path);
    if (wide != nullptr)
        *wide = w.error == 0 && w.wideOnly ? w.wide : std::wstring();
    return w.error == 0 ? w.display : std::string();
}

bool FileSystem::ShortPathOf(const std::wstring& path, std::wstring* shortPath,
                             DWORD* error) const {
    if (path.empty()) {
        *error = ERROR_BAD_PATHNAME;
        return false;
    }
    if (AttributesAt(Locate(TextOf(path), 0, true), error) == INVALID_FILE_ATTRIBUTES) {
        *error = ERROR_FILE_NOT_FOUND;
        return false;
    }
    // The root as given: a drive ('C:', 'C:\'), a share ('\\srv\share\') or a leading
    // separator; then name by name, each looked up below what came before it.
    size_t i = 0;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        int separators = 0;
        for (i = 2; i < path.size() && separators < 2; ++i)
            separators += IsSeparator(path[i]) ? 1 : 0;
        if (separators == 2)
            --i;
    } else if (path.size() >= 2 && path[1] == L':') {
        i = 2;
    }
    std::wstring out = path.substr(0, i);
    std::string text = TextOf(out);
    while (i < path.size()) {
        if (IsSeparator(path[i])) {
            out += path[i];
            text += static_cast<char>(path[i]);
            ++i;
            continue;
        }
        size_t end = i;
        while (end < path.size() && !IsSeparator(path[end]))
            ++end;
        const std::wstring name = path.substr(i, end - i);
        const std::string nameText = TextOf(name);
        text = text.empty() || EndsWithChar(text, '\\') || EndsWithChar(text, '/')
                   ? text + nameText
                   : text + "\\" + nameText;
        i = end;
        if (name == L"." || name == L"..") {
            out += name;
            continue;
        }
        Where w = Locate(text, 0, true);
        const Node* node = w.error == 0 ? Find(w.key) : nullptr;
        if (node == nullptr)
            out += name; // a file that a directory with every name taken holds
        else if (ShortNamesOn(w) && !node->shortName.empty())
            out += std::wstring(node->shortName.begin(), node->shortName.end());
        else
            out += node->name;
    }
    *shortPath = out;
    return true;
}

DWORD FileSystem::Attributes(const std::string& path, DWORD* error) const {
    return AttributesAt(Locate(path), error);
}

DWORD FileSystem::AttributesAt(const Where& w, DWORD* error) const {
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
        Forget(w.key);
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
        Forget(w.key);
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

// The size rule: the short path and its zero when they fit (the length returned), else the
// size needed with the zero, the buffer untouched. A path that does not exist fails.
DWORD WINAPI GetShortPathNameW(LPCWSTR lpszLongPath, LPWSTR lpszShortPath, DWORD cchBuffer) {
    std::wstring path = lpszLongPath != nullptr ? std::wstring(lpszLongPath) : std::wstring();
    if (Enter("GetShortPathNameW", machine().codePage.ToAnsi(path), ERROR_FILE_NOT_FOUND))
        return 0;
    if (lpszLongPath == nullptr) {
        winsim::SetError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::wstring shortPath;
    DWORD error = 0;
    if (!machine().files.ShortPathOf(path, &shortPath, &error)) {
        winsim::SetError(error);
        return 0;
    }
    return winsim::CopyPathOut(shortPath, lpszShortPath, cchBuffer);
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
