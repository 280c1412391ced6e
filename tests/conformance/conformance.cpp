// Conformance checks of the Win32 calls the library and the launcher make. The same program
// runs on the simulated machine and on Windows (Wine); each check prints one line, a stable
// name and what the call did, and the two runs must print the same lines:
//
//   conformance C:\scratch [--codepage 932]
//
// The scratch folder must not exist; the program creates it, works inside it and removes it.
// Nothing that legitimately differs between two machines is printed: of the Windows, system,
// temporary and module paths only their lengths relative to the call's results. The last
// error is printed only where the documentation defines it ("err=unset" when the call left it
// alone).
#include <windows.h>
#include <shlobj.h>
#include <winnetwk.h>

#include "codepage.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const DWORD kUnsetError = 0xC0DE;
const char kKey[] = "Software\\QuellinConformance";
const char kSubKey[] = "Software\\QuellinConformance\\Sub";
const HKEY kBogusKey = reinterpret_cast<HKEY>(static_cast<UINT_PTR>(0x3FFFFFC0));
const HANDLE kBogusHandle = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0x3FFFFFC0));

std::string Fmt(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

void Check(const std::string& name, const std::string& result) {
    std::printf("%s: %s\n", name.c_str(), result.c_str());
}

unsigned long U(DWORD value) {
    return static_cast<unsigned long>(value);
}

// Before each call whose last error is printed.
void Arm() {
    SetLastError(kUnsetError);
}

std::string Err() {
    DWORD error = GetLastError();
    return error == kUnsetError ? std::string("err=unset") : Fmt("err=%lu", U(error));
}

std::string Hex(const void* data, size_t size) {
    std::string out;
    const BYTE* p = static_cast<const BYTE*>(data);
    for (size_t i = 0; i < size; ++i)
        out += Fmt(i ? " %02x" : "%02x", p[i]);
    return out.empty() ? std::string("-") : out;
}

std::string Sign(int value) {
    return value < 0 ? "<0" : value > 0 ? ">0" : "0";
}

// ---------------------------------------------------------------------------------------------
// Registry

void DeleteConformanceKeys() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kSubKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
}

void SetValue(HKEY key, const char* name, DWORD type, const char* data, DWORD size) {
    LONG ret = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data), size);
    Check(Fmt("RegSetValueExA[%s]", name ? name : "(null)"),
          Fmt("ret=%ld", static_cast<long>(ret)));
}

void CreateConformanceKeys() {
    HKEY key = nullptr;
    DWORD disposition = 0;
    LONG ret = RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_ALL_ACCESS, nullptr, &key, &disposition);
    Check("RegCreateKeyExA.new",
          Fmt("ret=%ld disposition=%lu", static_cast<long>(ret), U(disposition)));
    if (ret != ERROR_SUCCESS)
        return;
    HKEY again = nullptr;
    ret = RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ,
                          nullptr, &again, &disposition);
    Check("RegCreateKeyExA.existing",
          Fmt("ret=%ld disposition=%lu", static_cast<long>(ret), U(disposition)));
    if (ret == ERROR_SUCCESS)
        RegCloseKey(again);
    HKEY sub = nullptr;
    ret = RegCreateKeyExA(key, "Sub", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                          &sub, nullptr);
    Check("RegCreateKeyExA.relative", Fmt("ret=%ld", static_cast<long>(ret)));
    if (ret == ERROR_SUCCESS)
        RegCloseKey(sub);

    SetValue(key, "sz", REG_SZ, "abc", 4);
    // Stored without its zero: the byte after the counted ones is not a zero.
    SetValue(key, "sz_bare", REG_SZ, "abcdX", 4);
    // The zero that follows the counted bytes is stored with them, as the NT family does.
    SetValue(key, "sz_uncounted", REG_SZ, "abcd", 4);
    SetValue(key, "expand", REG_EXPAND_SZ, "%TEMP%\\x", 9);
    SetValue(key, "multi", REG_MULTI_SZ, "a\0bc\0", 6);
    SetValue(key, nullptr, REG_SZ, "def", 4);
    SetValue(key, "dword", REG_DWORD, "\x78\x56\x34\x12", 4);
    SetValue(key, "bin", REG_BINARY, "\x01\x02\x03", 3);
    SetValue(key, "empty", REG_SZ, "", 0);
    RegCloseKey(key);
}

// The size rules of RegQueryValueExA on one value: size query, exact buffer, one byte short,
// a roomy buffer (the byte after the data shows whether a zero was appended).
void QueryValueSizes(HKEY key, const char* name) {
    const std::string n = Fmt("RegQueryValueExA[%s]", name ? name : "(null)");
    DWORD type = 0xEE;
    DWORD size = 0x55;
    LONG ret = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    // What a failed query leaves in the type and size is not defined (Wine clears them).
    if (ret != ERROR_SUCCESS) {
        Check(n + ".nodata", Fmt("ret=%ld", static_cast<long>(ret)));
        return;
    }
    Check(n + ".nodata",
          Fmt("ret=%ld type=%lu size=%lu", static_cast<long>(ret), U(type), U(size)));
    const DWORD needed = size;
    type = 0xEE;
    ret = RegQueryValueExA(key, name, nullptr, &type, nullptr, nullptr);
    Check(n + ".nosize", Fmt("ret=%ld type=%lu", static_cast<long>(ret), U(type)));

    BYTE buffer[64];
    std::memset(buffer, 0xCC, sizeof buffer);
    size = needed;
    ret = RegQueryValueExA(key, name, nullptr, nullptr, buffer, &size);
    Check(n + ".exact", Fmt("ret=%ld size=%lu", static_cast<long>(ret), U(size)) +
                            " data=" + Hex(buffer, needed + 1));
    if (needed > 0) {
        size = needed - 1;
        ret = RegQueryValueExA(key, name, nullptr, nullptr, buffer, &size);
        Check(n + ".short", Fmt("ret=%ld size=%lu", static_cast<long>(ret), U(size)));
        size = 0;
        ret = RegQueryValueExA(key, name, nullptr, nullptr, buffer, &size);
        Check(n + ".zero", Fmt("ret=%ld size=%lu", static_cast<long>(ret), U(size)));
    }
    std::memset(buffer, 0xCC, sizeof buffer);
    size = sizeof buffer;
    ret = RegQueryValueExA(key, name, nullptr, nullptr, buffer, &size);
    Check(n + ".roomy", Fmt("ret=%ld size=%lu", static_cast<long>(ret), U(size)) +
                            " data=" + Hex(buffer, needed + 2));
}

