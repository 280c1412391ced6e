// Directories and files inside the scratch folder: attributes, creation and removal with their
// errors, dispositions and share modes of CreateFileA, the current directory; names the ANSI
// code page cannot write and the short names that reach them.
#include "checks.h"
#include "machine.h"

#include <cstring>

namespace {

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
    Check("CloseHandle.bogus", BoolErr(CloseHandle(BogusHandle())));

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

std::wstring Widen(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

// Documents in Cyrillic (which code page 932 can write, 1252 not) and in Korean (which
// neither can write), and a long name of plain ASCII.
const WCHAR kCyrillic[] = L"\x0414\x043e\x043a\x0443\x043c\x0435\x043d\x0442\x044b";
const WCHAR kKorean[] = L"\xbb38\xc11c";
const char kLongName[] = "Long Folder Name";

std::wstring WideIn(const WCHAR* name) {
    return Widen(gScratch) + L"\\" + name;
}

// The short path as GetShortPathNameW gives it, converted to ANSI; empty when it fails or does
// not convert whole.
std::string ShortPath(const std::wstring& path) {
    WCHAR buffer[MAX_PATH];
    DWORD length = GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    char text[MAX_PATH * 2];
    BOOL used = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, buffer, -1, text, sizeof text,
                                nullptr, &used);
    return n > 0 && !used ? std::string(text) : std::string();
}

// What is stable about a short name: plain ASCII, a '~' in its last name, and an ANSI call
// finds the folder by it.
std::string ShortNameTraits(const std::string& shortPath) {
    if (shortPath.empty())
        return "none";
    bool ascii = true;
    for (char c : shortPath)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    std::string last = shortPath.substr(shortPath.rfind('\\') + 1);
    return Fmt("ascii=%d tilde=%d attributes=", ascii, last.find('~') != std::string::npos) +
           Attributes(shortPath);
}

// The ANSI form of a wide path ('?' for what the code page cannot write).
std::string Ansi(const std::wstring& path) {
    char text[MAX_PATH * 2];
    int n = WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, text, sizeof text, nullptr, nullptr);
    return n > 0 ? std::string(text) : std::string();
}

