// Cases that run the same on the simulated machine and on Windows (Wine): the file and
// registry calls the path utilities make, and the utilities themselves, each with the answer
// Windows gives. The host tests run them against winsim, tests/wine/paths.cpp under Wine;
// where the two differ, the simulation is wrong.
//
// The caller provides a drive C: on which `sandbox` (such as 'C:\qpaths') does not exist yet,
// and under HKEY_CURRENT_USER the key `key` with the values listed in kProbeValues.
#pragma once

#include <windows.h>
#include <winnetwk.h>

#include "paths/Directory.h"
#include "paths/Path.h"
#include "paths/RegValue.h"
#include "paths/Root.h"

#include <cstdio>
#include <string>
#include <vector>

// The values under the probe's key: name, type, data as `reg add` takes it.
struct ProbeValue {
    const char* name; // empty: the key's default value
    const char* type;
    std::string data;
};

inline std::vector<ProbeValue> ProbeValues() {
    return {{"Fits", "REG_SZ", std::string(254, 'a')},
            {"TooLong", "REG_SZ", std::string(255, 'b')},
            {"Padded", "REG_SZ", "  C:\\Dir  "},
            {"", "REG_SZ", "default"},
            {"Number", "REG_DWORD", "4407873"}, // 0x00434241: the bytes 'A' 'B' 'C' 0
            {"Multi", "REG_MULTI_SZ", "first\\0second"},
            {"Expand", "REG_EXPAND_SZ", "%SystemDrive%\\x"},
            {"Binary", "REG_BINARY", "616263"}};
}

class PathProbe {
  public:
    PathProbe(const std::string& sandbox, const std::string& key) : s_(sandbox), key_(key) {}

    // Runs every case; the failures, one line each ("what: got X, Windows gives Y").
    std::vector<std::string> Run() {
        Check("CreateDirectoryA(sandbox)", Bool(CreateDirectoryA(s_.c_str(), nullptr)), "TRUE");
        Files();
        Sharing();
        Directories();
        Registry();
        Utilities();
        Check("sandbox removed", Bool(RemoveDirectoryA(s_.c_str())), "TRUE");
        return failures_;
    }
    int Checks() const { return checks_; }

  private:
    static std::string Error() { return " err=" + std::to_string(GetLastError()); }
    static std::string Bool(BOOL ok) { return ok ? "TRUE" : "FALSE" + Error(); }
    static std::string Attributes(DWORD a) {
        if (a == INVALID_FILE_ATTRIBUTES)
            return "INVALID" + Error();
        return (a & FILE_ATTRIBUTE_DIRECTORY) ? "DIR" : "FILE";
    }
    static std::string Status(LONG status) { return std::to_string(status); }

    void Check(const std::string& what, const std::string& got, const std::string& expected) {
        ++checks_;
        if (got != expected)
            failures_.push_back(what + ": got '" + got + "', Windows gives '" + expected + "'");
    }

    // A path of `length` characters in the sandbox.
    std::string Long(size_t length) { return s_ + "\\" + std::string(length - s_.size() - 1, 'x'); }