void QueryValues() {
    HKEY key = nullptr;
    LONG ret = RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key);
    if (ret != ERROR_SUCCESS)
        return;
    const char* names[] = {"sz",    "SZ", "sz_bare", "sz_uncounted", "expand", "multi",
                           nullptr, "",   "dword",   "bin",          "empty",  "missing"};
    for (const char* name : names)
        QueryValueSizes(key, name);

    BYTE buffer[16];
    DWORD size = sizeof buffer;
    DWORD reserved = 0;
    ret = RegQueryValueExA(key, "sz", &reserved, nullptr, buffer, &size);
    Check("RegQueryValueExA.reserved", Fmt("ret=%ld", static_cast<long>(ret)));
    ret = RegQueryValueExA(key, "sz", nullptr, nullptr, buffer, nullptr);
    Check("RegQueryValueExA.data-without-size", Fmt("ret=%ld", static_cast<long>(ret)));
    RegCloseKey(key);

    // A handle without KEY_QUERY_VALUE may not read values.
    ret = RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &key);
    Check("RegOpenKeyExA.set-value-only", Fmt("ret=%ld", static_cast<long>(ret)));
    if (ret == ERROR_SUCCESS) {
        size = sizeof buffer;
        ret = RegQueryValueExA(key, "sz", nullptr, nullptr, buffer, &size);
        Check("RegQueryValueExA.without-query-right", Fmt("ret=%ld", static_cast<long>(ret)));
        RegCloseKey(key);
    }
}

void OpenKeys() {
    struct Case {
        const char* name;
        HKEY parent;
        const char* subKey;
        REGSAM access;
    } cases[] = {
        {"read", HKEY_CURRENT_USER, kKey, KEY_READ},
        {"read-write", HKEY_CURRENT_USER, kKey, KEY_READ | KEY_WRITE},
        {"0x2001F", HKEY_CURRENT_USER, kKey, 0x2001F},
        {"other-case", HKEY_CURRENT_USER, "SOFTWARE\\quellinconformance", KEY_READ},
        {"subkey", HKEY_CURRENT_USER, kSubKey, KEY_READ},
        {"missing", HKEY_CURRENT_USER, "Software\\QuellinConformance\\Missing", KEY_READ},
        {"missing-parent", HKEY_CURRENT_USER, "Software\\QuellinConformance\\No\\Sub", KEY_READ},
        {"leading-backslash", HKEY_CURRENT_USER, "\\Software\\QuellinConformance", KEY_READ},
        {"trailing-backslash", HKEY_CURRENT_USER, "Software\\QuellinConformance\\", KEY_READ},
        {"double-backslash", HKEY_CURRENT_USER, "Software\\\\QuellinConformance", KEY_READ},
        {"trailing-double-backslash", HKEY_CURRENT_USER, "Software\\QuellinConformance\\\\",
         KEY_READ},
        {"bogus-parent", kBogusKey, "Sub", KEY_READ},
    };
    for (const Case& c : cases) {
        HKEY key = nullptr;
        LONG ret = RegOpenKeyExA(c.parent, c.subKey, 0, c.access, &key);
        Check(std::string("RegOpenKeyExA.") + c.name, Fmt("ret=%ld", static_cast<long>(ret)));
        if (ret == ERROR_SUCCESS)
            RegCloseKey(key);
    }
    // A null result pointer is not checked: Windows writes through it.
    HKEY key = nullptr;
    LONG ret;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    const char* sameKey[] = {nullptr, ""};
    for (const char* subKey : sameKey) {
        HKEY again = nullptr;
        ret = RegOpenKeyExA(key, subKey, 0, KEY_READ, &again);
        Check(Fmt("RegOpenKeyExA.same-key[%s]", subKey ? "empty" : "null"),
              Fmt("ret=%ld new-handle=%d", static_cast<long>(ret), again != key));
        DWORD size = 0;
        if (ret == ERROR_SUCCESS) {
            ret = RegQueryValueExA(again, "sz", nullptr, nullptr, nullptr, &size);
            Check(Fmt("RegOpenKeyExA.same-key[%s].query", subKey ? "empty" : "null"),
                  Fmt("ret=%ld size=%lu", static_cast<long>(ret), U(size)));
            RegCloseKey(again);
        }
        ret = RegOpenKeyA(key, subKey, &again);
        Check(Fmt("RegOpenKeyA.same-key[%s]", subKey ? "empty" : "null"),
              Fmt("ret=%ld same-handle=%d", static_cast<long>(ret), again == key));
    }
    HKEY sub = nullptr;
    ret = RegOpenKeyExA(key, "sub", 0, KEY_READ, &sub);
    Check("RegOpenKeyExA.relative", Fmt("ret=%ld", static_cast<long>(ret)));
    if (ret == ERROR_SUCCESS)
        RegCloseKey(sub);
    RegCloseKey(key);

    // The 16-bit compatible open gets whatever rights the user has.
    ret = RegOpenKeyA(HKEY_CURRENT_USER, kKey, &key);
    Check("RegOpenKeyA.key", Fmt("ret=%ld", static_cast<long>(ret)));
    if (ret == ERROR_SUCCESS) {
        DWORD size = 0;
        ret = RegQueryValueExA(key, "multi", nullptr, nullptr, nullptr, &size);
        Check("RegOpenKeyA.key.query", Fmt("ret=%ld size=%lu", static_cast<long>(ret), U(size)));
        ret = RegCloseKey(key);
        Check("RegCloseKey.open", Fmt("ret=%ld", static_cast<long>(ret)));
        ret = RegCloseKey(key);
        Check("RegCloseKey.closed", Fmt("ret=%ld", static_cast<long>(ret)));
        ret = RegQueryValueExA(key, "multi", nullptr, nullptr, nullptr, &size);
        Check("RegQueryValueExA.closed-key", Fmt("ret=%ld", static_cast<long>(ret)));
    }
    ret = RegOpenKeyA(HKEY_CURRENT_USER, "Software\\QuellinConformance\\Missing", &key);
    Check("RegOpenKeyA.missing", Fmt("ret=%ld", static_cast<long>(ret)));
    ret = RegCloseKey(nullptr);
    Check("RegCloseKey.null", Fmt("ret=%ld", static_cast<long>(ret)));
    ret = RegCloseKey(kBogusKey);
    Check("RegCloseKey.bogus", Fmt("ret=%ld", static_cast<long>(ret)));
    ret = RegCloseKey(HKEY_CURRENT_USER);
    Check("RegCloseKey.predefined", Fmt("ret=%ld", static_cast<long>(ret)));
}