void WideNameChecks() {
    Check("MakeWideDirectory.cyrillic", Fmt("%d", MakeWideDirectory(WideIn(kCyrillic))));
    Check("MakeWideDirectory.korean", Fmt("%d", MakeWideDirectory(WideIn(kKorean))));
    Arm();
    Check("CreateDirectoryA.long-name", BoolErr(CreateDirectoryA(In(kLongName).c_str(), nullptr)));

    const std::string cyrillic = ShortPath(WideIn(kCyrillic));
    const std::string korean = ShortPath(WideIn(kKorean));
    const std::string longName = ShortPath(Widen(In(kLongName)));
    Check("GetShortPathNameW.cyrillic", ShortNameTraits(cyrillic));
    Check("GetShortPathNameW.korean", ShortNameTraits(korean));
    Check("GetShortPathNameW.long-name", ShortNameTraits(longName));
    // The ANSI form of the long name: '?' names nothing, where the code page lacks a character.
    Check("GetFileAttributesA.cyrillic-ansi", Attributes(Ansi(WideIn(kCyrillic))));
    Check("GetFileAttributesA.korean-ansi", Attributes(Ansi(WideIn(kKorean))));
    Arm();
    Check("CreateDirectoryA.question-mark", BoolErr(CreateDirectoryA(In("?").c_str(), nullptr)));
    OpenFails("question-mark", In("a?.txt"), GENERIC_WRITE, 0, CREATE_NEW);
    OpenFails("asterisk", In("*"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);

    // A folder made below a short name, by an ANSI call.
    if (!korean.empty()) {
        Arm();
        Check("CreateDirectoryA.below-short-name",
              BoolErr(CreateDirectoryA((korean + "\\Sub Folder").c_str(), nullptr)));
        Check("GetShortPathNameW.below-short-name",
              ShortNameTraits(ShortPath(WideIn(kKorean) + L"\\Sub Folder")));
    }

    // The size rule: the length on success; the size needed (the zero included) and the buffer
    // untouched when it is too small; the same buffer may hold the long and the short path.
    const std::wstring longPath = Widen(In(kLongName));
    WCHAR buffer[MAX_PATH];
    const DWORD length = GetShortPathNameW(longPath.c_str(), buffer, MAX_PATH);
    Arm();
    DWORD ret = GetShortPathNameW(longPath.c_str(), nullptr, 0);
    Check("GetShortPathNameW.size-query",
          Fmt("ret=length%+ld ", static_cast<long>(ret) - static_cast<long>(length)) + Err());
    for (DWORD size : {length, length + 1}) {
        WCHAR out[MAX_PATH];
        for (WCHAR& c : out)
            c = 'x';
        ret = GetShortPathNameW(longPath.c_str(), out, size);
        bool untouched = out[0] == 'x';
        bool same = ret == length && std::memcmp(out, buffer, (length + 1) * sizeof(WCHAR)) == 0;
        Check(Fmt("GetShortPathNameW.size-length%+ld", static_cast<long>(size - length)),
              Fmt("ret=length%+ld untouched=%d same=%d",
                  static_cast<long>(ret) - static_cast<long>(length), untouched, same));
    }
    WCHAR inPlace[MAX_PATH];
    std::memcpy(inPlace, longPath.c_str(), (longPath.size() + 1) * sizeof(WCHAR));
    ret = GetShortPathNameW(inPlace, inPlace, MAX_PATH);
    Check("GetShortPathNameW.in-place",
          Fmt("same=%d",
              ret == length && std::memcmp(inPlace, buffer, (length + 1) * sizeof(WCHAR)) == 0));
    const struct {
        const char* name;
        std::wstring path;
    } failing[] = {
        {"missing", Widen(In("missing"))},
        {"missing-below-wide-name", WideIn(kKorean) + L"\\missing"},
        {"missing-parent", Widen(In("missing\\sub"))},
    };
    for (const auto& c : failing) {
        Arm();
        ret = GetShortPathNameW(c.path.c_str(), buffer, MAX_PATH);
        Check(std::string("GetShortPathNameW.") + c.name, Fmt("ret=%lu ", U(ret)) + Err());
    }
    Arm();
    ret = GetShortPathNameW(nullptr, buffer, MAX_PATH);
    Check("GetShortPathNameW.null", Fmt("ret=%lu ", U(ret)) + Err());
    // The caller's separators, a trailing one and relative paths are kept.
    std::wstring slashes = longPath;
    for (WCHAR& c : slashes)
        if (c == L'\\')
            c = L'/';
    ret = GetShortPathNameW(slashes.c_str(), buffer, MAX_PATH);
    Check("GetShortPathNameW.slashes",
          Fmt("ret-positive=%d backslashes=%d", ret > 0,
              ret > 0 && std::wstring(buffer).find(L'\\') != std::wstring::npos));
    ret = GetShortPathNameW((longPath + L"\\").c_str(), buffer, MAX_PATH);
    Check("GetShortPathNameW.trailing-backslash",
          Fmt("ret=length%+ld ends-in-backslash=%d",
              static_cast<long>(ret) - static_cast<long>(length),
              ret > 0 && buffer[ret - 1] == L'\\'));
    ret = GetShortPathNameW(L"sub", buffer, MAX_PATH);
    Check("GetShortPathNameW.relative", Fmt("ret=%lu ", U(ret)) + Ansi(ret ? buffer : L""));
    ret = GetShortPathNameW(L"C:\\", buffer, MAX_PATH);
    Check("GetShortPathNameW.drive-root", Fmt("ret=%lu ", U(ret)) + Ansi(ret ? buffer : L""));

    // The current directory by its short name, and below a name ANSI cannot write.
    if (!cyrillic.empty()) {
        Arm();
        Check("SetCurrentDirectoryA.short-name", BoolErr(SetCurrentDirectoryA(cyrillic.c_str())));
        WCHAR current[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, current);
        char currentA[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, currentA);
        Check("GetCurrentDirectoryW.short-name",
              Fmt("wide-is-short=%d ansi-is-short=%d", Ansi(current) == cyrillic,
                  cyrillic == currentA));
    }
    SetCurrentDirectoryA(gScratch.c_str());
    if (EnterWideDirectory(WideIn(kKorean))) {
        WCHAR current[MAX_PATH];
        DWORD wideLength = GetCurrentDirectoryW(MAX_PATH, current);
        char currentA[MAX_PATH * 2];
        DWORD ansiLength = GetCurrentDirectoryA(sizeof currentA, currentA);
        const std::string expected = Ansi(WideIn(kKorean));
        Check("GetCurrentDirectoryW.wide-name",
              Fmt("ret-is-length=%d long-name=%d", wideLength == std::wstring(current).size(),
                  std::wstring(current) == WideIn(kKorean)));
        Check("GetCurrentDirectoryA.wide-name",
              Fmt("ret-is-length=%d ansi-form=%d size-query=length%+ld",
                  ansiLength == expected.size(), expected == currentA,
                  static_cast<long>(GetCurrentDirectoryA(0, nullptr)) -
                      static_cast<long>(ansiLength)));
        // Relative ANSI paths resolve against it.
        Check("GetFileAttributesA.relative-below-wide-name", Attributes("Sub Folder"));
        HANDLE h = Open("probe.txt", GENERIC_WRITE, 0, CREATE_NEW);
        Check("CreateFileA.relative-below-wide-name",
              h == INVALID_HANDLE_VALUE ? "invalid " + Err() : "opened");
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        Arm();
        Check("DeleteFileA.relative-below-wide-name", BoolErr(DeleteFileA("probe.txt")));
        Arm();
        BOOL up = SetCurrentDirectoryA("..");
        GetCurrentDirectoryA(sizeof currentA, currentA);
        Check("SetCurrentDirectoryA.up-from-wide-name",
              BoolErr(up) + Fmt(" now-scratch=%d", gScratch == currentA));
    }
    SetCurrentDirectoryA(gScratch.c_str());
}

// Removes the folders of WideNameChecks through their short names.
void RemoveWideNames() {
    const std::string korean = ShortPath(WideIn(kKorean));
    Arm();
    Check("RemoveDirectoryA.below-short-name",
          BoolErr(RemoveDirectoryA((korean + "\\Sub Folder").c_str())));
    const std::string names[] = {korean, ShortPath(WideIn(kCyrillic)),
                                 ShortPath(Widen(In(kLongName)))};
    for (const std::string& name : names) {
        Arm();
        Check("RemoveDirectoryA.short-name", BoolErr(RemoveDirectoryA(name.c_str())));
    }
}

} // namespace

void RemoveScratchChecks() {
    RemoveWideNames();
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

void ScratchChecks(const std::string& scratch) {
    gScratch = scratch;
    DirectoryChecks();
    FileChecks();
    WideNameChecks();
}
