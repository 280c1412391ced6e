// Stand-in for the shfolder.dll that an installation source carries in its "Setup" folder,
// for the tests and the sample installation source.
//
// Exports SHGetFolderPathA and its wide twin SHGetFolderPathW (by those names, undecorated;
// stdcall on i686) and forwards every call to shell32's function of the same name, looked up
// by name with GetProcAddress at each call. Without that function in shell32 the call returns
// E_FAIL.
//
// Making it fail for tests: a text file "shfolder.fail" in this DLL's own folder lists folder
// identifiers (CSIDL values), one per line, in decimal ("38") or hexadecimal ("0x26"), or the
// word "all". For a listed identifier the call returns E_FAIL at once, leaves the buffer
// untouched and does not ask shell32. An identifier listed without flag bits matches whatever
// flags the caller adds (CSIDL_FLAG_CREATE 0x8000 and the other bits of 0xFF00): "38" fails
// both 38 and 0x8026. An identifier listed with flag bits ("0x8026") matches exactly that
// value only. Blank lines and lines beginning with '#' or ';' are ignored, as are lines that
// are not a number. The file is read at every call (at most 4 KB of it); without it, nothing
// fails.
//
// Under Wine: Wine prefers its own built-in shfolder.dll even when a program loads this file
// by its full path; run with WINEDLLOVERRIDES=shfolder=n,b so that this one is loaded.
#include <windows.h>

namespace {

HMODULE ownModule = nullptr;

const HRESULT kFail = static_cast<HRESULT>(0x80004005L); // E_FAIL
const int kFlagBits = 0xFF00;                            // CSIDL_FLAG_MASK

typedef HRESULT(WINAPI* FolderPathFunction)(HWND, int, HANDLE, DWORD, LPSTR);
typedef HRESULT(WINAPI* FolderPathFunctionW)(HWND, int, HANDLE, DWORD, LPWSTR);

// A handle closed when the object goes.
class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

// A library loaded for one call, freed when the object goes.
class LoadedLibrary {
  public:
    explicit LoadedLibrary(const char* name) : module_(LoadLibraryA(name)) {}
    ~LoadedLibrary() {
        if (module_ != nullptr)
            FreeLibrary(module_);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;
    HMODULE get() const { return module_; }

  private:
    HMODULE module_;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// Parses one line ("38", "0x26", "all"); false when it names no identifier.
bool ParseLine(const char* begin, const char* end, bool* all, int* value) {
    while (begin < end && IsBlank(*begin))
        ++begin;
    while (end > begin && IsBlank(end[-1]))
        --end;
    if (begin == end || *begin == '#' || *begin == ';')
        return false;
    if (end - begin == 3 && (begin[0] | 0x20) == 'a' && (begin[1] | 0x20) == 'l' &&
        (begin[2] | 0x20) == 'l') {
        *all = true;
        return true;
    }
    int base = 10;
    if (end - begin > 2 && begin[0] == '0' && (begin[1] | 0x20) == 'x') {
        base = 16;
        begin += 2;
    }
    long result = 0;
    for (const char* p = begin; p < end; ++p) {
        int digit;
        if (*p >= '0' && *p <= '9')
            digit = *p - '0';
        else if (base == 16 && (*p | 0x20) >= 'a' && (*p | 0x20) <= 'f')
            digit = (*p | 0x20) - 'a' + 10;
        else
            return false;
        result = result * base + digit;
        if (result > 0xFFFF)
            return false;
    }
    *value = static_cast<int>(result);
    return true;
}

// Whether "shfolder.fail" beside this DLL lists the identifier.
bool ListedToFail(int csidl) {
    char path[MAX_PATH + 16] = {0};
    DWORD length = GetModuleFileNameA(ownModule, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false; // no full name of our own: no list can be found
    DWORD cut = 0;
    for (DWORD i = 0; i < length; ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < length)
            ++i;
        else if (path[i] == '\\')
            cut = i + 1;
    }
    const char kListName[] = "shfolder.fail";
    if (cut + sizeof kListName > sizeof path)
        return false;
    CopyMemory(path + cut, kListName, sizeof kListName);

    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
        return false;
    char text[4096];
    DWORD read = 0;
    if (!ReadFile(file.get(), text, sizeof text, &read, nullptr))
        return false;

    const char* lineStart = text;
    const char* textEnd = text + read;
    for (const char* p = text; p <= textEnd; ++p) {
        if (p != textEnd && *p != '\n')
            continue;
        bool all = false;
        int value = 0;
        if (ParseLine(lineStart, p, &all, &value)) {
            if (all || value == csidl ||
                ((value & kFlagBits) == 0 && value == (csidl & ~kFlagBits)))
                return true;
        }
        lineStart = p + 1;
    }
    return false;
}

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        ownModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

} // extern "C"

namespace {

// shell32's function of that name, called with the caller's arguments, unless the identifier
// is listed to fail.
template <typename Function, typename Char>
HRESULT Forward(const char* name, HWND hwnd, int csidl, HANDLE token, DWORD flags, Char* path) {
    if (ListedToFail(csidl))
        return kFail;
    LoadedLibrary shell32("shell32.dll");
    if (shell32.get() == nullptr)
        return kFail;
    auto forward = reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(GetProcAddress(shell32.get(), name)));
    if (forward == nullptr)
        return kFail;
    return forward(hwnd, csidl, token, flags, path);
}

} // namespace

extern "C" {

HRESULT WINAPI SHGetFolderPathA(HWND hwnd, int csidl, HANDLE token, DWORD flags, LPSTR path) {
    return Forward<FolderPathFunction>("SHGetFolderPathA", hwnd, csidl, token, flags, path);
}

HRESULT WINAPI SHGetFolderPathW(HWND hwnd, int csidl, HANDLE token, DWORD flags, LPWSTR path) {
    return Forward<FolderPathFunctionW>("SHGetFolderPathW", hwnd, csidl, token, flags, path);
}

} // extern "C"