void RemoveKeys() {
    LONG ret = RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    Check("RegDeleteKeyA.with-subkey", Fmt("ret=%ld", static_cast<long>(ret)));
    ret = RegDeleteKeyA(HKEY_CURRENT_USER, kSubKey);
    Check("RegDeleteKeyA.subkey", Fmt("ret=%ld", static_cast<long>(ret)));
    ret = RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    Check("RegDeleteKeyA.key", Fmt("ret=%ld", static_cast<long>(ret)));
    ret = RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    Check("RegDeleteKeyA.deleted", Fmt("ret=%ld", static_cast<long>(ret)));
    HKEY key = nullptr;
    ret = RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key);
    Check("RegOpenKeyExA.deleted", Fmt("ret=%ld", static_cast<long>(ret)));
    if (ret == ERROR_SUCCESS)
        RegCloseKey(key);
}

void RegistryChecks() {
    DeleteConformanceKeys();
    CreateConformanceKeys();
    QueryValues();
    OpenKeys();
    RemoveKeys();
}

// ---------------------------------------------------------------------------------------------
// Files and directories

std::string gScratch;

std::string In(const char* relative) {
    return gScratch + "\\" + relative;
}

std::string Attributes(const std::string& path) {
    Arm();
    DWORD a = GetFileAttributesA(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES)
        return "invalid " + Err();
    return Fmt("0x%lx", U(a));
}

// Only whether a root is a directory: the other bits of a drive's root vary.
std::string RootAttributes(const char* path) {
    Arm();
    DWORD a = GetFileAttributesA(path);
    if (a == INVALID_FILE_ATTRIBUTES)
        return "invalid " + Err();
    return Fmt("directory=%d", (a & FILE_ATTRIBUTE_DIRECTORY) != 0);
}

// The documented part of a failure that Windows and Wine report with different errors.
std::string Fails(const std::string& result) {
    return result.compare(0, 7, "invalid") == 0 ? std::string("invalid") : result;
}

std::string BoolErr(BOOL ret) {
    return ret ? std::string("ret=1") : "ret=0 " + Err();
}

HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    Arm();
    return CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

// An open that must fail: its error.
void OpenFails(const char* name, const std::string& path, DWORD access, DWORD share,
               DWORD disposition) {
    HANDLE h = Open(path, access, share, disposition);
    Check(std::string("CreateFileA.") + name,
          h == INVALID_HANDLE_VALUE ? "invalid " + Err() : std::string("opened"));
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
}