    std::string Create(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                       HANDLE* kept = nullptr) {
        SetLastError(0);
        HANDLE h = CreateFileA(path.c_str(), access, share, nullptr, disposition,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return "INVALID" + Error();
        std::string text = "OK err=" + std::to_string(GetLastError());
        if (kept)
            *kept = h;
        else
            CloseHandle(h);
        return text;
    }

    void Files() {
        const std::string f = s_ + "\\file.txt";
        Check("GetFileAttributesA(missing)", Attributes(GetFileAttributesA((s_ + "\\no").c_str())),
              "INVALID err=2");
        Check("GetFileAttributesA(missing\\x)",
              Attributes(GetFileAttributesA((s_ + "\\no\\x").c_str())), "INVALID err=3");
        Check("GetFileAttributesA(a<b)", Attributes(GetFileAttributesA((s_ + "\\a<b").c_str())),
              "INVALID err=123");
        // The ANSI name passes through a buffer of MAX_PATH + 1 wide characters: 260
        // characters fit, 261 do not.
        Check("GetFileAttributesA(261 characters)",
              Attributes(GetFileAttributesA(Long(261).c_str())), "INVALID err=206");
        Check("GetFileAttributesA(260 characters)",
              Attributes(GetFileAttributesA(Long(260).c_str())), "INVALID err=2");
        Check("GetFileAttributesA(C:)", Attributes(GetFileAttributesA("C:\\")), "DIR");
        Check("CreateFileA(new, CREATE_NEW)",
              Create(f, GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW), "OK err=0");
        Check("GetFileAttributesA(file)", Attributes(GetFileAttributesA(f.c_str())), "FILE");
        Check("CreateFileA(existing, CREATE_NEW)",
              Create(f, GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW), "INVALID err=80");
        Check("CreateFileA(existing, CREATE_ALWAYS)",
              Create(f, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS), "OK err=183");
        Check("CreateFileA(existing, OPEN_ALWAYS)", Create(f, GENERIC_READ, 0, OPEN_ALWAYS),
              "OK err=183");
        Check("CreateFileA(FILE.TXT, OPEN_EXISTING)",
              Create(s_ + "\\FILE.TXT", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), "OK err=0");
        Check("CreateFileA(missing, OPEN_EXISTING)",
              Create(s_ + "\\no", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), "INVALID err=2");
        Check("CreateFileA(missing\\x, CREATE_ALWAYS)",
              Create(s_ + "\\no\\x", GENERIC_WRITE, 0, CREATE_ALWAYS), "INVALID err=3");
        Check("CreateFileA(directory, OPEN_EXISTING)",
              Create(s_, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
              "INVALID err=5");
        Check("CreateFileA(directory, CREATE_ALWAYS)",
              Create(s_, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS), "INVALID err=5");
        Check("DeleteFileA(directory)", Bool(DeleteFileA(s_.c_str())), "FALSE err=5");
        Check("DeleteFileA(missing)", Bool(DeleteFileA((s_ + "\\no").c_str())), "FALSE err=2");
        Check("RemoveDirectoryA(file)", Bool(RemoveDirectoryA(f.c_str())), "FALSE err=267");
        Check("DeleteFileA(file)", Bool(DeleteFileA(f.c_str())), "TRUE");
        // INVALID_HANDLE_VALUE is also the current process's pseudo-handle: closing it is no
        // error.
        Check("CloseHandle(INVALID_HANDLE_VALUE)", Bool(CloseHandle(INVALID_HANDLE_VALUE)), "TRUE");
    }

    void Sharing() {
        const std::string f = s_ + "\\held.txt";
        HANDLE held = INVALID_HANDLE_VALUE;
        Check("CreateFileA(probe, share 0)",
              Create(f, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS, &held), "OK err=0");
        Check("CreateFileA(held, read sharing all)",
              Create(f, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
              "INVALID err=32");
        Check("DeleteFileA(held)", Bool(DeleteFileA(f.c_str())), "FALSE err=32");
        Check("FileExists(held)", std::to_string(FileExists(f)), "0");
        Check("CloseHandle(held)", Bool(CloseHandle(held)), "TRUE");
        Check("CloseHandle(closed)", Bool(CloseHandle(held)), "FALSE err=6");
        HANDLE writer = INVALID_HANDLE_VALUE;
        Create(f, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, &writer);
        Check("FileExists(written, shared for reading)", std::to_string(FileExists(f)), "1");
        Check("CreateFileA(written, no write sharing)",
              Create(f, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), "INVALID err=32");
        CloseHandle(writer);
        Check("DeleteFileA(closed)", Bool(DeleteFileA(f.c_str())), "TRUE");
    }

    void Directories() {
        const std::string a = s_ + "\\A";
        Check("CreateDirectoryA(A\\B)", Bool(CreateDirectoryA((a + "\\B").c_str(), nullptr)),
              "FALSE err=3");
        Check("CreateDirectoryA(A)", Bool(CreateDirectoryA(a.c_str(), nullptr)), "TRUE");
        Check("CreateDirectoryA(a\\)", Bool(CreateDirectoryA((s_ + "\\a\\").c_str(), nullptr)),
              "FALSE err=183");
        Check("CreateDirectoryA(A\\B\\)", Bool(CreateDirectoryA((a + "\\B\\").c_str(), nullptr)),
              "TRUE");
        Check("GetFileAttributesA(a\\b\\..\\B)",
              Attributes(GetFileAttributesA((s_ + "\\a\\b\\..\\B").c_str())), "DIR");
        Check("GetFileAttributesA(A\\B.)", Attributes(GetFileAttributesA((a + "\\B.").c_str())),
              "DIR");
        Check("GetFileAttributesA(A/B)", Attributes(GetFileAttributesA((a + "/B").c_str())), "DIR");
        Check("RemoveDirectoryA(A)", Bool(RemoveDirectoryA(a.c_str())), "FALSE err=145");
        Check("RemoveDirectoryA(a\\b)", Bool(RemoveDirectoryA((s_ + "\\a\\b").c_str())), "TRUE");
        Check("RemoveDirectoryA(A\\B)", Bool(RemoveDirectoryA((a + "\\B").c_str())), "FALSE err=2");
        Check("RemoveDirectoryA(missing\\x)", Bool(RemoveDirectoryA((a + "\\no\\x").c_str())),
              "FALSE err=3");
        Check("RemoveDirectoryA(A)", Bool(RemoveDirectoryA(a.c_str())), "TRUE");
        Check("CreateDirectoryA(a|b)", Bool(CreateDirectoryA((s_ + "\\a|b").c_str(), nullptr)),
              "FALSE err=123");
        Check("GetLogicalDrives has C", std::to_string((GetLogicalDrives() >> 2) & 1), "1");
    }

    std::string Query(HKEY key, const char* name, DWORD size, bool withData = true) {
        BYTE data[300];
        DWORD type = 0;
        DWORD n = size;
        LONG status = RegQueryValueExA(key, name, nullptr, &type, withData ? data : nullptr, &n);
        return Status(status) + " type=" + std::to_string(type) + " size=" + std::to_string(n);
    }

    void Registry() {
        HKEY key = nullptr;
        Check("RegOpenKeyExA(key, 0x2001F)",
              Status(RegOpenKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_READ | KEY_WRITE, &key)),
              "0");
        Check("RegQueryValueExA(Fits, no data)", Query(key, "Fits", 0, false), "0 type=1 size=255");
        Check("RegQueryValueExA(Fits, 255)", Query(key, "fits", 255), "0 type=1 size=255");
        Check("RegQueryValueExA(Fits, 254)", Query(key, "Fits", 254), "234 type=1 size=255");
        Check("RegQueryValueExA(TooLong, 255)", Query(key, "TooLong", 255), "234 type=1 size=256");
        Check("RegQueryValueExA(Number)", Query(key, "Number", 255), "0 type=4 size=4");
        Check("RegQueryValueExA(Multi)", Query(key, "Multi", 255), "0 type=7 size=14");
        Check("RegQueryValueExA(Binary, 2)", Query(key, "Binary", 2), "234 type=3 size=3");
        Check("RegQueryValueExA(default)", Query(key, "", 255), "0 type=1 size=8");
        Check("RegQueryValueExA(null name)", Query(key, nullptr, 255), "0 type=1 size=8");
        Check("RegQueryValueExA(missing)", Query(key, "Missing", 255), "2 type=0 size=255");
        BYTE data[4];
        Check("RegQueryValueExA(data, no size)",
              Status(RegQueryValueExA(key, "Fits", nullptr, nullptr, data, nullptr)), "87");
        Check("RegCloseKey", Status(RegCloseKey(key)), "0");
        Check("RegCloseKey(again)", Status(RegCloseKey(key)), "6");
        Check("RegCloseKey(HKEY_CURRENT_USER)", Status(RegCloseKey(HKEY_CURRENT_USER)), "0");

        HKEY other = nullptr;
        Check("RegOpenKeyExA(trailing backslash)",
              Status(RegOpenKeyExA(HKEY_CURRENT_USER, (key_ + "\\").c_str(), 0, KEY_READ, &other)),
              "0");
        RegCloseKey(other);
        Check("RegOpenKeyExA(leading backslash)",
              Status(RegOpenKeyExA(HKEY_CURRENT_USER, ("\\" + key_).c_str(), 0, KEY_READ, &other)),
              "161");
        const std::string doubled = "Software\\\\" + key_.substr(key_.find('\\') + 1);
        Check("RegOpenKeyExA(doubled backslash)",
              Status(RegOpenKeyExA(HKEY_CURRENT_USER, doubled.c_str(), 0, KEY_READ, &other)), "0");
        RegCloseKey(other);
        Check("RegOpenKeyExA(missing)",
              Status(
                  RegOpenKeyExA(HKEY_CURRENT_USER, (key_ + "\\None").c_str(), 0, KEY_READ, &other)),
              "2");
        Check("RegOpenKeyExA(empty name)",
              Status(RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, KEY_READ, &other)), "0");
        Check("RegOpenKeyExA(empty name) is the predefined key",
              std::to_string(other == HKEY_CURRENT_USER), "1");
        RegCloseKey(other);
        Check("RegOpenKeyA(empty name)", Status(RegOpenKeyA(HKEY_CURRENT_USER, "", &other)), "0");
        Check("RegOpenKeyA(empty name) is the same handle",
              std::to_string(other == HKEY_CURRENT_USER), "1");
        Check("RegOpenKeyA(key)", Status(RegOpenKeyA(HKEY_CURRENT_USER, key_.c_str(), &other)),
              "0");
        Check("RegOpenKeyA key reads", Query(other, "Number", 255), "0 type=4 size=4");
        RegCloseKey(other);

        const std::string v = key_ + "\\";
        Check("RegReadValue(254)", RegReadValue(HKEY_CURRENT_USER, v + "Fits"),
              std::string(254, 'a'));
        Check("RegReadValue(255)", RegReadValue(HKEY_CURRENT_USER, v + "TooLong"), "");
        Check("RegReadValue(padded)", RegReadValue(HKEY_CURRENT_USER, v + "Padded"), "C:\\Dir");
        Check("RegReadValue(Key\\)", RegReadValue(HKEY_CURRENT_USER, v), "default");
        Check("RegReadValue(number)", RegReadValue(HKEY_CURRENT_USER, v + "Number"), "ABC");
        Check("RegReadValue(multi)", RegReadValue(HKEY_CURRENT_USER, v + "Multi"), "first");
        Check("RegReadValue(expand)", RegReadValue(HKEY_CURRENT_USER, v + "Expand"),
              "%SystemDrive%\\x");
        Check("RegReadValue(binary)", RegReadValue(HKEY_CURRENT_USER, v + "Binary"), "abc");
        Check("RegReadValue(missing)", RegReadValue(HKEY_CURRENT_USER, v + "Missing"), "");
    }

    void Utilities() {
        char saved[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, saved);
        CreateDirectoryA((s_ + "\\sub").c_str(), nullptr);
        SetCurrentDirectoryA(s_.c_str());
        Check("RemoveDirectoryA(current directory)", Bool(RemoveDirectoryA(s_.c_str())),
              "FALSE err=32");
        Check("DirectoryExists(relative)", std::to_string(DirectoryExists("sub")), "0");
        Check("CreateDirectoryTree(relative)", std::to_string(CreateDirectoryTree("rel")), "0");
        Check("relative directory not created", Attributes(GetFileAttributesA("rel")),
              "INVALID err=2");
        SetCurrentDirectoryA(saved);
        RemoveDirectoryA((s_ + "\\sub").c_str());

        Check("DirectoryExists(C:)", std::to_string(DirectoryExists("C:")), "1");
        Check("DirectoryExists(C:\\)", std::to_string(DirectoryExists("C:\\")), "1");
        Check("DirectoryExists(sandbox\\)", std::to_string(DirectoryExists(s_ + "\\")), "1");
        Check("DirectoryExists(missing)", std::to_string(DirectoryExists(s_ + "\\no")), "0");
        Check("PathRoot(sandbox)", PathRoot(s_ + "\\x"), "C:");

        Check("CreateDirectoryTree(x\\y\\z)", std::to_string(CreateDirectoryTree(s_ + "\\x\\y\\z")),
              "1");
        Check("x\\y\\z exists", Attributes(GetFileAttributesA((s_ + "\\X\\Y\\Z").c_str())), "DIR");
        RemoveDirectoryA((s_ + "\\x\\y\\z").c_str());
        RemoveDirectoryA((s_ + "\\x\\y").c_str());
        RemoveDirectoryA((s_ + "\\x").c_str());

        const std::string probe = UniqueNameInDirectory(s_);
        Check("UniqueNameInDirectory length", std::to_string(probe.size()),
              std::to_string(s_.size() + 6));
        Check("CanWriteToDirectory(sandbox)", std::to_string(CanWriteToDirectory(s_)), "1");
        Check("CanWriteToDirectory(missing levels)",
              std::to_string(CanWriteToDirectory(s_ + "\\n1\\n2")), "1");
        Check("missing levels removed", Attributes(GetFileAttributesA((s_ + "\\n1").c_str())),
              "INVALID err=2");
        Check("CanWriteToDirectory(empty)", std::to_string(CanWriteToDirectory("")), "0");
        Check("CanWriteToDirectory(refused level)",
              std::to_string(CanWriteToDirectory(s_ + "\\n1\\bad|name")), "0");
        Check("refused level's parent removed",
              Attributes(GetFileAttributesA((s_ + "\\n1").c_str())), "INVALID err=2");
        // Nothing is left in the sandbox: it can be removed (Run's last check).
    }

    std::string s_;
    std::string key_;
    std::vector<std::string> failures_;
    int checks_ = 0;
};