// An open that may succeed: whether it did, with the error (defined for CREATE_ALWAYS and
// OPEN_ALWAYS on success). The handle is returned open, or closed when `keep` is false.
HANDLE OpenPrinted(const char* name, const std::string& path, DWORD access, DWORD share,
                   DWORD disposition, bool keep = false) {
    HANDLE h = Open(path, access, share, disposition);
    bool errorDefined = disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
    if (h == INVALID_HANDLE_VALUE)
        Check(std::string("CreateFileA.") + name, "invalid " + Err());
    else
        Check(std::string("CreateFileA.") + name,
              errorDefined ? "opened " + Err() : std::string("opened"));
    if (h != INVALID_HANDLE_VALUE && !keep) {
        CloseHandle(h);
        h = INVALID_HANDLE_VALUE;
    }
    return h;
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// The current directory is kept as a full path, in the caller's spelling, without a trailing
// backslash; printed relative to the scratch folder.
void CurrentDirectoryChecks() {
    std::string slashes = gScratch;
    for (char& c : slashes)
        if (c == '\\')
            c = '/';
    struct Case {
        const char* name;
        std::string path;
    } cases[] = {
        {"trailing-backslash", gScratch + "\\"},
        {"relative", "sub"},
        {"dot-dot", ".."},
        {"dot-dot-inside", In("sub\\..")},
        {"other-case", Upper(gScratch)},
        {"slashes", slashes},
        {"relative-trailing-backslash", "sub\\"},
        {"drive-relative", "C:.."},
        {"scratch", gScratch},
    };
    for (const Case& c : cases) {
        Arm();
        BOOL ret = SetCurrentDirectoryA(c.path.c_str());
        char buffer[MAX_PATH + 8];
        DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
        std::string text = length == std::strlen(buffer) ? std::string(buffer) : "?";
        std::string shown = text;
        if (text.compare(0, gScratch.size(), gScratch) == 0)
            shown = "scratch" + text.substr(gScratch.size());
        else if (text.compare(0, gScratch.size(), Upper(gScratch)) == 0)
            shown = "SCRATCH" + text.substr(gScratch.size());
        else if (text.size() > 3)
            shown = "elsewhere";
        Check(std::string("SetCurrentDirectoryA.") + c.name, BoolErr(ret) + " now=" + shown);
    }
}

void DirectoryChecks() {
    Arm();
    Check("CreateDirectoryA.new", BoolErr(CreateDirectoryA(gScratch.c_str(), nullptr)));
    Arm();
    Check("CreateDirectoryA.existing", BoolErr(CreateDirectoryA(gScratch.c_str(), nullptr)));
    Arm();
    Check("CreateDirectoryA.missing-parent",
          BoolErr(CreateDirectoryA(In("missing\\sub").c_str(), nullptr)));
    Arm();
    Check("CreateDirectoryA.trailing-backslash",
          BoolErr(CreateDirectoryA(In("sub\\").c_str(), nullptr)));
    Check("CreateDirectoryA.drive-root", Fmt("ret=%d", CreateDirectoryA("C:\\", nullptr)));

    Arm();
    Check("SetCurrentDirectoryA.scratch", BoolErr(SetCurrentDirectoryA(gScratch.c_str())));
    Arm();
    Check("SetCurrentDirectoryA.missing", BoolErr(SetCurrentDirectoryA(In("missing").c_str())));

    HANDLE h = Open(In("file.txt"), GENERIC_WRITE, 0, CREATE_NEW);
    Check("CreateFileA.create-new", h == INVALID_HANDLE_VALUE ? "invalid " + Err() : "opened");
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    Arm();
    Check("SetCurrentDirectoryA.file", BoolErr(SetCurrentDirectoryA(In("file.txt").c_str())));

    Check("GetFileAttributesA.drive", RootAttributes("C:"));
    Check("GetFileAttributesA.drive-root", RootAttributes("C:\\"));
    Check("GetFileAttributesA.scratch", Attributes(gScratch));
    Check("GetFileAttributesA.scratch-backslash", Attributes(gScratch + "\\"));
    Check("GetFileAttributesA.file", Attributes(In("file.txt")));
    Check("GetFileAttributesA.file-other-case", Attributes(In("FILE.TXT")));
    Check("GetFileAttributesA.file-trailing-dot", Attributes(In("file.txt.")));
    // A file named with a trailing backslash is not found. Windows reports ERROR_INVALID_NAME
    // (the file systems refuse the name), Wine ERROR_PATH_NOT_FOUND: only the failure is
    // compared. The same holds for a drive that does not exist (Windows: ERROR_PATH_NOT_FOUND,
    // Wine: ERROR_FILE_NOT_FOUND).
    Check("GetFileAttributesA.file-trailing-backslash", Fails(Attributes(In("file.txt\\"))));
    Check("GetFileAttributesA.missing-trailing-backslash", Attributes(In("missing.txt\\")));
    Check("GetFileAttributesA.file-relative", Attributes("file.txt"));
    Check("GetFileAttributesA.file-dot-dot", Attributes(In("sub\\..\\file.txt")));
    Check("GetFileAttributesA.file-slashes", Attributes(gScratch + "/file.txt"));
    Check("GetFileAttributesA.missing", Attributes(In("missing.txt")));
    Check("GetFileAttributesA.missing-parent", Attributes(In("missing\\x.txt")));
    Check("GetFileAttributesA.file-as-parent", Attributes(In("file.txt\\x.txt")));
    Check("GetFileAttributesA.wildcard", Attributes(In("fi?e.txt")));
    Check("GetFileAttributesA.empty", Attributes(""));
    Check("GetFileAttributesA.absent-drive", Fails(Attributes("Q:\\x")));
    std::string longName(MAX_PATH, 'n');
    Check("GetFileAttributesA.over-long", Attributes(In(longName.c_str())));
    Arm();
    Check("CreateDirectoryA.over-long",
          BoolErr(CreateDirectoryA(In(longName.substr(0, 250).c_str()).c_str(), nullptr)));
    Arm();
    Check("CreateDirectoryA.invalid-name", BoolErr(CreateDirectoryA(In("a<b").c_str(), nullptr)));

    CurrentDirectoryChecks();
}

void FileChecks() {
    const std::string a = In("a.txt");
    OpenFails("open-existing-missing", a, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    OpenFails("truncate-missing", a, GENERIC_WRITE, 0, TRUNCATE_EXISTING);
    OpenFails("missing-parent", In("missing\\a.txt"), GENERIC_WRITE, 0, CREATE_ALWAYS);
    OpenFails("disposition-0", a, GENERIC_WRITE, 0, 0);
    OpenFails("disposition-6", a, GENERIC_WRITE, 0, 6);
    OpenFails("directory", gScratch, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    OpenFails("directory-create-new", In("sub"), GENERIC_WRITE, 0, CREATE_NEW);
    OpenFails("directory-trailing-backslash", In("sub\\"), GENERIC_READ, FILE_SHARE_READ,
              OPEN_EXISTING);

    // Share mode 0 holds the file against every other open that reads, writes or deletes.
    HANDLE held = OpenPrinted("exclusive", a, GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW, true);
    OpenFails("second-open-read", a, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
              OPEN_EXISTING);
    OpenFails("second-open-write", a, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
              OPEN_EXISTING);
    OpenPrinted("second-open-no-access", a, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    Arm();
    Check("DeleteFileA.held", BoolErr(DeleteFileA(a.c_str())));
    Arm();
    Check("CloseHandle.open", BoolErr(CloseHandle(held)));
    Arm();
    Check("CloseHandle.closed", BoolErr(CloseHandle(held)));

    OpenFails("create-new-existing", a, GENERIC_WRITE, 0, CREATE_NEW);
    OpenPrinted("create-always-existing", a, GENERIC_WRITE, 0, CREATE_ALWAYS);
    OpenPrinted("open-always-existing", a, GENERIC_READ, FILE_SHARE_READ, OPEN_ALWAYS);
    OpenPrinted("open-always-new", In("b.txt"), GENERIC_READ, FILE_SHARE_READ, OPEN_ALWAYS);
    OpenPrinted("create-always-new", In("c.txt"), GENERIC_WRITE, 0, CREATE_ALWAYS);
    OpenPrinted("truncate-existing", a, GENERIC_WRITE, 0, TRUNCATE_EXISTING);
    OpenPrinted("open-existing-other-case", In("A.TXT"), GENERIC_READ, 0, OPEN_EXISTING);
    OpenPrinted("open-existing-trailing-backslash", In("a.txt\\"), GENERIC_READ, 0, OPEN_EXISTING);
    OpenPrinted("create-new-trailing-backslash", In("d.txt\\"), GENERIC_WRITE, 0, CREATE_NEW);
    Check("GetFileAttributesA.after-create-trailing-backslash", Attributes(In("d.txt")));
    Arm();
    Check("DeleteFileA.trailing-backslash", BoolErr(DeleteFileA(In("a.txt\\").c_str())));

    // Readers that share reading only.
    HANDLE r1 = OpenPrinted("reader-1", a, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, true);
    HANDLE r2 = OpenPrinted("reader-2", a, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, true);
    OpenFails("writer-against-readers", a, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
              OPEN_EXISTING);
    OpenFails("reader-sharing-nothing", a, GENERIC_READ, 0, OPEN_EXISTING);
    OpenFails("reader-sharing-write-only", a, GENERIC_READ, FILE_SHARE_WRITE, OPEN_EXISTING);
    OpenPrinted("reader-sharing-read-write", a, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                OPEN_EXISTING);
    Arm();
    Check("DeleteFileA.readers-without-delete-share", BoolErr(DeleteFileA(a.c_str())));
    if (r1 != INVALID_HANDLE_VALUE)
        CloseHandle(r1);
    if (r2 != INVALID_HANDLE_VALUE)
        CloseHandle(r2);

    Arm();
    Check("CloseHandle.null", BoolErr(CloseHandle(nullptr)));
    Arm();
    Check("CloseHandle.bogus", BoolErr(CloseHandle(kBogusHandle)));

    Arm();
    Check("DeleteFileA.missing", BoolErr(DeleteFileA(In("missing.txt").c_str())));
    Arm();
    Check("DeleteFileA.missing-parent", BoolErr(DeleteFileA(In("missing\\a.txt").c_str())));
    Arm();
    Check("DeleteFileA.directory", BoolErr(DeleteFileA(In("sub").c_str())));
    const char* files[] = {"a.txt", "b.txt", "c.txt"};
    for (const char* f : files) {
        Arm();
        Check(std::string("DeleteFileA.") + f, BoolErr(DeleteFileA(In(f).c_str())));
    }
    Check("GetFileAttributesA.deleted", Attributes(a));
}

void RemoveChecks() {
    HANDLE h = Open(In("sub\\inner.txt"), GENERIC_WRITE, 0, CREATE_NEW);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    Arm();
    Check("RemoveDirectoryA.not-empty", BoolErr(RemoveDirectoryA(In("sub").c_str())));
    Arm();
    Check("RemoveDirectoryA.missing", BoolErr(RemoveDirectoryA(In("missing").c_str())));
    Arm();
    Check("RemoveDirectoryA.missing-parent", BoolErr(RemoveDirectoryA(In("missing\\sub").c_str())));
    Arm();
    Check("RemoveDirectoryA.file", BoolErr(RemoveDirectoryA(In("file.txt").c_str())));
    DeleteFileA(In("sub\\inner.txt").c_str());
    DeleteFileA(In("file.txt").c_str());
    Arm();
    Check("RemoveDirectoryA.empty", BoolErr(RemoveDirectoryA(In("sub").c_str())));
    Arm();
    Check("RemoveDirectoryA.current-directory", BoolErr(RemoveDirectoryA(gScratch.c_str())));
    Arm();
    Check("SetCurrentDirectoryA.root", BoolErr(SetCurrentDirectoryA("C:\\")));
    Arm();
    Check("RemoveDirectoryA.scratch", BoolErr(RemoveDirectoryA(gScratch.c_str())));
    Arm();
    Check("RemoveDirectoryA.removed", BoolErr(RemoveDirectoryA(gScratch.c_str())));
}

// ---------------------------------------------------------------------------------------------
// The size rules of the folder queries

// What a call left in a buffer that held 'x' bytes, against the full text: "untouched",
// "text" (all of it and a zero), "empty" (a zero first), "prefix:length-n" (the text without
// its last n bytes, and a zero), "unterminated" or "other".
std::string BufferState(const char* buffer, size_t given, const std::string& full) {
    size_t touched = 0;
    while (touched < given && buffer[touched] == 'x')
        ++touched;
    if (touched == given)
        return "untouched";
    size_t zero = 0;
    while (zero < given && buffer[zero] != '\0')
        ++zero;
    if (zero == given)
        return "unterminated";
    if (full.compare(0, zero, buffer, zero) != 0)
        return "other";
    if (zero == full.size())
        return "text";
    return zero == 0
               ? std::string("empty")
               : Fmt("prefix:length%+ld", static_cast<long>(zero) - static_cast<long>(full.size()));
}

// GetWindowsDirectoryA, GetSystemDirectoryA, GetTempPathA, GetCurrentDirectoryA: the length on
// success; with a buffer too small, the size needed (the zero included).
template <typename Call> void SizeRule(const char* name, Call call) {
    char full[MAX_PATH + 1] = {};
    const DWORD length = call(sizeof full, full);
    const std::string text = full;
    const std::string n = std::string(name) + ".";
    Check(n + "full",
          Fmt("ret-is-length=%d length-positive=%d", length == text.size(), length > 0));
    if (length == 0 || length >= MAX_PATH)
        return;
    struct Case {
        const char* name;
        DWORD size;
        bool nullBuffer;
    } cases[] = {
        {"null-buffer", 0, true}, {"size-0", 0, false},         {"size-1", 1, false},
        {"short", length, false}, {"exact", length + 1, false}, {"roomy", length + 2, false},
    };
    for (const Case& c : cases) {
        char buffer[MAX_PATH + 8];
        std::memset(buffer, 'x', sizeof buffer);
        DWORD ret = call(c.size, c.nullBuffer ? nullptr : buffer);
        std::string state = c.nullBuffer ? "-" : BufferState(buffer, c.size, text);
        long relative = static_cast<long>(ret) - static_cast<long>(length);
        Check(n + c.name, Fmt("ret=length%+ld buffer=%s", relative, state.c_str()));
    }
}

// GetModuleFileNameA: a buffer too small receives the name cut and terminated, the call
// returns the buffer's size and sets ERROR_INSUFFICIENT_BUFFER.
void ModuleFileName() {
    char full[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, full, sizeof full);
    const std::string text = full;
    Check("GetModuleFileNameA.full", Fmt("ret-is-length=%d", length == text.size()));
    if (length == 0 || length >= MAX_PATH)
        return;
    struct Case {
        const char* name;
        DWORD size;
    } cases[] = {{"size-1", 1}, {"short", length}, {"exact", length + 1}};
    for (const Case& c : cases) {
        char buffer[MAX_PATH + 8];
        std::memset(buffer, 'x', sizeof buffer);
        Arm();
        DWORD ret = GetModuleFileNameA(nullptr, buffer, c.size);
        bool cut = ret == c.size;
        std::string result =
            cut ? std::string("ret=size")
                : Fmt("ret=length%+ld", static_cast<long>(ret) - static_cast<long>(length));
        // The documentation has the name cut to nSize - 1 bytes and a zero; Wine fills the
        // buffer without the zero. The state of the buffer is compared only when it held the
        // whole name.
        Check(std::string("GetModuleFileNameA.") + c.name,
              result + (cut ? " " + Err() : " buffer=" + BufferState(buffer, c.size, text)));
    }
    Arm();
    char buffer[MAX_PATH];
    DWORD ret = GetModuleFileNameA(reinterpret_cast<HMODULE>(kBogusHandle), buffer, MAX_PATH);
    Check("GetModuleFileNameA.bogus-module", Fmt("ret=%lu ", U(ret)) + Err());
}

void FolderSizeChecks() {
    SizeRule("GetWindowsDirectoryA", [](DWORD size, LPSTR buffer) {
        return static_cast<DWORD>(GetWindowsDirectoryA(buffer, size));
    });
    SizeRule("GetSystemDirectoryA", [](DWORD size, LPSTR buffer) {
        return static_cast<DWORD>(GetSystemDirectoryA(buffer, size));
    });
    SizeRule("GetTempPathA", [](DWORD size, LPSTR buffer) { return GetTempPathA(size, buffer); });
    SizeRule("GetCurrentDirectoryA",
             [](DWORD size, LPSTR buffer) { return GetCurrentDirectoryA(size, buffer); });
    char temp[MAX_PATH + 1] = {};
    DWORD length = GetTempPathA(sizeof temp, temp);
    Check("GetTempPathA.ends-in-backslash", Fmt("%d", length > 0 && temp[length - 1] == '\\'));
    ModuleFileName();
}

// ---------------------------------------------------------------------------------------------
// Versions, strings, code page, memory, modules, network, shell, messages

void VersionChecks() {
    const DWORD sizes[] = {0, sizeof(OSVERSIONINFOA) - 1, sizeof(OSVERSIONINFOA) + 1,
                           sizeof(OSVERSIONINFOA), sizeof(OSVERSIONINFOEXA)};
    for (DWORD size : sizes) {
        OSVERSIONINFOEXA info;
        std::memset(&info, 0xAB, sizeof info);
        info.dwOSVersionInfoSize = size;
        Arm();
        BOOL ret = GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&info));
        bool untouched = info.dwMajorVersion == 0xABABABAB && info.dwPlatformId == 0xABABABAB;
        Check(Fmt("GetVersionExA.size-%lu", U(size)),
              (ret ? std::string("ret=1") : "ret=0 " + Err()) +
                  Fmt(" record-untouched=%d size-kept=%d", untouched,
                      info.dwOSVersionInfoSize == size));
    }
    ULONGLONG mask = VerSetConditionMask(0, VER_SUITENAME, VER_AND);
    Check("VerSetConditionMask.suite-and", Fmt("0x%llx", static_cast<unsigned long long>(mask)));
    mask = VerSetConditionMask(mask, 0, VER_AND);
    Check("VerSetConditionMask.no-type", Fmt("0x%llx", static_cast<unsigned long long>(mask)));
    // Whether a suite is present depends on the machine: only the refusals of bad arguments
    // are compared.
    OSVERSIONINFOEXA wanted;
    std::memset(&wanted, 0, sizeof wanted);
    wanted.dwOSVersionInfoSize = sizeof wanted;
    wanted.wSuiteMask = VER_SUITE_TERMINAL;
    Arm();
    BOOL ret = VerifyVersionInfoA(&wanted, 0, mask);
    Check("VerifyVersionInfoA.no-type", BoolErr(ret));
    Arm();
    ret = VerifyVersionInfoA(&wanted, VER_SUITENAME, 0);
    Check("VerifyVersionInfoA.no-condition", BoolErr(ret));
}

void StringChecks() {
    struct Case {
        const char* name;
        const char* a;
        const char* b;
    } cases[] = {
        {"equal", "Terminal Server", "Terminal Server"},
        {"case", "terminal server", "Terminal Server"},
        {"case-reversed", "Terminal Server", "terminal server"},
        {"prefix", "Terminal", "Terminal Server"},
        {"order", "abc", "abd"},
        {"order-across-case", "abc", "ABD"},
        {"empty-empty", "", ""},
        {"empty-text", "", "a"},
        {"null-null", nullptr, nullptr},
        {"null-empty", nullptr, ""},
        {"empty-null", "", nullptr},
        {"text-null", "a", nullptr},
        {"hyphen", "co-op", "coop"},
        {"apostrophe", "can't", "cant"},
        {"space", "Terminal Server", "TerminalServer"},
        {"control-character", "Terminal\x01Server", "TerminalServer"},
        {"digits", "10", "9"},
        {"ignored-control-character",
         "a\x01"
         "c",
         "ab"},
        {"hyphen-ignored-first", "a-c", "ab"},
        {"underscore-is-a-symbol", "a_c", "ab"},
        {"symbol-before-digit", "!", "1"},
        {"digit-before-letter", "9", "a"},
        {"space-before-letter", "a b", "ab"},
        {"hyphen-after-case", "co-op", "Coop"},
    };
    for (const Case& c : cases)
        Check(std::string("lstrcmpA.") + c.name, Sign(lstrcmpA(c.a, c.b)));
    // Accented letters of code page 1252 (in a double-byte code page these bytes are no text).
    const Case accents[] = {
        {"accent", "r\xe9sum\xe9", "resume"},
        {"accent-order", "\xe9", "f"},
        {"accent-after-plain", "e", "\xe9"},
        {"accent-before-case", "\xe9", "E"},
        {"accent-then-case", "\xc9", "\xe9"},
        {"accent-ordered-first",
         "\xe9"
         "a",
         "eb"},
        {"s-caron", "\x9a", "t"},
        {"y-diaeresis-case", "\xff", "\x9f"},
    };
    if (!IsDBCSLeadByte(0xE9))
        for (const Case& c : accents)
            Check(std::string("lstrcmpA.") + c.name, Sign(lstrcmpA(c.a, c.b)));
    Check("lstrlenA.text", Fmt("%d", lstrlenA("Terminal Server")));
    Check("lstrlenA.empty", Fmt("%d", lstrlenA("")));
    Check("lstrlenA.null", Fmt("%d", lstrlenA(nullptr)));
}

// Bytes in [first, last] as ranges "81-9f e0-fc".
template <typename Test> std::string ByteRanges(int first, int last, Test test) {
    std::string out;
    for (int b = first; b <= last;) {
        if (!test(b)) {
            ++b;
            continue;
        }
        int end = b;
        while (end + 1 <= last && test(end + 1))
            ++end;
        out += Fmt(out.empty() ? "%02x" : " %02x", b);
        if (end > b)
            out += Fmt("-%02x", end);
        b = end + 1;
    }
    return out.empty() ? std::string("none") : out;
}

void CodePageChecks() {
    Check("GetACP", Fmt("%u", GetACP()));
    Check("IsDBCSLeadByte",
          ByteRanges(0, 255, [](int b) { return IsDBCSLeadByte(static_cast<BYTE>(b)) != 0; }));

    // Every byte alone, through the buffer form and the single-character form.
    std::string changes;
    std::string single;
    for (int b = 1; b < 256; ++b) {
        char one = static_cast<char>(b);
        CharUpperBuffA(&one, 1);
        if (static_cast<BYTE>(one) != b)
            changes += Fmt(" %02x>%02x", b, static_cast<BYTE>(one));
        UINT_PTR r = reinterpret_cast<UINT_PTR>(
            CharUpperA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(b))));
        if (r != static_cast<BYTE>(one))
            single += Fmt(" %02x>%llx", b, static_cast<unsigned long long>(r));
    }
    Check("CharUpperBuffA.single-bytes", changes.empty() ? "none" : changes.substr(1));
    Check("CharUpperA.character-differs-from-buffer", single.empty() ? "none" : single.substr(1));

    // Accented letters of code page 1252 in a string (in a double-byte code page these bytes
    // are no text).
    if (!IsDBCSLeadByte(0xE9)) {
        char text[] = "caf\xe9 \xe0\xe7\xf1\xf6\xfe\xff \x9a\x9c\x9e \xdf\xb5\xf7 x";
        LPSTR ret = CharUpperA(text);
        Check("CharUpperA.string",
              Fmt("same-pointer=%d ", ret == text) + Hex(text, sizeof text - 1));
    }
    char part[] = "abcdef";
    DWORD count = CharUpperBuffA(part, 3);
    Check("CharUpperBuffA.part", Fmt("ret=%lu text=%s", U(count), part));
    Check("CharUpperBuffA.zero-length", Fmt("ret=%lu", U(CharUpperBuffA(part, 0))));

    // Double-byte characters: every pair of a lead byte and a trail byte, alone.
    if (!IsDBCSLeadByte(0x81))
        return;
    int pairs = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsDBCSLeadByte(static_cast<BYTE>(lead)))
            continue;
        std::string row;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            CharUpperBuffA(pair, 2);
            BYTE l = static_cast<BYTE>(pair[0]), t = static_cast<BYTE>(pair[1]);
            if (l != lead || t != trail) {
                row += Fmt(" %02x>%02x%02x", trail, l, t);
                ++pairs;
            }
        }
        if (!row.empty())
            Check(Fmt("CharUpperBuffA.pairs-%02x", lead), row.substr(1));
    }
    Check("CharUpperBuffA.pairs-changed", Fmt("%d", pairs));
    // A trail byte that is a lower-case letter or a backslash stays as it is; a lead byte cut
    // off at the end of the buffer.
    char mixed[] = "a\x82\x61"
                   "b\x95\x5c"
                   "c\x82";
    CharUpperBuffA(mixed, sizeof mixed - 1);
    Check("CharUpperBuffA.mixed", Hex(mixed, sizeof mixed - 1));
    char cut[] = "\x82\x81";
    CharUpperBuffA(cut, 1);
    Check("CharUpperBuffA.cut-pair", Hex(cut, 2));
}

void MemoryChecks() {
    HLOCAL block = LocalAlloc(LPTR, 16);
    bool zero = block != nullptr;
    for (int i = 0; zero && i < 16; ++i)
        zero = static_cast<const BYTE*>(block)[i] == 0;
    Check("LocalAlloc.zeroinit", Fmt("non-null=%d zeroed=%d", block != nullptr, zero));
    Check("LocalFree.block", Fmt("null=%d", LocalFree(block) == nullptr));
    HLOCAL empty = LocalAlloc(LMEM_FIXED, 0);
    Check("LocalAlloc.zero-bytes", Fmt("non-null=%d", empty != nullptr));
    LocalFree(empty);
    Check("LocalFree.null", Fmt("null=%d", LocalFree(nullptr) == nullptr));
}

void ModuleChecks() {
    const char* names[] = {"ntdll.dll", "NTDLL.DLL", "KERNEL32.DLL", "kernel32.dll", "kernel32"};
    for (const char* name : names)
        Check(std::string("GetModuleHandleA.") + name,
              Fmt("non-null=%d", GetModuleHandleA(name) != nullptr));
    Check("GetModuleHandleA.null", Fmt("non-null=%d", GetModuleHandleA(nullptr) != nullptr));
    Arm();
    HMODULE missing = GetModuleHandleA("nosuchmodule.dll");
    Check("GetModuleHandleA.missing", Fmt("non-null=%d ", missing != nullptr) + Err());

    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    HMODULE kernel32 = GetModuleHandleA("KERNEL32.DLL");
    struct Case {
        const char* name;
        HMODULE module;
        const char* proc;
    } cases[] = {
        {"ntdll.VerSetConditionMask", ntdll, "VerSetConditionMask"},
        {"KERNEL32.VerifyVersionInfoA", kernel32, "VerifyVersionInfoA"},
        {"ntdll.VerifyVersionInfoA", ntdll, "VerifyVersionInfoA"},
        {"KERNEL32.NoSuchFunction", kernel32, "NoSuchFunction"},
    };
    for (const Case& c : cases) {
        Arm();
        FARPROC proc = GetProcAddress(c.module, c.proc);
        Check(std::string("GetProcAddress.") + c.name,
              proc ? std::string("found") : "missing " + Err());
    }
    Arm();
    HMODULE loaded = LoadLibraryA("C:\\NoSuchFolder\\nosuch.dll");
    Check("LoadLibraryA.missing", Fmt("non-null=%d ", loaded != nullptr) + Err());
    if (loaded)
        FreeLibrary(loaded);
    Arm();
    Check("FreeLibrary.null", BoolErr(FreeLibrary(nullptr)));
}

void MachineChecks() {
    Check("GetLogicalDrives.C", Fmt("%lu", U((GetLogicalDrives() >> 2) & 1)));
    Arm();
    // Windows answers ERROR_NOT_CONNECTED; Wine, which has no network provider, answers
    // ERROR_NO_NETWORK: only the failure is compared.
    DWORD ret = WNetCancelConnectionA("Q:", TRUE);
    Check("WNetCancelConnectionA.not-connected", Fmt("failed=%d", ret != NO_ERROR));
}

void ShellChecks() {
    LPMALLOC malloc = nullptr;
    HRESULT hr = SHGetMalloc(&malloc);
    Check("SHGetMalloc",
          Fmt("hr=0x%08lx non-null=%d", static_cast<unsigned long>(hr), malloc != nullptr));
    if (SUCCEEDED(hr) && malloc != nullptr) {
        void* block = malloc->Alloc(16);
        Check("IMalloc.Alloc", Fmt("non-null=%d", block != nullptr));
        malloc->Free(block);
        malloc->Release();
    }
    LPITEMIDLIST list = reinterpret_cast<LPITEMIDLIST>(kBogusHandle);
    hr = SHGetSpecialFolderLocation(nullptr, 0x7E, &list);
    Check("SHGetSpecialFolderLocation.unknown",
          Fmt("failed=%d list-null=%d", FAILED(hr), list == nullptr));
}

void MessageChecks() {
    MSG msg;
    std::memset(&msg, 0, sizeof msg);
    Check("PeekMessageA.empty", Fmt("ret=%d", PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)));
    msg.message = WM_KEYUP;
    Check("TranslateMessage.key", Fmt("nonzero=%d", TranslateMessage(&msg) != 0));
    msg.message = WM_USER;
    Check("TranslateMessage.other", Fmt("ret=%d", TranslateMessage(&msg)));
    Check("DispatchMessageA.thread-message",
          Fmt("ret=%ld", static_cast<long>(DispatchMessageA(&msg))));
    Arm();
    DWORD wait = WaitForSingleObject(nullptr, 0);
    Check("WaitForSingleObject.null", Fmt("ret=0x%lx ", U(wait)) + Err());
}

} // namespace

int main(int argc, char** argv) {
    UINT codePage = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--codepage") == 0 && i + 1 < argc)
            codePage = static_cast<UINT>(std::strtoul(argv[++i], nullptr, 10));
        else
            gScratch = argv[i];
    }
    if (gScratch.empty()) {
        std::fprintf(stderr, "usage: conformance C:\\scratch [--codepage 932]\n");
        return 2;
    }
    if (codePage != 0 && !SelectCodePage(codePage)) {
        std::fprintf(stderr, "code page %u is not active\n", codePage);
        return 2;
    }
    CodePageChecks();
    StringChecks();
    RegistryChecks();
    DirectoryChecks();
    FileChecks();
    FolderSizeChecks();
    RemoveChecks();
    VersionChecks();
    MemoryChecks();
    ModuleChecks();
    MachineChecks();
    ShellChecks();
    MessageChecks();
    return 0;
}
